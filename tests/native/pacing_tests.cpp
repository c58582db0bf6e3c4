// The capture loop's pacing, driven by a controllable clock: the clock moves only when
// the loop grabs, writes or sleeps, so no test waits for real.
#include "capture/capture_loop.h"
#include "capture/frame_pacing.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

using namespace korvane;

namespace {

class FakeIo : public CaptureIo {
public:
    unsigned now = 1000;  // not 0: elapsed time must be taken from the start time
    unsigned grabMs = 0;
    unsigned writeMs = 0;
    unsigned stopAfterGrabs = 10;
    std::function<bool()> paused = [] { return false; };
    std::function<bool(unsigned)> grabFails = [](unsigned) { return false; };
    HResult failWriteWith = kResultOk;
    unsigned failOnWrite = 0;  // 1-based; 0 = never

    std::vector<unsigned> written;
    std::vector<unsigned> sleeps;
    unsigned grabs = 0;
    unsigned released = 0;
    unsigned held = 0;
    unsigned repaints = 0;
    // Clock time of each caption request, and whether it asked for a blank caption.
    std::vector<std::pair<unsigned, bool>> blinks;
    bool stopped = false;
    unsigned framesPerPart = 0;        // 0 = one part
    unsigned spaceLowAfterWrites = 0;  // 0 = never
    HResult nextPartFails = kResultOk;
    std::vector<unsigned> partStarts;  // index given to StartNextPart
    unsigned writtenInPart = 0;

    unsigned Now() override { return now; }
    void Sleep(unsigned ms) override
    {
        sleeps.push_back(ms);
        now += ms;
    }
    int RecordingFlag() override { return stopped ? 0 : 1; }
    bool Paused() override { return paused(); }
    bool Grab() override
    {
        if (grabFails(grabs))
            return false;
        ++grabs;
        ++held;
        now += grabMs;
        if (grabs >= stopAfterGrabs)
            stopped = true;  // Stop pressed while this frame was being grabbed
        return true;
    }
    HResult Write(unsigned index) override
    {
        EXPECT_EQ(held, 1u) << "a frame is written only while it is held";
        if (failOnWrite && written.size() + 1 == failOnWrite)
            return failWriteWith;
        written.push_back(index);
        ++writtenInPart;
        now += writeMs;
        return kResultOk;
    }
    bool SpaceLow() override
    {
        return spaceLowAfterWrites != 0 && written.size() >= spaceLowAfterWrites;
    }
    bool SoundFull() override { return false; }
    bool PartFull() override { return framesPerPart != 0 && writtenInPart >= framesPerPart; }
    HResult StartNextPart(unsigned firstIndex) override
    {
        if (nextPartFails != kResultOk)
            return nextPartFails;
        partStarts.push_back(firstIndex);
        writtenInPart = 0;
        return kResultOk;
    }
    void ReleaseFrame() override
    {
        ++released;
        --held;
    }
    void RepaintMainWindow() override { ++repaints; }
    void BlinkCaption(bool blank) override { blinks.emplace_back(now, blank); }
};

// The pace of an interval: the rate it is the interval of when that is exact, else the
// interval alone.
FramePace Pace(int intervalMs)
{
    const bool exact = intervalMs > 0 && intervalMs <= 1000 && 1000 % intervalMs == 0;
    return FramePace{intervalMs, exact ? 1000 / intervalMs : 0};
}

}  // namespace

TEST(PacingLoop, SlowGrabsAreFollowedAtOnceAndSkipPositions)
{
    FakeIo io;
    io.grabMs = 100;
    io.stopAfterGrabs = 40;
    const CaptureLoopResult r = RunCaptureLoop(io, Pace(40), io.now);
    ASSERT_EQ(io.written.size(), 40u);
    EXPECT_EQ(io.written[0], 0u);
    // 100 ms a pass at 40 ms a position, nothing slept on top.
    for (size_t i = 1; i < io.written.size(); ++i) {
        const unsigned step = io.written[i] - io.written[i - 1];
        EXPECT_TRUE(step == 2 || step == 3) << "step " << step << " at " << i;
    }
    EXPECT_EQ(r.result, kResultOk);
    EXPECT_EQ(r.framesWritten, 40u);
    EXPECT_EQ(r.lastWrittenIndex, io.written.back());
    EXPECT_EQ(io.released, io.grabs);
    EXPECT_TRUE(io.sleeps.empty());
}

