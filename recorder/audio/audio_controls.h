// The options dialog's audio group: the standard recording formats the wave-in device
// offers, the compressed format the merge converts to, and the volume control. The
// dialog's working copies live here while the dialog is open; the dialog's OK writes
// them back into the settings and `compressFormat`. UI thread only.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include "recording_level.h"

// Working copies, valid while the options dialog is open.
extern int dlgAudioSamplesPerSec;
extern int dlgAudioChannels;
extern int dlgAudioBitsPerSample;
extern int dlgCompressAudio;
extern WAVEFORMATEX* dlgCompressFormat;  // locked GHND block, kept when the dialog is cancelled
extern DWORD dlgCompressFormatSize;
extern DWORD dlgFormatFlags[15];  // capability bit of each "Format:" entry, in list order
extern int dlgFormatCount;
extern UINT dlgDeviceIds[15];  // WAVE_MAPPER first, then the devices that answer
extern int dlgDeviceCount;
extern WAVEFORMATEX suggestSource;  // PCM at the dialog's rate, channels and bits

// The dialog's opening, audio steps: check box, working copies, devices, format list,
// enabled state. `dialog` is the options dialog.
void InitAudioControls(HWND dialog);
// The dialog's OK, audio steps (stores recordAudio and, when it can, the format).
void StoreAudioControls(HWND dialog);

void FillAudioFormatCombo(HWND dialog, UINT deviceId);
void ShowCompressionName(HWND dialog);
bool GetFormatTagName(char* buffer, int bufferSize);
void ProposeCompressedFormat();
void EnsureDlgCompressFormat();
void EnsureCompressFormat();
// Makes `compressFormat` a block of the ACM's largest format size holding `format`
// (`bytes` long), as the dialog's OK would have left it; false when it cannot.
bool AdoptCompressFormat(const void* format, DWORD bytes);

// Handlers of the audio controls.
void OnRecordAudio(HWND dialog);           // BN_CLICKED of 1012
void OnAudioFormatSelChange(HWND dialog);  // CBN_SELCHANGE of 1013
// BN_CLICKED of 1023; `start` starts the system's program (a test passes its own).
void OnVolume(HWND dialog, const korvane::ProgramStarter& start = korvane::StartProgram);
void OnCompressionFormat(HWND dialog);  // BN_CLICKED of 1022
