// The hook libraries as the recorder uses them: the cursor hook reports another
// program's cursor in a form this process can draw, also when it changes without mouse
// input, install/uninstall in any order, and the key hook reports presses, repeats and
// releases with the right key-stroke bits.
#include "hook_api.h"
#include "ui/resolve_cursor.h"
#include "gdi_owners.h"
#include "kernel_owners.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const UINT kCursorMessage = WM_APP + 11;
const UINT kKeyMessage = WM_APP + 12;
// To the child: show the busy cursor now (no mouse input comes with it).
const UINT kBusyMessage = WM_APP + 13;

// A window of this process that collects the reports.
struct Receiver {
    HWND hwnd = CreateWindowExA(0, "STATIC", "receiver", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                nullptr, nullptr);
    ~Receiver() { DestroyWindow(hwnd); }

    // Pumps messages until one of `message` arrives or `ms` pass.
    bool Wait(UINT message, int ms, MSG* out)
    {
        const DWORD end = GetTickCount() + ms;
        while (static_cast<int>(end - GetTickCount()) > 0) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.hwnd == hwnd && msg.message == message) {
                    *out = msg;
                    return true;
                }
                DispatchMessageA(&msg);
            }
            Sleep(10);
        }
        return false;
    }
};

// A second process that shows a window with the given cursor and pumps messages.
struct ChildProgram {
    PROCESS_INFORMATION pi{};
    HWND window = nullptr;

    explicit ChildProgram(const char* cursorKind)
    {
        char exe[MAX_PATH];
        GetModuleFileNameA(nullptr, exe, MAX_PATH);
        std::string cmd = std::string("\"") + exe + "\" --cursor-child " + cursorKind;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
            return;
        for (int i = 0; i < 100 && !window; ++i) {
            Sleep(50);
            window = FindWindowA("KorvaneCursorChild", nullptr);
        }
    }
    ~ChildProgram()
    {
        if (window)
            PostMessageA(window, WM_CLOSE, 0, 0);
        if (pi.hProcess) {
            const korvane::KernelHandle process(pi.hProcess), thread(pi.hThread);
            if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0)
                TerminateProcess(pi.hProcess, 1);
        }
    }
};

bool Drawable(HCURSOR cursor) { return korvane::IconParts(cursor).ok; }

}  // namespace

TEST(HooksCursor, UninstallWithoutInstallAndReinstall)
{
    Receiver r;
    EXPECT_TRUE(UninstallMyHook(r.hwnd));
    EXPECT_TRUE(InstallMyHook(r.hwnd, kCursorMessage));
    EXPECT_TRUE(UninstallMyHook(r.hwnd));
    EXPECT_TRUE(UninstallMyHook(r.hwnd));
    EXPECT_TRUE(InstallMyHook(r.hwnd, kCursorMessage));
    EXPECT_TRUE(InstallMyHook(r.hwnd, kCursorMessage));
    EXPECT_TRUE(UninstallMyHook(r.hwnd));
}