TEST(PacingLoop, SleepsOnlyUntilTheNextPositionIsDue)
{
    // Every grab costs 7 ms but the third, which costs 85 ms (at 25 fps).
    struct Uneven : FakeIo {
        std::vector<unsigned> grabStarts;
        bool Grab() override
        {
            grabStarts.push_back(now - 1000);
            grabMs = grabs == 2 ? 85 : 7;
            return FakeIo::Grab();
        }
    } io;
    io.writeMs = 3;
    io.stopAfterGrabs = 6;
    RunCaptureLoop(io, Pace(40), io.now);
    // Grabs at the start of their positions; after the slow one and its write (80 to
    // 168 ms, past position 3's start) the next comes at once and lands on position 4,
    // and the one after is back on the positions' starts.
    EXPECT_EQ(io.grabStarts, (std::vector<unsigned>{0, 40, 80, 168, 200, 240}));
    EXPECT_EQ(io.written, (std::vector<unsigned>{0, 1, 2, 4, 5, 6}));
    EXPECT_EQ(io.sleeps, (std::vector<unsigned>{30, 30, 22, 30}));
}

TEST(PacingLoop, NoDriftOverAnHour)
{
    const struct {
        int framesPerSecond;
        unsigned grabMs;
    } cases[] = {{25, 12}, {30, 9}, {60, 5}, {60, 16}};
    for (const auto& c : cases) {
        FakeIo io;
        io.grabMs = c.grabMs;
        io.stopAfterGrabs = 3600u * c.framesPerSecond;
        const FramePace pace{1000 / c.framesPerSecond, c.framesPerSecond};
        const CaptureLoopResult r = RunCaptureLoop(io, pace, io.now);
        // Every position of the hour, once each, and the hour took an hour.
        EXPECT_EQ(r.framesWritten, io.stopAfterGrabs) << c.framesPerSecond << " fps";
        EXPECT_EQ(r.lastWrittenIndex, io.stopAfterGrabs - 1) << c.framesPerSecond << " fps";
        EXPECT_NEAR(io.now - 1000, 3600000.0, 1000.0 / c.framesPerSecond + c.grabMs)
            << c.framesPerSecond << " fps";
    }
}

TEST(PacingLoop, LongIntervalGivesConsecutivePositions)
{
    FakeIo io;
    io.grabMs = 700;  // irregular time must not matter in time-lapse mode
    io.stopAfterGrabs = 6;
    RunCaptureLoop(io, Pace(2000), io.now);
    EXPECT_EQ(io.written, (std::vector<unsigned>{0, 1, 2, 3, 4, 5}));
}

TEST(PacingLoop, ShortIntervalSleepsOnceForTheInterval)
{
    FakeIo io;
    io.stopAfterGrabs = 5;
    RunCaptureLoop(io, Pace(30), io.now);
    // The last grab saw Stop: it is written, then no sleep.
    EXPECT_EQ(io.sleeps, (std::vector<unsigned>{30, 30, 30, 30}));
}

TEST(PacingLoop, IntervalIsSleptInSlicesAndStopCutsItShort)
{
    FakeIo io;
    io.stopAfterGrabs = 3;
    RunCaptureLoop(io, Pace(120), io.now);
    EXPECT_EQ(io.sleeps, (std::vector<unsigned>{50, 50, 20, 50, 50, 20}));

    // Stop arriving during a slice: the remaining slices and the remainder are skipped.
    struct StopInSleep : FakeIo {
        void Sleep(unsigned ms) override
        {
            FakeIo::Sleep(ms);
            if (sleeps.size() == 2)
                stopped = true;
        }
    } stopping;
    stopping.stopAfterGrabs = 100;
    RunCaptureLoop(stopping, Pace(1000), stopping.now);
    EXPECT_EQ(stopping.sleeps, (std::vector<unsigned>{50, 50}));
    EXPECT_EQ(stopping.grabs, 1u);
}

