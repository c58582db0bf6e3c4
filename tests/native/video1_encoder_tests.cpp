// Encoder tests: round trips through our decoder checked against the source, the
// stream's shape (key frames, skip runs, forbidden codes), input formats and quality.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "video1.h"
#include "video1_internal.h"
#include "video1_test_util.h"

namespace {

using v1test::Picture;

struct Coded {
    std::vector<uint8_t> bytes;
    bool key = false;
};

Coded EncodeBgrx(video1::Encoder& enc, const Picture& pic, int quality, bool forceKey)
{
    video1::SourceFrame src;
    src.bits = pic.bgrx.data();
    src.stride = pic.width * 4;
    src.format = video1::PixelFormat::Bgrx32;
    Coded c;
    c.bytes.resize(video1::MaxEncodedSize(pic.width, pic.height));
    const size_t n = enc.Encode(src, quality, forceKey, c.bytes.data(), c.bytes.size(), &c.key);
    c.bytes.resize(n);
    return c;
}

TEST(Video1Encoder, KeyThenDeltaRoundTripsWithinTheQuality)
{
    const int w = 320, h = 240;
    video1::Encoder enc(w, h);
    video1::Decoder dec(w, h);
    Picture pic = v1test::ScreenLike(w, h, 1);
    for (int frame = 0; frame < 6; ++frame) {
        // Typing: a few glyph-sized changes; then a window moves (a large change).
        pic.fill(40 + 6 * frame, 70, 45 + 6 * frame, 79, 0, 0, 0);
        if (frame == 4)
            pic.fill(100, 100, 220, 180, 200, 60, 60);
        const Coded c = EncodeBgrx(enc, pic, video1::kDefaultQuality, frame == 0);
        const auto st = v1test::Walk(c.bytes, w, h);
        ASSERT_TRUE(st.wellFormed) << frame;
        EXPECT_EQ(c.key, st.skipCodes == 0) << frame;
        EXPECT_EQ(c.key, frame == 0) << frame;
        ASSERT_EQ(dec.Decode(c.bytes.data(), c.bytes.size()), video1::DecodeResult::Ok);
        EXPECT_GE(v1test::Psnr(pic, dec.pixels()), 30.0) << frame;
    }
}

TEST(Video1Encoder, ForcedKeyFramesHaveNoSkipsAndUnchangedFramesCostAlmostNothing)
{
    const int w = 640, h = 480;  // 19200 blocks: runs must split at 1023
    video1::Encoder enc(w, h);
    video1::Decoder dec(w, h);
    const Picture pic = v1test::ScreenLike(w, h, 2);
    const Coded key = EncodeBgrx(enc, pic, 7000, true);
    ASSERT_TRUE(key.key);
    ASSERT_EQ(dec.Decode(key.bytes.data(), key.bytes.size()), video1::DecodeResult::Ok);
    const std::vector<uint16_t> first(dec.pixels(), dec.pixels() + w * h);

    const Coded same = EncodeBgrx(enc, pic, 7000, false);
    const auto st = v1test::Walk(same.bytes, w, h);
    ASSERT_TRUE(st.wellFormed);
    EXPECT_FALSE(same.key);
    EXPECT_EQ(st.fills + st.twos + st.eights, 0);
    EXPECT_EQ(st.zeroSkips, 0);
    EXPECT_EQ(st.longestRun, 1023);
    EXPECT_EQ(same.bytes.size(), 2u * ((19200 + 1022) / 1023) + 2);
    ASSERT_EQ(dec.Decode(same.bytes.data(), same.bytes.size()), video1::DecodeResult::Ok);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), dec.pixels()));

    const Coded again = EncodeBgrx(enc, pic, 7000, true);
    const auto kst = v1test::Walk(again.bytes, w, h);
    EXPECT_TRUE(again.key);
    EXPECT_EQ(kst.skipCodes, 0);
    EXPECT_EQ(again.bytes, key.bytes);  // same picture, same key frame
}

