// hook.dll: a global message hook that runs inside every program on the desktop and
// reports the cursor shape that program has set. The target window and message live in
// a named shared mapping, because the hook procedure runs in other processes.
// InstallMyHook/UninstallMyHook: the recorder's UI thread; HookProc: any GUI thread.
#define KORVANE_BUILDING_HOOKS
#include "cursor_ids.h"
#include "hook_api.h"

namespace {

struct SharedCursorState {
    HWND target;
    UINT message;
    WPARAM lastReported;
};

// One mapping per bitness: the layout holds pointer-sized fields, and a 32-bit and a
// 64-bit recorder may run side by side on 64-bit Windows, each with its own hook.
#ifdef _WIN64
const char kMappingName[] = "KorvaneCursorHookState64";
#else
const char kMappingName[] = "KorvaneCursorHookState32";
#endif

HINSTANCE moduleInstance;
HHOOK hook;  // only meaningful in the installing process
HANDLE mapping;
SharedCursorState* shared;

SharedCursorState* Shared()
{
    if (!shared) {
        mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     sizeof(SharedCursorState), kMappingName);
        if (mapping)
            shared = static_cast<SharedCursorState*>(
                MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedCursorState)));
    }
    return shared;
}

// A standard shape goes out as its number, anything else as the handle itself.
WPARAM DescribeCursor(HCURSOR cursor)
{
    for (WORD id : korvane::kStandardCursorIds)
        if (cursor == LoadCursorA(nullptr, MAKEINTRESOURCEA(id)))
            return id;
    return reinterpret_cast<WPARAM>(cursor);
}

// This process's last look at its cursor, so that most messages cost one comparison.
HCURSOR lastSeen;
WPARAM lastDescribed;

void ReportCursor()
{
    SharedCursorState* state = Shared();
    if (!state || !state->target)
        return;
    HCURSOR cursor = GetCursor();
    if (!cursor)
        return;
    // Another program may have reported since, so the shared value decides too.
    if (cursor == lastSeen && lastDescribed == state->lastReported)
        return;
    const WPARAM described = cursor == lastSeen ? lastDescribed : DescribeCursor(cursor);
    lastSeen = cursor;
    lastDescribed = described;
    if (described == state->lastReported)
        return;
    state->lastReported = described;
    PostMessageA(state->target, state->message, described, 0);
}

// Every message a program takes or peeks at is a look at its cursor: a program that
// shows a busy cursor while the mouse rests still handles timers, paints and posted
// messages, and the cursor set by the last of them is the one on the screen.
LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION)
        ReportCursor();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

BOOL InstallMyHook(HWND target, UINT message)
{
    SharedCursorState* state = Shared();
    if (!state)
        return FALSE;
    if (hook)
        UnhookWindowsHookEx(hook);
    state->target = target;
    state->message = message;
    state->lastReported = 0;
    hook = SetWindowsHookExA(WH_GETMESSAGE, HookProc, moduleInstance, 0);
    return hook != nullptr;
}

BOOL UninstallMyHook(HWND)
{
    if (!hook)
        return TRUE;
    UnhookWindowsHookEx(hook);
    hook = nullptr;
    if (SharedCursorState* state = Shared())
        state->target = nullptr;
    return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        moduleInstance = instance;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        if (shared)
            UnmapViewOfFile(shared);
        if (mapping)
            CloseHandle(mapping);
    }
    return TRUE;
}
