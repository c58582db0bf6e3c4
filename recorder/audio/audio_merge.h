// The audio and video merge: the temporary AVI and WAV files joined into one
// interleaved AVI through AVIFile, converting the audio on the way when asked. Runs on
// the UI thread; the save's progress callback pumps that thread's messages.
#pragma once
#include "merge_result.h"

#include <windows.h>
#include <mmsystem.h>
#include <vfw.h>

#include <string>

korvane::MergeResult MuxAudioIntoAvi(std::string videoPath, std::string audioPath,
                                     std::string outputPath, int useCompressFormat,
                                     WAVEFORMATEX* compressFormat, int compressFormatSize,
                                     int interleave, int interleavePeriod, int periodInFrames);

// The progress callback of the merge's conversion and saves: moves the main window's
// bar through the running step's part of it and keeps the UI alive. Never cancels.
BOOL CALLBACK ReportMergeProgress(int percent);
// Three rounds of taking one pending message of this thread and dispatching it.
int PumpPendingMessages();

namespace korvane {
// Steps 4 onwards of the merge on two streams already opened (editable copies): the
// type checks, the save and its retry. Separate so the type checks can be tested.
MergeResult SaveMergedStreams(PAVISTREAM video, PAVISTREAM audio, const std::string& outputPath,
                              bool useCompressFormat, const WAVEFORMATEX* compressFormat,
                              int compressFormatSize, bool interleave, int interleavePeriod,
                              bool periodInFrames);
}  // namespace korvane
