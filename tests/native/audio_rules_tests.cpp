// The arithmetic of the sound we record: the WAV file's layout and the silence that
// lines its start up with the video clock.
#include "audio/lead_in.h"
#include "audio/riff_layout.h"

#include <gtest/gtest.h>

namespace {

// PCM as the capture format builds it.
korvane::WaveFormat Pcm(int bits, int channels, uint32_t rate)
{
    korvane::WaveFormat f;
    f.formatTag = 1;
    f.channels = static_cast<uint16_t>(channels);
    f.samplesPerSec = rate;
    f.bitsPerSample = static_cast<uint16_t>(bits);
    f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.avgBytesPerSec = rate * f.blockAlign;
    return f;
}

}  // namespace

TEST(RiffLayout, SizesPaddingAndFormatRead)
{
    EXPECT_EQ(korvane::RiffSizeField(18, 0), 38u);
    EXPECT_EQ(korvane::WavFileBytes(0, 0), 46u);
    EXPECT_EQ(korvane::RiffSizeField(18, 4000), 4038u);
    EXPECT_EQ(korvane::RiffSizeField(18, 5), 38u + 6);  // data padded, size field odd
    EXPECT_EQ(korvane::SampleDataOffset(0), 46u);
    EXPECT_EQ(korvane::SampleDataOffset(2), 48u);
    EXPECT_EQ(korvane::SampleDataOffset(1), 48u);  // a 19-byte fmt chunk is padded too
    EXPECT_EQ(korvane::FormatBytesToRead(16), 16u);
    EXPECT_EQ(korvane::FormatBytesToRead(18), 18u);
    EXPECT_EQ(korvane::FormatBytesToRead(50), 18u);
}

TEST(LeadIn, FillsTheTimeBeforeTheFirstBuffersSound)
{
    const korvane::WaveFormat f = Pcm(16, 2, 22050);
    // A 4000-byte buffer holds 45 ms; it arrived 500 ms after the clock started.
    EXPECT_EQ(korvane::LeadInBytes(f, 1000, 1500, 4000), 455u * 22050 / 1000 * 4);
    EXPECT_EQ(korvane::LeadInBytes(f, 1000, 1500, 4000) % f.blockAlign, 0u);
    EXPECT_EQ(korvane::LeadInBytes(f, 1000, 1040, 4000), 0u);  // sound began before the origin
    EXPECT_EQ(korvane::LeadInBytes(f, 0xFFFFFF00u, 0x100u, 0),
              512u * 22050 / 1000 * 4);                       // wrapped clock
    EXPECT_EQ(korvane::LeadInBytes(f, 1000, 900, 4000), 0u);  // clock went backwards
    EXPECT_EQ(korvane::LeadInBytes(f, 0, korvane::kMaxLeadInMs + 100, 0), 0u);
    const korvane::WaveFormat mono8 = Pcm(8, 1, 11025);
    EXPECT_EQ(korvane::LeadInBytes(mono8, 0, 1000, 0), 11025u);
    EXPECT_EQ(korvane::SilenceByte(8), 0x80);
    EXPECT_EQ(korvane::SilenceByte(16), 0x00);
}
