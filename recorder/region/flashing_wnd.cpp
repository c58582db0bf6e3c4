// CFlashingWnd: corner marks around the recorded area (see the header for threads).
#include "flashing_wnd.h"

#include "corner_marks.h"
#include "gdi_owners.h"

CFlashingWnd* flashingWnd = nullptr;

using korvane::WindowDc;

bool CFlashingWnd::CreateBorderWindow(const RECT& rect)
{
    if (!Create("KorvaneFlashingBorder", 0, LoadCursor(nullptr, IDC_ARROW), nullptr, WS_EX_TOPMOST,
                "Flashing", WS_POPUP, rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top, nullptr))
        return false;
    LONG_PTR ex = GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE);
    SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE, (ex & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
    ShowWindow(Hwnd(), SW_HIDE);
    m_region = nullptr;
    return true;
}

// The window covers the marks and the area between them, and nothing more: it then works
// on any monitor, at negative coordinates too, whatever the screen was at start-up. In
// the window the area starts at (kMark, kMark).
constexpr int kMark = 6;

void CFlashingWnd::FitToCaptureRect(int left, int top, int width, int height)
{
    m_frameRect = RECT{left, top, left + width - 1, top + height - 1};
    korvane::Region region(korvane::CreateCornerMarkRegion(kMark, kMark, width, height));
    if (!region)
        return;
    SetWindowPos(Hwnd(), HWND_TOPMOST, left - kMark, top - kMark, width + 2 * kMark - 1,
                 height + 2 * kMark - 1, SWP_NOACTIVATE);
    // The system owns the region from here on and frees the one it replaces.
    if (SetWindowRgn(Hwnd(), region.Get(), TRUE))
        m_region = region.Release();
}

void CFlashingWnd::PaintCorners(COLORREF colour)
{
    WindowDc dc(Hwnd());
    const RECT frame{kMark, kMark, kMark + m_frameRect.right - m_frameRect.left,
                     kMark + m_frameRect.bottom - m_frameRect.top};
    RECT r;
    if (!dc.Get() || !korvane::CornerPaintRect(frame, &r))
        return;
    korvane::Brush brush(CreateSolidBrush(colour));
    korvane::Pen pen(CreatePen(PS_SOLID, 1, colour));
    if (!brush || !pen)
        return;
    korvane::SelectGuard selectBrush(dc.Get(), brush.Get());
    korvane::SelectGuard selectPen(dc.Get(), pen.Get());
    Rectangle(dc.Get(), r.left, r.top, r.right, r.bottom);
}

LRESULT CFlashingWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: return TRUE;  // the marks are painted by the recording, never erased
    default: return Default(message, wParam, lParam);
    }
}
