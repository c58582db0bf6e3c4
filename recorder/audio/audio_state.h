// AudioState: the one process-wide record of the wave-in capture and of the chosen
// compressed audio format. captureFormat is written by the recording thread before the
// device starts; waveIn, queuedBufferCount and soundFile are changed only under the
// capture's lock (wave_in_capture.cpp), from the recording thread and the UI thread.
#pragma once
#include "audio_owners.h"

#include <windows.h>
#include <mmsystem.h>

#include <memory>

class CSoundFile;

extern WAVEFORMATEX captureFormat;
extern korvane::WaveInDevice waveIn;           // empty once the device is closed
extern long queuedBufferCount;                 // headers handed to the device and not yet freed
extern std::unique_ptr<CSoundFile> soundFile;  // reset by whoever ends the capture
// The compressed format the merge converts to; null and 0 until one is chosen.
extern WAVEFORMATEX* compressFormat;
extern DWORD compressFormatSize;
