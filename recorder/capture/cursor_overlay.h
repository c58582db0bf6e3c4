// Draws the mouse cursor into a grabbed frame at its true position. Any thread.
#pragma once
#include <windows.h>

namespace korvane {

// Where the cursor image's top-left corner lands in a frame whose top-left corner is
// the screen point `origin`: the pointer made frame-relative, less the hotspot.
POINT CursorImageCorner(POINT pointer, POINT origin, POINT hotspot);

// Draws `cursor` into the frame DC at the pointer's position. A handle that cannot be
// drawn in this process (another program's cursor, or none) is replaced by the
// standard arrow at its own hotspot-corrected position, so no frame loses its cursor.
// Returns the cursor actually drawn, or null if even the arrow failed.
HCURSOR DrawCursorInFrame(HDC frameDc, POINT pointer, POINT origin, HCURSOR cursor);

}  // namespace korvane
