// ZMBV core tests: round trips in every input format over screen-like motion, the
// motion search on scrolls and drags beyond a small search window, and hostile frames
// that must end in an error with the last good picture kept (the sanitized build shows
// any stray access). FFmpeg's judgement is in zmbv_ffmpeg_check.sh.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "zmbv.h"
#include "zmbv_internal.h"

namespace {

using zmbv::DecodeResult;
using zmbv::PixelFormat;

// A screen-like bottom-up DIB: text-ish stripes on white, shifted by (sx, sy).
std::vector<uint8_t> Screen(int w, int h, int bytesPerPixel, int sx, int sy, int seed = 0)
{
    std::vector<uint8_t> dib(static_cast<size_t>(w) * h * bytesPerPixel);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int u = x + sx, v = y + sy;
            const bool ink = ((u * 7 + v * 3 + (u / 5) * (v / 9) + seed) % 11) < 3;
            const uint8_t c = ink ? static_cast<uint8_t>((u * 13 + v * 29) & 0xFF) : 0xFF;
            for (int b = 0; b < bytesPerPixel; ++b)
                dib[(static_cast<size_t>(h - 1 - y) * w + x) * bytesPerPixel + b] =
                    static_cast<uint8_t>(c ^ (b * 0x35));
        }
    return dib;
}

int BytesOf(PixelFormat f)
{
    switch (f) {
    case PixelFormat::Pal8: return 1;
    case PixelFormat::Rgb555:
    case PixelFormat::Rgb565: return 2;
    case PixelFormat::Bgr24: return 3;
    default: return 4;
    }
}

struct Stream {
    std::vector<std::vector<uint8_t>> frames;
    std::vector<bool> keys;
};

// Encodes frames of Screen() moving by (mx, my) a frame; a key frame every keyEvery.
Stream EncodeMotion(int w, int h, PixelFormat f, int count, int mx, int my, int keyEvery,
                    std::vector<std::vector<uint8_t>>* sources = nullptr)
{
    zmbv::Encoder enc(w, h, f);
    Stream s;
    std::vector<uint8_t> buf(zmbv::MaxEncodedSize(w, h, zmbv::StreamFormatFor(f)));
    uint32_t palette[256];
    for (int i = 0; i < count; ++i) {
        for (uint32_t p = 0; p < 256; ++p)
            palette[p] = (p * 0x010305u + (i / 3) * 0x20) & 0xFFFFFF;  // changes every 3
        std::vector<uint8_t> dib = Screen(w, h, BytesOf(f), mx * i, my * i);
        zmbv::SourceFrame src;
        src.bits = dib.data();
        src.stride = w * BytesOf(f);
        src.format = f;
        src.palette = palette;
        bool key = false;
        const size_t n =
            enc.Encode(src, keyEvery && i % keyEvery == 0, buf.data(), buf.size(), &key);
        EXPECT_GT(n, 0u) << "frame " << i;
        s.frames.emplace_back(buf.begin(), buf.begin() + n);
        s.keys.push_back(key);
        if (sources) {
            // What the decoder must show, as 32-bit BGRX, by the core's own conversion
            // of a key frame of this one picture.
            zmbv::Encoder one(w, h, f);
            std::vector<uint8_t> k(buf.size());
            bool isKey;
            const size_t kn = one.Encode(src, true, k.data(), k.size(), &isKey);
            zmbv::Decoder d(w, h);
            EXPECT_EQ(d.Decode(k.data(), kn), DecodeResult::Ok);
            std::vector<uint8_t> bgrx(static_cast<size_t>(w) * h * 4);
            d.CopyTo(bgrx.data(), w * 4, 32);
            sources->push_back(bgrx);
        }
    }
    return s;
}

