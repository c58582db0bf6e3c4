// The static window procedure behind WindowBase (UI thread of each window).
#include "window_base.h"

#include "exception_barrier.h"

bool WindowBase::Create(const char* className, UINT classStyle, HCURSOR cursor, HICON icon,
                        DWORD exStyle, const char* title, DWORD style, int x, int y, int width,
                        int height, HWND parent)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    if (!GetClassInfoA(instance, className, &wc)) {
        wc.style = classStyle;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hCursor = cursor;
        wc.hIcon = icon;
        wc.lpszClassName = className;
        if (!RegisterClassA(&wc))
            return false;
    }
    return CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, nullptr,
                           instance, this) != nullptr;
}

LRESULT WindowBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return Default(message, wParam, lParam);
}

LRESULT CALLBACK WindowBase::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowBase* self;
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        self = static_cast<WindowBase*>(cs->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<WindowBase*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    LRESULT result;
    try {
        result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        korvane::ReportCaughtException("a window procedure");
        result = DefWindowProcA(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
    }
    return result;
}

bool WindowBase::RegisterWindowClass(WNDCLASSA wc)
{
    wc.lpfnWndProc = WindowProc;
    return RegisterClassA(&wc) != 0;
}
