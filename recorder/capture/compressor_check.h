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

// A screen area: its top-left pixel and its size.
struct Area {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// `area` with its size aligned (AlignDimension) and, where the larger size would pass
// the right or bottom edge of the screen, moved inward by the difference, so that
// every pixel recorded is one of the screen. The screen starts at (screenLeft,
// screenTop): the virtual screen's origin is negative where a monitor lies left of or
// above the primary one.
Area AlignArea(const Area& area, int alignment, int screenWidth, int screenHeight,
               int screenLeft = 0, int screenTop = 0);

struct CheckedSize {
    Area area;
    bool accepted = false;  // false: no size was accepted, fall back to the default
};

// The order of tries with the query passed in: the area as it is, then aligned to 2, 4
// and 8, each from the original area.
CheckedSize FindAcceptedSize(const Area& area, int screenWidth, int screenHeight,
                             const std::function<bool(const Area&)>& accepts, int screenLeft = 0,
                             int screenTop = 0);

}  // namespace korvane

// Checks the compressor in use (the chosen catalogue entry, else compressorFourCC)
// against the test frame, at each depth it may be handed (korvane::AcceptedInputBits).
// May replace width and height, and left and top where the aligned area would leave the
// screen, and the test frame (grabbed again, quietly, of the new area), or set
// compressorFourCC to the default; IV50 always becomes the default. `inputBits`, when
// given, gets the depth the compressor takes (the test frame's own when none was
// accepted). Returns false when a new test frame could not be grabbed.
bool CheckCompressorForSize(int& left, int& top, int& width, int& height, PackedFrame& testFrame,
                            int* inputBits = nullptr);
