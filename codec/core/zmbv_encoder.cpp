// The ZMBV encoder: one deflate stream per key-frame interval, blocks of 16x16 copied or
// XORed from the previous frame at the best of a few candidate vectors. One thread.
#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <utility>

#include <zlib.h>

#include "zmbv_internal.h"

namespace zmbv {

using detail::Plane;
using detail::Vector;

StreamFormat StreamFormatFor(PixelFormat format)
{
    switch (format) {
    case PixelFormat::Pal8: return StreamFormat::Pal8;
    case PixelFormat::Rgb555: return StreamFormat::Rgb555;
    case PixelFormat::Rgb565: return StreamFormat::Rgb565;
    default: return StreamFormat::Bgrx32;
    }
}

int BytesPerPixel(StreamFormat format)
{
    switch (format) {
    case StreamFormat::Pal8: return 1;
    case StreamFormat::Rgb555:
    case StreamFormat::Rgb565: return 2;
    default: return 4;
    }
}

size_t MaxEncodedSize(int width, int height, StreamFormat format)
{
    const size_t raw = 768 + detail::TableBytes(width, height, kBlockSize, kBlockSize) +
                       static_cast<size_t>(width) * height * BytesPerPixel(format);
    // Deflate's own bound for stored blocks, with room for the flush marker and header.
    return 7 + raw + (raw >> 12) + (raw >> 14) + (raw >> 25) + 64;
}

struct Encoder::Impl {
    int width;
    int height;
    PixelFormat format;
    StreamFormat stream;
    EncoderLevels levels;
    int blocksAcross;
    int blocksDown;
    Plane cur, prev;
    uint8_t palette[768] = {};
    uint8_t prevPalette[768] = {};
    bool havePrevious = false;
    std::vector<Vector> vectors;      // this frame's vector of each block
    std::vector<Vector> lastVectors;  // the previous frame's
    std::vector<uint8_t> raw;         // the frame's data before deflate: rawUsed bytes
    size_t rawUsed = 0;
    std::vector<int> changed;  // this frame's changed blocks
    z_stream zs = {};
    bool zsReady = false;
    int zsLevel = -1;

    Impl(int w, int h, PixelFormat f, EncoderLevels l)
        : width(w), height(h), format(f), stream(StreamFormatFor(f)), levels(l)
    {
        blocksAcross = (w + kBlockSize - 1) / kBlockSize;
        blocksDown = (h + kBlockSize - 1) / kBlockSize;
        for (Plane* p : {&cur, &prev}) {
            p->width = w;
            p->height = h;
            p->bpp = BytesPerPixel(stream);
            p->bytes.assign(p->rowBytes() * h, 0);
        }
        vectors.resize(static_cast<size_t>(blocksAcross) * blocksDown);
        lastVectors = vectors;
        // A raw deflate stream behind a zlib header of our own: the stream never ends,
        // so its checksum is never written or read, and zlib need not compute it over
        // every byte. Memory level 7 halves the hash table zlib rewrites each time its
        // window slides, at no cost in size on screens.
        zsReady = deflateInit2(&zs, levels.key, Z_DEFLATED, -15, 7, Z_DEFAULT_STRATEGY) == Z_OK;
        zsLevel = levels.key;
    }
    ~Impl()
    {
        if (zsReady)
            deflateEnd(&zs);
    }

    // Deflates the pieces as one frame's part of the stream, ending on a sync flush.
    size_t Deflate(std::initializer_list<std::pair<const uint8_t*, size_t>> pieces, int level,
                   uint8_t* out, size_t capacity)
    {
        zs.next_out = out;
        zs.avail_out = static_cast<uInt>(capacity);
        if (level != zsLevel) {
            // Between frames nothing is pending (each frame ended on a flush), so the new
            // level starts cleanly; whatever deflateParams emits belongs to this frame.
            const int rc = deflateParams(&zs, level, Z_DEFAULT_STRATEGY);
            if (rc != Z_OK && rc != Z_BUF_ERROR)
                return 0;
            zsLevel = level;
        }
        size_t left = pieces.size();
        for (const auto& piece : pieces) {
            zs.next_in = const_cast<Bytef*>(piece.first);
            zs.avail_in = static_cast<uInt>(piece.second);
            const int rc = deflate(&zs, --left ? Z_NO_FLUSH : Z_SYNC_FLUSH);
            // Output space ran out if input is left or the flush could not finish.
            if ((rc != Z_OK && rc != Z_BUF_ERROR) || zs.avail_in > 0 || zs.avail_out == 0)
                return 0;
        }
        return capacity - zs.avail_out;
    }

