// Depth conversion. Each row goes through one row of 0x00RRGGBB pixels, so every pair
// needs only a reader and a writer; both are plain loops over the row, which the
// compiler vectorises where the layout allows.
#include "frame_depth.h"

#include <cstring>

namespace korvane {

namespace {

bool Supported(int bits) { return bits == 32 || bits == 24 || bits == 16 || bits == 8; }

// 8-bit channel to `levels` + 1 levels, rounded to the nearest: (v * levels + 127) / 255,
// with the division as shifts (exact below 65535), which vectorise.
inline uint32_t Narrow(uint32_t v, uint32_t levels)
{
    const uint32_t x = v * levels + 127;
    return (x + 1 + (x >> 8)) >> 8;
}

void ReadRow(const DepthRows& from, const uint8_t* row, uint32_t* out, int width)
{
    switch (from.bits) {
    case 32: std::memcpy(out, row, size_t(width) * 4); break;
    case 24:
        for (int x = 0; x < width; ++x)
            out[x] = row[3 * x] | uint32_t(row[3 * x + 1]) << 8 | uint32_t(row[3 * x + 2]) << 16;
        break;
    case 16:
        for (int x = 0; x < width; ++x) {
            const uint32_t v = row[2 * x] | uint32_t(row[2 * x + 1]) << 8;
            const uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
            // Bit replication maps 31 to 255, so white stays white.
            out[x] = (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
        }
        break;
    default:
        for (int x = 0; x < width; ++x)
            out[x] = from.palette[row[x]] & 0xFFFFFF;
        break;
    }
}

void WriteRow(const uint32_t* in, uint8_t* row, int bits, int width)
{
    switch (bits) {
    case 32:
        for (int x = 0; x < width; ++x) {
            const uint32_t p = in[x] & 0xFFFFFF;
            std::memcpy(row + 4 * x, &p, 4);
        }
        break;
    case 24:
        for (int x = 0; x < width; ++x) {
            row[3 * x] = uint8_t(in[x]);
            row[3 * x + 1] = uint8_t(in[x] >> 8);
            row[3 * x + 2] = uint8_t(in[x] >> 16);
        }
        break;
    case 16:
        for (int x = 0; x < width; ++x) {
            const uint32_t p = in[x];
            const uint16_t v = uint16_t(Narrow((p >> 16) & 255, 31) << 10 |
                                        Narrow((p >> 8) & 255, 31) << 5 | Narrow(p & 255, 31));
            std::memcpy(row + 2 * x, &v, 2);  // little-endian, as DIBs are
        }
        break;
    default:
        for (int x = 0; x < width; ++x) {
            const uint32_t p = in[x];
            row[x] = uint8_t(36 * Narrow((p >> 16) & 255, 5) + 6 * Narrow((p >> 8) & 255, 5) +
                             Narrow(p & 255, 5));
        }
        break;
    }
}

}  // namespace

std::vector<int> DepthsToOffer(int frameBits)
{
    std::vector<int> depths{frameBits};
    for (int bits : {24, 16})
        if (bits != frameBits)
            depths.push_back(bits);
    return depths;
}

bool CanConvertDepth(int fromBits, int toBits) { return Supported(fromBits) && Supported(toBits); }

const uint32_t* EightBitPalette()
{
    static const struct Cube {
        uint32_t entries[256] = {};
        Cube()
        {
            for (uint32_t i = 0; i < 216; ++i)
                entries[i] = (i / 36 * 51) << 16 | (i / 6 % 6 * 51) << 8 | (i % 6 * 51);
        }
    } cube;
    return cube.entries;
}

bool ConvertDepth(const DepthRows& from, uint8_t* to, size_t toStride, int toBits, int width,
                  int height)
{
    if (!CanConvertDepth(from.bits, toBits) || (from.bits == 8 && !from.palette) || width <= 0 ||
        height <= 0)
        return false;
    std::vector<uint32_t> pixels(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        ReadRow(from, from.pixels + size_t(y) * from.stride, pixels.data(), width);
        WriteRow(pixels.data(), to + size_t(y) * toStride, toBits, width);
    }
    return true;
}

}  // namespace korvane
