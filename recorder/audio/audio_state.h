// AudioState: the recording's capture format and the chosen compressed audio format,
// process-wide. captureFormat is written by the recording thread before the device
// starts (and by the options when the format changes); the device, its buffers and the
// sound file belong to the capture itself (sound_capture.h).
#pragma once
#include <windows.h>
#include <mmsystem.h>

extern WAVEFORMATEX captureFormat;
// The compressed format the merge converts to; null and 0 until one is chosen.
extern WAVEFORMATEX* compressFormat;
extern DWORD compressFormatSize;
