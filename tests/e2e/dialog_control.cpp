// dialog_control.exe: a dialog control of another program as an end-to-end test needs
// it. Console tool, one command per run:
//   rect TITLE ID   "left top right bottom" of the control in screen pixels (to click it)
//   text TITLE ID   the control's text, asked of the control itself (an edit or a list
//                   keeps its text where reading the window's caption does not reach)
//   pos TITLE ID    a progress bar's position
//   checked TITLE ID 1 when a check box or radio button is checked, else 0
// TITLE may be a window handle written 0x... . Several IDs give a line each. Exit code 1
// when window or control is missing.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    const char* title = argv[2];
    HWND dialog = std::strncmp(title, "0x", 2) == 0
                      ? reinterpret_cast<HWND>(std::strtoul(title + 2, nullptr, 16))
                      : FindWindowA(nullptr, title);
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
        } else {
            return 2;
        }
    }
    return 0;
}
