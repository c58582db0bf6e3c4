// The cursor overlay. GDI clips whatever part of the image lies outside the frame. The
// cursor is drawn at the size of its own bitmaps: DrawIcon would stretch it to the
// default icon size, so a large pointer, or any pointer at another scaling than 100 %,
// would be recorded at the wrong size with its hotspot off.
#include "cursor_overlay.h"

#include "gdi_owners.h"

namespace korvane {

POINT CursorImageCorner(POINT pointer, POINT origin, POINT hotspot)
{
    return POINT{pointer.x - origin.x - hotspot.x, pointer.y - origin.y - hotspot.y};
}

namespace {

// GetIconInfo copies both of the cursor's bitmaps, which costs more than drawing it, so
// each thread keeps the last cursor's hotspot and size. They are asked again when the
// cursor changes and at least twice a second, in case a handle was destroyed and its
// value reused.
constexpr DWORD kHotspotRefreshMs = 500;
struct CursorShape {
    POINT hotspot = {};
    SIZE size = {};
};
struct ShapeCache {
    HCURSOR cursor = nullptr;
    CursorShape shape;
    DWORD askedAt = 0;
};
thread_local ShapeCache shapeCache;

// The size of a cursor's image: its colour bitmap, else its mask, which holds the AND
// and the XOR image one above the other.
SIZE ImageSize(HBITMAP mask, HBITMAP colour)
{
    BITMAP bm = {};
    if (colour && GetObjectA(colour, sizeof bm, &bm))
        return SIZE{bm.bmWidth, bm.bmHeight};
    if (mask && GetObjectA(mask, sizeof bm, &bm))
        return SIZE{bm.bmWidth, bm.bmHeight / 2};
    return SIZE{};
}

// The hotspot and size of a drawable cursor; false when the handle is of no use here.
bool ShapeOf(HCURSOR cursor, CursorShape& shape)
{
    if (!cursor)
        return false;
    ShapeCache& cache = shapeCache;
    const DWORD now = GetTickCount();
    if (cursor == cache.cursor && now - cache.askedAt < kHotspotRefreshMs) {
        shape = cache.shape;
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
    shape.hotspot = POINT{static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
    shape.size = ImageSize(mask.Get(), colour.Get());
    cache = ShapeCache{cursor, shape, now};
    return true;
}

bool DrawAt(HDC frameDc, POINT pointer, POINT origin, HCURSOR cursor)
{
    CursorShape shape;
    if (!ShapeOf(cursor, shape))
        return false;
    const POINT corner = CursorImageCorner(pointer, origin, shape.hotspot);
    // A size of 0 (unknown) draws the image at its own size as well.
    if (DrawIconEx(frameDc, corner.x, corner.y, cursor, shape.size.cx, shape.size.cy, 0, nullptr,
                   DI_NORMAL))
        return true;
    shapeCache.cursor = nullptr;  // the handle has gone since it was asked
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
