// Rectangle rules of the region selection: normalising, keeping a rectangle on the
// screen, the fixed frame that follows the mouse, and where the size label goes.
// Rectangles are inclusive (right and bottom are the last pixel). Pure; any thread.
#pragma once
#include "geometry.h"

namespace korvane {

// Swaps left/right and top/bottom where they are reversed; returns `rect`.
Rect& NormalizeRect(Rect& rect);

// Normalises `rect` and moves it inside a screen of the given size without changing its
// size; a side longer than the screen is cut to the screen.
Rect& ClampRectToScreen(Rect& rect, int screenWidth, int screenHeight);

// The edges of `frame` relative to its centre (integer division toward zero), so that
// cursor + offset puts the frame's centre on the cursor.
Rect CentredFrameOffset(const Rect& frame);

// The fixed frame for a cursor position: cursor + offset, moved back inside the screen
// keeping the size of `frameSize`.
Rect FixedFrameAt(Point cursor, const Rect& offset, const Rect& frameSize, int screenWidth,
                  int screenHeight);

struct LabelLayout {
    Point text;  // where the text starts
    Rect box;    // the rounded box behind it (exclusive right and bottom)
};

// The size label sits 4 pixels above the rectangle, or 4 pixels below it when there is
// no room above. `textSize` is the measured text.
LabelLayout LayoutSizeLabel(const Rect& rect, Size textSize);

// The label text for a rectangle: left, top, width, height (inclusive sizes).
void FormatSizeLabel(const Rect& rect, char* buffer, int size);

}  // namespace korvane
