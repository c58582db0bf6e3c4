// hookkey.dll: a low-level keyboard hook that reports every key to the recorder's main
// window. Low-level hooks run on the installing thread, so the target and message are
// plain process data. InstallMyKeyHook: the recorder's UI thread; KeyProc: that thread.
#define KORVANE_BUILDING_HOOKS
#include "hook_api.h"
#include "keystroke_info.h"

namespace {

HINSTANCE moduleInstance;
HHOOK hook;
HWND target;
UINT message;
// Which keys are down, by virtual-key code: the low-level hook is told of every press
// the keyboard repeats, but not whether it is a repeat.
bool keyDown[256];

// The left and right SHIFT, CONTROL and ALT keys share the state of the key that stands
// for both, as in key messages: the second SHIFT pressed while one is held is no new
// press of SHIFT.
DWORD StateSlot(DWORD vk)
{
    return vk >= VK_LSHIFT && vk <= VK_RMENU ? VK_SHIFT + (vk - VK_LSHIFT) / 2 : vk;
}

LRESULT CALLBACK KeyProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && target) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool release = wParam == WM_KEYUP || wParam == WM_SYSKEYUP;
        bool wasDown = false;
        const DWORD slot = StateSlot(key->vkCode);
        if (slot < 256) {
            wasDown = keyDown[slot];
            keyDown[slot] = !release;
        }
        PostMessageA(target, message, key->vkCode,
                     korvane::KeystrokeInfo(key->scanCode, key->flags, release, wasDown));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

BOOL InstallMyKeyHook(HWND window, UINT msg)
{
    target = window;
    message = msg;
    if (!hook)
        hook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyProc, moduleInstance, 0);
    return hook != nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        moduleInstance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
