// The standard cursor shapes, shared by the cursor hook (which turns a shape into its
// number) and the recorder (which turns the number back into a cursor of its own).
// Plain data; any thread.
#pragma once
#include <windows.h>

namespace korvane {

inline const WORD kStandardCursorIds[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                                          32644, 32645, 32646, 32648, 32649, 32650, 32651};

inline bool IsStandardCursorId(WPARAM value)
{
    for (WORD id : kStandardCursorIds)
        if (value == id)
            return true;
    return false;
}

}  // namespace korvane
