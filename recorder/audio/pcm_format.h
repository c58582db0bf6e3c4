// The PCM capture format and the sizes that follow from it. Plain functions; any thread.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>

namespace korvane {

// PCM with the block alignment computed in unsigned 16-bit arithmetic, as the device
// and the WAV header expect it.
WAVEFORMATEX BuildPcmRecordingFormat(int bitsPerSample, int channels, int samplesPerSec);

// One capture buffer: `frames` sample frames of `format`.
uint32_t CaptureBufferBytes(const WAVEFORMATEX& format, int frames);

// How many capture buffers of `bufferBytes` circulate: enough for a second of sound, at
// least three. The device throws sound away when no buffer is queued, and ours come back
// to it through the UI thread's message queue, which a busy machine can hold up for a
// good part of a second.
int CaptureBufferCount(const WAVEFORMATEX& format, uint32_t bufferBytes);

// The bytes of a returned buffer that hold recorded sound: what the device reports,
// never more than the buffer has.
uint32_t RecordedBytes(uint32_t bytesRecorded, uint32_t bufferLength);

}  // namespace korvane

// The capture format from the recording settings.
WAVEFORMATEX BuildPcmRecordingFormat();
