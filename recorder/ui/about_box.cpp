// The "About Korvane" system-menu entry (UI thread only).
#include "about_box.h"

#include "res/resource.h"

namespace korvane {

void AddAboutToSystemMenu(HWND hwnd)
{
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (!menu)
        return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, "&About Korvane...");
}

bool HandleAboutCommand(HWND hwnd, WPARAM command)
{
    // The system keeps the low four bits of a system command for itself.
    if ((command & 0xFFF0) != IDM_ABOUTBOX)
        return false;
    MessageBoxA(hwnd, "Korvane " KORVANE_VERSION "\nScreen recorder by Quillory", "About Korvane",
                MB_OK | MB_ICONINFORMATION);
    return true;
}

}  // namespace korvane
