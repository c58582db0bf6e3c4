// Describes a recording being written, for its recovery should the process die: the
// files of each part, the stream as the AVI file stores it, the sound's format, the
// scratch drive's reserve. Recording thread. The recording describes itself once its
// first files are open, and each new part once its file is open; EndRecordingPart
// (recovery journal) ends the description once the files are closed.
#pragma once
#include "app/recording_report.h"
#include "recording_avi.h"

#include "audio/sound_capture.h"

// False when the description could not be written; the recording goes on regardless.
bool DescribeRecordingPart(const RecordingAvi& avi, const korvane::SoundCapture* sound,
                           const std::string& aviPath, const std::string& reservePath);
// A later part of the recording whose first file is `firstAviPath`.
bool DescribeNextRecordingPart(const std::string& firstAviPath, const korvane::RecordingPart& part);
