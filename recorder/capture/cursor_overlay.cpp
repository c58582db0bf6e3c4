// The cursor overlay. GDI clips whatever part of the image lies outside the frame.
#include "cursor_overlay.h"

#include "gdi_owners.h"

namespace korvane {

POINT CursorImageCorner(POINT pointer, POINT origin, POINT hotspot)
{
    return POINT{pointer.x - origin.x - hotspot.x, pointer.y - origin.y - hotspot.y};
}

namespace {

// The hotspot of a drawable cursor; false when the handle is of no use in this process.
bool HotspotOf(HCURSOR cursor, POINT& hotspot)
{
    ICONINFO info = {};
    if (!cursor || !GetIconInfo(cursor, &info))
        return false;
    // GetIconInfo hands us copies of both bitmaps; the owners delete them.
    Bitmap mask(info.hbmMask);
    Bitmap colour(info.hbmColor);
    hotspot = POINT{static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
    return true;
}

bool DrawAt(HDC frameDc, POINT pointer, POINT origin, HCURSOR cursor)
{
    POINT hotspot = {};
    if (!HotspotOf(cursor, hotspot))
        return false;
    const POINT corner = CursorImageCorner(pointer, origin, hotspot);
    return DrawIcon(frameDc, corner.x, corner.y, cursor) != FALSE;
}

}  // namespace

HCURSOR DrawCursorInFrame(HDC frameDc, POINT pointer, POINT origin, HCURSOR cursor)
{
    if (DrawAt(frameDc, pointer, origin, cursor))
        return cursor;
    // Shared system cursor: no owner, never destroyed.
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    return DrawAt(frameDc, pointer, origin, arrow) ? arrow : nullptr;
}

}  // namespace korvane
