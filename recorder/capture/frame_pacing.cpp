// Pacing rules of the capture loop.
#include "frame_pacing.h"

namespace korvane {

namespace {

bool TimeLapse(const FramePace& pace) { return pace.frameIntervalMs > 1000; }

}  // namespace

unsigned FrameIndexFor(bool firstFrame, unsigned elapsedMs, const FramePace& pace,
                       unsigned previousIndex)
{
    if (firstFrame)
        return 0;
    if (TimeLapse(pace))
        return previousIndex + 1;
    if (pace.framesPerSecond > 0)  // the position whose slot holds this moment
        return static_cast<unsigned>(static_cast<unsigned long long>(elapsedMs) *
                                     static_cast<unsigned>(pace.framesPerSecond) / 1000u);
    if (pace.frameIntervalMs <= 0)
        return previousIndex;
    return elapsedMs / static_cast<unsigned>(pace.frameIntervalMs);
}

bool ShouldWriteFrame(bool anyWritten, unsigned index, unsigned lastWrittenIndex)
{
    return !anyWritten || index > lastWrittenIndex;
}

unsigned long long NextDueMs(unsigned index, unsigned grabElapsedMs, const FramePace& pace)
{
    if (TimeLapse(pace))
        return static_cast<unsigned long long>(grabElapsedMs) + pace.frameIntervalMs;
    const unsigned long long next = static_cast<unsigned long long>(index) + 1;
    if (pace.framesPerSecond > 0) {
        // The first millisecond that FrameIndexFor places at `next`.
        const unsigned long long fps = static_cast<unsigned>(pace.framesPerSecond);
        return (next * 1000 + fps - 1) / fps;
    }
    if (pace.frameIntervalMs <= 0)
        return grabElapsedMs;
    return next * static_cast<unsigned>(pace.frameIntervalMs);
}

IntervalSleep SleepFor(int waitMs)
{
    if (waitMs <= 0)
        return {};
    return IntervalSleep{waitMs / kSleepSliceMs, waitMs % kSleepSliceMs};
}

PauseCaption PauseCaptionFor(unsigned count)
{
    if (count % 8 != 0)
        return PauseCaption::Keep;
    return count % 16 == 8 ? PauseCaption::Blank : PauseCaption::Show;
}

}  // namespace korvane
