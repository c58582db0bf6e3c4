// Decoder tests: hand-assembled frames with known pictures, and hostile input
// (truncated, corrupt, random) that must end in an error result and never touch
// memory outside the buffers (run this build with -DKORVANE_SANITIZE=ON to see).
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "video1.h"

namespace {

struct Stream {
    std::vector<uint8_t> bytes;
    Stream& w(uint16_t v)
    {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
        return *this;
    }
};

constexpr uint16_t kRed = 31 << 10, kGreen = 31 << 5, kBlue = 31, kWhite = 0x7FFF;

uint16_t At(const video1::Decoder& d, int x, int y) { return d.pixels()[y * d.width() + x]; }

TEST(Video1Decoder, BlockKindsLandInDibOrder)
{
    // 8x8: blocks 0 (bottom-left), 1 (bottom-right), 2 (top-left), 3 (top-right).
    Stream s;
    s.w(0x8000 | kRed);                       // block 0: fill
    s.w(0x0001 | 0x0020).w(kGreen).w(kBlue);  // block 1: pixels 0 and 5 green, rest blue
    // block 2: eight colours, flags only for pixel 0 (q0) and pixel 15 (q3)
    s.w(0x0001 | 0x4000).w(0x8000 | 1).w(2).w(3).w(4).w(5).w(6).w(7).w(8);
    s.w(0x8000 | kWhite).w(0);  // block 3: fill, end
    video1::Decoder d(8, 8);
    ASSERT_EQ(d.Decode(s.bytes.data(), s.bytes.size()), video1::DecodeResult::Ok);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(At(d, x, y), kRed);
            EXPECT_EQ(At(d, 4 + x, y), (x == 0 && y == 0) || (x == 1 && y == 1) ? kGreen : kBlue);
            EXPECT_EQ(At(d, 4 + x, 4 + y), kWhite);
        }
    // Eight colours: q0 bottom-left (1 where set, else 2), q1 bottom-right (4: 3/4),
    // q2 top-left (6), q3 top-right (7 where set = pixel 14, else 8). Bit 15 clear.
    EXPECT_EQ(At(d, 0, 4), 1);
    EXPECT_EQ(At(d, 1, 4), 2);
    EXPECT_EQ(At(d, 2, 4), 4);
    EXPECT_EQ(At(d, 3, 5), 4);
    EXPECT_EQ(At(d, 0, 6), 6);
    EXPECT_EQ(At(d, 1, 7), 6);
    EXPECT_EQ(At(d, 2, 7), 7);  // pixel 14: x=2, y=3
    EXPECT_EQ(At(d, 3, 7), 8);
    EXPECT_EQ(At(d, 2, 6), 8);
}

TEST(Video1Decoder, SkipRunsKeepThePreviousPictureAcrossRows)
{
    video1::Decoder d(12, 8);  // 3 blocks across, 2 rows
    Stream key;
    for (int i = 0; i < 6; ++i)
        key.w(0x8000 | static_cast<uint16_t>(i + 1));
    key.w(0);
    ASSERT_EQ(d.Decode(key.bytes.data(), key.bytes.size()), video1::DecodeResult::Ok);
    Stream delta;
    delta.w(0x8000 | kRed).w(0x8400 | 4).w(0x8000 | kBlue).w(0);  // run crosses the row
    ASSERT_EQ(d.Decode(delta.bytes.data(), delta.bytes.size()), video1::DecodeResult::Ok);
    EXPECT_EQ(At(d, 0, 0), kRed);
    EXPECT_EQ(At(d, 4, 0), 2);
    EXPECT_EQ(At(d, 8, 3), 3);
    EXPECT_EQ(At(d, 0, 4), 4);
    EXPECT_EQ(At(d, 7, 7), 5);
    EXPECT_EQ(At(d, 11, 7), kBlue);
}

