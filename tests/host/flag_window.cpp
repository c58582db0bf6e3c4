// The benches' flashing content (see flag_window.h). UI thread only.
#include "flag_window.h"

#include "gdi_owners.h"
#include "host_main.h"

FlagWindow::FlagWindow(const char* className, int width, int height, std::string flag, Paint extra)
    : m_flag(std::move(flag)), m_extra(std::move(extra))
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    m_hwnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, className, "", WS_POPUP | WS_VISIBLE,
                             0, 0, width, height, nullptr, nullptr, wc.hInstance, this);
    UpdateWindow(m_hwnd);
}

FlagWindow::~FlagWindow() { DestroyWindow(m_hwnd); }

void FlagWindow::RunFor(DWORD ms, DWORD repaintMs, const std::function<void(DWORD)>& each)
{
    const DWORD start = GetTickCount();
    DWORD lastPaint = 0;
    while (GetTickCount() - start < ms) {
        const DWORD now = GetTickCount();
        const bool white = FileExists(m_flag);
        if (white != m_white || (repaintMs && now - lastPaint >= repaintMs)) {
            m_white = white;
            lastPaint = now;
            Repaint();
        }
        MessageSink::Pump();
        if (each)
            each(now - start);
        Sleep(1);
    }
}

void FlagWindow::Repaint()
{
    InvalidateRect(m_hwnd, nullptr, FALSE);
    UpdateWindow(m_hwnd);
    GdiFlush();
}

LRESULT CALLBACK FlagWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<FlagWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && msg == WM_PAINT) {
        const korvane::PaintDc dc(hwnd);
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(dc.Get(), &r,
                 static_cast<HBRUSH>(GetStockObject(self->m_white ? WHITE_BRUSH : BLACK_BRUSH)));
        if (self->m_extra)
            self->m_extra(dc.Get());
        return 0;
    }
    if (msg == WM_ERASEBKGND)
        return 1;
    return DefWindowProcA(hwnd, msg, wp, lp);
}