TEST(ZmbvCore, EveryFormatRoundTripsThroughMotionAndKeyFrames)
{
    struct Case {
        PixelFormat format;
        int w, h, mx, my;
    } cases[] = {
        {PixelFormat::Bgrx32, 160, 96, 0, 13}, {PixelFormat::Bgr24, 77, 53, -9, 5},
        {PixelFormat::Rgb565, 100, 70, 30, 0}, {PixelFormat::Rgb555, 33, 17, 3, -40},
        {PixelFormat::Pal8, 64, 48, 2, 2},     {PixelFormat::Bgrx32, 1, 1, 0, 0},
        {PixelFormat::Bgrx32, 200, 40, 70, 0},  // beyond the vector range
        {PixelFormat::Bgr24, 64, 20, 1, 17},    // rows of whole 4-pixel words, none left over
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << int(c.format) << " " << c.w << "x" << c.h);
        std::vector<std::vector<uint8_t>> expected;
        Stream s = EncodeMotion(c.w, c.h, c.format, 8, c.mx, c.my, 5, &expected);
        zmbv::Decoder d(c.w, c.h);
        std::vector<uint8_t> got(static_cast<size_t>(c.w) * c.h * 4);
        for (size_t i = 0; i < s.frames.size(); ++i) {
            EXPECT_EQ(s.keys[i], i % 5 == 0) << "frame " << i;
            ASSERT_EQ(d.Decode(s.frames[i].data(), s.frames[i].size()), DecodeResult::Ok) << i;
            ASSERT_TRUE(d.CopyTo(got.data(), c.w * 4, 32));
            ASSERT_EQ(got, expected[i]) << "frame " << i;
        }
    }
}

TEST(ZmbvCore, ScrollsAndDragsBeyondASmallWindowCostAlmostNothing)
{
    const int w = 640, h = 480;
    Stream still = EncodeMotion(w, h, PixelFormat::Bgrx32, 2, 0, 0, 0);
    struct Case {
        int mx, my;
    } cases[] = {{0, 40}, {0, -63}, {-60, 15}, {25, 8}};
    for (const Case& c : cases) {
        Stream s = EncodeMotion(w, h, PixelFormat::Bgrx32, 3, c.mx, c.my, 0);
        // Only the strip uncovered at the edge is new; a missed vector costs many KB.
        const size_t uncovered = (std::abs(c.mx) * h + std::abs(c.my) * w) * 4;
        EXPECT_LT(s.frames[2].size(), still.frames[1].size() + uncovered / 4)
            << "move " << c.mx << "," << c.my << ": " << s.frames[2].size() << " bytes";
    }
}

TEST(ZmbvCore, EncoderRefusesWhatItCannotCode)
{
    zmbv::Encoder enc(32, 32, PixelFormat::Bgrx32);
    std::vector<uint8_t> dib = Screen(32, 32, 4, 0, 0),
                         out(zmbv::MaxEncodedSize(32, 32, zmbv::StreamFormat::Bgrx32));
    zmbv::SourceFrame src;
    src.bits = dib.data();
    src.stride = 32 * 4;
    bool key = true;
    src.format = PixelFormat::Bgr24;  // not the stream's format
    EXPECT_EQ(enc.Encode(src, false, out.data(), out.size(), &key), 0u);
    src.format = PixelFormat::Bgrx32;
    EXPECT_EQ(enc.Encode(src, false, out.data(), 20, &key), 0u);  // no room
    EXPECT_GT(enc.Encode(src, false, out.data(), out.size(), &key), 0u);
    EXPECT_TRUE(key) << "a failed frame must not leave a half-written stream behind";
    zmbv::Encoder pal(32, 32, PixelFormat::Pal8);
    src.format = PixelFormat::Pal8;
    src.palette = nullptr;
    EXPECT_EQ(pal.Encode(src, true, out.data(), out.size(), &key), 0u);
}