TEST(Video1Encoder, OneChangedBlockBetweenLongRunsAcrossRows)
{
    const int w = 1280, h = 720;
    video1::Encoder enc(w, h);
    video1::Decoder dec(w, h);
    Picture pic(w, h);
    pic.fill(0, 0, w, h, 30, 90, 200);
    Coded key = EncodeBgrx(enc, pic, 7000, true);
    ASSERT_EQ(dec.Decode(key.bytes.data(), key.bytes.size()), video1::DecodeResult::Ok);
    pic.set(w / 2 + 1, h / 2 + 2, 255, 255, 255);  // one block in the middle of the frame
    const Coded delta = EncodeBgrx(enc, pic, 10000, false);
    const auto st = v1test::Walk(delta.bytes, w, h);
    ASSERT_TRUE(st.wellFormed);
    EXPECT_EQ(st.fills + st.twos + st.eights, 1);
    EXPECT_LT(delta.bytes.size(), 140u);
    ASSERT_EQ(dec.Decode(delta.bytes.data(), delta.bytes.size()), video1::DecodeResult::Ok);
    EXPECT_EQ(dec.pixels()[(h / 2 + 2) * w + w / 2 + 1], 0x7FFF);
    EXPECT_EQ(dec.pixels()[(h / 2 + 2) * w + w / 2], video1::detail::Pack555(4, 11, 24));
}

TEST(Video1Encoder, EveryInputFormatGivesTheSameStream)
{
    const int w = 64, h = 48;
    const Picture pic = v1test::ScreenLike(w, h, 3);
    // Reduce the picture to 256 colours so all four formats carry the same pixels.
    std::vector<uint32_t> palette;
    std::vector<uint8_t> pal8(static_cast<size_t>(w) * h);
    std::vector<uint8_t> bgr24(static_cast<size_t>(w) * 3 * h);
    std::vector<uint8_t> rgb555(static_cast<size_t>(w) * 2 * h);
    Picture quant(w, h);
    for (int i = 0; i < w * h; ++i) {
        const uint8_t* p = &pic.bgrx[i * 4];
        // 3-3-2 levels that map exactly onto 5-bit values: 0, 8.23 * k steps.
        const int r = (p[2] >> 5) * 36, g = (p[1] >> 5) * 36, b = (p[0] >> 6) * 85;
        const uint32_t q = (r << 16) | (g << 8) | b;
        size_t k = std::find(palette.begin(), palette.end(), q) - palette.begin();
        if (k == palette.size())
            palette.push_back(q);
        pal8[i] = static_cast<uint8_t>(k);
        quant.set(i % w, i / w, r, g, b);
        bgr24[i * 3] = static_cast<uint8_t>(b);
        bgr24[i * 3 + 1] = static_cast<uint8_t>(g);
        bgr24[i * 3 + 2] = static_cast<uint8_t>(r);
        const uint16_t v = video1::detail::Pack555((r * 31 + 127) / 255, (g * 31 + 127) / 255,
                                                   (b * 31 + 127) / 255);
        rgb555[i * 2] = static_cast<uint8_t>(v);
        rgb555[i * 2 + 1] = static_cast<uint8_t>(v >> 8 | 0x80);  // top bit must be ignored
    }
    palette.resize(256, 0);
    auto encode = [&](video1::PixelFormat f, const uint8_t* bits, int stride) {
        video1::Encoder enc(w, h);
        video1::SourceFrame src;
        src.bits = bits;
        src.stride = stride;
        src.format = f;
        src.palette = palette.data();
        std::vector<uint8_t> out(video1::MaxEncodedSize(w, h));
        bool key = false;
        out.resize(enc.Encode(src, 9000, false, out.data(), out.size(), &key));
        EXPECT_TRUE(key);
        return out;
    };
    const auto ref = encode(video1::PixelFormat::Bgrx32, quant.bgrx.data(), w * 4);
    ASSERT_GT(ref.size(), 2u);
    EXPECT_EQ(encode(video1::PixelFormat::Bgr24, bgr24.data(), w * 3), ref);
    EXPECT_EQ(encode(video1::PixelFormat::Pal8, pal8.data(), w), ref);
    EXPECT_EQ(encode(video1::PixelFormat::Rgb555, rgb555.data(), w * 2), ref);
}

// Every channel value and every row length up to a few vectors' worth: the wide paths and
// the pixel-at-a-time tails must round as (v * 31 + 127) / 255 does. Rows are allocated to
// their exact length, so a sanitizer build also sees any read past a row.
TEST(Video1Encoder, RowConversionRoundsEveryValueAtEveryLength)
{
    std::mt19937 rng(21);
    const struct {
        video1::PixelFormat format;
        int bytesPerPixel;
    } formats[] = {{video1::PixelFormat::Bgr24, 3}, {video1::PixelFormat::Bgrx32, 4}};
    for (const auto& f : formats)
        for (int count = 1; count <= 300; count += count < 40 ? 1 : 37) {
            std::vector<uint8_t> row(static_cast<size_t>(count) * f.bytesPerPixel);
            for (size_t i = 0; i < row.size(); ++i)  // every value, then random ones
                row[i] = static_cast<uint8_t>(i < 256 ? i : rng());
            std::vector<uint16_t> out(count);
            video1::detail::ConvertPixels(f.format, row.data(), count, nullptr, out.data());
            for (int x = 0; x < count; ++x) {
                const uint8_t* p = &row[static_cast<size_t>(x) * f.bytesPerPixel];
                const uint16_t want = video1::detail::Pack555(
                    (p[2] * 31 + 127) / 255, (p[1] * 31 + 127) / 255, (p[0] * 31 + 127) / 255);
                ASSERT_EQ(out[x], want)
                    << f.bytesPerPixel << " bytes, " << count << " pixels, x " << x;
            }
        }
}

