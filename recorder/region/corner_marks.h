// The shape of the border's corner marks around a capture area, and the rectangle that
// paints them. Pure GDI region work, no window; any thread.
#pragma once
#include <windows.h>

namespace korvane {

// Four L-shaped marks just outside the area (left, top, width, height): 6 pixels thick on
// the left and top, 5 on the right and bottom; sides of 36 pixels or less stay whole.
// The caller owns the returned region (null if GDI refuses).
HRGN CreateCornerMarkRegion(int left, int top, int width, int height);

// The rectangle (exclusive right and bottom) that PaintCorners fills for an inclusive
// frame rectangle; false when the frame is empty in either direction (nothing to paint).
bool CornerPaintRect(const RECT& frame, RECT* out);

}  // namespace korvane
