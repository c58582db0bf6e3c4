// Turns a cursor report of the cursor hook into a cursor this process can draw.
// UI thread (it loads system cursors of this process).
#pragma once
#include <windows.h>

namespace korvane {

// A standard shape arrives as its IDC_ number and becomes this process's copy of that
// cursor; anything else is taken as the handle it is.
HCURSOR ResolveReportedCursor(WPARAM report);

}  // namespace korvane
