// The capture loop: grab, place by elapsed time, write, sleep the interval in slices;
// a pause stops the clock.
#include "capture_loop.h"

#include "frame_pacing.h"

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

void SleepInterval(CaptureIo& io, int frameIntervalMs)
{
    const IntervalSleep plan = SleepFor(frameIntervalMs);
    for (int i = 0; i < plan.slices && io.RecordingFlag() != 0; ++i)
        io.Sleep(kSleepSliceMs);
    if (io.RecordingFlag() == 1 && plan.remainderMs > 0)
        io.Sleep(static_cast<unsigned>(plan.remainderMs));
}

}  // namespace

CaptureLoopResult RunCaptureLoop(CaptureIo& io, int frameIntervalMs, unsigned startTime)
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
        index = FrameIndexFor(firstFrame, elapsed, frameIntervalMs, index);
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
            SleepInterval(io, frameIntervalMs);
    }
    return out;
}

}  // namespace korvane
