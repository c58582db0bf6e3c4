// hookkey.dll: a low-level keyboard hook that reports every key to the recorder's main
// window and keeps the keys the recorder acts on from the program in front.
// The hook lives on a thread of its own that does nothing but pump its messages: the
// system removes a low-level hook, silently, once it fails to answer in time
// (LowLevelHooksTimeout, at most 1 s), and the recorder's UI thread may be busy with file
// work for far longer. InstallMyKeyHook: the recorder's UI thread; KeyProc: the hook
// thread.
#define KORVANE_BUILDING_HOOKS
#include "exception_barrier.h"
#include "hook_api.h"
#include "keystroke_info.h"

#include <atomic>

namespace {

HINSTANCE moduleInstance;
std::atomic<HWND> target{nullptr};
std::atomic<UINT> message{0};

// How long a press waits for the recorder to say whether it acts on it. Well inside the
// system's limit; an idle UI thread answers in microseconds, a busy one gets the key
// reported all the same, only not kept from the program in front.
constexpr UINT kAnswerMs = 200;

// Hook thread only. Which keys are down, by virtual-key code: the low-level hook is told
// of every press the keyboard repeats, but not whether it is a repeat. And whether the
// press of a key that is down was kept from the program in front: its repeats and its
// release then are too, so that the program sees none of the key.
bool keyDown[256];
bool keptBack[256];

// The left and right SHIFT, CONTROL and ALT keys share the state of the key that stands
// for both, as in key messages: the second SHIFT pressed while one is held is no new
// press of SHIFT.
DWORD StateSlot(DWORD vk)
{
    return vk >= VK_LSHIFT && vk <= VK_RMENU ? VK_SHIFT + (vk - VK_LSHIFT) / 2 : vk;
}

// A press is first sent, as a question: the recorder answers non-zero when it will act
// on the key. The report that it acts on is always the posted one that follows, so keys
// reach it in the order they were pressed, as before there was a question.
bool RecorderActsOn(HWND window, UINT msg, DWORD vk, LPARAM info)
{
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(window, msg, vk, info, SMTO_ABORTIFHUNG, kAnswerMs, &answer) &&
           answer != 0;
}

LRESULT CALLBACK KeyProc(int code, WPARAM wParam, LPARAM lParam)
{
    const HWND window = target.load();
    if (code != HC_ACTION || !window)
        return CallNextHookEx(nullptr, code, wParam, lParam);
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    const UINT msg = message.load();
    const bool release = wParam == WM_KEYUP || wParam == WM_SYSKEYUP;
    const DWORD slot = StateSlot(key->vkCode);
    const bool tracked = slot < 256;
    const bool wasDown = tracked && keyDown[slot];
    if (tracked)
        keyDown[slot] = !release;
    const LPARAM info = korvane::KeystrokeInfo(key->scanCode, key->flags, release, wasDown);
    bool keep = tracked && keptBack[slot];
    if (!release && !wasDown) {
        keep = RecorderActsOn(window, msg, key->vkCode, info);
        if (tracked)
            keptBack[slot] = keep;
    }
    if (release && tracked)
        keptBack[slot] = false;
    PostMessageA(window, msg, key->vkCode, info);
    return keep ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
}

struct HookThreadStart {
    HANDLE ready;
    bool installed = false;
};

void RunHookThread(HookThreadStart* start, bool& answered)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, before the hook
    const HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyProc, moduleInstance, 0);
    start->installed = hook != nullptr;
    answered = true;
    SetEvent(start->ready);  // `start` is the installer's, and gone after this
    if (!hook)
        return;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    UnhookWindowsHookEx(hook);
}

DWORD WINAPI HookThread(void* param)
{
    auto* start = static_cast<HookThreadStart*>(param);
    bool answered = false;
    korvane::GuardThreadEntry(
        "the key hook's thread", [&] { RunHookThread(start, answered); },
        [&] {
            // The installer waits for the answer; an exception before it means no hook.
            if (!answered)
                SetEvent(start->ready);
        });
    return 0;
}

}  // namespace

BOOL InstallMyKeyHook(HWND window, UINT msg)
{
    static bool installed = false;
    message = msg;
    target = window;
    if (installed)
        return TRUE;
    HookThreadStart start;
    start.ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!start.ready)
        return FALSE;
    const HANDLE thread = CreateThread(nullptr, 0, HookThread, &start, 0, nullptr);
    if (thread) {
        WaitForSingleObject(start.ready, INFINITE);
        CloseHandle(thread);
        installed = start.installed;
    }
    CloseHandle(start.ready);
    return installed;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        moduleInstance = instance;
        DisableThreadLibraryCalls(instance);
        // The hook thread runs this library's code until the process ends, so the library
        // must never be unloaded under it.
        HMODULE self;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCSTR>(&DllMain), &self);
    }
    return TRUE;
}
