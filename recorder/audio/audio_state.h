// AudioState: the one process-wide record of the wave-in capture and of the chosen
// compressed audio format. captureFormat is written by the recording thread before the
// device starts; waveIn, queuedBufferCount and soundFile are changed only under the
// capture's lock (wave_in_capture.cpp), from the recording thread and the UI thread.
#pragma once
#include <windows.h>
#include <mmsystem.h>

class CSoundFile;

extern WAVEFORMATEX captureFormat;
extern HWAVEIN waveIn;            // not cleared when the device closes
extern long queuedBufferCount;    // headers handed to the device and not yet freed
extern CSoundFile* soundFile;     // deleted (and nulled) by whoever ends the capture
// The compressed format the merge converts to; null and 0 until one is chosen.
extern WAVEFORMATEX* compressFormat;
extern DWORD compressFormatSize;
