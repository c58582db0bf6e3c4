// The monitors as the system shows them now: the virtual screen (every monitor's
// bounding box, negative where a monitor lies left of or above the primary), the monitor
// under a point and the list of monitors. Every rectangle is inclusive, as captureRect
// is. Measured at each call, never kept; any thread.
#pragma once
#include "geometry.h"

#include <windows.h>

#include <vector>

RECT VirtualScreenRect();

// The monitor that holds `point`, or the nearest one.
RECT MonitorRectAt(POINT point);

// Every monitor; the primary screen alone when the system lists none.
std::vector<korvane::Rect> MonitorRects();
