// Cursor reports to drawable cursors (UI thread).
#include "resolve_cursor.h"

#include "cursor_ids.h"

namespace korvane {

HCURSOR ResolveReportedCursor(WPARAM report)
{
    if (IsStandardCursorId(report))
        if (HCURSOR own = LoadCursorA(nullptr, MAKEINTRESOURCEA(report)))
            return own;
    return reinterpret_cast<HCURSOR>(report);
}

}  // namespace korvane
