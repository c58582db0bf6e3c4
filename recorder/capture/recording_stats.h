// Figures of the latest recording's capture loop: how many grabs and writes, and the
// time they took. Kept for the benchmark and for diagnosis; written by the recording
// thread, read by others once its end message has arrived.
#pragma once
#include <atomic>

namespace korvane {

struct RecordingStats {
    unsigned grabs = 0;
    unsigned framesWritten = 0;
    unsigned lastWrittenIndex = 0;
    double grabSeconds = 0;   // inside the frame grab (screen copy, cursor, packed frame)
    double writeSeconds = 0;  // compressing and writing
    double loopSeconds = 0;   // the whole loop, sleeps included
};

extern RecordingStats lastRecordingStats;

// Frames this process has written, in all its recordings, counted as each is written:
// the soak benchmark reads it while a recording runs. Any thread.
extern std::atomic<unsigned> framesWrittenSoFar;

// Seconds on a high-resolution clock.
double StatsClockSeconds();

}  // namespace korvane
