// The cursor overlay. GDI clips whatever part of the image lies outside the frame.
#include "cursor_overlay.h"

#include "gdi_owners.h"

namespace korvane {

POINT CursorImageCorner(POINT pointer, POINT origin, POINT hotspot)
{
    return POINT{pointer.x - origin.x - hotspot.x, pointer.y - origin.y - hotspot.y};
}

namespace {

// GetIconInfo copies both of the cursor's bitmaps, which costs more than drawing it, so
// each thread keeps the last cursor's hotspot. It is asked again when the cursor changes
// and at least twice a second, in case a handle was destroyed and its value reused.
constexpr DWORD kHotspotRefreshMs = 500;
struct HotspotCache {
    HCURSOR cursor = nullptr;
    POINT hotspot = {};
    DWORD askedAt = 0;
};
thread_local HotspotCache hotspotCache;

// The hotspot of a drawable cursor; false when the handle is of no use in this process.
bool HotspotOf(HCURSOR cursor, POINT& hotspot)
{
    if (!cursor)
        return false;
    HotspotCache& cache = hotspotCache;
    const DWORD now = GetTickCount();
    if (cursor == cache.cursor && now - cache.askedAt < kHotspotRefreshMs) {
        hotspot = cache.hotspot;
        return true;
    }
    ICONINFO info = {};
    if (!GetIconInfo(cursor, &info)) {
        cache.cursor = nullptr;
        return false;
    }
    // GetIconInfo hands us copies of both bitmaps; the owners delete them.
    Bitmap mask(info.hbmMask);
    Bitmap colour(info.hbmColor);
    hotspot = POINT{static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
    cache = HotspotCache{cursor, hotspot, now};
    return true;
}

bool DrawAt(HDC frameDc, POINT pointer, POINT origin, HCURSOR cursor)
{
    POINT hotspot = {};
    if (!HotspotOf(cursor, hotspot))
        return false;
    const POINT corner = CursorImageCorner(pointer, origin, hotspot);
    if (DrawIcon(frameDc, corner.x, corner.y, cursor))
        return true;
    hotspotCache.cursor = nullptr;  // the handle has gone since it was asked
    return false;
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
