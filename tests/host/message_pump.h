// Message pumping for tests that drive windows on their own thread: handle what is
// queued, for a while, or until a condition holds; and the hidden window that stands in
// for the main window. Test thread.
#pragma once
#include <windows.h>

namespace testpump {

// Handles every message queued for this thread now.
inline void PumpPending()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Pumps until `done()` holds or `ms` have passed; returns done().
template <typename Done>
bool PumpUntil(Done done, DWORD ms)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= ms)
            return false;
        PumpPending();
        Sleep(5);
    }
    return true;
}

// Pumps for `ms`.
inline void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

// A hidden 1x1 popup of a class of its own, whose messages go to `proc`.
inline HWND CreateHiddenWindow(const char* className, const char* caption, WNDPROC proc)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    return CreateWindowExA(0, className, caption, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

}  // namespace testpump
