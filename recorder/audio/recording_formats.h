// The standard PCM recording formats and the window-free decisions of the options
// dialog's audio group: which rows a device offers, which wave-in devices are listed,
// and in which order compressed formats are proposed. Plain functions; any thread.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <functional>

namespace korvane {

struct RecordingFormatRow {
    DWORD flag;     // the WAVEINCAPS.dwFormats bit
    UINT stringId;  // the row's text in the string table
    int samplesPerSec;
    int channels;
    int bitsPerSample;
};

// In the order offered, which is not the numeric order of the bits.
extern const RecordingFormatRow StandardRecordingFormats[12];

// The rows `dwFormats` reports, in table order: their bits go to `flags` (at most
// `capacity`); returns how many.
int OfferedRecordingFormats(DWORD dwFormats, DWORD* flags, int capacity);
// The row of one capability bit; null for a bit that is not a single row's.
const RecordingFormatRow* RecordingFormatForFlag(DWORD flag);
// Index of `flag` in the first `count` entries of `flags`, or -1.
int FindFormatFlag(const DWORD* flags, int count, DWORD flag);

// The format tags to ask the ACM for, in order, for PCM recorded at these parameters:
// MPEG Layer-3 only for 22.05 kHz stereo of 16 bits or fewer, then ADPCM, then PCM.
// Returns how many of the three were written.
int ProposalFormatTags(int samplesPerSec, int channels, int bitsPerSample, WORD tags[3]);

// WAVE_MAPPER, then each device below `deviceCount` that `answers`, while `capacity`
// lasts (devices beyond it are not listed). Returns the entries written.
int ListWaveInDevices(UINT deviceCount, const std::function<bool(UINT)>& answers, UINT* ids,
                      int capacity);
// `wanted` when the list holds it, else WAVE_MAPPER.
UINT DeviceToDescribe(UINT wanted, const UINT* ids, int count);

}  // namespace korvane
