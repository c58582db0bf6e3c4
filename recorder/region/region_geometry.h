// Rectangle rules of the region selection: normalising, keeping a rectangle on the
// screen, the fixed frame that follows the mouse, and where the size label goes.
// Rectangles are inclusive (right and bottom are the last pixel). Pure; any thread.
#pragma once
#include <windows.h>

namespace korvane {

// Swaps left/right and top/bottom where they are reversed; returns `rect`.
RECT& NormalizeRect(RECT& rect);

// Normalises `rect` and moves it inside a screen of the given size without changing its
// size; a side longer than the screen is cut to the screen.
RECT& ClampRectToScreen(RECT& rect, int screenWidth, int screenHeight);

// The edges of `frame` relative to its centre (integer division toward zero), so that
// cursor + offset puts the frame's centre on the cursor.
RECT CentredFrameOffset(const RECT& frame);

// The fixed frame for a cursor position: cursor + offset, moved back inside the screen
// keeping the size of `frameSize`.
RECT FixedFrameAt(POINT cursor, const RECT& offset, const RECT& frameSize, int screenWidth,
                  int screenHeight);

struct LabelLayout {
    POINT text;  // where the text starts
    RECT box;    // the rounded box behind it (exclusive right and bottom)
};

// The size label sits 4 pixels above the rectangle, or 4 pixels below it when there is
// no room above. `textSize` is the measured text.
LabelLayout LayoutSizeLabel(const RECT& rect, SIZE textSize);

// The label text for a rectangle: left, top, width, height (inclusive sizes).
void FormatSizeLabel(const RECT& rect, char* buffer, int size);

}  // namespace korvane
