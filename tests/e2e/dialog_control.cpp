// dialog_control.exe: a dialog control of another program as an end-to-end test needs
// it. Console tool, one command per run:
//   rect TITLE ID   "left top right bottom" of the control in screen pixels (to click it)
//   text TITLE ID   the control's text, asked of the control itself (an edit or a list
//                   keeps its text where reading the window's caption does not reach)
//   pos TITLE ID    a progress bar's position
//   watch TITLE ID MAIN MS
//                   follows the progress bar while its window shows (up to MS ms):
//                   prints "watching" once it looks, each new position, then how long
//                   the window showed and the longest the window MAIN took to answer
//   checked TITLE ID 1 when a check box or radio button is checked, else 0
//   settext TITLE ID TEXT
//                   sets the control's text (as typing cannot: any language, taken from
//                   the wide command line)
// TITLE may be a window handle written 0x... . Several IDs give a line each. Exit code 1
// when window or control is missing.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND FindByTitle(const char* title)
{
    return std::strncmp(title, "0x", 2) == 0
               ? reinterpret_cast<HWND>(std::strtoul(title + 2, nullptr, 16))
               : FindWindowA(nullptr, title);
}

// Milliseconds `hwnd` took to answer a message, or `limit` when it did not in that time.
DWORD AnswerTime(HWND hwnd, UINT message, DWORD limit, DWORD_PTR* result)
{
    const DWORD start = GetTickCount();
    if (!SendMessageTimeoutA(hwnd, message, 0, 0, SMTO_NORMAL, limit, result))
        return limit;
    return GetTickCount() - start;
}

int Watch(HWND dialog, HWND bar, HWND main, DWORD ms)
{
    std::printf("watching\n");
    std::fflush(stdout);
    const DWORD start = GetTickCount();
    DWORD shownAt = 0, shownFor = 0, slowest = 0;
    int last = -1;
    while (GetTickCount() - start < ms) {
        if (IsWindowVisible(dialog)) {
            if (!shownAt)
                shownAt = GetTickCount();
            DWORD_PTR pos = 0;
            slowest = std::max(slowest, AnswerTime(bar, PBM_GETPOS, 5000, &pos));
            DWORD_PTR ignored = 0;
            slowest = std::max(slowest, AnswerTime(main, WM_NULL, 5000, &ignored));
            if (static_cast<int>(pos) != last) {
                last = static_cast<int>(pos);
                std::printf("position %d at %lu\n", last,
                            static_cast<unsigned long>(GetTickCount() - shownAt));
            }
        } else if (shownAt) {
            shownFor = GetTickCount() - shownAt;
            break;
        }
        Sleep(20);
    }
    std::printf("shown %lu\nslowest %lu\n", static_cast<unsigned long>(shownFor),
                static_cast<unsigned long>(slowest));
    return shownAt ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    const char* title = argv[2];
    HWND dialog = std::strncmp(title, "0x", 2) == 0
                      ? reinterpret_cast<HWND>(std::strtoul(title + 2, nullptr, 16))
                      : FindByTitle(title);
    if (std::strcmp(argv[1], "settext") == 0) {
        int count = 0;
        wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
        HWND control =
            dialog && IsWindow(dialog) ? GetDlgItem(dialog, std::atoi(argv[3])) : nullptr;
        const bool set = wide && count > 4 && control &&
                         SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide[4]));
        LocalFree(wide);
        return set ? 0 : 1;
    }
    // Several ids give one line each, in order, for one start of this tool.
    for (int i = 3; i < argc; ++i) {
        HWND control =
            dialog && IsWindow(dialog) ? GetDlgItem(dialog, std::atoi(argv[i])) : nullptr;
        if (!control)
            return 1;
        if (std::strcmp(argv[1], "rect") == 0) {
            RECT r;
            if (!GetWindowRect(control, &r))
                return 1;
            std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        } else if (std::strcmp(argv[1], "text") == 0) {
            char text[512] = {};
            DWORD_PTR copied = 0;
            if (!SendMessageTimeoutA(control, WM_GETTEXT, sizeof text,
                                     reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 3000,
                                     &copied))
                return 1;
            std::printf("%s\n", text);
        } else if (std::strcmp(argv[1], "checked") == 0) {
            std::printf("%d\n", SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
        } else if (std::strcmp(argv[1], "pos") == 0) {
            std::printf("%d\n", static_cast<int>(SendMessageA(control, PBM_GETPOS, 0, 0)));
        } else if (std::strcmp(argv[1], "watch") == 0 && argc > 5) {
            return Watch(dialog, control, FindByTitle(argv[4]), std::strtoul(argv[5], nullptr, 10));
        } else {
            return 2;
        }
    }
    return 0;
}
