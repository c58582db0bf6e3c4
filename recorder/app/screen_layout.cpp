// The monitors, measured now.
#include "screen_layout.h"

namespace {

RECT Inclusive(const RECT& r) { return RECT{r.left, r.top, r.right - 1, r.bottom - 1}; }

RECT PrimaryScreen()
{
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1};
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info)) {
        const RECT r = Inclusive(info.rcMonitor);
        reinterpret_cast<std::vector<korvane::Rect>*>(param)->push_back(
            korvane::Rect{r.left, r.top, r.right, r.bottom});
    }
    return TRUE;
}

}  // namespace

RECT VirtualScreenRect()
{
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0)
        return PrimaryScreen();
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{left, top, left + width - 1, top + height - 1};
}

RECT MonitorRectAt(POINT point)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    const HMONITOR monitor = MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST);
    if (!monitor || !GetMonitorInfoA(monitor, &info))
        return PrimaryScreen();
    return Inclusive(info.rcMonitor);
}

std::vector<korvane::Rect> MonitorRects()
{
    std::vector<korvane::Rect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) {
        const RECT r = PrimaryScreen();
        monitors.push_back(korvane::Rect{r.left, r.top, r.right, r.bottom});
    }
    return monitors;
}
