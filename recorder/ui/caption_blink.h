// The main window's caption while a recording is paused: blanked and shown again at the
// capture loop's request, and never left blank once the pause is over. UI thread only.
#pragma once
#include <windows.h>

// Applies one blink request (`blank`, else show) to the caption of `hwnd`.
void BlinkMainCaption(HWND hwnd, bool blank, int isPaused);
