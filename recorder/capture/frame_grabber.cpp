// The frame grabber. The border is painted pale yellow while the screen is copied and
// green afterwards, so the user sees each grab.
#include "frame_grabber.h"

#include "border_seam.h"
#include "cursor_overlay.h"
#include "frame_dib.h"
#include "gdi_owners.h"
#include "app/recording_state.h"
#include "global_mem.h"

#include <utility>

namespace {

constexpr COLORREF kGrabbingColour = 0x00B4FFFF;
constexpr COLORREF kGrabbedColour = 0x0050FF00;

// The cursor to draw: the one the hook last reported, else this thread's cursor,
// which then stays in use until the hook reports another.
HCURSOR CursorForFrame()
{
    HCURSOR cursor = savedCursor.load();
    if (!cursor) {
        cursor = GetCursor();
        HCURSOR expected = nullptr;
        // The UI thread may have stored a report meanwhile; that one wins.
        if (!savedCursor.compare_exchange_strong(expected, cursor))
            cursor = expected;
    }
    return cursor;
}

}  // namespace

BITMAPINFOHEADER* GrabRegionFrame(int width, int height, int left, int top, bool quiet)
{
    korvane::WindowDc screen(nullptr);
    if (!screen)
        return nullptr;
    if (!quiet)
        PaintBorder(kGrabbingColour);

    korvane::GlobalBlock packed;
    {
        korvane::MemoryDc memory(screen.Get());
        korvane::Bitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
        if (memory && bitmap) {
            {
                korvane::SelectGuard select(memory.Get(), bitmap.Get());
                BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), left, top, SRCCOPY);
                POINT pointer = {};
                GetCursorPos(&pointer);
                korvane::DrawCursorInFrame(memory.Get(), pointer, POINT{left, top},
                                           CursorForFrame());
            }
            // BitmapToPackedDib hands over a block it has already counted.
            packed = korvane::GlobalBlock::Reclaim(BitmapToPackedDib(bitmap.Get()));
        }
    }
    korvane::LockedGlobal frame = korvane::LockGlobal(std::move(packed));
    if (!quiet)
        PaintBorder(kGrabbedColour);
    // Still counted as open: ReleaseFrameDib takes it back by its pointer.
    return static_cast<BITMAPINFOHEADER*>(frame.Detach().data);
}
