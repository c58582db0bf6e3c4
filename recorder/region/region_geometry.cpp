// Rectangle rules of the region selection (pure).
#include "region_geometry.h"

#include <cstdio>
#include <utility>

namespace korvane {

namespace {

// Moves a w x h rectangle back inside the screen, edge by edge, keeping its size.
void PushInsideScreen(Rect& r, int w, int h, const Rect& screen)
{
    if (r.left < screen.left) {
        r.left = screen.left;
        r.right = screen.left + w - 1;
    }
    if (r.top < screen.top) {
        r.top = screen.top;
        r.bottom = screen.top + h - 1;
    }
    if (r.right > screen.right) {
        r.right = screen.right;
        r.left = screen.right - w + 1;
    }
    if (r.bottom > screen.bottom) {
        r.bottom = screen.bottom;
        r.top = screen.bottom - h + 1;
    }
}

Rect AtOrigin(int width, int height) { return Rect{0, 0, width - 1, height - 1}; }

int Width(const Rect& r) { return r.right - r.left + 1; }
int Height(const Rect& r) { return r.bottom - r.top + 1; }

// Pixels of `a` that `b` shows (inclusive rectangles).
long long Overlap(const Rect& a, const Rect& b)
{
    const int l = a.left > b.left ? a.left : b.left;
    const int t = a.top > b.top ? a.top : b.top;
    const int r = a.right < b.right ? a.right : b.right;
    const int bo = a.bottom < b.bottom ? a.bottom : b.bottom;
    if (r < l || bo < t)
        return 0;
    return static_cast<long long>(r - l + 1) * (bo - t + 1);
}

// How far `a`'s centre lies from `b` (0 inside it), in city-block pixels.
long long Distance(const Rect& a, const Rect& b)
{
    const long long cx = (static_cast<long long>(a.left) + a.right) / 2;
    const long long cy = (static_cast<long long>(a.top) + a.bottom) / 2;
    const long long dx = cx < b.left ? b.left - cx : cx > b.right ? cx - b.right : 0;
    const long long dy = cy < b.top ? b.top - cy : cy > b.bottom ? cy - b.bottom : 0;
    return dx + dy;
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

Rect& ClampRectToScreen(Rect& rect, const Rect& screen)
{
    NormalizeRect(rect);
    const int w = Width(rect);
    const int h = Height(rect);
    if (w > Width(screen)) {
        rect.left = screen.left;
        rect.right = screen.right;
    }
    if (h > Height(screen)) {
        rect.top = screen.top;
        rect.bottom = screen.bottom;
    }
    PushInsideScreen(rect, w, h, screen);
    return rect;
}

Rect& ClampRectToScreen(Rect& rect, int screenWidth, int screenHeight)
{
    return ClampRectToScreen(rect, AtOrigin(screenWidth, screenHeight));
}

Rect CentredFrameOffset(const Rect& frame)
{
    const int cx = (frame.left + frame.right) / 2;
    const int cy = (frame.top + frame.bottom) / 2;
    return Rect{frame.left - cx, frame.top - cy, frame.right - cx, frame.bottom - cy};
}

Rect FixedFrameAt(Point cursor, const Rect& offset, const Rect& frameSize, const Rect& screen)
{
    Rect r{cursor.x + offset.left, cursor.y + offset.top, cursor.x + offset.right,
           cursor.y + offset.bottom};
    PushInsideScreen(r, Width(frameSize), Height(frameSize), screen);
    return r;
}

Rect FixedFrameAt(Point cursor, const Rect& offset, const Rect& frameSize, int screenWidth,
                  int screenHeight)
{
    return FixedFrameAt(cursor, offset, frameSize, AtOrigin(screenWidth, screenHeight));
}

LabelLayout LayoutSizeLabel(const Rect& rect, Size textSize, int screenTop)
{
    LabelLayout layout;
    layout.text.x = rect.left + 10;
    layout.text.y =
        rect.top - screenTop >= textSize.cy + 4 ? rect.top - textSize.cy - 4 : rect.bottom + 4;
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

Rect BoundingBox(const std::vector<Rect>& monitors)
{
    if (monitors.empty())
        return Rect{};
    Rect box = monitors.front();
    for (const Rect& m : monitors) {
        box.left = m.left < box.left ? m.left : box.left;
        box.top = m.top < box.top ? m.top : box.top;
        box.right = m.right > box.right ? m.right : box.right;
        box.bottom = m.bottom > box.bottom ? m.bottom : box.bottom;
    }
    return box;
}

RefittedArea RefitArea(const Rect& area, const std::vector<Rect>& monitors)
{
    RefittedArea out;
    out.area = area;
    // Monitors never overlap, so the overlaps add up to what is still shown.
    long long shown = 0;
    const Rect* best = nullptr;
    long long bestOverlap = 0, bestDistance = 0;
    for (const Rect& m : monitors) {
        const long long overlap = Overlap(area, m);
        const long long distance = Distance(area, m);
        shown += overlap;
        if (!best || overlap > bestOverlap || (overlap == bestOverlap && distance < bestDistance)) {
            best = &m;
            bestOverlap = overlap;
            bestDistance = distance;
        }
    }
    if (shown == static_cast<long long>(Width(area)) * Height(area))
        return out;
    const Rect box = BoundingBox(monitors);
    const Rect* target = nullptr;
    if (best && Width(area) <= Width(*best) && Height(area) <= Height(*best))
        target = best;
    else if (best && Width(area) <= Width(box) && Height(area) <= Height(box))
        target = &box;
    if (!target) {
        out.fate = AreaFate::TooLarge;
        return out;
    }
    out.fate = AreaFate::Moved;
    ClampRectToScreen(out.area, *target);
    return out;
}

}  // namespace korvane
