// The proposal order of compressed formats, including MPEG Layer-3, which Wine's ACM
// cannot suggest and so the dialog tests never see tried.
#include "audio/recording_formats.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <mmreg.h>

#include <vector>

namespace {

std::vector<WORD> Tags(int rate, int channels, int bits)
{
    WORD tags[3] = {};
    return std::vector<WORD>(tags, tags + korvane::ProposalFormatTags(rate, channels, bits, tags));
}

TEST(RecordingFormats, MpegLayer3IsTriedOnlyForStereoAt22050)
{
    const std::vector<WORD> all = {WAVE_FORMAT_MPEGLAYER3, WAVE_FORMAT_ADPCM, WAVE_FORMAT_PCM};
    const std::vector<WORD> noMp3 = {WAVE_FORMAT_ADPCM, WAVE_FORMAT_PCM};
    EXPECT_EQ(Tags(22050, 2, 16), all);
    EXPECT_EQ(Tags(22050, 2, 8), all);
    EXPECT_EQ(Tags(22050, 1, 16), noMp3);
    EXPECT_EQ(Tags(44100, 2, 16), noMp3);
    EXPECT_EQ(Tags(22050, 2, 24), noMp3);
}

}  // namespace
