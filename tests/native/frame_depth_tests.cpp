// Depth conversion: known colours through every pair of depths (rows kept apart and in
// order, row padding respected), the rounding to 5 bits, and round trips that would show
// a wrong expansion or narrowing anywhere in the colour range.
#include "capture/frame_depth.h"

#include <gtest/gtest.h>

#include <vector>

using namespace korvane;

namespace {

// Three pixels of one row at `bits`, padded to 4 bytes; 8 bits uses the cube's indexes.
struct Row {
    int bits;
    std::vector<uint8_t> bytes;
};

// The same three colours at each depth, by hand: pure red, white, and a grey of 128
// (5 bits: (128 * 31 + 127) / 255 = 16, back to 8 bits 132; cube level 3 = 153).
const Row kColours[] = {
    {32, {0, 0, 255, 0, 255, 255, 255, 0, 128, 128, 128, 0}},
    {24, {0, 0, 255, 255, 255, 255, 128, 128, 128, 0, 0, 0}},
    {16, {0x00, 0x7C, 0xFF, 0x7F, 0x10, 0x42, 0, 0}},
    {8, {180, 215, 129, 0}},
};

std::vector<uint8_t> Convert(const Row& from, int toBits, int height, size_t toStride)
{
    std::vector<uint8_t> rows;
    for (int y = 0; y < height; ++y)
        rows.insert(rows.end(), from.bytes.begin(), from.bytes.end());
    // The second row is black, so a mixed-up row order shows.
    std::fill(rows.begin() + long(from.bytes.size()), rows.end(), uint8_t(0));
    std::vector<uint8_t> out(toStride * size_t(height), 0xEE);
    const DepthRows in{rows.data(), from.bytes.size(), from.bits, EightBitPalette()};
    EXPECT_TRUE(ConvertDepth(in, out.data(), toStride, toBits, 3, height));
    return out;
}

}  // namespace

TEST(FrameDepth, KnownColoursBetweenEveryPairOfDepths)
{
    // What a grey of 128 becomes once it has passed through a narrower depth.
    for (const Row& from : kColours)
        for (const Row& to : kColours) {
            if (from.bits == 8 && to.bits != 8)
                continue;  // the cube's grey is 153, checked below
            std::vector<uint8_t> want = to.bytes;
            if (from.bits == 16 && to.bits >= 24)
                for (int c = 0; c < 3; ++c)
                    want[size_t(to.bits / 8 * 2 + c)] = 132;
            const std::vector<uint8_t> got = Convert(from, to.bits, 2, want.size());
            const std::vector<uint8_t> firstRow(got.begin(), got.begin() + long(want.size()));
            const size_t pixelBytes = size_t(3 * to.bits / 8);
            std::vector<uint8_t> wantFirst = want;
            // Padding bytes are left as they were.
            std::fill(wantFirst.begin() + long(pixelBytes), wantFirst.end(), uint8_t(0xEE));
            EXPECT_EQ(firstRow, wantFirst) << from.bits << " to " << to.bits;
            EXPECT_EQ(got[want.size()], 0) << "second row " << from.bits << " to " << to.bits;
        }
    const std::vector<uint8_t> fromCube = Convert(kColours[3], 24, 1, 12);
    EXPECT_EQ(std::vector<uint8_t>(fromCube.begin(), fromCube.begin() + 9),
              (std::vector<uint8_t>{0, 0, 255, 255, 255, 255, 153, 153, 153}));
}

TEST(FrameDepth, NarrowingRoundsAndRoundTripsKeepEveryColour)
{
    // 4 and 5 lie either side of the first step of 5-bit rounding (255 / 31 / 2 = 4.1).
    for (const auto& c : {std::pair<uint8_t, uint8_t>{4, 0}, {5, 1}, {251, 31}, {250, 30}}) {
        const uint8_t px[4] = {c.first, 0, 0, 0};
        uint8_t out[2] = {};
        ASSERT_TRUE(ConvertDepth({px, 4, 32, nullptr}, out, 2, 16, 1, 1));
        EXPECT_EQ(out[0] & 31, c.second) << int(c.first);
    }
    // Every RGB555 colour survives a trip through 24 bits; every cube colour through 32.
    std::vector<uint8_t> all(32768 * 2), wide(32768 * 3), back(32768 * 2);
    for (int v = 0; v < 32768; ++v) {
        all[size_t(2 * v)] = uint8_t(v);
        all[size_t(2 * v + 1)] = uint8_t(v >> 8);
    }
    ASSERT_TRUE(ConvertDepth({all.data(), all.size(), 16, nullptr}, wide.data(), wide.size(), 24,
                             32768, 1));
    ASSERT_TRUE(ConvertDepth({wide.data(), wide.size(), 24, nullptr}, back.data(), back.size(), 16,
                             32768, 1));
    EXPECT_EQ(back, all);
    std::vector<uint8_t> cube(216), cube32(216 * 4), cubeBack(216);
    for (int i = 0; i < 216; ++i)
        cube[size_t(i)] = uint8_t(i);
    ASSERT_TRUE(
        ConvertDepth({cube.data(), 216, 8, EightBitPalette()}, cube32.data(), 216 * 4, 32, 216, 1));
    ASSERT_TRUE(
        ConvertDepth({cube32.data(), 216 * 4, 32, nullptr}, cubeBack.data(), 216, 8, 216, 1));
    EXPECT_EQ(cubeBack, cube);
}

TEST(FrameDepth, OfferOrderAndRefusedDepths)
{
    EXPECT_EQ(DepthsToOffer(32), (std::vector<int>{32, 24, 16}));
    EXPECT_EQ(DepthsToOffer(24), (std::vector<int>{24, 16}));
    EXPECT_EQ(DepthsToOffer(16), (std::vector<int>{16, 24}));
    EXPECT_EQ(DepthsToOffer(8), (std::vector<int>{8, 24, 16}));
    uint8_t px[4] = {}, out[4] = {};
    for (const auto& pair : {std::pair<int, int>{4, 24}, {32, 15}, {0, 16}}) {
        EXPECT_FALSE(CanConvertDepth(pair.first, pair.second));
        EXPECT_FALSE(
            ConvertDepth({px, 4, pair.first, EightBitPalette()}, out, 4, pair.second, 1, 1));
    }
    // An 8-bit frame without its palette cannot be read.
    EXPECT_FALSE(ConvertDepth({px, 4, 8, nullptr}, out, 4, 24, 1, 1));
}
