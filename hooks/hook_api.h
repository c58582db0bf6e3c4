// The exports of the two hook libraries, as the recorder imports them.
// Callable from the recorder's UI thread only.
#pragma once
#include <windows.h>

#ifdef KORVANE_BUILDING_HOOKS
#define KORVANE_HOOK_API extern "C" __declspec(dllexport)
#else
#define KORVANE_HOOK_API extern "C" __declspec(dllimport)
#endif

// hook.dll: reports the cursor shape in use to `target` as `message` (WPARAM = cursor).
// A standard system cursor is reported by its IDC_ number instead of a handle, because
// the handle of another process cannot be drawn by ours; see ResolveReportedCursor.
KORVANE_HOOK_API BOOL InstallMyHook(HWND target, UINT message);
KORVANE_HOOK_API BOOL UninstallMyHook(HWND target);

// hookkey.dll: reports every key press and release to `target` as `message`, posted
// (WPARAM = virtual-key code, LPARAM = key-stroke information, bit 31 set on release).
// Before it posts a press it sends the same message, as a question, waiting a moment:
// a non-zero answer means the target will act on the key, and the key (its repeats and
// its release too) is then kept from the program in front.
KORVANE_HOOK_API BOOL InstallMyKeyHook(HWND target, UINT message);
