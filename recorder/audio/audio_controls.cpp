// The options dialog's audio group (placeholder: nothing offered until it lands).
#include "audio_controls.h"

int dlgAudioSamplesPerSec = 0;
int dlgAudioChannels = 0;
int dlgAudioBitsPerSample = 0;
int dlgCompressAudio = 0;
WAVEFORMATEX* dlgCompressFormat = nullptr;
DWORD dlgCompressFormatSize = 0;
DWORD dlgFormatFlags[15] = {};
int dlgFormatCount = 0;
UINT dlgDeviceIds[15] = {};
int dlgDeviceCount = 0;
WAVEFORMATEX suggestSource = {};

void InitAudioControls(HWND) {}
void StoreAudioControls(HWND) {}
void FillAudioFormatCombo(HWND, UINT) {}
void ShowCompressionName(HWND) {}
bool GetFormatTagName(char*, int) { return false; }
void ProposeCompressedFormat() {}
void EnsureDlgCompressFormat() {}
void EnsureCompressFormat() {}
void OnRecordAudio(HWND) {}
void OnAudioFormatSelChange(HWND) {}
void OnVolume(HWND) {}
void OnCompressionFormat(HWND) {}
