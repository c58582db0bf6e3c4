// The silence that goes before the first captured buffer so that the WAV file starts
// when the video clock starts. The wave-in device may take most of a second to return
// its first buffer, and the sound of that time never reaches us; without the lead-in the
// merge, which lines both streams up at zero, would play every sound early. The length
// comes from what the device reports (arrival time and bytes captured), not from an
// assumption about the platform.
// Plain functions; any thread.
#pragma once
#include "wave_format.h"

#include <cstdint>

namespace korvane {

// A longer gap than this is taken for a clock fault, not a slow device.
constexpr unsigned kMaxLeadInMs = 5000;

// Bytes of silence (whole sample frames of `format`) when the device had captured
// `bufferBytes` by `arrivalMs`, when the video clock started at `originMs` (timeGetTime
// values; the clock may wrap in between). 0 when the buffer's sound began at or before
// the origin.
uint32_t LeadInBytes(const WaveFormat& format, unsigned originMs, unsigned arrivalMs,
                     uint32_t bufferBytes);

// The byte value of silence in PCM of `bitsPerSample`: 8-bit samples are unsigned.
inline unsigned char SilenceByte(int bitsPerSample) { return bitsPerSample == 8 ? 0x80 : 0x00; }

}  // namespace korvane