// A delta frame codes the blocks whose pixels convert to other colours than before, and
// only those: whatever changed in the source's own bytes, layout or palette.
TEST(Video1Encoder, DeltaFramesFollowTheConvertedPixels)
{
    const int w = 64, h = 48;
    const Picture pic = v1test::ScreenLike(w, h, 4);
    std::vector<uint8_t> bgr24(static_cast<size_t>(w) * 3 * h);
    for (int i = 0; i < w * h; ++i)
        std::copy_n(&pic.bgrx[i * 4], 3, &bgr24[i * 3]);
    Picture nearly = pic;  // one channel a step down: the same in RGB555 (255 and 254)
    nearly.fill(0, 0, 4, 4, 255, 255, 255);
    Picture first = nearly;
    nearly.at(1, 1)[0] = 254;
    std::vector<uint8_t> pal8(static_cast<size_t>(w) * h, 7);
    std::vector<uint32_t> grey(256, 0x808080), white(256, 0xFFFFFF);
    auto frame = [&](video1::PixelFormat f, const uint8_t* bits, int bytesPerPixel,
                     const uint32_t* palette) {
        video1::SourceFrame src;
        src.format = f;
        src.bits = bits;
        src.stride = w * bytesPerPixel;
        src.palette = palette;
        return src;
    };
    const struct {
        const char* what;
        video1::SourceFrame before, after;
        bool coded;
    } cases[] = {
        {"a change below RGB555's precision",
         frame(video1::PixelFormat::Bgrx32, first.bgrx.data(), 4, nullptr),
         frame(video1::PixelFormat::Bgrx32, nearly.bgrx.data(), 4, nullptr), false},
        {"the same picture in another layout",
         frame(video1::PixelFormat::Bgrx32, pic.bgrx.data(), 4, nullptr),
         frame(video1::PixelFormat::Bgr24, bgr24.data(), 3, nullptr), false},
        {"the same indices with another palette",
         frame(video1::PixelFormat::Pal8, pal8.data(), 1, grey.data()),
         frame(video1::PixelFormat::Pal8, pal8.data(), 1, white.data()), true},
        {"another picture after a layout change",
         frame(video1::PixelFormat::Bgr24, bgr24.data(), 3, nullptr),
         frame(video1::PixelFormat::Bgrx32, first.bgrx.data(), 4, nullptr), true},
    };
    for (const auto& c : cases) {
        video1::Encoder enc(w, h);
        std::vector<uint8_t> out(video1::MaxEncodedSize(w, h));
        bool key = false;
        ASSERT_GT(enc.Encode(c.before, 7000, true, out.data(), out.size(), &key), 0u) << c.what;
        out.resize(enc.Encode(c.after, 7000, false, out.data(), out.size(), &key));
        const auto st = v1test::Walk(out, w, h);
        ASSERT_TRUE(st.wellFormed) << c.what;
        EXPECT_EQ(st.fills + st.twos + st.eights > 0, c.coded) << c.what;
    }
}

TEST(Video1Encoder, RefusesWhatItCannotCode)
{
    uint8_t bits[64 * 4] = {};
    video1::SourceFrame src;
    src.bits = bits;
    src.stride = 16;
    std::vector<uint8_t> out(video1::MaxEncodedSize(4, 4));
    bool key = true;
    video1::Encoder odd(6, 4);
    EXPECT_EQ(odd.Encode(src, 7000, true, out.data(), out.size(), &key), 0u);
    EXPECT_FALSE(key);
    video1::Encoder enc(4, 4);
    EXPECT_EQ(enc.Encode(src, 7000, true, out.data(), out.size() - 1, &key), 0u);
    src.format = video1::PixelFormat::Pal8;  // no palette
    EXPECT_EQ(enc.Encode(src, 7000, true, out.data(), out.size(), &key), 0u);
    src.format = video1::PixelFormat::Bgrx32;
    src.stride = 12;  // shorter than a row
    EXPECT_EQ(enc.Encode(src, 7000, true, out.data(), out.size(), &key), 0u);
    EXPECT_FALSE(video1::IsCodableSize(0, 4));
    EXPECT_FALSE(video1::IsCodableSize(4, 6));
    EXPECT_EQ(video1::MaxEncodedSize(8, 4), 38u);
}

