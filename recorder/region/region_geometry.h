// Rectangle rules of the region selection: normalising, keeping a rectangle on the
// screen, the fixed frame that follows the mouse, where the size label goes, and what
// becomes of a recorded area when the monitors change. Rectangles are inclusive (right
// and bottom are the last pixel). "The screen" is the virtual screen, every monitor's
// bounding box, whose left and top are negative when a monitor lies left of or above the
// primary one. Pure; any thread.
#pragma once
#include "geometry.h"

#include <vector>

namespace korvane {

// Swaps left/right and top/bottom where they are reversed; returns `rect`.
Rect& NormalizeRect(Rect& rect);

// Normalises `rect` and moves it inside `screen` without changing its size; a side
// longer than the screen is cut to the screen.
Rect& ClampRectToScreen(Rect& rect, const Rect& screen);
// The same on a screen of the given size at the origin (the primary monitor alone).
Rect& ClampRectToScreen(Rect& rect, int screenWidth, int screenHeight);

// The edges of `frame` relative to its centre (integer division toward zero), so that
// cursor + offset puts the frame's centre on the cursor.
Rect CentredFrameOffset(const Rect& frame);

// The fixed frame for a cursor position: cursor + offset, moved back inside the screen
// keeping the size of `frameSize`.
Rect FixedFrameAt(Point cursor, const Rect& offset, const Rect& frameSize, const Rect& screen);
Rect FixedFrameAt(Point cursor, const Rect& offset, const Rect& frameSize, int screenWidth,
                  int screenHeight);

struct LabelLayout {
    Point text;  // where the text starts
    Rect box;    // the rounded box behind it (exclusive right and bottom)
};

// The size label sits 4 pixels above the rectangle, or 4 pixels below it when there is
// no room above before `screenTop` (the top of the monitor the rectangle is on).
// `textSize` is the measured text.
LabelLayout LayoutSizeLabel(const Rect& rect, Size textSize, int screenTop = 0);

// The label text for a rectangle: left, top, width, height (inclusive sizes).
void FormatSizeLabel(const Rect& rect, char* buffer, int size);

// The bounding box of `monitors` (inclusive rectangles); empty (all zero) without any.
Rect BoundingBox(const std::vector<Rect>& monitors);

// What a recorded area becomes after the monitors changed (a resolution, a monitor
// unplugged): still wholly shown, moved keeping its size onto the monitor that shows
// most of it (else onto the nearest, else into the bounding box), or too large for what
// is left.
enum class AreaFate { Unchanged, Moved, TooLarge };
struct RefittedArea {
    AreaFate fate = AreaFate::Unchanged;
    Rect area;
};
RefittedArea RefitArea(const Rect& area, const std::vector<Rect>& monitors);

}  // namespace korvane