TEST(PacingLoop, PauseIsNotCountedAndBlinksTheCaption)
{
    FakeIo io;
    io.stopAfterGrabs = 6;
    // Pause after the third frame for 1.5 s of clock time.
    unsigned pauseEnds = 0;
    io.paused = [&] {
        if (io.grabs == 3 && pauseEnds == 0)
            pauseEnds = io.now + 1500;
        return io.grabs == 3 && io.now < pauseEnds;
    };
    RunCaptureLoop(io, Pace(40), io.now);
    // Frames at 0, 40, 80 ms; the pause; the next grab is again at 80 ms of recording
    // time (no interval sleep after a pause), so it lands on 2 and is dropped.
    EXPECT_EQ(io.written, (std::vector<unsigned>{0, 1, 2, 3, 4}));
    EXPECT_EQ(io.grabs, 6u);
    // Blank on the 8th pass (after seven 50 ms sleeps), shown on the 16th, blank on the
    // 24th; shown again when the pause ends.
    const unsigned start = pauseEnds - 1500;
    EXPECT_EQ(
        io.blinks,
        (std::vector<std::pair<unsigned, bool>>{
            {start + 350, true}, {start + 750, false}, {start + 1150, true}, {pauseEnds, false}}));
}

TEST(PacingLoop, AShortPauseLeavesTheCaptionAlone)
{
    FakeIo io;
    io.stopAfterGrabs = 4;
    unsigned passes = 0;
    io.paused = [&] { return io.grabs == 2 && ++passes <= 7; };
    RunCaptureLoop(io, Pace(40), io.now);
    EXPECT_TRUE(io.blinks.empty());
}

