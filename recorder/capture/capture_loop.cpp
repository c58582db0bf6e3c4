// The capture loop: grab, place by elapsed time, write, sleep in slices until the next
// position is due; a pause stops the clock.
#include "capture_loop.h"

#include "frame_pacing.h"

#include <algorithm>
#include <climits>

namespace korvane {

namespace {

// Waits while paused; returns how long the pause lasted, which the caller takes off
// the clock.
unsigned WaitOutPause(CaptureIo& io)
{
    const unsigned pauseStart = io.Now();
    unsigned count = 0;
    bool blinked = false;
    while (io.Paused()) {
        ++count;
        const PauseCaption caption = PauseCaptionFor(count);
        if (caption != PauseCaption::Keep) {
            io.BlinkCaption(caption == PauseCaption::Blank);
            blinked = true;
        }
        io.Sleep(kSleepSliceMs);
    }
    // Resumed or stopped: the blinking must not leave the caption blank.
    if (blinked)
        io.BlinkCaption(false);
    return io.Now() - pauseStart;
}

// Sleeps until `dueMs` of recording time (none when it has passed), in slices that a
// stop cuts short. The clock is read again after each sleep: a sleep that ends a little
// early must not give a grab that lands on the position just written.
void SleepUntilDue(CaptureIo& io, unsigned startTime, unsigned long long dueMs)
{
    for (;;) {
        const unsigned elapsed = io.Now() - startTime;
        if (dueMs <= elapsed || io.RecordingFlag() == 0)
            return;
        const IntervalSleep plan = SleepFor(static_cast<int>(std::min<unsigned long long>(
            dueMs - elapsed, static_cast<unsigned long long>(INT_MAX))));
        if (plan.slices > 0) {
            io.Sleep(kSleepSliceMs);
        } else {
            if (io.RecordingFlag() != 1)
                return;
            io.Sleep(static_cast<unsigned>(plan.remainderMs));
        }
    }
}

}  // namespace

CaptureLoopResult RunCaptureLoop(CaptureIo& io, const FramePace& pace, unsigned startTime)
{
    CaptureLoopResult out;
    bool firstFrame = true;
    unsigned index = 0;
    unsigned lastRepaintTick = 0;
    unsigned partStart = 0;
    while (io.RecordingFlag() != 0) {
        if (io.SpaceLow()) {
            out.cause = StopCause::DiskLow;
            break;
        }
        if (io.SoundFull()) {
            out.cause = StopCause::SoundFull;
            break;
        }
        if (io.DisplayLost()) {
            out.cause = StopCause::DisplayLost;
            break;
        }
        const unsigned elapsed = firstFrame ? 0 : io.Now() - startTime;
        if (!io.Grab()) {
            out.result = kFrameMemoryError;
            out.cause = StopCause::FrameMemory;
            break;
        }
        ++out.grabs;
        index = FrameIndexFor(firstFrame, elapsed, pace, index);
        firstFrame = false;
        if (ShouldWriteFrame(out.framesWritten > 0, index, out.lastWrittenIndex)) {
            if (out.framesWritten > 0 && io.PartFull()) {
                const HResult hr = io.StartNextPart(index);
                if (hr != kResultOk) {
                    out.result = hr;
                    out.cause = StopCause::NextPartFailed;
                    io.ReleaseFrame();
                    break;
                }
                partStart = index;
            }
            const HResult hr = io.Write(index - partStart);
            if (hr != kResultOk) {
                out.result = hr;
                out.cause = StopCause::WriteFailed;
                io.ReleaseFrame();
                break;
            }
            ++out.framesWritten;
            const unsigned tick = RepaintTickFor(elapsed);
            if (tick != lastRepaintTick) {
                lastRepaintTick = tick;
                io.RepaintMainWindow();
            }
            out.lastWrittenIndex = index;
        }
        io.ReleaseFrame();
        if (io.Paused())
            startTime += WaitOutPause(io);
        else
            SleepUntilDue(io, startTime, NextDueMs(index, elapsed, pace));
    }
    return out;
}

}  // namespace korvane
