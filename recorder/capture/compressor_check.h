// The compressor's size check at the start of a recording: a compressor that refuses
// the frame size is offered the size aligned to 2, 4 and 8 pixels; one that refuses all
// of them, or cannot be opened, is replaced by the default compressor, whose own size
// rules then apply the same way. Recording thread.
#pragma once
#include "frame_dib.h"

#include <windows.h>

#include <functional>

namespace korvane {

// `size` aligned to `alignment`: unchanged when already a multiple, else rounded up,
// or down when rounding up would pass `screenSize`.
int AlignDimension(int size, int alignment, int screenSize);

struct CheckedSize {
    int width = 0;
    int height = 0;
    bool accepted = false;  // false: no size was accepted, fall back to the default
};

// The order of tries with the query passed in: the size as it is, then alignments 2, 4
// and 8, each applied to the original size.
CheckedSize FindAcceptedSize(int width, int height, int screenWidth, int screenHeight,
                             const std::function<bool(int, int)>& accepts);

}  // namespace korvane

// Checks the compressor in use (the chosen catalogue entry, else compressorFourCC)
// against the test frame. May replace width, height and the test frame (grabbed again,
// quietly, at the same origin), or set compressorFourCC to the default; IV50 always
// becomes the default. Returns false when a new test frame could not be grabbed.
bool CheckCompressorForSize(int left, int top, int& width, int& height, PackedFrame& testFrame);