    size_t EncodeKey(uint8_t* out, size_t capacity)
    {
        if (capacity < 9 || deflateReset(&zs) != Z_OK)
            return 0;
        out[0] = 1;  // key frame
        out[1] = 0;  // version 0.1
        out[2] = 1;
        out[3] = 1;  // zlib
        out[4] = static_cast<uint8_t>(stream);
        out[5] = kBlockSize;
        out[6] = kBlockSize;
        // The zlib header: deflate with a 32 KB window, then the level's class (for
        // information only) with the check bits that make the pair a multiple of 31.
        const int level = levels.key < 0 ? 6 : levels.key;
        out[7] = 0x78;
        out[8] = level <= 1 ? 0x01 : level <= 5 ? 0x5E : level == 6 ? 0x9C : 0xDA;
        const size_t paletteBytes = stream == StreamFormat::Pal8 ? 768 : 0;
        const size_t n = Deflate({{palette, paletteBytes}, {cur.bytes.data(), cur.bytes.size()}},
                                 levels.key, out + 9, capacity - 9);
        std::fill(lastVectors.begin(), lastVectors.end(), Vector());
        return n ? n + 9 : 0;
    }

    // Whether block b of prev is one colour: 0 not known yet, 1 yes, 2 no. Worked out
    // only for blocks some changed block looks at, once a frame.
    std::vector<uint8_t> plainState;

    bool Plain(int b, uint32_t* colour)
    {
        const int x = (b % blocksAcross) * kBlockSize, y = (b / blocksAcross) * kBlockSize;
        const int bpp = prev.bpp;
        const uint8_t* first = prev.row(y) + static_cast<size_t>(x) * bpp;
        if (!plainState[b]) {
            bool plain = x + kBlockSize <= width && y + kBlockSize <= height &&
                         detail::SameBytes(first, first + bpp, (kBlockSize - 1) * bpp);
            for (int r = 1; r < kBlockSize && plain; ++r)
                plain = detail::SameBytes(prev.row(y + r) + static_cast<size_t>(x) * bpp, first,
                                          static_cast<size_t>(kBlockSize) * bpp);
            plainState[b] = plain ? 1 : 2;
        }
        *colour = 0;
        std::memcpy(colour, first, bpp);
        return plainState[b] == 1;
    }

    // New content that no vector explains (a page turned, a window uncovered) costs least
    // as an XOR with plain background: then only its ink is left, where the XOR with the
    // old content holds both. Finds the nearest plain block of prev in the vector range
    // whose colour is that of the block's first pixel.
    bool PlainNear(int bx, int by, Vector* v)
    {
        // Whole-block offsets in the vector range, nearest first.
        static const std::vector<std::pair<int, int>> offsets = [] {
            std::vector<std::pair<int, int>> o;
            const int lo = -(kMaxVector + 1) / kBlockSize, hi = kMaxVector / kBlockSize;
            for (int oy = lo; oy <= hi; ++oy)
                for (int ox = lo; ox <= hi; ++ox)
                    if (ox || oy)
                        o.emplace_back(ox, oy);
            std::stable_sort(o.begin(), o.end(), [](const auto& a, const auto& b) {
                return a.first * a.first + a.second * a.second <
                       b.first * b.first + b.second * b.second;
            });
            return o;
        }();
        uint32_t want = 0;
        std::memcpy(&want,
                    cur.row(by * kBlockSize) + static_cast<size_t>(bx) * kBlockSize * cur.bpp,
                    cur.bpp);
        for (const auto& o : offsets) {
            const int nx = bx + o.first, ny = by + o.second;
            if (nx < 0 || ny < 0 || nx >= blocksAcross || ny >= blocksDown)
                continue;
            uint32_t colour;
            if (Plain(ny * blocksAcross + nx, &colour) && colour == want) {
                *v = {o.first * kBlockSize, o.second * kBlockSize};
                return true;
            }
        }
        return false;
    }

