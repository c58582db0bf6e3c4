// Source frame conversion for the Video 1 encoder: every accepted DIB layout becomes
// packed RGB555 so the block coder sees one format. Plain arithmetic on whole rows, so
// the compiler can vectorise it. Called from Encoder::Encode.
#include <cstring>

#include "video1_internal.h"

namespace video1 {
namespace detail {

namespace {

// (v * 31 + 127) / 255 without a division or a table: x / 255 is (x + 1 + x / 256) / 256
// for every x up to 65534, and x here is at most 8032.
inline uint32_t To5Bit(uint32_t v)
{
    const uint32_t x = v * 31 + 127;
    return (x + 1 + (x >> 8)) >> 8;
}

inline uint16_t Pack8Bit(uint32_t r, uint32_t g, uint32_t b)
{
    return static_cast<uint16_t>((To5Bit(r) << 10) | (To5Bit(g) << 5) | To5Bit(b));
}

// Eight pixels at a time in 16-bit lanes, twice the pixels per vector operation of working
// on 32-bit words.
typedef uint16_t Lanes __attribute__((vector_size(16)));

// The same rounding in three lane operations: for every v of 0..255, (v * 31 + 127) / 255
// is (v * 249 + 1014) >> 11, and v * 249 + 1014 stays under 65536 (the test of row
// conversion checks every value).
inline Lanes To5BitLanes(Lanes v) { return (v * 249 + 1014) >> 11; }

// Eight pixels as 32-bit words: blue, green, red, then a byte that is ignored.
inline void ConvertEightWords(Lanes lo, Lanes hi, uint16_t* dst)
{
    // words: blue | green << 8, then red | unused << 8, per pixel
    const Lanes blueGreen = __builtin_shufflevector(lo, hi, 0, 2, 4, 6, 8, 10, 12, 14);
    const Lanes redX = __builtin_shufflevector(lo, hi, 1, 3, 5, 7, 9, 11, 13, 15);
    const Lanes out = (To5BitLanes(redX & 0xFF) << 10) | (To5BitLanes(blueGreen >> 8) << 5) |
                      To5BitLanes(blueGreen & 0xFF);
    std::memcpy(dst, &out, 16);
}

inline void ConvertEightBgrx(const uint8_t* src, uint16_t* dst)
{
    Lanes lo, hi;
    std::memcpy(&lo, src, 16);
    std::memcpy(&hi, src + 16, 16);
    ConvertEightWords(lo, hi, dst);
}

// Three-byte pixels read four bytes each, the fourth (the next pixel's blue) in the place
// of the unused byte: whole-word loads the compiler puts into vector lanes, where
// shuffling the bytes apart would cost more than looking each channel up. Reads 25 bytes.
inline void ConvertEightBgr(const uint8_t* src, uint16_t* dst)
{
    typedef uint32_t Words __attribute__((vector_size(16)));
    uint32_t p[8];
    for (int i = 0; i < 8; ++i)
        std::memcpy(&p[i], src + 3 * i, 4);
    const Words lo = {p[0], p[1], p[2], p[3]}, hi = {p[4], p[5], p[6], p[7]};
    Lanes loLanes, hiLanes;
    std::memcpy(&loLanes, &lo, 16);
    std::memcpy(&hiLanes, &hi, 16);
    ConvertEightWords(loLanes, hiLanes, dst);
}

// The last pixels of a three-byte row, one at a time: each channel looked up, already in
// its place in the RGB555 word.
struct ChannelTables {
    uint16_t red[256], green[256], blue[256];
    constexpr ChannelTables() : red(), green(), blue()
    {
        for (uint32_t v = 0; v < 256; ++v) {
            const uint32_t x = v * 31 + 127;
            const uint32_t five = (x + 1 + (x >> 8)) >> 8;
            red[v] = static_cast<uint16_t>(five << 10);
            green[v] = static_cast<uint16_t>(five << 5);
            blue[v] = static_cast<uint16_t>(five);
        }
    }
};
constexpr ChannelTables kChannels;

}  // namespace

int SourceBytesPerPixel(PixelFormat format)
{
    switch (format) {
    case PixelFormat::Rgb555: return 2;
    case PixelFormat::Bgr24: return 3;
    case PixelFormat::Bgrx32: return 4;
    case PixelFormat::Pal8: return 1;
    }
    return 4;
}

bool SourceIsUsable(const SourceFrame& src, int width)
{
    if (!src.bits || (src.format == PixelFormat::Pal8 && !src.palette))
        return false;
    const int minStride = width * SourceBytesPerPixel(src.format);
    return (src.stride < 0 ? -src.stride : src.stride) >= minStride;
}

void MakePalette555(const SourceFrame& src, uint16_t* palette)
{
    for (int i = 0; i < 256; ++i) {
        const uint32_t q = src.palette[i];  // RGBQUAD: blue in the low byte
        palette[i] = Pack8Bit((q >> 16) & 0xFF, (q >> 8) & 0xFF, q & 0xFF);
    }
}

void ConvertPixels(PixelFormat format, const uint8_t* row, int count, const uint16_t* palette,
                   uint16_t* dst)
{
    switch (format) {
    case PixelFormat::Rgb555:
        for (int x = 0; x < count; ++x)
            dst[x] = static_cast<uint16_t>((row[2 * x] | (row[2 * x + 1] << 8)) & 0x7FFF);
        break;
    case PixelFormat::Bgr24: {
        int x = 0;
        for (; x + 9 <= count; x += 8)  // 3 * x + 25 bytes stay within the row
            ConvertEightBgr(row + 3 * x, dst + x);
        for (; x < count; ++x)
            dst[x] =
                static_cast<uint16_t>(kChannels.red[row[3 * x + 2]] |
                                      kChannels.green[row[3 * x + 1]] | kChannels.blue[row[3 * x]]);
        break;
    }
    case PixelFormat::Bgrx32: {
        int x = 0;
        for (; x + 8 <= count; x += 8)
            ConvertEightBgrx(row + 4 * x, dst + x);
        for (; x < count; ++x) {
            uint32_t p;
            std::memcpy(&p, row + 4 * x, 4);
            dst[x] = Pack8Bit((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
        }
        break;
    }
    case PixelFormat::Pal8:
        for (int x = 0; x < count; ++x)
            dst[x] = palette[row[x]];
        break;
    }
}

bool ConvertToRgb555(const SourceFrame& src, int width, int height, uint16_t* out)
{
    if (!SourceIsUsable(src, width))
        return false;
    uint16_t palette[256];
    if (src.format == PixelFormat::Pal8)
        MakePalette555(src, palette);
    for (int y = 0; y < height; ++y)
        ConvertPixels(src.format, src.bits + static_cast<ptrdiff_t>(y) * src.stride, width, palette,
                      out + static_cast<size_t>(y) * width);
    return true;
}

}  // namespace detail
}  // namespace video1
