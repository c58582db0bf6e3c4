// Every message the recorder's windows, threads and hook libraries exchange, in one place.
// The registered ones are fixed by RegisterAppMessages, which each program calls once at
// start-up before any window exists; read-only afterwards (any thread).
#pragma once
#include <windows.h>

extern const UINT& WM_USER_RECORDINTERRUPTED_MSG;
extern const UINT& WM_USER_SAVECURSOR_MSG;
extern const UINT& WM_USER_GENERIC_MSG;
extern const UINT& WM_USER_RECORDSTART_MSG;
extern const UINT& WM_USER_KEYSTART_MSG;

// Registers the five messages above (again is harmless: the same values come back).
void RegisterAppMessages();

// Private messages of single windows.
// To the main window, posted by the merge with the percentage in WPARAM.
constexpr UINT MergeProgress = WM_USER + 222;
// To the main window when the sound capture meets a trouble; WPARAM is the AudioTrouble.
constexpr UINT AudioTroubleNotice = WM_USER + 224;
// To the main window when a recovered recording waits for its finish.
constexpr UINT RecoveredRecordingWaiting = WM_USER + 225;
// To the main window, posted by the capture loop while paused: WPARAM 1 to blank the
// caption, 0 to show it again.
constexpr UINT CaptionBlink = WM_USER + 223;
// To the options dialog (optionsDialogWindow) when its requested area has been chosen.
constexpr UINT FixedRegionSelected = 0x500;
