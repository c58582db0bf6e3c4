// The start-up offer of interrupted recordings: each one found in the scratch folder is
// offered to the user; accepted ones are rebuilt and then finished one after another
// by the main window as if a recording had just ended ("Save to...", merge, player).
// UI thread only.
#pragma once

// Before the main window exists: asks about each interrupted recording, rebuilds or
// deletes or keeps it as answered.
void OfferInterruptedRecordings();

// Once the main window is up, and after each finish: hands the next rebuilt recording
// to the main window's finish (sets the temporary paths and posts the end message).
void HandNextRecoveredRecording();

// The finish of the recording in tempAviPath is over (saved, or given up): its
// description goes, and the next rebuilt recording, if any, follows.
void RecordingFinished();
