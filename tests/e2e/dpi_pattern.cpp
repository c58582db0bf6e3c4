// dpi_pattern.exe: fills the whole screen (every monitor), in physical pixels whatever the
// display's scaling, with 8x8 blocks each of its own colour, so that a recording of any
// other area than the one selected cannot match a screenshot. Runs until closed
// ("Pattern").
#include "gdi_owners.h"

#include <windows.h>

namespace {

void Paint(HWND hwnd)
{
    const korvane::PaintDc paint(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    for (int y = 0; y < client.bottom; y += 8) {
        for (int x = 0; x < client.right; x += 8) {
            const int bx = x / 8, by = y / 8;
            const korvane::Brush brush(
                CreateSolidBrush(RGB((bx * 37) & 255, (by * 59) & 255, ((bx + by) * 23) & 255)));
            const RECT block{x, y, x + 8, y + 8};
            FillRect(paint.Get(), &block, brush.Get());
        }
    }
}

LRESULT CALLBACK PatternProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Without this, a scaled display would stretch the blocks and shift them.
    using SetAware = BOOL(WINAPI*)();
    if (auto aware = reinterpret_cast<SetAware>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDPIAware"))))
        aware();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PatternProc;
    wc.hInstance = instance;
    wc.lpszClassName = "KorvanePattern";
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    RegisterClassA(&wc);
    CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "Pattern", WS_POPUP | WS_VISIBLE,
                    GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                    GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                    nullptr, nullptr, instance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
