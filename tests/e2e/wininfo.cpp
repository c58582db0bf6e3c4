// wininfo.exe: the end-to-end tests' eyes inside the Wine desktop, where xdotool cannot
// see windows. Console tool; one command per run:
//   list                          visible top-level windows: handle, class, title, rect
//   wait TITLE MS / gone TITLE MS wait for a visible window with that title to appear / go
//   controls TITLE                child windows: id, enabled (1/0), text
//   command TITLE ID              post WM_COMMAND ID to the window
//   syscommand TITLE ID           post WM_SYSCOMMAND ID (a system-menu entry) to it
//   post TITLE MSG WPARAM         post message MSG (0x... allowed) with WPARAM, as the
//                                 system does its broadcasts (a coming sleep, say)
//   close TITLE                   post WM_CLOSE to the window
//   front TITLE [MS]              bring the window to the foreground; with MS, try again
//                                 until it is the foreground window (or MS have passed)
//   texts TITLE                   the texts of all child windows, one a line
// TITLE may also be a window handle written 0x..., for windows whose caption changes.
// Exit code 0 on success, 1 when the window is not there.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Search {
    const char* title;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM param)
{
    auto* s = reinterpret_cast<Search*>(param);
    char title[256];
    GetWindowTextA(hwnd, title, sizeof title);
    if (IsWindowVisible(hwnd) && std::strcmp(title, s->title) == 0) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindWindowByTitle(const char* title)
{
    if (title[0] == '0' && title[1] == 'x') {
        HWND hwnd = reinterpret_cast<HWND>(std::strtoul(title + 2, nullptr, 16));
        return IsWindow(hwnd) && IsWindowVisible(hwnd) ? hwnd : nullptr;
    }
    Search s{title, nullptr};
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

BOOL CALLBACK PrintTopLevel(HWND hwnd, LPARAM)
{
    if (!IsWindowVisible(hwnd))
        return TRUE;
    char title[256], cls[128];
    GetWindowTextA(hwnd, title, sizeof title);
    GetClassNameA(hwnd, cls, sizeof cls);
    RECT r;
    GetWindowRect(hwnd, &r);
    std::printf("0x%lx\t%s\t%s\t%ld,%ld,%ld,%ld\n",
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hwnd)), cls, title, r.left,
                r.top, r.right, r.bottom);
    return TRUE;
}

BOOL CALLBACK PrintChild(HWND hwnd, LPARAM withState)
{
    char text[512];
    GetWindowTextA(hwnd, text, sizeof text);
    if (withState)
        std::printf("%d\t%d\t%s\n", GetDlgCtrlID(hwnd), IsWindowEnabled(hwnd) ? 1 : 0, text);
    else if (text[0])
        std::printf("%s\n", text);
    return TRUE;
}

bool WaitFor(const char* title, int ms, bool present)
{
    for (int waited = 0;; waited += 100) {
        if ((FindWindowByTitle(title) != nullptr) == present)
            return true;
        if (waited >= ms)
            return false;
        Sleep(100);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const std::string cmd = argv[1];
    if (cmd == "list") {
        EnumWindows(PrintTopLevel, 0);
        return 0;
    }
    if (argc < 3)
        return 2;
    const char* title = argv[2];
    if (cmd == "wait" || cmd == "gone")
        return WaitFor(title, argc > 3 ? std::atoi(argv[3]) : 5000, cmd == "wait") ? 0 : 1;
    HWND hwnd = FindWindowByTitle(title);
    if (!hwnd)
        return 1;
    if (cmd == "controls" || cmd == "texts") {
        EnumChildWindows(hwnd, PrintChild, cmd == "controls");
    } else if (cmd == "command" && argc > 3) {
        PostMessageA(hwnd, WM_COMMAND, std::atoi(argv[3]), 0);
    } else if (cmd == "post" && argc > 4) {
        PostMessageA(hwnd, std::strtoul(argv[3], nullptr, 0), std::strtoul(argv[4], nullptr, 0), 0);
    } else if (cmd == "syscommand" && argc > 3) {
        PostMessageA(hwnd, WM_SYSCOMMAND, std::strtoul(argv[3], nullptr, 0), 0);
    } else if (cmd == "close") {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    } else if (cmd == "front") {
        // A window that has just appeared may not take the focus at the first call.
        const int ms = argc > 3 ? std::atoi(argv[3]) : 0;
        for (int waited = 0;; waited += 100) {
            SetForegroundWindow(hwnd);
            if (ms == 0 || GetForegroundWindow() == hwnd)
                break;
            if (waited >= ms)
                return 1;
            Sleep(100);
        }
    } else {
        return 2;
    }
    std::fflush(stdout);
    return 0;
}