TEST(ZmbvCore, HostileFramesFailAndKeepTheLastGoodPicture)
{
    const int w = 48, h = 40;
    Stream s = EncodeMotion(w, h, PixelFormat::Bgrx32, 3, 5, 7, 0);
    const std::vector<uint8_t>& key = s.frames[0];
    const std::vector<uint8_t>& inter = s.frames[1];
    auto with = [](std::vector<uint8_t> f, size_t at, uint8_t v) {
        f[at] = v;
        return f;
    };
    auto cut = [](std::vector<uint8_t> f, size_t n) {
        f.resize(n);
        return f;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> frame;
        bool afterKey;
        DecodeResult result;
    } cases[] = {
        {"inter frame without its key frame", inter, false, DecodeResult::NeedKeyFrame},
        {"key header cut short", cut(key, 5), false, DecodeResult::Truncated},
        {"zlib stream ends early", cut(key, key.size() / 2), false, DecodeResult::Truncated},
        {"unknown version", with(key, 2, 2), false, DecodeResult::Unsupported},
        {"unknown format", with(key, 4, 7), false, DecodeResult::Unsupported},
        {"block width 0", with(key, 5, 0), false, DecodeResult::Corrupt},
        {"damaged zlib data", with(key, 9, key[9] ^ 0xFF), false, DecodeResult::Corrupt},
        {"inter frame cut short", cut(inter, 6), true, DecodeResult::Truncated},
        {"palette change in a 32-bit stream", with(inter, 0, 2), true, DecodeResult::Corrupt},
    };
    std::vector<uint8_t> before(w * h * 4), after(w * h * 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        zmbv::Decoder d(w, h);
        if (c.afterKey) {
            ASSERT_EQ(d.Decode(key.data(), key.size()), DecodeResult::Ok);
            d.CopyTo(before.data(), w * 4, 32);
        }
        EXPECT_EQ(d.Decode(c.frame.data(), c.frame.size()), c.result);
        EXPECT_EQ(d.HasPicture(), c.afterKey);
        if (c.afterKey) {
            d.CopyTo(after.data(), w * 4, 32);
            EXPECT_EQ(after, before);
            // The stream is out of step now: nothing but a key frame is trusted.
            EXPECT_EQ(d.Decode(s.frames[2].data(), s.frames[2].size()), DecodeResult::NeedKeyFrame);
        }
        EXPECT_EQ(d.Decode(key.data(), key.size()), DecodeResult::Ok) << "a key frame recovers";
        EXPECT_EQ(d.Decode(inter.data(), inter.size()), DecodeResult::Ok);
    }
}

TEST(ZmbvCore, OutputDepthsConvertSixteenBitExactly)
{
    // One 565 pixel of full red and half green, decoded to 32, 24 and 16 (555) bits.
    const int w = 1, h = 1;
    const uint16_t pixel = (31 << 11) | (32 << 5) | 1;
    zmbv::Encoder enc(w, h, PixelFormat::Rgb565);
    zmbv::SourceFrame src;
    src.bits = reinterpret_cast<const uint8_t*>(&pixel);
    src.stride = 2;
    src.format = PixelFormat::Rgb565;
    std::vector<uint8_t> buf(zmbv::MaxEncodedSize(w, h, zmbv::StreamFormat::Rgb565));
    bool key;
    const size_t n = enc.Encode(src, true, buf.data(), buf.size(), &key);
    zmbv::Decoder d(w, h);
    ASSERT_EQ(d.Decode(buf.data(), n), DecodeResult::Ok);
    uint8_t out[4];
    ASSERT_TRUE(d.CopyTo(out, 4, 32));
    EXPECT_EQ(out[2], 255);
    EXPECT_EQ(out[1], 130);  // 32 of 63, widened by repeating the top bits
    EXPECT_EQ(out[0], 8);
    ASSERT_TRUE(d.CopyTo(out, 4, 16));
    EXPECT_EQ(out[0] | (out[1] << 8), (31 << 10) | (16 << 5) | 1);
    EXPECT_FALSE(d.CopyTo(out, 4, 8));
}

}  // namespace

// The encoder's byte compare: every length around its 16- and 64-byte steps, unaligned,
// with one byte changed at each place inside the range, or just past it (still the same).
TEST(ZmbvCore, SameBytesSeesOneChangedByteAnywhere)
{
    std::vector<uint8_t> a(7700);
    for (size_t i = 0; i < a.size(); ++i)
        a[i] = static_cast<uint8_t>(i * 7 + 3);
    for (size_t n : {0, 1, 15, 16, 17, 63, 64, 65, 79, 127, 128, 129, 200, 7680})
        for (size_t offset : {0, 1, 5})
            for (size_t at = 0; at <= n; ++at) {
                std::vector<uint8_t> b = a;
                b[offset + at] ^= 0x40;
                ASSERT_EQ(zmbv::detail::SameBytes(a.data() + offset, b.data() + offset, n), at == n)
                    << "length " << n << ", offset " << offset << ", changed at " << at;
            }
}