TEST(Video1Encoder, HigherQualityNeverLooksWorse)
{
    const int w = 320, h = 240;
    const Picture pic = v1test::ScreenLike(w, h, 4);
    double lastPsnr = 0;
    size_t lastSize = 0;
    for (int q : {0, 2500, 5000, 7000, 8500, 10000}) {
        video1::Encoder enc(w, h);
        video1::Decoder dec(w, h);
        const Coded c = EncodeBgrx(enc, pic, q, true);
        ASSERT_EQ(dec.Decode(c.bytes.data(), c.bytes.size()), video1::DecodeResult::Ok);
        const double psnr = v1test::Psnr(pic, dec.pixels());
        EXPECT_GE(psnr, lastPsnr - 0.01) << q;
        EXPECT_GE(c.bytes.size(), lastSize) << q;
        lastPsnr = psnr;
        lastSize = c.bytes.size();
    }
}

}  // namespace

namespace {

// At the default quality every frame of screen-like sequences keeps 30 dB: text being
// typed and scrolled, window chrome, a gradient caption and a noisy photo, at both
// recording sizes, through key and delta frames.
TEST(Video1Encoder, DefaultQualityKeepsThirtyDecibelsOnScreenContent)
{
    for (const auto& size : {std::pair<int, int>(640, 480), std::pair<int, int>(1280, 720)}) {
        const int w = size.first, h = size.second;
        video1::Encoder enc(w, h);
        video1::Decoder dec(w, h);
        Picture pic = v1test::ScreenLike(w, h, 5);
        for (int frame = 0; frame < 8; ++frame) {
            if (frame % 3 == 1) {  // scroll the text area up by three rows
                for (int y = h / 2 - 1; y >= h / 4 + 3; --y)
                    std::copy(pic.at(w / 16, y - 3), pic.at(w - w / 16, y - 3), pic.at(w / 16, y));
            }
            pic.fill(w / 16 + 8 * frame, h / 8 + 4, w / 16 + 8 * frame + 5, h / 8 + 14, 0, 0, 0);
            const Picture frameCopy = pic;
            const Coded c = EncodeBgrx(enc, frameCopy, video1::kDefaultQuality, frame % 4 == 0);
            ASSERT_EQ(dec.Decode(c.bytes.data(), c.bytes.size()), video1::DecodeResult::Ok);
            EXPECT_GE(v1test::Psnr(frameCopy, dec.pixels()), 30.0) << w << "x" << h << " " << frame;
        }
    }
}

}  // namespace

namespace {

// The encoder's speed work must not change a byte it writes: players and the files users
// already keep were made with this stream. Every quality band (fill-heavy, the 2/8-colour
// trade-off, near lossless), key and delta frames, text scrolling and a moving patch over
// the noisy photo; the hashes are those of the stream before the block coder was
// vectorised.
TEST(Video1Encoder, StreamStaysByteForByteTheSame)
{
    const struct {
        int quality;
        uint64_t hash;
    } cases[] = {
        {0, 0x50a3659223651938ull},     {3000, 0x3bb289235bb8fe8bull},
        {5500, 0x8e4ccbb30053d826ull},  {7000, 0x4bb3eb2469cdf494ull},
        {10000, 0x40934246553e29b1ull},
    };
    const int w = 320, h = 240;
    for (const auto& c : cases) {
        video1::Encoder enc(w, h);
        Picture pic = v1test::ScreenLike(w, h, 9);
        uint64_t hash = 1469598103934665603ull;  // FNV-1a over every frame's bytes
        for (int frame = 0; frame < 6; ++frame) {
            for (int y = h / 2 - 1; y >= h / 4 + 3; --y)  // scroll the text up three rows
                std::copy(pic.at(w / 16, y - 3), pic.at(w - w / 16, y - 3), pic.at(w / 16, y));
            pic.fill(8 * frame, h - 40, 8 * frame + 30, h - 10, 40 * frame, 200, 255 - 30 * frame);
            const Coded coded = EncodeBgrx(enc, pic, c.quality, frame % 4 == 0);
            for (uint8_t b : coded.bytes)
                hash = (hash ^ b) * 1099511628211ull;
        }
        EXPECT_EQ(hash, c.hash) << "quality " << c.quality << std::hex << " hash 0x" << hash;
    }
}

}  // namespace
