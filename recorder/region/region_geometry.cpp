// Rectangle rules of the region selection (pure).
#include "region_geometry.h"

#include <cstdio>
#include <utility>

namespace korvane {

namespace {

// Moves a w x h rectangle back inside the screen, edge by edge, keeping its size.
void PushInsideScreen(Rect& r, int w, int h, int screenWidth, int screenHeight)
{
    if (r.left < 0) {
        r.left = 0;
        r.right = w - 1;
    }
    if (r.top < 0) {
        r.top = 0;
        r.bottom = h - 1;
    }
    if (r.right > screenWidth - 1) {
        r.right = screenWidth - 1;
        r.left = screenWidth - w;
    }
    if (r.bottom > screenHeight - 1) {
        r.bottom = screenHeight - 1;
        r.top = screenHeight - h;
    }
}

}  // namespace

Rect& NormalizeRect(Rect& rect)
{
    if (rect.right < rect.left)
        std::swap(rect.left, rect.right);
    if (rect.bottom < rect.top)
        std::swap(rect.top, rect.bottom);
    return rect;
}

Rect& ClampRectToScreen(Rect& rect, int screenWidth, int screenHeight)
{
    NormalizeRect(rect);
    const int w = rect.right - rect.left + 1;
    const int h = rect.bottom - rect.top + 1;
    if (w > screenWidth) {
        rect.left = 0;
        rect.right = screenWidth - 1;
    }
    if (h > screenHeight) {
        rect.top = 0;
        rect.bottom = screenHeight - 1;
    }
    PushInsideScreen(rect, w, h, screenWidth, screenHeight);
    return rect;
}

Rect CentredFrameOffset(const Rect& frame)
{
    const int cx = (frame.left + frame.right) / 2;
    const int cy = (frame.top + frame.bottom) / 2;
    return Rect{frame.left - cx, frame.top - cy, frame.right - cx, frame.bottom - cy};
}

Rect FixedFrameAt(Point cursor, const Rect& offset, const Rect& frameSize, int screenWidth,
                  int screenHeight)
{
    Rect r{cursor.x + offset.left, cursor.y + offset.top, cursor.x + offset.right,
           cursor.y + offset.bottom};
    const int w = frameSize.right - frameSize.left + 1;
    const int h = frameSize.bottom - frameSize.top + 1;
    PushInsideScreen(r, w, h, screenWidth, screenHeight);
    return r;
}

LabelLayout LayoutSizeLabel(const Rect& rect, Size textSize)
{
    LabelLayout layout;
    layout.text.x = rect.left + 10;
    layout.text.y = rect.top >= textSize.cy + 4 ? rect.top - textSize.cy - 4 : rect.bottom + 4;
    layout.box = Rect{rect.left + 6, layout.text.y - 4, rect.left + textSize.cx + 14,
                      layout.text.y + textSize.cy + 4};
    return layout;
}

void FormatSizeLabel(const Rect& rect, char* buffer, int size)
{
    std::snprintf(buffer, size, "Left : %ld  Top : %ld  Width : %ld  Height : %ld ",
                  static_cast<long>(rect.left), static_cast<long>(rect.top),
                  static_cast<long>(rect.right - rect.left + 1),
                  static_cast<long>(rect.bottom - rect.top + 1));
}

}  // namespace korvane
