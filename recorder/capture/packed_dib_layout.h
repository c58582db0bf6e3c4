// Sizes of a packed frame (header, colour table, bottom-up rows in one block) for a
// frame size and colour depth. Plain arithmetic; any thread.
#pragma once
#include <cstddef>

namespace korvane {

struct PackedDibLayout {
    size_t stride = 0;       // bytes per row, padded to 4
    int colourCount = 0;     // RGBQUAD entries: 2^bits up to 8 bits, else none
    size_t headerBytes = 0;  // BITMAPINFOHEADER plus colour table
    size_t imageBytes = 0;   // stride x height
    size_t blockBytes = 0;   // the whole block
};

// Zero sizes for a width, height or depth that cannot make a frame, or one whose block
// would not fit in 32-bit sizes.
PackedDibLayout LayoutForPackedDib(int width, int height, int bitsPerPixel);

}  // namespace korvane
