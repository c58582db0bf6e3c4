// RecordingState: the runtime state of the one recording that may run. The two flags and
// the saved cursor change while the worker runs, so they are atomics. The UI thread
// writes the areas, the screen's size and the windows before the worker starts (thread
// creation orders those writes before its reads); the worker names its scratch files
// (tempAviPath, tempWavPath) at its start, and the UI thread reads them only after the
// worker's end report (the posted message orders them).
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

extern std::atomic<int> isRecording;  // 1 while a recording runs
extern std::atomic<int> isPaused;     // 1 while a running recording is paused
extern RECT captureRect;              // right and bottom inclusive
extern RECT selectionRect;
extern int screenWidth;  // the primary monitor's size
extern int screenHeight;
extern RECT virtualScreen;  // every monitor's bounding box, inclusive, as last measured
extern std::string tempAviPath;
extern std::string tempWavPath;
extern HWND mainWindow;
extern std::atomic<HCURSOR> savedCursor;  // last cursor reported by the hook
extern HWND regionWindow;
// Counts the display changes the system announced (WM_DISPLAYCHANGE to the main window).
extern std::atomic<unsigned> displayChanges;

// Reads the primary screen's size into screenWidth and screenHeight and the monitors'
// bounding box into virtualScreen; returns the screen's bits per pixel.
int MeasureScreen();
