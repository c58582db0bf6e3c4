// Watching a recording's frames while it runs, and the capture loop's clock. A
// recording's figures come with its report (recordingReport.stats).
#pragma once
#include "replaceable.h"

namespace korvane {

// Told of each frame as it is written (on the writer thread); the program's own does
// nothing. The soak benchmark puts one in place that counts them.
class FrameWatch {
public:
    virtual ~FrameWatch() = default;
    virtual void FrameWritten() {}
};

using FrameWatchInUse = Replaceable<FrameWatch>;
template <>
FrameWatch*& FrameWatchInUse::Slot();

// Seconds on a high-resolution clock.
double StatsClockSeconds();

}  // namespace korvane
