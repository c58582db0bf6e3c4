// key_log.exe: a window ("Key Log") that takes the focus and writes each key message it
// receives as a line "down|up VK" (hexadecimal, 0x76 for F7) to its standard output,
// flushed at once. Stands for the program in front that must not see the hotkeys.
#include <windows.h>

#include <cstdio>

namespace {

LRESULT CALLBACK LogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        std::printf("%s 0x%02X\n",
                    message == WM_KEYDOWN || message == WM_SYSKEYDOWN ? "down" : "up",
                    static_cast<unsigned>(wParam));
        std::fflush(stdout);
        break;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int main()
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = LogProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "KorvaneKeyLog";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "Key Log", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                40, 500, 300, 150, nullptr, nullptr, nullptr, nullptr);
    if (!hwnd)
        return 1;
    SetForegroundWindow(hwnd);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
