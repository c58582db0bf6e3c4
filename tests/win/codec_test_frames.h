// Synthetic frames for the Video 1 driver tests: a still, detailed background (so delta
// frames have much to skip) with a box that moves and changes colour from frame to frame.
// Plain functions; any thread.
#pragma once
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace codectest {

// Bytes of one padded DIB row.
inline size_t Stride(int width, int bits)
{
    return ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
}

// Frame `index` as a bottom-up 24-bit DIB.
inline std::vector<uint8_t> MakeFrame24(int width, int height, int index)
{
    const size_t stride = Stride(width, 24);
    std::vector<uint8_t> bits(stride * height);
    const int boxX = (index * 7) % (width - 48), boxY = (index * 3) % (height - 40);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* px = &bits[y * stride + x * 3];
            // Gradient, plus thin lines like text and window edges.
            uint8_t b = static_cast<uint8_t>(x * 255 / width);
            uint8_t g = static_cast<uint8_t>(y * 255 / height);
            uint8_t r = static_cast<uint8_t>((x ^ y) & 0x7F);
            if (y % 16 == 3 || (x % 40 < 2))
                r = g = b = 20;
            if (x >= boxX && x < boxX + 48 && y >= boxY && y < boxY + 40) {
                r = static_cast<uint8_t>(200 + (index * 5) % 55);
                g = static_cast<uint8_t>(40 + ((x - boxX) * 4));
                b = static_cast<uint8_t>(90 + (index * 11) % 100);
            }
            px[0] = b;
            px[1] = g;
            px[2] = r;
        }
    }
    return bits;
}

inline BITMAPINFOHEADER Header(int width, int height, int bits, DWORD compression = BI_RGB)
{
    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof bih;
    bih.biWidth = width;
    bih.biHeight = height;
    bih.biPlanes = 1;
    bih.biBitCount = static_cast<WORD>(bits);
    bih.biCompression = compression;
    bih.biSizeImage =
        compression == BI_RGB
            ? static_cast<DWORD>(Stride(width, bits) * (height < 0 ? -height : height))
            : 0;
    return bih;
}

// PSNR in dB between two 24-bit pictures of the same layout.
inline double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    double sse = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        double d = double(a[i]) - double(b[i]);
        sse += d * d;
    }
    if (sse == 0)
        return 99.0;
    return 10.0 * std::log10(255.0 * 255.0 * double(a.size()) / sse);
}

}  // namespace codectest
