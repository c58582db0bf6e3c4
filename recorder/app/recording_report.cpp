// The report of the last recording.
#include "recording_report.h"

korvane::RecordingReport recordingReport;
std::atomic<int> audioTrouble{0};
