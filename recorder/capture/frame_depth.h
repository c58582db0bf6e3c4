// The colour depths a compressor is offered and the conversion of a grabbed frame's
// pixel rows to the one it takes. Some compressors (the system's own Video 1 among them)
// take only 16-bit RGB555 or 8-bit palette input, while the screen is grabbed at its own
// depth. Plain functions on bottom-up DIB rows; any thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvane {

// The depths to ask a compressor about, best first: the frame's own, then 24 and 16
// (RGB555), each once. 8-bit output is made (ConvertDepth) but not offered: the only
// 8-bit compressor at hand, Wine's RLE, takes such frames and then writes none.
std::vector<int> DepthsToOffer(int frameBits);

// Whether ConvertDepth can turn rows of `fromBits` (32, 24, 16 as RGB555, or 8 with a
// palette) into rows of `toBits` (the same set).
bool CanConvertDepth(int fromBits, int toBits);

// The palette of every 8-bit frame made here: a 6x6x6 colour cube (entry
// 36 * red + 6 * green + blue, each level 0..5 meaning 51 * level), the rest black.
// As RGBQUADs: blue in the low byte.
const uint32_t* EightBitPalette();

struct DepthRows {
    const uint8_t* pixels;  // the first (bottom) row
    size_t stride;          // bytes per row
    int bits;
    // For 8 bits: 256 RGBQUADs (blue in the low byte); ignored otherwise.
    const uint32_t* palette;
};

// Converts `height` rows of `width` pixels from `from` into `to` (to.palette is ignored:
// 8-bit output uses EightBitPalette). Colours narrowed to 5 bits are rounded, not cut.
// Returns false, writing nothing, when CanConvertDepth refuses the pair.
bool ConvertDepth(const DepthRows& from, uint8_t* to, size_t toStride, int toBits, int width,
                  int height);

}  // namespace korvane
