// Border window calls of the capture engine: the marks are fitted, shown, painted and
// hidden through the window handle from this thread; while no border window exists
// (tests, early start-up) the recording runs without marks.
#include "border_seam.h"

#include "app/recording_state.h"
#include "region/flashing_wnd.h"

void FitBorder(int left, int top, int width, int height)
{
    if (flashingWnd)
        flashingWnd->FitToCaptureRect(left, top, width, height);
}

void ShowBorder()
{
    if (flashingWnd)
        ShowWindow(flashingWnd->Hwnd(), SW_SHOW);
}

void HideBorder()
{
    if (flashingWnd)
        ShowWindow(flashingWnd->Hwnd(), SW_HIDE);
}

void PaintBorder(COLORREF colour)
{
    if (flashingWnd)
        flashingWnd->PaintCorners(colour);
}
