// Block-level helpers of the ZMBV codec: the block table size, displaced block reads,
// source conversion and the encoder's motion search. Same threading as Encoder.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "zmbv_internal.h"

namespace zmbv {
namespace detail {

namespace {

bool Inside(const Plane& p, int x, int y, int w, int h)
{
    return x >= 0 && y >= 0 && x + w <= p.width && y + h <= p.height;
}

template <typename Pixel>
int CountRows(const uint8_t* a, size_t aStride, const uint8_t* b, size_t bStride, int w, int h,
              int limit)
{
    int count = 0;
    for (int r = 0; r < h; ++r, a += aStride, b += bStride) {
        if (SameBytes(a, b, w * sizeof(Pixel)))
            continue;
        for (int i = 0; i < w; ++i) {
            Pixel pa, pb;
            std::memcpy(&pa, a + i * sizeof(Pixel), sizeof pa);
            std::memcpy(&pb, b + i * sizeof(Pixel), sizeof pb);
            count += pa != pb;
        }
        if (count > limit)
            break;
    }
    return count;
}

uint64_t Load8(const uint8_t* p)
{
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

}  // namespace

size_t TableBytes(int width, int height, int blockWidth, int blockHeight)
{
    const size_t across = (static_cast<size_t>(width) + blockWidth - 1) / blockWidth;
    const size_t down = (static_cast<size_t>(height) + blockHeight - 1) / blockHeight;
    return (across * down * 2 + 3) & ~size_t(3);
}

void FetchBlock(const Plane& prev, int x, int y, int w, int h, Vector v, uint8_t* dst,
                size_t dstStride)
{
    const int bpp = prev.bpp;
    const size_t rowBytes = static_cast<size_t>(w) * bpp;
    const int sx = x + v.dx;
    const int left = std::max(0, -sx);               // pixels before the picture
    const int right = std::min(w, prev.width - sx);  // first pixel past it
    for (int r = 0; r < h; ++r, dst += dstStride) {
        const int sy = y + v.dy + r;
        if (sy < 0 || sy >= prev.height || right <= left) {
            std::memset(dst, 0, rowBytes);
            continue;
        }
        std::memset(dst, 0, static_cast<size_t>(left) * bpp);
        std::memcpy(dst + left * bpp, prev.row(sy) + static_cast<size_t>(sx + left) * bpp,
                    static_cast<size_t>(right - left) * bpp);
        std::memset(dst + right * bpp, 0, static_cast<size_t>(w - right) * bpp);
    }
}

bool ConvertSource(const SourceFrame& src, Plane& out, uint8_t* rgbPalette)
{
    const int w = out.width;
    static const int kSourceBytes[] = {1, 2, 2, 3, 4};
    const int srcBpp = kSourceBytes[static_cast<int>(src.format)];
    if (!src.bits || std::abs(src.stride) < w * srcBpp)
        return false;
    if (src.format == PixelFormat::Pal8) {
        if (!src.palette)
            return false;
        for (int i = 0; i < 256; ++i) {
            rgbPalette[3 * i] = static_cast<uint8_t>(src.palette[i] >> 16);
            rgbPalette[3 * i + 1] = static_cast<uint8_t>(src.palette[i] >> 8);
            rgbPalette[3 * i + 2] = static_cast<uint8_t>(src.palette[i]);
        }
    }
    const size_t w4 = static_cast<size_t>(w) * 4;
    for (int y = 0; y < out.height; ++y) {
        const uint8_t* s = src.bits + static_cast<ptrdiff_t>(out.height - 1 - y) * src.stride;
        uint8_t* d = out.row(y);
        switch (src.format) {
        case PixelFormat::Pal8: std::memcpy(d, s, w); break;
        case PixelFormat::Rgb555:
            // The top bit is unused: cleared so it cannot make equal pictures differ.
            for (int x = 0; x < w; ++x) {
                d[2 * x] = s[2 * x];
                d[2 * x + 1] = s[2 * x + 1] & 0x7F;
            }
            break;
        case PixelFormat::Rgb565: std::memcpy(d, s, static_cast<size_t>(w) * 2); break;
        case PixelFormat::Bgr24: {
            int x = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
            // Four pixels (12 bytes) at a time as words: the byte-wise loop costs more
            // than the rest of a frame with few changes.
            for (; x + 4 <= w; x += 4) {
                uint64_t lo;
                uint32_t hi;
                std::memcpy(&lo, s + 3 * x, 8);
                std::memcpy(&hi, s + 3 * x + 8, 4);
                const uint64_t p01 = (lo & 0xFFFFFF) | ((lo << 8) & 0xFFFFFF00000000);
                const uint64_t p23 = ((lo >> 48) | (static_cast<uint64_t>(hi) << 16)) & 0xFFFFFF;
                const uint64_t p3 = (static_cast<uint64_t>(hi) << 24) & 0xFFFFFF00000000;
                const uint64_t p23w = p23 | p3;
                std::memcpy(d + 4 * x, &p01, 8);
                std::memcpy(d + 4 * x + 8, &p23w, 8);
            }
#endif
            for (; x < w; ++x) {
                d[4 * x] = s[3 * x];
                d[4 * x + 1] = s[3 * x + 1];
                d[4 * x + 2] = s[3 * x + 2];
                d[4 * x + 3] = 0;
            }
            break;
        }
        case PixelFormat::Bgrx32:
            // Whole words, so the compiler can vectorise the masking of the unused byte.
            for (size_t i = 0; i < w4; i += 4) {
                uint32_t v;
                std::memcpy(&v, s + i, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
                v &= 0x00FFFFFF;
                std::memcpy(d + i, &v, 4);
#else
                std::memcpy(d + i, &v, 4);
                d[i + 3] = 0;
#endif
            }
            break;
        }
    }
    return true;
}

void FindChangedBlocks(const Plane& cur, const Plane& prev, int blockWidth, int blockHeight,
                       std::vector<int>* changed)
{
    changed->clear();
    const int across = (cur.width + blockWidth - 1) / blockWidth;
    const size_t blockBytes = static_cast<size_t>(blockWidth) * cur.bpp;
    const size_t rowBytes = cur.rowBytes();
    std::vector<uint8_t> differs(across);
    for (int y0 = 0; y0 < cur.height; y0 += blockHeight) {
        const int h = std::min(blockHeight, cur.height - y0);
        std::fill(differs.begin(), differs.end(), 0);
        int left = across;  // blocks of this strip not yet known to differ
        for (int r = 0; r < h && left > 0; ++r) {
            const uint8_t* a = cur.row(y0 + r);
            const uint8_t* b = prev.row(y0 + r);
            // Most rows of a screen are unchanged: one compare of the row settles them.
            if (SameBytes(a, b, rowBytes))
                continue;
            for (int bx = 0; bx < across; ++bx) {
                if (differs[bx])
                    continue;
                const size_t at = bx * blockBytes;
                const size_t n = std::min(blockBytes, rowBytes - at);
                if (!SameBytes(a + at, b + at, n)) {
                    differs[bx] = 1;
                    --left;
                }
            }
        }
        const int first = (y0 / blockHeight) * across;
        for (int bx = 0; bx < across; ++bx)
            if (differs[bx])
                changed->push_back(first + bx);
    }
}

// The rows of the previous frame a block at (x, y) moved by `v` is compared with: in place
// when the whole block lies inside (`stride` kept), else copied into `fetched` with the
// part outside taken as the format does (`stride` set to the copy's rows).
inline const uint8_t* SourceRows(const Plane& prev, int x, int y, int w, int h, Vector v,
                                 uint8_t* fetched, size_t& stride)
{
    if (Inside(prev, x + v.dx, y + v.dy, w, h))
        return prev.row(y + v.dy) + static_cast<size_t>(x + v.dx) * prev.bpp;
    stride = static_cast<size_t>(w) * prev.bpp;
    FetchBlock(prev, x, y, w, h, v, fetched, stride);
    return fetched;
}

size_t XorBlock(const Plane& cur, const Plane& prev, int x, int y, int w, int h, Vector v,
                uint8_t* dst)
{
    const size_t rowBytes = static_cast<size_t>(w) * cur.bpp;
    const size_t stride = cur.rowBytes();
    const uint8_t* a = cur.row(y) + static_cast<size_t>(x) * cur.bpp;
    size_t bStride = stride;
    uint8_t fetched[kBlockSize * kBlockSize * 4];
    const uint8_t* b = SourceRows(prev, x, y, w, h, v, fetched, bStride);
    for (int r = 0; r < h; ++r, a += stride, b += bStride, dst += rowBytes) {
        size_t i = 0;
        for (; i + 8 <= rowBytes; i += 8) {
            uint64_t p, q;
            std::memcpy(&p, a + i, 8);
            std::memcpy(&q, b + i, 8);
            p ^= q;
            std::memcpy(dst + i, &p, 8);
        }
        for (; i < rowBytes; ++i)
            dst[i] = a[i] ^ b[i];
    }
    return rowBytes * h;
}

int CountDifferences(const Plane& cur, const Plane& prev, int x, int y, int w, int h, Vector v,
                     int limit)
{
    const size_t stride = cur.rowBytes();
    const uint8_t* a = cur.row(y) + static_cast<size_t>(x) * cur.bpp;
    size_t bStride = stride;
    uint8_t fetched[kBlockSize * kBlockSize * 4];
    const uint8_t* b = SourceRows(prev, x, y, w, h, v, fetched, bStride);
    switch (cur.bpp) {
    case 1: return CountRows<uint8_t>(a, stride, b, bStride, w, h, limit);
    case 2: return CountRows<uint16_t>(a, stride, b, bStride, w, h, limit);
    default: return CountRows<uint32_t>(a, stride, b, bStride, w, h, limit);
    }
}

std::vector<Vector> GuessFrameVectors(const Plane& cur, const Plane& prev,
                                      const std::vector<int>& changedBlocks, int blocksAcross,
                                      size_t maxGuesses)
{
    constexpr size_t kAnchors = 16;
    constexpr int kRange = 2 * (kMaxVector + 1);
    const int bpp = cur.bpp;
    const size_t pieceBytes = static_cast<size_t>(kBlockSize) * bpp;
    std::vector<int> votes(kRange * kRange, 0);
    std::vector<int> matches;
    const size_t step = std::max<size_t>(1, changedBlocks.size() / kAnchors);
    for (size_t n = 0; n < changedBlocks.size(); n += step) {
        const int x = (changedBlocks[n] % blocksAcross) * kBlockSize;
        const int y0 = (changedBlocks[n] / blocksAcross) * kBlockSize;
        if (x + kBlockSize > cur.width || y0 + kBlockSize > cur.height)
            continue;
        // A piece of one colour matches everywhere in a flat area: take a row with detail.
        const uint8_t* piece = nullptr;
        int y = 0;
        for (int r = kBlockSize / 2; r < kBlockSize / 2 + kBlockSize; ++r) {
            y = y0 + r % kBlockSize;
            const uint8_t* p = cur.row(y) + static_cast<size_t>(x) * bpp;
            if (!SameBytes(p, p + bpp, pieceBytes - bpp)) {
                piece = p;
                break;
            }
        }
        if (!piece)
            continue;
        const uint64_t head = Load8(piece);
        const size_t firstMatch = matches.size();
        for (int dy = -kMaxVector - 1; dy <= kMaxVector; ++dy) {
            if (y + dy < 0 || y + dy >= prev.height)
                continue;
            const int dxFrom = std::max(-kMaxVector - 1, -x);
            const int dxTo = std::min(kMaxVector, prev.width - kBlockSize - x);
            const uint8_t* row = prev.row(y + dy);
            for (int dx = dxFrom; dx <= dxTo; ++dx) {
                const uint8_t* q = row + static_cast<size_t>(x + dx) * bpp;
                if (Load8(q) == head && SameBytes(q, piece, pieceBytes) && (dx || dy))
                    matches.push_back((dy + kMaxVector + 1) * kRange + dx + kMaxVector + 1);
            }
        }
        // A piece found in many places (a repeated pattern) says little about the motion:
        // every anchor casts one vote in all, shared among its matches.
        const size_t found = matches.size() - firstMatch;
        for (size_t m = firstMatch; m < matches.size(); ++m)
            votes[matches[m]] += 5040 / static_cast<int>(std::min<size_t>(found, 5040));
        matches.resize(firstMatch);
    }
    std::vector<Vector> guesses;
    for (size_t g = 0; g < maxGuesses; ++g) {
        auto best = std::max_element(votes.begin(), votes.end());
        if (*best == 0)
            break;
        const int at = static_cast<int>(best - votes.begin());
        guesses.push_back({at % kRange - kMaxVector - 1, at / kRange - kMaxVector - 1});
        *best = 0;
    }
    return guesses;
}

}  // namespace detail
}  // namespace zmbv
