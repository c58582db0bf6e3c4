// RecordingReport: what the recording thread leaves for the main window's finish. The
// thread fills it before it posts its end message and does not touch it afterwards; the
// main window reads it on that message (the post orders the writes before the reads).
#pragma once
#include "stop_cause.h"

#include <atomic>
#include <string>
#include <vector>

namespace korvane {

// One file of a recording that grew past the size ceiling of the format. The first part
// is the recording's tempAviPath and mergedAviPath.
struct RecordingPart {
    std::string aviPath;
    std::string mergedPath;   // reserved for its merge; empty when none could be had
    unsigned firstIndex = 0;  // its first frame's position on the recording's clock
};

// Figures of a recording's capture loop: how many grabs and writes, and the time they
// took. For the benchmarks and for diagnosis.
struct RecordingStats {
    unsigned grabs = 0;
    unsigned framesWritten = 0;
    unsigned lastWrittenIndex = 0;
    double grabSeconds = 0;   // inside the frame grab (screen copy, cursor, packed frame)
    double writeSeconds = 0;  // compressing and writing
    double loopSeconds = 0;   // the whole loop, sleeps included
};

struct RecordingReport {
    StopCause cause = StopCause::User;
    long result = 0;  // the failing call's HRESULT when the cause is a failure
    unsigned framesWritten = 0;
    unsigned unreadGrabs = 0;  // frames the screen would not give (a locked screen)
    std::vector<RecordingPart> parts;
    RecordingStats stats;
};

}  // namespace korvane

extern korvane::RecordingReport recordingReport;
// The first trouble the sound capture met in the running recording (an AudioTrouble);
// set by whichever thread meets it, reset when a recording starts.
extern std::atomic<int> audioTrouble;