TEST(PacingLoop, AnIndexAlreadyWrittenIsDropped)
{
    // A clock that stands still for a while, then sleeps that end early: the loop sleeps
    // again rather than grabbing a position already written.
    struct Frozen : FakeIo {
        void Sleep(unsigned ms) override
        {
            sleeps.push_back(ms);
            if (sleeps.size() > 3)
                now += ms > 1 ? ms / 2 : 1;
        }
    } frozen;
    frozen.stopAfterGrabs = 8;
    RunCaptureLoop(frozen, Pace(40), frozen.now);
    EXPECT_EQ(frozen.written, (std::vector<unsigned>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(frozen.released, 8u);

    // A grab that lands on the position written last (right after a pause) is dropped,
    // yet released.
    FakeIo io;
    io.stopAfterGrabs = 3;
    io.paused = [&] { return io.grabs == 1 && io.now < 1200; };
    RunCaptureLoop(io, Pace(40), io.now);
    EXPECT_EQ(io.written, (std::vector<unsigned>{0, 1}));
    EXPECT_EQ(io.released, 3u);
}

TEST(PacingLoop, StopDuringSetUpSkipsTheLoop)
{
    FakeIo io;
    io.stopped = true;
    const CaptureLoopResult r = RunCaptureLoop(io, Pace(40), io.now);
    EXPECT_EQ(io.grabs, 0u);
    EXPECT_EQ(r.result, kResultOk);  // reported as a normal end
}

TEST(PacingLoop, FailingWriteEndsTheLoop)
{
    FakeIo io;
    io.stopAfterGrabs = 50;
    io.failOnWrite = 4;
    io.failWriteWith = static_cast<HResult>(0x80044074u);  // AVIERR_FILEWRITE
    const CaptureLoopResult r = RunCaptureLoop(io, Pace(40), io.now);
    EXPECT_EQ(r.result, io.failWriteWith);
    EXPECT_EQ(r.cause, StopCause::WriteFailed);
    EXPECT_EQ(io.grabs, 4u);
    EXPECT_EQ(io.released, 4u);
}

TEST(PacingLoop, FrameMemoryFailureEndsTheLoopAsAFailure)
{
    FakeIo io;
    io.stopAfterGrabs = 50;
    io.grabFails = [](unsigned grabsSoFar) { return grabsSoFar == 2; };
    const CaptureLoopResult r = RunCaptureLoop(io, Pace(40), io.now);
    EXPECT_EQ(r.result, kFrameMemoryError);  // reported as an interruption
    EXPECT_EQ(io.written.size(), 2u);
}

TEST(PacingLoop, FullPartsGoOnInTheNextOneFromPositionZero)
{
    FakeIo io;
    io.stopAfterGrabs = 10;
    io.framesPerPart = 4;
    const CaptureLoopResult r = RunCaptureLoop(io, Pace(40), io.now);
    EXPECT_EQ(r.cause, StopCause::User);
    EXPECT_EQ(io.partStarts, (std::vector<unsigned>{4, 8}));
    // Positions restart in each part; no frame is lost at a seam.
    EXPECT_EQ(io.written, (std::vector<unsigned>{0, 1, 2, 3, 0, 1, 2, 3, 0, 1}));
    EXPECT_EQ(r.lastWrittenIndex, 9u);
}

TEST(PacingLoop, EndsOtherThanByStopSayWhy)
{
    FakeIo low;
    low.stopAfterGrabs = 50;
    low.spaceLowAfterWrites = 3;
    const CaptureLoopResult lowResult = RunCaptureLoop(low, Pace(40), low.now);
    EXPECT_EQ(lowResult.cause, StopCause::DiskLow);
    EXPECT_EQ(lowResult.result, kResultOk);  // what was written is a whole recording
    EXPECT_EQ(low.written.size(), 3u);

    FakeIo part;
    part.stopAfterGrabs = 50;
    part.framesPerPart = 2;
    part.nextPartFails = static_cast<HResult>(0x80044073u);  // AVIERR_FILEOPEN
    const CaptureLoopResult partResult = RunCaptureLoop(part, Pace(40), part.now);
    EXPECT_EQ(partResult.cause, StopCause::NextPartFailed);
    EXPECT_EQ(partResult.framesWritten, 2u);
    EXPECT_EQ(part.released, part.grabs);
}

TEST(PacingLoop, MainWindowRepaintsAboutTwiceASecond)
{
    FakeIo io;
    io.stopAfterGrabs = 51;  // 50 intervals of 40 ms: 2 s
    RunCaptureLoop(io, Pace(40), io.now);
    EXPECT_GE(io.repaints, 3u);
    EXPECT_LE(io.repaints, 4u);
}

TEST(PacingRules, FrameIndexFollowsElapsedTime)
{
    EXPECT_EQ(FrameIndexFor(true, 5000, Pace(40), 7), 0u);
    EXPECT_EQ(FrameIndexFor(false, 39, Pace(40), 0), 0u);
    EXPECT_EQ(FrameIndexFor(false, 40, Pace(40), 0), 1u);
    EXPECT_EQ(FrameIndexFor(false, 1000, Pace(40), 0), 25u);
    // A pace given by its interval alone: 45 ms, 1000 ms is 22.2 intervals.
    EXPECT_EQ(FrameIndexFor(false, 1000, Pace(45), 0), 22u);
    // 1000 ms exactly is still paced by time.
    EXPECT_EQ(FrameIndexFor(false, 3500, Pace(1000), 0), 3u);
    EXPECT_EQ(FrameIndexFor(false, 3500, Pace(1001), 9), 10u);
}

TEST(PacingRules, PositionsKeepTheStreamRateWhereTheIntervalIsRounded)
{
    // fps, elapsed ms, position; the interval is 1000 / fps rounded down.
    const struct {
        int fps;
        unsigned elapsedMs;
        unsigned index;
    } cases[] = {
        {30, 33, 0},          {30, 34, 1},   {30, 1000, 30},        {30, 3600000, 108000},
        {60, 16, 0},          {60, 17, 1},   {60, 3600000, 216000}, {22, 1000, 22},
        {22, 3600000, 79200}, {27, 999, 26}, {27, 1000, 27},        {60, 999, 59},
    };
    for (const auto& c : cases) {
        const FramePace pace{1000 / c.fps, c.fps};
        EXPECT_EQ(FrameIndexFor(false, c.elapsedMs, pace, 0), c.index)
            << c.fps << " fps at " << c.elapsedMs;
        // The next grab is due where the next position starts, and not a millisecond late.
        const unsigned long long due = NextDueMs(c.index, c.elapsedMs, pace);
        EXPECT_EQ(FrameIndexFor(false, static_cast<unsigned>(due), pace, 0), c.index + 1);
        EXPECT_EQ(FrameIndexFor(false, static_cast<unsigned>(due - 1), pace, 0), c.index);
    }
    // A time lapse: one interval after this grab began, however long it took.
    EXPECT_EQ(NextDueMs(4, 9000, FramePace{2000, 25}), 11000u);
}
