// The start-up offer of interrupted recordings: each one found in the scratch folder is
// offered to the user; accepted ones are rebuilt and then finished one after another
// by the main window as if a recording had just ended ("Save to...", merge, player).
// UI thread only.
#pragma once
#include "recording_finish.h"

#include <string>

// Before the main window exists: asks about each interrupted recording, rebuilds or
// deletes or keeps it as answered.
void OfferInterruptedRecordings();

// Once the main window is up, and after each finish: tells the main window that a
// rebuilt recording waits (RecoveredRecordingWaiting), if one does.
void HandNextRecoveredRecording();
// The next rebuilt recording for the finish; false when none waits.
bool TakeRecoveredRecording(korvane::RecordingToFinish& recording);

// The finish of the recording whose first file is `firstAviPath` is over (saved, or given
// up): its description goes, and the next rebuilt recording, if any, follows.
void RecordingFinished(const std::string& firstAviPath);
