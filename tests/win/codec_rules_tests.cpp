// The Video 1 driver's window-free rules: which formats it takes and gives, the formats
// it fills in, and how it validates a saved settings record.
#include "codec_state.h"
#include "codec_test_frames.h"
#include "format_rules.h"
#include "video1.h"

#include <gtest/gtest.h>

#include <cstring>

using codectest::Header;
using namespace kvmsvc;

namespace {

TEST(CodecFormatRules, OpensOnlyAsAVideoCompressor)
{
    EXPECT_TRUE(IsVideoCompressorType(mmioFOURCC('v', 'i', 'd', 'c')));
    EXPECT_TRUE(IsVideoCompressorType(mmioFOURCC('V', 'I', 'D', 'C')));
    EXPECT_TRUE(IsVideoCompressorType(0));
    EXPECT_FALSE(IsVideoCompressorType(mmioFOURCC('a', 'u', 'd', 'c')));
    EXPECT_FALSE(IsVideoCompressorType(mmioFOURCC('v', 'i', 'd', 's')));
}

TEST(CodecFormatRules, CompressibleInputIsBottomUpRgbOfWholeBlocks)
{
    for (int bits : {8, 16, 24, 32})
        EXPECT_TRUE(IsCompressibleInput(Header(320, 240, bits))) << bits;
    EXPECT_TRUE(IsCompressibleInput(Header(4, 4, 24)));

    EXPECT_FALSE(IsCompressibleInput(Header(322, 240, 24)));
    EXPECT_FALSE(IsCompressibleInput(Header(320, 239, 24)));
    EXPECT_FALSE(IsCompressibleInput(Header(0, 240, 24)));
    EXPECT_FALSE(IsCompressibleInput(Header(320, -240, 24)));
    EXPECT_FALSE(IsCompressibleInput(Header(320, 240, 4)));
    EXPECT_FALSE(IsCompressibleInput(Header(kMaxDimension + 4, 240, 24)));
    EXPECT_FALSE(IsCompressibleInput(Header(320, 240, 16, BI_BITFIELDS)));
    EXPECT_FALSE(IsCompressibleInput(Header(320, 240, 16, kFourCCMsvc)));

    BITMAPINFOHEADER manyColours = Header(320, 240, 8);
    manyColours.biClrUsed = 257;
    EXPECT_FALSE(IsCompressibleInput(manyColours));
    BITMAPINFOHEADER shortImage = Header(320, 240, 24);
    shortImage.biSizeImage -= 1;  // would have us read past the caller's rows
    EXPECT_FALSE(IsCompressibleInput(shortImage));
    BITMAPINFOHEADER unsized = Header(320, 240, 24);
    unsized.biSizeImage = 0;
    EXPECT_TRUE(IsCompressibleInput(unsized));
    BITMAPINFOHEADER shortHeader = Header(320, 240, 24);
    shortHeader.biSize = 12;
    EXPECT_FALSE(IsCompressibleInput(shortHeader));
    shortHeader.biSize = 0x10000;  // would put the colour table far beyond the header
    EXPECT_FALSE(IsCompressibleInput(shortHeader));
}

TEST(CodecFormatRules, CompressedFormatMatchesTheInputAndBoundsEveryFrame)
{
    BITMAPINFOHEADER in = Header(640, 480, 32);
    BITMAPINFOHEADER out = CompressedFormatFor(in);
    EXPECT_EQ(out.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(out.biWidth, 640);
    EXPECT_EQ(out.biHeight, 480);
    EXPECT_EQ(out.biBitCount, 16);
    EXPECT_EQ(out.biCompression, mmioFOURCC('M', 'S', 'V', 'C'));
    EXPECT_GE(out.biSizeImage, video1::MaxEncodedSize(640, 480));
    EXPECT_TRUE(IsCompressedOutputFor(in, out));

    BITMAPINFOHEADER lower = out;
    lower.biCompression = mmioFOURCC('m', 's', 'v', 'c');
    EXPECT_TRUE(IsCompressedOutputFor(in, lower));
    BITMAPINFOHEADER other = out;
    other.biHeight = 240;
    EXPECT_FALSE(IsCompressedOutputFor(in, other));
    other = out;
    other.biBitCount = 8;
    EXPECT_FALSE(IsCompressedOutputFor(in, other));
    other = out;
    other.biCompression = BI_RGB;
    EXPECT_FALSE(IsCompressedOutputFor(in, other));
}

TEST(CodecFormatRules, DecompressionTakesVideo1ByAnyNameAndGivesRgb)
{
    for (DWORD name : {mmioFOURCC('M', 'S', 'V', 'C'), mmioFOURCC('m', 's', 'v', 'c'),
                       mmioFOURCC('C', 'R', 'A', 'M'), mmioFOURCC('c', 'r', 'a', 'm'),
                       mmioFOURCC('W', 'H', 'A', 'M'), mmioFOURCC('w', 'h', 'a', 'm'),
                       mmioFOURCC('M', 's', 'V', 'c')})
        EXPECT_TRUE(IsDecompressibleInput(Header(320, 240, 16, name)));
    EXPECT_FALSE(IsDecompressibleInput(Header(320, 240, 8, kFourCCMsvc)));
    EXPECT_FALSE(IsDecompressibleInput(Header(320, 240, 16, mmioFOURCC('c', 'v', 'i', 'd'))));
    EXPECT_FALSE(IsDecompressibleInput(Header(320, -240, 16, kFourCCMsvc)));
    EXPECT_FALSE(IsDecompressibleInput(Header(320, 240, 16)));
    // Whole blocks are decoded, the rest stays black: odd sizes still play.
    EXPECT_TRUE(IsDecompressibleInput(Header(321, 241, 16, kFourCCMsvc)));

    BITMAPINFOHEADER in = Header(320, 240, 16, kFourCCMsvc);
    for (int bits : {16, 24, 32}) {
        EXPECT_TRUE(IsDecompressedOutputFor(in, Header(320, 240, bits))) << bits;
        EXPECT_TRUE(IsDecompressedOutputFor(in, Header(320, -240, bits))) << bits;
    }
    EXPECT_FALSE(IsDecompressedOutputFor(in, Header(320, 240, 8)));
    EXPECT_FALSE(IsDecompressedOutputFor(in, Header(160, 120, 24)));
    EXPECT_FALSE(IsDecompressedOutputFor(in, Header(320, 240, 16, BI_BITFIELDS)));
    BITMAPINFOHEADER tooSmall = Header(320, 240, 24);
    tooSmall.biSizeImage -= 4;  // would have us write past the caller's buffer
    EXPECT_FALSE(IsDecompressedOutputFor(in, tooSmall));

    BITMAPINFOHEADER suggested = DecompressedFormatFor(Header(322, 240, 16, kFourCCMsvc));
    EXPECT_EQ(suggested.biCompression, DWORD(BI_RGB));
    EXPECT_EQ(suggested.biSizeImage, 644u * 240);  // rows padded to DWORDs
    EXPECT_TRUE(IsDecompressedOutputFor(Header(322, 240, 16, kFourCCMsvc), suggested));
}

TEST(CodecState, OnlyAWellFormedRecordIsTaken)
{
    CodecState state;
    state.defaultQuality = 1234;

    CodecState incoming;
    incoming.defaultQuality = 5000;
    ASSERT_TRUE(ParseState(&incoming, sizeof incoming, state));
    EXPECT_EQ(state.defaultQuality, 5000u);

    CodecState bad = incoming;
    bad.defaultQuality = 9;
    EXPECT_FALSE(ParseState(&bad, sizeof bad - 1, state));
    EXPECT_FALSE(ParseState(nullptr, sizeof bad, state));
    bad.version = kStateVersion + 1;
    EXPECT_FALSE(ParseState(&bad, sizeof bad, state));
    bad.version = kStateVersion;
    bad.defaultQuality = kMaxQuality + 1;
    EXPECT_FALSE(ParseState(&bad, sizeof bad, state));
    unsigned char longer[sizeof(CodecState) + 4] = {};
    std::memcpy(longer, &incoming, sizeof incoming);
    EXPECT_FALSE(ParseState(longer, sizeof longer, state));
    EXPECT_EQ(state.defaultQuality, 5000u) << "a refused record changed the settings";
}

TEST(CodecState, DefaultQualityStandsInForMinusOne)
{
    CodecState state;
    state.defaultQuality = 3300;
    EXPECT_EQ(EffectiveQuality(DWORD(-1), state), 3300u);
    EXPECT_EQ(EffectiveQuality(0, state), 0u);
    EXPECT_EQ(EffectiveQuality(10000, state), 10000u);
    EXPECT_EQ(EffectiveQuality(25000, state), 10000u);
}

}  // namespace