TEST(HooksCursor, OtherProgramsStandardCursorArrivesDrawable)
{
    Receiver r;
    ChildProgram child("ibeam");
    ASSERT_NE(child.window, nullptr);
    ASSERT_TRUE(InstallMyHook(r.hwnd, kCursorMessage));
    MSG msg{};
    bool got = false;
    for (int i = 0; i < 20 && !got; ++i) {
        PostMessageA(child.window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        got = r.Wait(kCursorMessage, 250, &msg);
    }
    UninstallMyHook(r.hwnd);
    ASSERT_TRUE(got) << "no cursor report from the other program";
    HCURSOR resolved = korvane::ResolveReportedCursor(msg.wParam);
    EXPECT_EQ(resolved, LoadCursor(nullptr, IDC_IBEAM));
    EXPECT_TRUE(Drawable(resolved));
}

TEST(HooksCursor, NoReportsAfterUninstall)
{
    Receiver r;
    ChildProgram child("cross");
    ASSERT_NE(child.window, nullptr);
    ASSERT_TRUE(InstallMyHook(r.hwnd, kCursorMessage));
    ASSERT_TRUE(UninstallMyHook(r.hwnd));
    // What the child's timer reported while the hook was in is already on its way.
    Sleep(100);
    MSG msg{};
    while (PeekMessageA(&msg, r.hwnd, 0, 0, PM_REMOVE)) {
    }
    PostMessageA(child.window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_FALSE(r.Wait(kCursorMessage, 500, &msg));
}

// A cursor set while the mouse rests (a program turning busy) is reported at the
// program's next message of any kind.
TEST(HooksCursor, CursorSetWithoutMouseInputIsReported)
{
    Receiver r;
    ChildProgram child("busy");
    ASSERT_NE(child.window, nullptr);
    ASSERT_TRUE(InstallMyHook(r.hwnd, kCursorMessage));
    PostMessageA(child.window, kBusyMessage, 0, 0);
    const HCURSOR busy = LoadCursor(nullptr, IDC_WAIT);
    HCURSOR last = nullptr;
    MSG msg{};
    for (int i = 0; i < 12 && last != busy; ++i)
        if (r.Wait(kCursorMessage, 250, &msg))
            last = korvane::ResolveReportedCursor(msg.wParam);
    UninstallMyHook(r.hwnd);
    EXPECT_EQ(last, busy) << "no report of the busy cursor";
}

// A press, the keyboard's repeat of it, and the release: only the repeat has the
// previous-state bit (30) without the release bit (31).
TEST(HooksKey, PressRepeatAndReleaseReported)
{
    Receiver r;
    ASSERT_TRUE(InstallMyKeyHook(r.hwnd, kKeyMessage));
    INPUT in[3] = {};
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = VK_F7;
    }
    in[2].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(3, in, sizeof(INPUT)), 3u);
    MSG press{}, repeat{}, release{};
    ASSERT_TRUE(r.Wait(kKeyMessage, 2000, &press));
    ASSERT_TRUE(r.Wait(kKeyMessage, 2000, &repeat));
    ASSERT_TRUE(r.Wait(kKeyMessage, 2000, &release));
    for (const MSG* m : {&press, &repeat, &release})
        EXPECT_EQ(m->wParam, static_cast<WPARAM>(VK_F7));
    EXPECT_EQ(static_cast<DWORD>(press.lParam) >> 30, 0u);
    EXPECT_EQ(static_cast<DWORD>(repeat.lParam) >> 30, 1u);
    EXPECT_EQ(static_cast<DWORD>(release.lParam) >> 30, 3u);
}

// The child side of the cursor tests: a window whose cursor is set on every mouse move
// and that handles a timer, as a busy program still does.
static HCURSOR childCursor;

static LRESULT CALLBACK ChildProc(HWND hwnd, UINT m, WPARAM w, LPARAM l)
{
    if (m == kBusyMessage)
        childCursor = LoadCursor(nullptr, IDC_WAIT);
    if (m == WM_MOUSEMOVE || m == kBusyMessage)
        SetCursor(childCursor);
    if (m == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(hwnd, m, w, l);
}

static int RunCursorChild(const char* kind)
{
    const std::string k = kind;
    childCursor = LoadCursor(nullptr, k == "ibeam"   ? IDC_IBEAM
                                      : k == "cross" ? IDC_CROSS
                                                     : IDC_ARROW);
    WNDCLASSA wc{};
    wc.lpfnWndProc = ChildProc;
    wc.lpszClassName = "KorvaneCursorChild";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "KorvaneCursorChild", "child", WS_POPUP, 600, 600, 50, 50,
                                nullptr, nullptr, nullptr, nullptr);
    SetTimer(hwnd, 1, 50, nullptr);
    SetCursor(childCursor);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--cursor-child")
        return RunCursorChild(argv[2]);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
