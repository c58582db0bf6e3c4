// The arithmetic of the sound we record: the WAV file's layout, the silence that lines
// its start up with the video clock, and how long a stream lasts once compressed.
#include "audio/lead_in.h"
#include "audio/riff_layout.h"
#include "audio/sound_length.h"

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

// A compressed stream is counted in blocks of many samples, and its stated byte rate is
// rounded; a merged file is judged by the samples it holds.
TEST(SoundLength, FromTheHeaderAndTheSamplesPerBlock)
{
    korvane::WaveFormat ima{0x11, 2, 22050, 22201, 1024, 4, 2};
    korvane::WaveFormat mp3{0x55, 2, 44100, 16000, 1, 0, 12};
    const unsigned char spb1017[] = {0xF9, 0x03};
    EXPECT_EQ(korvane::SamplesPerBlock(Pcm(16, 2, 22050), nullptr, 0), 1u);
    EXPECT_EQ(korvane::SamplesPerBlock(ima, spb1017, 2), 1017u);
    EXPECT_EQ(korvane::SamplesPerBlock(ima, spb1017, 1), 0u);  // format cut short
    EXPECT_EQ(korvane::SamplesPerBlock(mp3, spb1017, 2), 0u);

    struct Case {
        const char* what;
        korvane::SoundStreamFacts stream;
        double seconds, blockSeconds;
    };
    const Case cases[] = {
        {"PCM counted in sample frames", {Pcm(16, 2, 22050), 1, 22050, 4}, 1.0, 1 / 22050.0},
        {"PCM counted in bytes", {Pcm(16, 2, 22050), 1, 88200, 1}, 1.0, 1 / 22050.0},
        {"8-bit mono PCM", {Pcm(8, 1, 11025), 1, 5513, 1}, 5513 / 11025.0, 1 / 11025.0},
        {"IMA ADPCM counted in blocks", {ima, 1017, 22, 1024}, 22 * 1017 / 22050.0, 1017 / 22050.0},
        {"IMA ADPCM counted in bytes",
         {ima, 1017, 22 * 1024, 1},
         22 * 1017 / 22050.0,
         1017 / 22050.0},
        {"IMA ADPCM, header without a sample size",
         {ima, 1017, 22, 0},
         22 * 1017 / 22050.0,
         1017 / 22050.0},
        {"samples per block unknown: by the byte rate",
         {ima, 0, 22, 1024},
         22 * 1024 / 22201.0,
         1024 / 22201.0},
        {"a format we do not know", {mp3, 0, 32000, 1}, 2.0, 1 / 16000.0},
        {"no rate at all", {korvane::WaveFormat{}, 0, 100, 1}, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(korvane::SoundStreamSeconds(c.stream), c.seconds, 1e-9) << c.what;
        EXPECT_NEAR(korvane::SoundBlockSeconds(c.stream), c.blockSeconds, 1e-9) << c.what;
    }
}
