// The region rules on Win32 records, for the selection window, which keeps its
// rectangles as RECT for GDI. Each call converts in and out. Windows only; any thread.
#pragma once
#include "region_geometry.h"
#include "win_boundary.h"

namespace korvane {

inline RECT& ClampRectToScreen(RECT& rect, int screenWidth, int screenHeight)
{
    Rect r = ToRect(rect);
    rect = ToRECT(ClampRectToScreen(r, screenWidth, screenHeight));
    return rect;
}

inline RECT& ClampRectToScreen(RECT& rect, const RECT& screen)
{
    Rect r = ToRect(rect);
    rect = ToRECT(ClampRectToScreen(r, ToRect(screen)));
    return rect;
}

inline RECT CentredFrameOffset(const RECT& frame)
{
    return ToRECT(CentredFrameOffset(ToRect(frame)));
}

inline RECT FixedFrameAt(POINT cursor, const RECT& offset, const RECT& frameSize, int screenWidth,
                         int screenHeight)
{
    return ToRECT(FixedFrameAt(ToPoint(cursor), ToRect(offset), ToRect(frameSize), screenWidth,
                               screenHeight));
}

inline RECT FixedFrameAt(POINT cursor, const RECT& offset, const RECT& frameSize,
                         const RECT& screen)
{
    return ToRECT(FixedFrameAt(ToPoint(cursor), ToRect(offset), ToRect(frameSize), ToRect(screen)));
}

inline LabelLayout LayoutSizeLabel(const RECT& rect, SIZE textSize, int screenTop = 0)
{
    return LayoutSizeLabel(ToRect(rect), ToSize(textSize), screenTop);
}

inline void FormatSizeLabel(const RECT& rect, char* buffer, int size)
{
    FormatSizeLabel(ToRect(rect), buffer, size);
}

}  // namespace korvane
