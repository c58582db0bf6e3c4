// The main window's "About Korvane" system-menu entry and the box it shows with the
// version. UI thread only.
#pragma once
#include <windows.h>

namespace korvane {

// Appends a separator and the entry to the window's system menu.
void AddAboutToSystemMenu(HWND hwnd);
// Shows the box when `command` (a WM_SYSCOMMAND wParam) is the entry; false otherwise,
// so the caller lets the system handle the command.
bool HandleAboutCommand(HWND hwnd, WPARAM command);

}  // namespace korvane
