// player_probe.exe: what the player's end-to-end test needs to see and do inside the
// Wine desktop beyond wininfo. Console tool; one command per run:
//   launch MS CMDLINE...   start a program with exactly this command line (the words
//                          joined by single spaces, no quoting added, as the recorder's
//                          WinExec does), wait up to MS for it to end; prints
//                          "exit N windows W" (W: its visible top-level windows seen
//                          meanwhile), or "running" and exit code 3
//   empty                  the frame's empty size for this desktop: "W H"
//   menu TITLE             the first popup's items: id, greyed (1/0), text
//   geometry TITLE         "frame W H client W H movie W H" (movie: the first child)
//   movie TITLE            the movie window's text (its mode), position and end
//   zoom TITLE PERCENT     ask the movie window to zoom (it then resizes itself)
//   findtext TEXT MS       wait for a visible window holding a child with TEXT; prints
//                          its handle and the title of its owner
// TITLE may also be a handle written 0x.... Exit code 0 on success, 1 when not found.
#include "kernel_owners.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND ParseHandle(const char* text)
{
    return reinterpret_cast<HWND>(std::strtoul(text + 2, nullptr, 16));
}

HWND FindTop(const char* title)
{
    if (title[0] == '0' && title[1] == 'x') {
        HWND hwnd = ParseHandle(title);
        return IsWindow(hwnd) ? hwnd : nullptr;
    }
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExA(nullptr, hwnd, nullptr, title)) != nullptr) {
        if (IsWindowVisible(hwnd))
            return hwnd;
    }
    return nullptr;
}

struct ProcessWindows {
    DWORD pid;
    int count;
};

BOOL CALLBACK CountProcessWindows(HWND hwnd, LPARAM param)
{
    auto* pw = reinterpret_cast<ProcessWindows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == pw->pid && IsWindowVisible(hwnd))
        ++pw->count;
    return TRUE;
}

int Launch(int ms, int argc, char** argv)
{
    std::string line;
    for (int i = 0; i < argc; ++i)
        line += (i ? " " : "") + std::string(argv[i]);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        std::printf("cannot start (%lu)\n", GetLastError());
        return 1;
    }
    const korvane::KernelHandle process(pi.hProcess), thread(pi.hThread);
    int seen = 0;
    DWORD waited = 0;
    while (WaitForSingleObject(pi.hProcess, 20) == WAIT_TIMEOUT) {
        ProcessWindows pw{pi.dwProcessId, 0};
        EnumWindows(CountProcessWindows, reinterpret_cast<LPARAM>(&pw));
        if (pw.count > seen)
            seen = pw.count;
        waited += 20;
        if (static_cast<int>(waited) >= ms) {
            std::printf("running\n");
            return 3;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    std::printf("exit %lu windows %d\n", code, seen);
    return 0;
}

struct TextSearch {
    const char* text;
    bool found;
};

BOOL CALLBACK ChildHasText(HWND hwnd, LPARAM param)
{
    auto* ts = reinterpret_cast<TextSearch*>(param);
    char text[512];
    GetWindowTextA(hwnd, text, sizeof text);
    if (std::strcmp(text, ts->text) == 0) {
        ts->found = true;
        return FALSE;
    }
    return TRUE;
}

struct BoxSearch {
    const char* text;
    HWND found;
};

BOOL CALLBACK TopHasText(HWND hwnd, LPARAM param)
{
    auto* bs = reinterpret_cast<BoxSearch*>(param);
    if (!IsWindowVisible(hwnd))
        return TRUE;
    TextSearch ts{bs->text, false};
    EnumChildWindows(hwnd, ChildHasText, reinterpret_cast<LPARAM>(&ts));
    if (ts.found) {
        bs->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

int FindText(const char* text, int ms)
{
    for (int waited = 0;; waited += 100) {
        BoxSearch bs{text, nullptr};
        EnumWindows(TopHasText, reinterpret_cast<LPARAM>(&bs));
        if (bs.found) {
            char owner[256] = "";
            if (HWND hwndOwner = GetWindow(bs.found, GW_OWNER))
                GetWindowTextA(hwndOwner, owner, sizeof owner);
            std::printf("0x%lx\t%s\n",
                        static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(bs.found)), owner);
            return 0;
        }
        if (waited >= ms)
            return 1;
        Sleep(100);
    }
}

int Menu(HWND hwnd)
{
    HMENU popup = GetSubMenu(GetMenu(hwnd), 0);
    if (!popup)
        return 1;
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        char text[128] = "";
        GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
        const UINT state = GetMenuState(popup, i, MF_BYPOSITION);
        std::printf("%d\t%d\t%s\n", static_cast<int>(GetMenuItemID(popup, i)),
                    (state & MF_GRAYED) ? 1 : 0, text);
    }
    return 0;
}

int Geometry(HWND hwnd)
{
    RECT frame, client, movie = {};
    GetWindowRect(hwnd, &frame);
    GetClientRect(hwnd, &client);
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    if (HWND child = GetWindow(hwnd, GW_CHILD))
        GetWindowRect(child, &movie);
    std::printf("frame %ld %ld client %ld %ld movie %ld %ld at %ld %ld\n", frame.right - frame.left,
                frame.bottom - frame.top, client.right, client.bottom, movie.right - movie.left,
                movie.bottom - movie.top, origin.x, origin.y);
    return 0;
}

int Movie(HWND hwnd)
{
    HWND child = GetWindow(hwnd, GW_CHILD);
    if (!child)
        return 1;
    char text[256] = "";
    GetWindowTextA(child, text, sizeof text);
    // MCIWNDM_GETPOSITION (WM_USER + 102) carries no pointer, so it crosses processes.
    const LRESULT position = SendMessageA(child, WM_USER + 102, 0, 0);
    const LRESULT end = SendMessageA(child, WM_USER + 105, 0, 0);  // MCIWNDM_GETEND
    std::printf("%s\t%ld\t%ld\n", text, static_cast<long>(position), static_cast<long>(end));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const std::string cmd = argv[1];
    if (cmd == "empty") {
        std::printf("180 %d\n", GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU) +
                                    2 * GetSystemMetrics(SM_CYFRAME));
        return 0;
    }
    if (argc < 3)
        return 2;
    if (cmd == "launch")
        return argc > 3 ? Launch(std::atoi(argv[2]), argc - 3, argv + 3) : 2;
    if (cmd == "findtext")
        return FindText(argv[2], argc > 3 ? std::atoi(argv[3]) : 5000);
    HWND hwnd = FindTop(argv[2]);
    if (!hwnd)
        return 1;
    int rc = 2;
    if (cmd == "menu")
        rc = Menu(hwnd);
    else if (cmd == "geometry")
        rc = Geometry(hwnd);
    else if (cmd == "movie")
        rc = Movie(hwnd);
    else if (cmd == "zoom" && argc > 3) {
        SendMessageA(GetWindow(hwnd, GW_CHILD), WM_USER + 108 /* MCIWNDM_SETZOOM */, 0,
                     std::atoi(argv[3]));
        rc = 0;
    }
    std::fflush(stdout);
    return rc;
}