    // Chooses each block's vector and whether it needs an XOR; fills raw[0, rawUsed).
    void BuildInter(bool paletteChanged)
    {
        const size_t tableBytes = detail::TableBytes(width, height, kBlockSize, kBlockSize);
        // Sized once for the worst frame, so building a frame never reallocates.
        raw.resize(768 + tableBytes + cur.bytes.size());
        size_t used = 0;
        if (paletteChanged)
            for (int i = 0; i < 768; ++i)
                raw[used++] = palette[i] ^ prevPalette[i];
        uint8_t* table = raw.data() + used;
        std::memset(table, 0, tableBytes);
        used += tableBytes;

        detail::FindChangedBlocks(cur, prev, kBlockSize, kBlockSize, &changed);
        std::fill(vectors.begin(), vectors.end(), Vector());
        plainState.assign(vectors.size(), 0);
        const std::vector<Vector> guesses =
            detail::GuessFrameVectors(cur, prev, changed, blocksAcross, 4);

        for (int b : changed) {
            const int bx = b % blocksAcross, by = b / blocksAcross;
            const int x = bx * kBlockSize, y = by * kBlockSize;
            const int w = std::min(kBlockSize, width - x), h = std::min(kBlockSize, height - y);
            Vector candidates[8];
            int count = 0;
            auto add = [&](Vector v) {
                for (int i = 0; i < count; ++i)
                    if (candidates[i] == v)
                        return;
                candidates[count++] = v;
            };
            add(Vector());
            if (bx > 0)
                add(vectors[b - 1]);
            if (by > 0)
                add(vectors[b - blocksAcross]);
            add(lastVectors[b]);
            for (const Vector& g : guesses)
                if (count < 7)
                    add(g);
            Vector plain;
            if (PlainNear(bx, by, &plain))
                add(plain);
            Vector best;
            int bestCost = w * h + 1;
            for (int i = 0; i < count && bestCost > 0; ++i) {
                const int cost =
                    detail::CountDifferences(cur, prev, x, y, w, h, candidates[i], bestCost - 1);
                if (cost < bestCost) {
                    bestCost = cost;
                    best = candidates[i];
                }
            }
            vectors[b] = best;
            const bool xorNeeded = bestCost > 0;
            table[2 * b] = static_cast<uint8_t>((best.dx * 2) | (xorNeeded ? 1 : 0));
            table[2 * b + 1] = static_cast<uint8_t>(best.dy * 2);
            if (xorNeeded)
                used += detail::XorBlock(cur, prev, x, y, w, h, best, raw.data() + used);
        }
        rawUsed = used;
        std::swap(vectors, lastVectors);
    }
};

Encoder::Encoder(int width, int height, PixelFormat format, EncoderLevels levels)
    : m_impl(std::make_unique<Impl>(width, height, format, levels))
{
}

Encoder::~Encoder() = default;
int Encoder::width() const { return m_impl->width; }
int Encoder::height() const { return m_impl->height; }
PixelFormat Encoder::format() const { return m_impl->format; }
void Encoder::Reset() { m_impl->havePrevious = false; }

size_t Encoder::Encode(const SourceFrame& src, bool forceKey, uint8_t* out, size_t outCapacity,
                       bool* isKey)
{
    Impl& e = *m_impl;
    if (isKey)
        *isKey = false;
    if (!e.zsReady || !out || src.format != e.format ||
        !detail::ConvertSource(src, e.cur, e.palette))
        return 0;
    const bool key = forceKey || !e.havePrevious;
    size_t n;
    if (key) {
        n = e.EncodeKey(out, outCapacity);
    } else {
        const bool paletteChanged = e.stream == StreamFormat::Pal8 &&
                                    std::memcmp(e.palette, e.prevPalette, sizeof e.palette) != 0;
        e.BuildInter(paletteChanged);
        n = outCapacity > 1
                ? e.Deflate({{e.raw.data(), e.rawUsed}}, e.levels.inter, out + 1, outCapacity - 1)
                : 0;
        if (n) {
            out[0] = paletteChanged ? 2 : 0;
            ++n;
        }
    }
    if (n == 0) {
        e.havePrevious = false;  // the stream is broken: start again with a key frame
        return 0;
    }
    std::swap(e.cur, e.prev);
    std::memcpy(e.prevPalette, e.palette, sizeof e.palette);
    e.havePrevious = true;
    if (isKey)
        *isKey = key;
    return n;
}

}  // namespace zmbv
