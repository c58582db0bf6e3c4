// Wave-in capture into the temporary WAV file: the recorder's functions for it, which
// hand the work to the one SoundCapture (sound_capture.h, which says who locks what).
// PrepareAudioCapture, OpenWaveInput (with QueueCaptureBuffer), WatchSoundFlow,
// FillLostSound and CloseWaveInput run on the recording thread; OnWaveInData and
// StoreCaptureBuffer on the UI thread, which receives MM_WIM_DATA.
#pragma once
#include "app/stop_cause.h"
#include "capture_buffer.h"

#include <windows.h>

#include <cstddef>

// Builds the capture format and creates the WAV file on a fresh tempWavPath. Always 1.
int PrepareAudioCapture();
// Opens the device with notifications to mainWindow, queues a second's worth of buffers
// (CaptureBufferCount) and starts it.
bool OpenWaveInput();
// The video clock of the recording started at `originMs` (timeGetTime): the WAV file then
// starts with silence for the time before the device's first buffer. Without it (as after
// PrepareAudioCapture) the file starts with the first buffer.
void AlignCaptureWithVideoClock(unsigned originMs);
// Makes one capture buffer and queues it on the device.
void QueueCaptureBuffer();
// MM_WIM_DATA: writes the returned buffer (unless paused) and gives it back to the device.
LRESULT OnWaveInData(WPARAM, LPARAM header);
// Appends a buffer to the WAV file; shuts the capture down when that fails.
void StoreCaptureBuffer(const CBuffer& buffer);
// Stops and closes the device, reclaims every buffer and finishes the WAV file.
void CloseWaveInput();
// Recording thread, about once a second: notes a device that has stopped handing back
// buffers for a while although the capture runs.
void WatchSoundFlow();
// Recording thread, before CloseWaveInput: when the device was lost, fills the sound file
// with silence up to `durationMs` of sound, so that it still lasts as long as the video.
void FillLostSound(unsigned durationMs);
// Hands what the WAV file still buffers to the system, so that it survives the process.
// Any thread.
void FlushCaptureFile();

namespace korvane {

// The sound bytes stored in the file by the running capture.
unsigned long long StoredSoundBytes();

// Capture buffers the capture owns at this moment (queued, returned or in a message).
size_t LiveCaptureBuffers();

}  // namespace korvane
