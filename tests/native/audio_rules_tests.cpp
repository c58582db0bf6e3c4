// The arithmetic of the sound we record: the WAV file's layout and the silence that
// lines its start up with the video clock and keeps it there.
#include "audio/lead_in.h"
#include "audio/riff_layout.h"
#include "audio/sound_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

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

namespace {

// A minute of 1000-frame buffers (22.05 kHz stereo 16-bit) from a device whose clock runs
// at `speed` times the system's, fed through SoundClock with its corrections applied.
struct DeviceRun {
    const char* name;
    double speed;
    unsigned lostAtMs, lostMs;     // sound the platform threw away
    unsigned heldEveryMs, heldMs;  // buffers held back, then handed over at once
    unsigned pauseAtMs, pauseMs;
    unsigned originMs;
    bool expectSilence, expectSkip;
};

struct RunResult {
    double endGapMs = 0;  // when the last buffer's sound ended, less the sound stored
    uint64_t silence = 0, skipped = 0;
};

RunResult Simulate(const DeviceRun& run)
{
    const korvane::WaveFormat f = Pcm(16, 2, 22050);
    const double bufferMs = 1000.0 * 1000 / 22050 / run.speed;
    korvane::SoundClock clock;
    clock.Start(f, run.originMs);
    RunResult out;
    uint64_t stored = 0;
    double pausedMs = 0;
    for (int k = 0;; ++k) {
        double done = (k + 1) * bufferMs;
        if (run.lostMs && done > run.lostAtMs)
            done += run.lostMs;
        if (done > 60000)
            break;
        double arrival = done;
        if (run.heldEveryMs) {
            const double hold = std::floor(done / run.heldEveryMs) * run.heldEveryMs;
            arrival = std::max(done, hold + run.heldMs);
        }
        const bool paused = arrival >= run.pauseAtMs && arrival < run.pauseAtMs + run.pauseMs;
        if (paused)
            pausedMs = run.pauseMs;
        const unsigned now = run.originMs + static_cast<unsigned>(arrival);
        const korvane::SoundCorrection fix = clock.OnBuffer(now, paused, stored, 4000);
        if (paused)
            continue;
        EXPECT_EQ(fix.silenceBytes % 4, 0u);
        EXPECT_EQ(fix.skipBytes % 4, 0u);
        EXPECT_LE(fix.skipBytes, 4000u);
        stored += fix.silenceBytes + 4000 - fix.skipBytes;
        out.silence += fix.silenceBytes;
        out.skipped += fix.skipBytes;
        out.endGapMs = done - pausedMs - stored * 1000.0 / f.avgBytesPerSec;
    }
    return out;
}

}  // namespace

// The sound must end as long as the clock ran, whatever the device did, and must not be
// touched when only the buffers' arrival was uneven.
TEST(SoundClock, KeepsTheSoundOnTheRecordingClock)
{
    const DeviceRun runs[] = {
        {"steady", 1.0, 0, 0, 0, 0, 0, 0, 1000, false, false},
        {"held back under load", 1.0, 0, 0, 3000, 400, 0, 0, 1000, false, false},
        {"paused", 1.0, 0, 0, 0, 0, 20000, 7000, 1000, false, false},
        {"slow device clock", 0.995, 0, 0, 0, 0, 0, 0, 1000, true, false},
        {"fast device clock", 1.005, 0, 0, 0, 0, 0, 0, 1000, false, true},
        {"sound thrown away", 1.0, 30000, 700, 0, 0, 0, 0, 1000, true, false},
        {"lost, held and paused", 1.0, 10000, 300, 5000, 250, 40000, 3000, 0xFFFFF000u, true,
         false},
    };
    for (const DeviceRun& run : runs) {
        SCOPED_TRACE(run.name);
        const RunResult r = Simulate(run);
        EXPECT_LE(std::abs(r.endGapMs), 2.0 * korvane::kSoundClockToleranceMs);
        EXPECT_EQ(r.silence > 0, run.expectSilence);
        EXPECT_EQ(r.skipped > 0, run.expectSkip);
    }
    const RunResult lost = Simulate(runs[5]);
    EXPECT_NEAR(lost.silence * 1000.0 / 88200, 700.0, 1.0 * korvane::kSoundClockToleranceMs);
}
