// The key-stroke information word of a key message, built from a low-level hook's
// report: repeat count 1, scan code, extended and Alt bits, the previous-state bit (set
// for a release, and for a press of a key that was already down: auto-repeat) and for a
// release the transition bit (so bit 31 marks a release). Pure; any thread.
#pragma once
#include <windows.h>

namespace korvane {

inline LPARAM KeystrokeInfo(DWORD scanCode, DWORD llFlags, bool release, bool wasDown)
{
    DWORD info = 1 | ((scanCode & 0xFF) << 16);
    if (llFlags & LLKHF_EXTENDED)
        info |= 1u << 24;
    if (llFlags & LLKHF_ALTDOWN)
        info |= 1u << 29;
    if (release || wasDown)
        info |= 1u << 30;
    if (release)
        info |= 1u << 31;
    return static_cast<LPARAM>(info);
}

}  // namespace korvane
