// CFlashingWnd: the top-most window cut down to four corner marks around the capture
// area. Created hidden on the UI thread; fitted, shown, painted and hidden by the
// recording thread through its window handle (the calls below are safe from there).
#pragma once
#include "window_base.h"

class CFlashingWnd : public WindowBase {
public:
    // Creates the hidden window over `rect` (inclusive), without a taskbar button.
    bool CreateBorderWindow(const RECT& rect);

    // Stores the capture area (screen coordinates, any monitor), moves the window over it
    // and gives the window the corner-mark region for it.
    void FitToCaptureRect(int left, int top, int width, int height);

    // Paints the marks in one colour.
    void PaintCorners(COLORREF colour);

    RECT FrameRect() const { return m_frameRect; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    RECT m_frameRect = {};
    HRGN m_region = nullptr;  // owned by the window once SetWindowRgn accepts it
};

// The recording border, created once by the main window; null until then.
extern CFlashingWnd* flashingWnd;
