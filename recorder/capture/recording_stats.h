// The capture loop's live frame count and its clock. A recording's figures come with its
// report (recordingReport.stats); this count is for watching one while it runs.
#pragma once
#include <atomic>

namespace korvane {

// Frames this process has written, in all its recordings, counted as each is written:
// the soak benchmark reads it while a recording runs. Any thread.
extern std::atomic<unsigned> framesWrittenSoFar;

// Seconds on a high-resolution clock.
double StatsClockSeconds();

}  // namespace korvane
