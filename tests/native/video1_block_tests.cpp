// Block coder tests: the forms that are easy to get wrong in the bitstream (flag bit
// 15, red 1 fills, the eight-colour marker) decoded by the real decoder.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "video1.h"
#include "video1_internal.h"
#include "video1_test_util.h"

namespace {

using video1::detail::BlockPixels;
using video1::detail::CodedBlock;

// Decodes one coded block in a 4x4 frame and checks it against what the coder claims.
void ExpectDecodesAsClaimed(const CodedBlock& c)
{
    std::vector<uint8_t> s;
    for (int i = 0; i < c.wordCount; ++i) {
        s.push_back(static_cast<uint8_t>(c.words[i]));
        s.push_back(static_cast<uint8_t>(c.words[i] >> 8));
    }
    s.push_back(0);
    s.push_back(0);
    video1::Decoder d(4, 4);
    ASSERT_EQ(d.Decode(s.data(), s.size()), video1::DecodeResult::Ok);
    for (int p = 0; p < 16; ++p)
        EXPECT_EQ(d.pixels()[p], c.decoded[p]) << p;
}

BlockPixels Random(std::mt19937& rng, int colours)
{
    BlockPixels px;
    int pal[8][3];
    for (auto& c : pal)
        for (int& v : c)
            v = rng() % 32;
    for (int p = 0; p < 16; ++p) {
        const int k = rng() % colours;
        px.r[p] = pal[k][0];
        px.g[p] = pal[k][1];
        px.b[p] = pal[k][2];
    }
    return px;
}

TEST(Video1Blocks, EveryFormDecodesAsTheCoderClaims)
{
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
        const BlockPixels px = Random(rng, 1 + i % 8);
        CodedBlock c;
        video1::detail::CodeFill(px, &c);
        ExpectDecodesAsClaimed(c);
        video1::detail::CodeTwoColour(px, &c);
        ExpectDecodesAsClaimed(c);
        EXPECT_EQ(c.words[0] & 0x8000, 0);
        video1::detail::CodeEightColour(px, &c);
        ExpectDecodesAsClaimed(c);
        EXPECT_EQ(c.words[0] & 0x8000, 0);
        for (int k = 2; k < 9; ++k)
            EXPECT_EQ(c.words[k] & 0x8000, 0);
        video1::detail::ChooseBlock(px, nullptr, 1.0 + i % 50, &c);
        ExpectDecodesAsClaimed(c);
        if (HasFailure())
            return;
    }
}

TEST(Video1Blocks, TwoColourAndQuadrantBlocksAreExact)
{
    std::mt19937 rng(8);
    for (int i = 0; i < 500; ++i) {
        BlockPixels two = Random(rng, 2);
        CodedBlock c;
        video1::detail::CodeTwoColour(two, &c);
        EXPECT_EQ(c.sse, 0);
        // Two colours per quadrant, each quadrant its own pair.
        BlockPixels quads;
        for (int q = 0; q < 4; ++q) {
            const BlockPixels pair = Random(rng, 2);
            for (int p = 0; p < 16; ++p)
                if (2 * ((p >> 2) >= 2) + ((p & 3) >= 2) == q) {
                    quads.r[p] = pair.r[p];
                    quads.g[p] = pair.g[p];
                    quads.b[p] = pair.b[p];
                }
        }
        video1::detail::CodeEightColour(quads, &c);
        EXPECT_EQ(c.sse, 0);
        // At the best quality such a block must come out exact.
        video1::detail::ChooseBlock(quads, nullptr, video1::detail::LambdaForQuality(10000), &c);
        EXPECT_EQ(c.sse, 0);
    }
}

TEST(Video1Blocks, RedOneFillNeverBecomesASkipCode)
{
    BlockPixels px;
    for (int p = 0; p < 16; ++p) {
        px.r[p] = 1;
        px.g[p] = 20;
        px.b[p] = 3;
    }
    CodedBlock c;
    video1::detail::CodeFill(px, &c);
    EXPECT_NE(c.words[0] >> 10, 0x21);  // 0x84xx..0x87xx
    ExpectDecodesAsClaimed(c);
    EXPECT_EQ(c.sse, 16);
    // Where the error matters, the block is written exactly as two equal colours.
    video1::detail::ChooseBlock(px, nullptr, 0.5, &c);
    EXPECT_EQ(c.kind, video1::detail::BlockKind::TwoColour);
    EXPECT_EQ(c.sse, 0);
    ExpectDecodesAsClaimed(c);
}

