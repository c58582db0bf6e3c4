// Helpers shared by the Video 1 tests: a stream walker written independently of the
// encoder, synthetic screen-like pictures, and PSNR on 8-bit RGB.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace v1test {

struct StreamStats {
    bool wellFormed = false;  // every block accounted for, end code present, nothing after
    int skipCodes = 0, zeroSkips = 0, fills = 0, twos = 0, eights = 0;
    int longestRun = 0;
    long blocks = 0;
};

inline StreamStats Walk(const std::vector<uint8_t>& s, int width, int height)
{
    StreamStats st;
    const long total = static_cast<long>(width / 4) * (height / 4);
    size_t pos = 0;
    auto word = [&](size_t at) { return static_cast<uint16_t>(s[at] | (s[at + 1] << 8)); };
    while (st.blocks < total) {
        if (pos + 2 > s.size())
            return st;
        const uint16_t w = word(pos);
        pos += 2;
        const int hi = w >> 8;
        if (hi >= 0x84 && hi <= 0x87) {
            const int n = w & 0x3FF;
            ++st.skipCodes;
            if (n == 0) {
                ++st.zeroSkips;
                return st;
            }
            if (n > st.longestRun)
                st.longestRun = n;
            st.blocks += n;
        } else if (hi >= 0x80) {
            ++st.fills;
            ++st.blocks;
        } else {
            if (pos + 4 > s.size())
                return st;
            const bool eight = word(pos) & 0x8000;
            pos += eight ? 18 - 2 : 4;
            if (pos > s.size())
                return st;
            ++(eight ? st.eights : st.twos);
            ++st.blocks;
        }
    }
    st.wellFormed = st.blocks == total && pos + 2 == s.size() && word(pos) == 0;
    return st;
}

// A bottom-up BGRX picture.
struct Picture {
    int width, height;
    std::vector<uint8_t> bgrx;
    Picture(int w, int h) : width(w), height(h), bgrx(static_cast<size_t>(w) * h * 4, 0) {}
    uint8_t* at(int x, int y) { return &bgrx[(static_cast<size_t>(y) * width + x) * 4]; }
    void set(int x, int y, int r, int g, int b)
    {
        uint8_t* p = at(x, y);
        p[0] = static_cast<uint8_t>(b);
        p[1] = static_cast<uint8_t>(g);
        p[2] = static_cast<uint8_t>(r);
    }
    void fill(int x0, int y0, int x1, int y1, int r, int g, int b)
    {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                set(x, y, r, g, b);
    }
};

// Window chrome, a gradient, small "text" glyphs, and a noisy photo-like patch.
inline Picture ScreenLike(int w, int h, unsigned seed)
{
    std::mt19937 rng(seed);
    Picture pic(w, h);
    pic.fill(0, 0, w, h, 236, 233, 216);  // dialog face
    for (int y = 0; y < h / 8; ++y)       // caption gradient at the top
        for (int x = 0; x < w; ++x)
            pic.set(x, h - 1 - y, 10 + 200 * x / w, 36 + 100 * x / w, 106 + 140 * x / w);
    pic.fill(w / 16, h / 8, w / 2, h / 8 + 20, 255, 255, 255);  // edit box
    for (int x = 0; x < w; ++x)
        pic.set(x, h / 8 + 21, 128, 128, 128);
    // Text: dark glyph-like strokes with anti-aliased grey edges on white.
    pic.fill(w / 16, h / 4, w - w / 16, h / 2, 255, 255, 255);
    for (int line = h / 4 + 4; line + 10 < h / 2; line += 14)
        for (int x = w / 16 + 2; x + 6 < w - w / 16; x += 7) {
            if (rng() % 5 == 0)
                continue;
            for (int k = 0; k < 14; ++k) {
                const int gx = x + rng() % 5, gy = line + rng() % 9;
                const int v = (rng() % 3 == 0) ? 140 : 20;
                pic.set(gx, gy, v, v, v);
            }
        }
    // Photo: smooth shading plus noise.
    std::normal_distribution<double> noise(0.0, 6.0);
    for (int y = h / 2 + 8; y < h - h / 8 - 4; ++y)
        for (int x = w / 2; x < w - 8; ++x) {
            const double fx = static_cast<double>(x) / w, fy = static_cast<double>(y) / h;
            auto c = [](double v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(v); };
            pic.set(x, y, c(120 + 100 * std::sin(fx * 9) + noise(rng)),
                    c(110 + 80 * std::cos(fy * 7 + fx * 3) + noise(rng)),
                    c(90 + 60 * std::sin(fx * fy * 20) + noise(rng)));
        }
    return pic;
}

inline int Expand5(int v) { return (v << 3) | (v >> 2); }

// PSNR of a decoded RGB555 picture against the 8-bit source, over all three channels.
inline double Psnr(const Picture& src, const uint16_t* decoded)
{
    double sse = 0;
    const size_t n = static_cast<size_t>(src.width) * src.height;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* p = &src.bgrx[i * 4];
        const int r = Expand5((decoded[i] >> 10) & 31), g = Expand5((decoded[i] >> 5) & 31),
                  b = Expand5(decoded[i] & 31);
        sse += (p[2] - r) * (p[2] - r) + (p[1] - g) * (p[1] - g) + (p[0] - b) * (p[0] - b);
    }
    if (sse == 0)
        return 99.0;
    return 10.0 * std::log10(255.0 * 255.0 * 3.0 * n / sse);
}

}  // namespace v1test
