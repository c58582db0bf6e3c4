// The save options of the audio and video merge: the interleave step and the two
// per-stream option records. Plain functions; any thread.
#pragma once
#include <windows.h>
#include <vfw.h>

namespace korvane {

// Streams are interleaved every 100 ms: that many frames at `framesPerSecond`, at least
// one. With `periodInFrames` the caller's period is already in frames.
int InterleaveStep(int framesPerSecond, int interleavePeriod, bool periodInFrames);

// The video stream is copied as it is (no handler, all quality, key frames kept).
AVICOMPRESSOPTIONS VideoSaveOptions(bool interleave, int step);
// The audio stream is written in `format` (`formatBytes` long; null and 0 for none).
AVICOMPRESSOPTIONS AudioSaveOptions(bool interleave, int step, void* format, DWORD formatBytes);

}  // namespace korvane