TEST(Video1Blocks, SkipWhenThePreviousPictureIsCloseEnough)
{
    BlockPixels px;
    uint16_t previous[16];
    for (int p = 0; p < 16; ++p) {
        px.r[p] = 10;
        px.g[p] = 10;
        px.b[p] = p == 3 ? 11 : 10;
        previous[p] = video1::detail::Pack555(10, 10, 10);
    }
    CodedBlock c;
    video1::detail::ChooseBlock(px, previous, video1::detail::LambdaForQuality(7000), &c);
    EXPECT_EQ(c.kind, video1::detail::BlockKind::Skip);
    EXPECT_EQ(c.wordCount, 0);
    previous[5] = video1::detail::Pack555(31, 0, 0);
    video1::detail::ChooseBlock(px, previous, video1::detail::LambdaForQuality(7000), &c);
    EXPECT_NE(c.kind, video1::detail::BlockKind::Skip);
}

// ChooseBlock's shortcut for blocks of one or two colours must choose exactly what the
// general coders do: every block of screen-like pictures, and random blocks of one to three
// colours drawn from few levels, so that equal channel ranges (the split's tie-break), red 1
// fills and flag bit 15 come up often; with no previous picture, an equal one and a nearby one.
TEST(Video1Blocks, FewColourShortcutChoosesAsTheGeneralCoders)
{
    std::vector<BlockPixels> blocks;
    for (unsigned seed : {11u, 12u}) {
        const v1test::Picture pic = v1test::ScreenLike(160, 120, seed);
        video1::SourceFrame src;
        src.bits = pic.bgrx.data();
        src.stride = pic.width * 4;
        std::vector<uint16_t> rgb(static_cast<size_t>(pic.width) * pic.height);
        ASSERT_TRUE(video1::detail::ConvertToRgb555(src, pic.width, pic.height, rgb.data()));
        for (int y = 0; y < pic.height; y += 4)
            for (int x = 0; x < pic.width; x += 4) {
                blocks.emplace_back();
                video1::detail::UnpackBlock(&rgb[y * pic.width + x], pic.width, &blocks.back());
            }
    }
    std::mt19937 rng(13);
    const int levels[] = {0, 1, 2, 15, 16, 30, 31};
    for (int i = 0; i < 6000; ++i) {
        BlockPixels px;
        int pal[3][3];
        for (auto& c : pal)
            for (int& v : c)
                v = levels[rng() % 7];
        for (int p = 0; p < 16; ++p) {
            const int k = rng() % (1 + i % 3);
            px.r[p] = pal[k][0];
            px.g[p] = pal[k][1];
            px.b[p] = pal[k][2];
        }
        blocks.push_back(px);
    }
    int compared = 0;
    for (const BlockPixels& px : blocks) {
        uint16_t same[16], near[16];
        for (int p = 0; p < 16; ++p) {
            same[p] = video1::detail::Pack555(px.r[p], px.g[p], px.b[p]);
            near[p] = static_cast<uint16_t>(same[p] ^ (rng() % 4));
        }
        const uint16_t* previouses[] = {nullptr, same, near};
        for (const uint16_t* previous : previouses)
            for (int quality : {0, 3000, 5500, 7000, 10000}) {
                const double lambda = video1::detail::LambdaForQuality(quality);
                CodedBlock fast, general;
                video1::detail::ChooseBlock(px, previous, lambda, &fast);
                video1::detail::ChooseBlockGeneral(px, previous, lambda, &general);
                ASSERT_EQ(fast.kind, general.kind) << compared;
                ASSERT_EQ(fast.wordCount, general.wordCount) << compared;
                for (int k = 0; k < fast.wordCount; ++k)
                    ASSERT_EQ(fast.words[k], general.words[k]) << compared << " word " << k;
                for (int p = 0; p < 16; ++p)
                    ASSERT_EQ(fast.decoded[p], general.decoded[p]) << compared << " pixel " << p;
                ASSERT_EQ(fast.sse, general.sse) << compared;
                ++compared;
            }
    }
}

}  // namespace
