// Video 1 encoder: converts the source to RGB555, codes every 4x4 block in DIB order
// and keeps its own reconstruction for the next delta frame. One thread per instance.
#include <cstring>

#include "video1_internal.h"

namespace video1 {

bool IsCodableSize(int width, int height)
{
    return width > 0 && height > 0 && width % 4 == 0 && height % 4 == 0;
}

size_t MaxEncodedSize(int width, int height)
{
    if (width <= 0 || height <= 0)
        return 2;
    return 18u * static_cast<size_t>(width / 4) * static_cast<size_t>(height / 4) + 2;
}

namespace {

constexpr int kMaxSkipRun = 1023;

struct Writer {
    uint8_t* p;
    void Word(uint16_t w)
    {
        p[0] = static_cast<uint8_t>(w);
        p[1] = static_cast<uint8_t>(w >> 8);
        p += 2;
    }
    // One, three or nine words, in runs of fixed length: a loop over the word count
    // compiled to vector code with tests for every length.
    void Block(const detail::CodedBlock& c)
    {
        Word(c.words[0]);
        if (c.wordCount < 3)
            return;
        Word(c.words[1]);
        Word(c.words[2]);
        if (c.wordCount < 9)
            return;
        for (int i = 3; i < 9; ++i)
            Word(c.words[i]);
    }
};

// Four rows of four pixels compared at once; the common case on a screen is "same".
inline bool SameBlock(const uint16_t* a, const uint16_t* b, int width)
{
    for (int y = 0; y < 4; ++y, a += width, b += width)
        if (std::memcmp(a, b, 8) != 0)
            return false;
    return true;
}

bool ComparableRaw(PixelFormat format) { return format != PixelFormat::Pal8; }

}  // namespace

Encoder::Encoder(int width, int height)
    : m_width(width > 0 ? width : 0), m_height(height > 0 ? height : 0)
{
    const size_t n = static_cast<size_t>(m_width) * m_height;
    m_recon.assign(n, 0);
    m_strip.assign(static_cast<size_t>(m_width) * 4, 0);
    m_sourceStrips.assign(static_cast<size_t>(m_height / 4), m_strip);
}

int Encoder::width() const { return m_width; }
int Encoder::height() const { return m_height; }

void Encoder::Reset()
{
    m_havePrevious = false;
    m_havePrevRaw = false;
}

size_t Encoder::Encode(const SourceFrame& src, int quality, bool forceKey, uint8_t* out,
                       size_t outCapacity, bool* isKey)
{
    if (isKey)
        *isKey = false;
    if (!IsCodableSize(m_width, m_height) || !out ||
        outCapacity < MaxEncodedSize(m_width, m_height))
        return 0;
    if (!detail::SourceIsUsable(src, m_width))
        return 0;

    const bool key = forceKey || !m_havePrevious;
    // On a screen most of a frame is as before. Four rows whose source pixels are the
    // previous frame's are skipped without converting them; the others are converted and
    // compared block by block in RGB555, so a block is skipped exactly when it converts to
    // what the previous frame did. Pal8 is always converted: its palette may change.
    const size_t rowBytes = static_cast<size_t>(m_width) * detail::SourceBytesPerPixel(src.format);
    const bool keepRaw = ComparableRaw(src.format);
    const bool byRaw = !key && keepRaw && m_havePrevRaw && m_prevRawFormat == src.format;
    if (keepRaw) {
        m_prevRaw.resize(rowBytes * m_height);
        m_prevRawFormat = src.format;
    }
    m_havePrevRaw = keepRaw;
    uint16_t palette[256];
    if (src.format == PixelFormat::Pal8)
        detail::MakePalette555(src, palette);
    auto sourceRow = [&](int y) { return src.bits + static_cast<ptrdiff_t>(y) * src.stride; };
    auto sameRows = [&](int y) {
        for (int r = 0; r < 4; ++r)
            if (std::memcmp(sourceRow(y + r), m_prevRaw.data() + (y + r) * rowBytes, rowBytes) != 0)
                return false;
        return true;
    };

    const double lambda = detail::LambdaForQuality(quality);
    Writer w{out};
    int pendingSkip = 0;
    bool wroteSkip = false;
    auto flushSkips = [&] {
        if (pendingSkip == 0)
            return;
        w.Word(static_cast<uint16_t>(0x8400 | pendingSkip));
        pendingSkip = 0;
        wroteSkip = true;
    };
    auto skipOne = [&] {
        if (++pendingSkip == kMaxSkipRun)
            flushSkips();
    };
    auto skipBlocks = [&](int count) {
        while (count > 0) {
            const int room = kMaxSkipRun - pendingSkip;
            const int n = count < room ? count : room;
            pendingSkip += n;
            count -= n;
            if (pendingSkip == kMaxSkipRun)
                flushSkips();
        }
    };

    detail::BlockPixels px;
    detail::CodedBlock coded;
    uint16_t previous[16];
    const int blocksAcross = m_width / 4;
    for (int by = 0; by < m_height / 4; ++by) {
        const int y0 = by * 4;
        if (byRaw && sameRows(y0)) {
            skipBlocks(blocksAcross);
            continue;
        }
        uint16_t* strip = m_strip.data();
        for (int r = 0; r < 4; ++r)
            detail::ConvertPixels(src.format, sourceRow(y0 + r), m_width, palette,
                                  strip + static_cast<size_t>(r) * m_width);
        const uint16_t* stripSource = m_sourceStrips[by].data();
        for (int bx = 0; bx < blocksAcross; ++bx) {
            const uint16_t* cur = strip + bx * 4;
            uint16_t* rec = m_recon.data() + static_cast<size_t>(y0) * m_width + bx * 4;
            if (!key && SameBlock(cur, stripSource + bx * 4, m_width)) {
                // Unchanged source: the reconstruction already holds our best for it.
                skipOne();
                continue;
            }
            detail::UnpackBlock(cur, m_width, &px);
            if (!key)
                for (int y = 0; y < 4; ++y)
                    std::memcpy(previous + 4 * y, rec + y * m_width, 8);
            detail::ChooseBlock(px, key ? nullptr : previous, lambda, &coded);
            if (coded.kind == detail::BlockKind::Skip) {
                skipOne();
                continue;
            }
            flushSkips();
            w.Block(coded);
            for (int y = 0; y < 4; ++y)
                std::memcpy(rec + y * m_width, coded.decoded + 4 * y, 8);
        }
        m_sourceStrips[by].swap(m_strip);
        if (keepRaw)
            for (int r = 0; r < 4; ++r)
                std::memcpy(m_prevRaw.data() + (y0 + r) * rowBytes, sourceRow(y0 + r), rowBytes);
    }
    flushSkips();
    w.Word(0);  // end of frame

    m_havePrevious = true;
    if (isKey)
        *isKey = !wroteSkip;
    return static_cast<size_t>(w.p - out);
}

}  // namespace video1
