// Packed-frame sizes. Computed in 64 bits so that an absurd size cannot wrap into a
// small block that GetDIBits would then overrun.
#include "packed_dib_layout.h"

#include <cstdint>

namespace korvane {

PackedDibLayout LayoutForPackedDib(int width, int height, int bitsPerPixel)
{
    PackedDibLayout layout;
    if (width <= 0 || height <= 0 || bitsPerPixel <= 0 || bitsPerPixel > 32)
        return layout;
    const uint64_t stride = ((uint64_t(width) * bitsPerPixel + 31) / 32) * 4;
    const int colours = bitsPerPixel <= 8 ? (1 << bitsPerPixel) : 0;
    const uint64_t header = 40 + 4 * uint64_t(colours);
    const uint64_t image = stride * uint64_t(height);
    if (image + header > 0x7FFFFFFFu)
        return layout;
    layout.stride = size_t(stride);
    layout.colourCount = colours;
    layout.headerBytes = size_t(header);
    layout.imageBytes = size_t(image);
    layout.blockBytes = size_t(image + header);
    return layout;
}

}  // namespace korvane
