// Message pumping for tests that drive windows on their own thread: handle what is
// queued, for a while, or until a condition holds. Test thread.
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

}  // namespace testpump
