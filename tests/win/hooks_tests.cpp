// The hook libraries as the recorder uses them: the cursor hook reports another
// program's cursor in a form this process can draw, install/uninstall in any order,
// and the key hook reports presses and releases with the right key-stroke bits.
#include "hook_api.h"
#include "ui/resolve_cursor.h"
#include "gdi_owners.h"
#include "kernel_owners.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const UINT kCursorMessage = WM_APP + 11;
const UINT kKeyMessage = WM_APP + 12;

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
    PostMessageA(child.window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    MSG msg{};
    EXPECT_FALSE(r.Wait(kCursorMessage, 500, &msg));
}

TEST(HooksKey, PressAndReleaseReported)
{
    Receiver r;
    ASSERT_TRUE(InstallMyKeyHook(r.hwnd, kKeyMessage));
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = VK_F7;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(2, in, sizeof(INPUT)), 2u);
    MSG press{}, release{};
    ASSERT_TRUE(r.Wait(kKeyMessage, 2000, &press));
    ASSERT_TRUE(r.Wait(kKeyMessage, 2000, &release));
    EXPECT_EQ(press.wParam, static_cast<WPARAM>(VK_F7));
    EXPECT_GT(static_cast<LONG>(press.lParam), 0);
    EXPECT_EQ(release.wParam, static_cast<WPARAM>(VK_F7));
    EXPECT_LT(static_cast<LONG>(release.lParam), 0);
}

// The child side of the cursor tests: a window whose cursor is set on every mouse move.
static HCURSOR childCursor;

static LRESULT CALLBACK ChildProc(HWND hwnd, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_MOUSEMOVE)
        SetCursor(childCursor);
    if (m == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(hwnd, m, w, l);
}

static int RunCursorChild(const char* kind)
{
    childCursor = std::string(kind) == "ibeam" ? LoadCursor(nullptr, IDC_IBEAM)
                                               : LoadCursor(nullptr, IDC_CROSS);
    WNDCLASSA wc{};
    wc.lpfnWndProc = ChildProc;
    wc.lpszClassName = "KorvaneCursorChild";
    RegisterClassA(&wc);
    CreateWindowExA(0, "KorvaneCursorChild", "child", WS_POPUP, 600, 600, 50, 50, nullptr, nullptr,
                    nullptr, nullptr);
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
