// Pacing rules of the capture loop.
#include "frame_pacing.h"

namespace korvane {

unsigned FrameIndexFor(bool firstFrame, unsigned elapsedMs, int frameIntervalMs,
                       unsigned previousIndex)
{
    if (firstFrame)
        return 0;
    if (frameIntervalMs > 1000)
        return previousIndex + 1;
    if (frameIntervalMs <= 0)
        return previousIndex;
    // The same double-precision product as the movie's time base; truncated.
    return static_cast<unsigned>((elapsedMs / 1000.0) * (1000.0 / frameIntervalMs));
}

bool ShouldWriteFrame(bool anyWritten, unsigned index, unsigned lastWrittenIndex)
{
    return !anyWritten || index > lastWrittenIndex;
}

IntervalSleep SleepFor(int frameIntervalMs)
{
    if (frameIntervalMs <= 0)
        return {};
    return IntervalSleep{frameIntervalMs / kSleepSliceMs, frameIntervalMs % kSleepSliceMs};
}

PauseCaption PauseCaptionFor(unsigned count)
{
    if (count % 8 != 0)
        return PauseCaption::Keep;
    return count % 16 == 8 ? PauseCaption::Blank : PauseCaption::Show;
}

}  // namespace korvane
