// GrabRegionFrame: one rectangle of the screen, with the cursor drawn in, as a packed
// frame in locked global memory. Recording thread (frames) and UI thread (test
// pictures); the caller releases the frame with ReleaseFrameDib or a PackedFrame.
// ScreenGrabber: the same frames, again and again, for one recording's area.
#pragma once
#include "frame_dib.h"
#include "gdi_owners.h"
#include "packed_dib_layout.h"

#include <windows.h>

// Null when the frame memory (or the bitmap) cannot be had; the caller ends the
// recording as a failed write does. quiet: leave the border alone (test frames).
BITMAPINFOHEADER* GrabRegionFrame(int width, int height, int left, int top, bool quiet);

// Grabs one area for a whole recording into a DIB section it keeps, so a frame costs
// screen copies and one memcpy instead of a new bitmap and GetDIBits. The screen is
// copied in bands of at most kBandBytes: on Wine a single copy past about 2 MB takes a
// path ten to fifty times slower than several smaller ones (1280x720x32: 105 ms whole,
// 2 ms in three bands); elsewhere the few extra calls cost next to nothing.
// Depths below 16 bits (a colour table) go through GrabRegionFrame. Recording thread.
class ScreenGrabber {
public:
    static constexpr size_t kBandBytes = 1536 * 1024;

    ScreenGrabber(int width, int height, int left, int top);
    // As GrabRegionFrame: a packed frame, or an empty one. `reuse`, an earlier frame of
    // this grabber, lends its memory, so a recording allocates frames only at its start.
    PackedFrame Grab(bool quiet, PackedFrame reuse = PackedFrame());

private:
    int m_width, m_height, m_left, m_top;
    korvane::PackedDibLayout m_layout;
    korvane::WindowDc m_screen;
    korvane::MemoryDc m_memory;
    korvane::Bitmap m_section;
    korvane::SelectGuard m_selected;
    void* m_bits = nullptr;
};