TEST(Video1Decoder, TruncatedAndCorruptFramesAreErrors)
{
    Stream s;
    s.w(0x8000 | kRed).w(0x0001).w(kGreen).w(kBlue);
    s.w(0x0001).w(0x8000 | 1).w(2).w(3).w(4).w(5).w(6).w(7).w(8).w(0x8000).w(0);
    // Every proper prefix that stops inside the blocks is truncated; reads stay inside
    // an exactly sized copy, so a sanitizer build catches any overread.
    for (size_t n = 1; n + 2 < s.bytes.size(); ++n) {
        std::vector<uint8_t> cut(s.bytes.begin(), s.bytes.begin() + n);
        video1::Decoder d(8, 8);
        EXPECT_EQ(d.Decode(cut.data(), n), video1::DecodeResult::Truncated) << n;
    }
    // An empty frame is a dropped frame: the picture stays.
    video1::Decoder d(8, 8);
    ASSERT_EQ(d.Decode(s.bytes.data(), s.bytes.size()), video1::DecodeResult::Ok);
    EXPECT_EQ(d.Decode(nullptr, 0), video1::DecodeResult::Ok);
    EXPECT_EQ(d.pixels()[0], kRed);
    Stream zeroRun;
    zeroRun.w(0x8400).w(0);
    EXPECT_EQ(d.Decode(zeroRun.bytes.data(), zeroRun.bytes.size()), video1::DecodeResult::Corrupt);
}

TEST(Video1Decoder, CopyToWritesEveryDepthWithBitReplication)
{
    Stream s;
    s.w(0x8000 | (1 << 10) | (16 << 5) | 31).w(0);  // red 1 cannot be a fill, but decode it
    video1::Decoder d(4, 4);
    // 0x84xx reads as a skip of the first block: the picture stays black.
    ASSERT_EQ(d.Decode(s.bytes.data(), s.bytes.size()), video1::DecodeResult::Ok);
    EXPECT_EQ(At(d, 0, 0), 0);
    Stream f;
    f.w(0x8000 | (2 << 10) | (16 << 5) | 31).w(0);
    ASSERT_EQ(d.Decode(f.bytes.data(), f.bytes.size()), video1::DecodeResult::Ok);
    std::vector<uint8_t> out(4 * 4 * 4 + 4, 0xEE);
    ASSERT_TRUE(d.CopyTo(out.data(), 16, 32));
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[1], (16 << 3) | 4);
    EXPECT_EQ(out[2], (2 << 3));
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(out[64], 0xEE);  // nothing past the last row
    ASSERT_TRUE(d.CopyTo(out.data(), 12, 24));
    EXPECT_EQ(out[3 * 12 + 3 * 3 + 2], (2 << 3));  // last pixel's red
    ASSERT_TRUE(d.CopyTo(out.data(), 8, 16));
    EXPECT_EQ(out[0] | (out[1] << 8), (2 << 10) | (16 << 5) | 31);
    EXPECT_FALSE(d.CopyTo(out.data(), 16, 8));
    EXPECT_FALSE(d.CopyTo(out.data(), 4, 32));  // stride shorter than a row
}

TEST(Video1Decoder, RandomInputNeverEscapesTheBuffers)
{
    std::mt19937 rng(12345);
    // Biased towards the interesting high bytes so all block kinds turn up.
    const uint8_t highs[] = {0x00, 0x3F, 0x7F, 0x80, 0x83, 0x84, 0x85, 0x87, 0x88, 0xFF};
    for (int iter = 0; iter < 20000; ++iter) {
        const int w = 4 * (1 + rng() % 6), h = 4 * (1 + rng() % 6);
        std::vector<uint8_t> data(rng() % 200);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = (i & 1) ? highs[rng() % 10] : static_cast<uint8_t>(rng());
        video1::Decoder d(w + static_cast<int>(rng() % 4), h);  // odd widths too
        const auto r = d.Decode(data.empty() ? nullptr : data.data(), data.size());
        EXPECT_TRUE(r == video1::DecodeResult::Ok || r == video1::DecodeResult::Truncated ||
                    r == video1::DecodeResult::Corrupt);
    }
}

}  // namespace
