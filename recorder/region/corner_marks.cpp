// The corner-mark region (pure GDI region work).
#include "corner_marks.h"

#include "gdi_owners.h"

namespace korvane {

namespace {

// Subtracts (l, t, r, b) from `region`; an empty rectangle removes nothing.
void Subtract(HRGN region, int l, int t, int r, int b)
{
    if (r <= l || b <= t)
        return;
    const Region cut(CreateRectRgn(l, t, r, b));
    if (cut)
        CombineRgn(region, region, cut.Get(), RGN_DIFF);
}

}  // namespace

HRGN CreateCornerMarkRegion(int left, int top, int width, int height)
{
    // Built in a frame where the area spans 6 .. W + 5, then moved into place.
    HRGN region = CreateRectRgn(0, 0, width + 11, height + 11);
    if (!region)
        return nullptr;
    Subtract(region, 6, 6, width + 6, height + 6);
    Subtract(region, 0, 24, width + 11, height - 12);
    Subtract(region, 24, 0, width - 12, height + 11);
    OffsetRgn(region, left - 6, top - 6);
    return region;
}

bool CornerPaintRect(const RECT& frame, RECT* out)
{
    if (!(frame.left < frame.right && frame.top < frame.bottom))
        return false;
    *out = RECT{frame.left - 6, frame.top - 6, frame.right + 6, frame.bottom + 6};
    return true;
}

}  // namespace korvane
