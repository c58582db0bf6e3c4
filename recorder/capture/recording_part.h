// Describes the part of a recording that is being written, for its recovery should the
// process die: the files, the stream as the AVI file stores it, the sound's format.
// Recording thread. The part splitting calls DescribeRecordingPart for each new part
// (numbered from 1) once its files are open, and EndRecordingPart (recovery journal)
// once they are closed.
#pragma once
#include "recording_avi.h"

// False when the description could not be written; the recording goes on regardless.
bool DescribeRecordingPart(const RecordingAvi& avi, const std::string& aviPath, int part);
