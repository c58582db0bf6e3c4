// Pieces of the Video 1 encoder shared between its files: converting the source frame
// to RGB555 and choosing how to code one 4x4 block. Not part of the public interface;
// the tests use it to check the block choices directly. Same threading as Encoder.
#pragma once

#include <cstdint>

#include "video1.h"

namespace video1 {
namespace detail {

// Converts a bottom-up source DIB to packed RGB555 rows (width*height pixels).
// 8-bit channels round to 5 bits as (v*31 + 127) / 255. Returns false for a Pal8
// frame without a palette or a null or too short stride.
bool ConvertToRgb555(const SourceFrame& src, int width, int height, uint16_t* out);

// The pieces of that conversion, for a frame converted block by block.
int SourceBytesPerPixel(PixelFormat format);
bool SourceIsUsable(const SourceFrame& src, int width);
void MakePalette555(const SourceFrame& src, uint16_t* palette);  // 256 entries
// `count` pixels of one source row; `palette` (from MakePalette555) only for Pal8.
void ConvertPixels(PixelFormat format, const uint8_t* row, int count, const uint16_t* palette,
                   uint16_t* dst);

// A block's 16 pixels as 5-bit channels, pixel p = 4*y + x (y = 0 the lowest DIB row).
// 16-bit lanes: every square and sum of three squares of a channel difference fits, so
// the block coder's loops run eight pixels to a vector register.
struct BlockPixels {
    int16_t r[16], g[16], b[16];
};

// The 4x4 block of RGB555 pixels at origin (rows stride pixels apart) as channels.
void UnpackBlock(const uint16_t* origin, int stride, BlockPixels* px);

enum class BlockKind { Skip, Fill, TwoColour, EightColour };

// A coded block: the words exactly as they go into the stream and what it decodes to.
struct CodedBlock {
    BlockKind kind = BlockKind::Skip;
    int wordCount = 0;     // 0 for a skip
    uint16_t words[9];     // fill: 1; two colours: flags + 2; eight colours: flags + 8
    uint16_t decoded[16];  // the block after decoding, raster order
    long sse = 0;          // squared error against the source, 5-bit units, all channels
};

// The rate-distortion trade-off of one quality setting: error units per coded byte.
double LambdaForQuality(int quality);

// Picks the cheapest coding of a block by error + lambda * bytes. previous is the
// decoder's picture of this block (raster order) or null when a skip is not allowed.
void ChooseBlock(const BlockPixels& px, const uint16_t* previous, double lambda, CodedBlock* out);
// The same choice by the general coders only, without ChooseBlock's shortcut for blocks of
// one or two colours: the tests hold the two to the same result.
void ChooseBlockGeneral(const BlockPixels& px, const uint16_t* previous, double lambda,
                        CodedBlock* out);

// Fixed-kind coders, also used by the tests.
void CodeFill(const BlockPixels& px, CodedBlock* out);
void CodeTwoColour(const BlockPixels& px, CodedBlock* out);
void CodeEightColour(const BlockPixels& px, CodedBlock* out);

inline uint16_t Pack555(int r, int g, int b)
{
    return static_cast<uint16_t>((r << 10) | (g << 5) | b);
}

}  // namespace detail
}  // namespace video1
