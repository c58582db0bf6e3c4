// Conversion of a recorded PCM audio stream into a compressed format with the Audio
// Compression Manager, written to a file of its own so the merge can copy it as it is
// (AVIFile's own conversion stalls on some encoders). UI thread (the merge's thread).
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <vfw.h>

#include <string>

namespace korvane {

// Converts the whole of `pcm` (an audio stream in a PCM format) into `target` (a
// WAVEFORMATEX of `targetSize` bytes) and writes it as the WAV file
// `path`. The tail is padded with silence to a whole compressed block, so nothing
// recorded is dropped. False, with `path` removed, when the conversion cannot be made.
// `progress`, when given, is called after each piece with the percentage done so far
// (as AVISaveV calls its own); a long conversion is then no longer a silent wait.
bool ConvertAudioToFile(PAVISTREAM pcm, const WAVEFORMATEX* target, int targetSize,
                        const std::string& path, AVISAVECALLBACK progress = nullptr);

}  // namespace korvane
