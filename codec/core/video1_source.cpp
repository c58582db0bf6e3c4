// Source frame conversion for the Video 1 encoder: every accepted DIB layout becomes
// packed RGB555 so the block coder sees one format. Called from Encoder::Encode.
#include <cstring>

#include "video1_internal.h"

namespace video1 {
namespace detail {

namespace {

struct To5Bit {
    uint8_t v[256];
    To5Bit()
    {
        for (int i = 0; i < 256; ++i)
            v[i] = static_cast<uint8_t>((i * 31 + 127) / 255);
    }
};

const To5Bit& Table()
{
    static const To5Bit table;
    return table;
}

}  // namespace

bool ConvertToRgb555(const SourceFrame& src, int width, int height, uint16_t* out)
{
    if (!src.bits)
        return false;
    const uint8_t* t = Table().v;
    int minStride = width * 4;
    switch (src.format) {
    case PixelFormat::Rgb555: minStride = width * 2; break;
    case PixelFormat::Bgr24: minStride = width * 3; break;
    case PixelFormat::Bgrx32: minStride = width * 4; break;
    case PixelFormat::Pal8:
        if (!src.palette)
            return false;
        minStride = width;
        break;
    }
    if ((src.stride < 0 ? -src.stride : src.stride) < minStride)
        return false;

    uint16_t palette[256];
    if (src.format == PixelFormat::Pal8) {
        for (int i = 0; i < 256; ++i) {
            const uint32_t q = src.palette[i];  // RGBQUAD: blue in the low byte
            palette[i] = Pack555(t[(q >> 16) & 0xFF], t[(q >> 8) & 0xFF], t[q & 0xFF]);
        }
    }
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = src.bits + static_cast<ptrdiff_t>(y) * src.stride;
        uint16_t* dst = out + static_cast<size_t>(y) * width;
        switch (src.format) {
        case PixelFormat::Rgb555:
            for (int x = 0; x < width; ++x)
                dst[x] = static_cast<uint16_t>((row[2 * x] | (row[2 * x + 1] << 8)) & 0x7FFF);
            break;
        case PixelFormat::Bgr24:
            for (int x = 0; x < width; ++x, row += 3)
                dst[x] = Pack555(t[row[2]], t[row[1]], t[row[0]]);
            break;
        case PixelFormat::Bgrx32:
            for (int x = 0; x < width; ++x, row += 4)
                dst[x] = Pack555(t[row[2]], t[row[1]], t[row[0]]);
            break;
        case PixelFormat::Pal8:
            for (int x = 0; x < width; ++x)
                dst[x] = palette[row[x]];
            break;
        }
    }
    return true;
}

}  // namespace detail
}  // namespace video1
