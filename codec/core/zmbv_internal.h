// Pieces of the ZMBV encoder and decoder shared between their files: a picture in the
// stream's layout, the block grid, pixel conversions and the motion search. Not part of
// the public interface; same threading as Encoder and Decoder.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "zmbv.h"

namespace zmbv {
namespace detail {

// A picture in the stream's layout: top row first, rows of width*bpp bytes, no padding.
struct Plane {
    std::vector<uint8_t> bytes;
    int width = 0;
    int height = 0;
    int bpp = 0;
    size_t rowBytes() const { return static_cast<size_t>(width) * bpp; }
    uint8_t* row(int y) { return bytes.data() + rowBytes() * y; }
    const uint8_t* row(int y) const { return bytes.data() + rowBytes() * y; }
};

struct Vector {
    int dx = 0;
    int dy = 0;
    bool operator==(const Vector& o) const { return dx == o.dx && dy == o.dy; }
};

// Whether the n bytes at a and b are the same. The encoder asks this of every row of a
// frame and of every 64-byte row of a block it weighs; the C runtime under Wine answers
// 8 bytes a step behind a call, which was 40 % of the encoder's time on a 1920x1080
// screen of scrolling text.
inline bool SameBytes(const uint8_t* a, const uint8_t* b, size_t n)
{
#if defined(__SSE2__)
    const auto load = [](const uint8_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        const __m128i d01 = _mm_or_si128(_mm_xor_si128(load(a + i), load(b + i)),
                                         _mm_xor_si128(load(a + i + 16), load(b + i + 16)));
        const __m128i d23 = _mm_or_si128(_mm_xor_si128(load(a + i + 32), load(b + i + 32)),
                                         _mm_xor_si128(load(a + i + 48), load(b + i + 48)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(d01, d23), _mm_setzero_si128())) !=
            0xFFFF)
            return false;
    }
    for (; i + 16 <= n; i += 16)
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(load(a + i), load(b + i))) != 0xFFFF)
            return false;
    for (; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
#else
    return std::memcmp(a, b, n) == 0;
#endif
}

// Block table bytes for a picture: 2 per block, padded to a multiple of 4.
size_t TableBytes(int width, int height, int blockWidth, int blockHeight);

// Copies the block at (x, y) of size w x h from `prev` displaced by v into dst (rows
// dstStride bytes apart); pixels from outside the picture are 0.
void FetchBlock(const Plane& prev, int x, int y, int w, int h, Vector v, uint8_t* dst,
                size_t dstStride);

// Converts a bottom-up source DIB into the stream's layout (24-bit input widened to 32,
// the unused byte 0). Pal8 also fills rgbPalette (768 bytes R, G, B). Returns false for a
// missing palette or a stride shorter than a row.
bool ConvertSource(const SourceFrame& src, Plane& out, uint8_t* rgbPalette);

// The blocks (numbered in raster order) in which cur differs from prev, in order.
void FindChangedBlocks(const Plane& cur, const Plane& prev, int blockWidth, int blockHeight,
                       std::vector<int>* changed);

// Writes the w x h block at (x, y) of cur XORed with prev displaced by v (pixels from
// outside the picture are 0) to dst, rows packed; returns the bytes written. w and h are
// at most kBlockSize.
size_t XorBlock(const Plane& cur, const Plane& prev, int x, int y, int w, int h, Vector v,
                uint8_t* dst);

// Finds, for the changed blocks, up to maxGuesses vectors that move whole regions (a
// scroll, a dragged window) from prev to cur: a few distinctive row pieces of changed
// blocks are looked for in prev within the vector range, and the displacements found
// most often win. (0,0) is never among them.
std::vector<Vector> GuessFrameVectors(const Plane& cur, const Plane& prev,
                                      const std::vector<int>& changedBlocks, int blocksAcross,
                                      size_t maxGuesses);

// Pixels of the w x h block at (x, y) of cur that differ from prev displaced by v;
// counting stops once it passes `limit`.
int CountDifferences(const Plane& cur, const Plane& prev, int x, int y, int w, int h, Vector v,
                     int limit);

}  // namespace detail
}  // namespace zmbv
