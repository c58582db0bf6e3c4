// The recording thread's calls on the border window, kept behind four functions so
// that the capture code does not depend on the window class. Each does nothing while
// flashingWnd is null. Recording thread (and UI thread for quiet grabs).
#pragma once
#include <windows.h>

void FitBorder(int left, int top, int width, int height);
void ShowBorder();
void HideBorder();
void PaintBorder(COLORREF colour);
