// GrabRegionFrame: one rectangle of the screen, with the cursor drawn in, as a packed
// frame in locked global memory. Recording thread (frames) and UI thread (test
// pictures); the caller releases the frame with ReleaseFrameDib or a PackedFrame.
// ScreenGrabber: the same frames, again and again, for one recording's area.
#pragma once
#include "frame_dib.h"
#include "gdi_owners.h"
#include "packed_dib_layout.h"

#include <memory>

#include <windows.h>

// Null when the frame memory (or the bitmap) cannot be had; the caller ends the
// recording as a failed write does. quiet: leave the border alone (test frames).
BITMAPINFOHEADER* GrabRegionFrame(int width, int height, int left, int top, bool quiet);

// Rows of one screen copy for an area of `height` rows of `stride` bytes. On Wine a copy
// from the screen goes through temporary images as large as the copy, and from about
// 700 KB they are fresh memory each time: a 1280x720 frame then costs 35-55 ms, mostly
// page faults (about 1770 a frame, twice its pages), in bands of 512 KB 2-3 ms.
// Elsewhere the whole area is one copy, as each screen copy there has a fixed cost.
int ScreenCopyBandRows(size_t stride, int height);

// Grabs one area for a whole recording straight into sectioned frames, so a frame costs
// its screen copies alone instead of a new bitmap and GetDIBits. Depths below 16 bits (a
// colour table), and frames the system cannot section, go through GrabRegionFrame.
// Recording thread.
class ScreenGrabber {
public:
    ScreenGrabber(int width, int height, int left, int top);
    // As GrabRegionFrame: a packed frame, or an empty one. `reuse`, an earlier frame of
    // this grabber, lends its memory, so a recording allocates frames only at its start.
    PackedFrame Grab(bool quiet, PackedFrame reuse = PackedFrame());
    // Frames whose screen copy failed (a locked screen, a secure desktop): they hold the
    // last picture that was read.
    unsigned FailedGrabs() const { return m_failedGrabs; }
    // Grabs the same size from another origin from now on (the monitors changed).
    void MoveTo(int left, int top)
    {
        m_left = left;
        m_top = top;
    }

private:
    bool Fits(const PackedFrame& frame) const;
    void KeepLastRead(const PackedFrame& frame, int y, int rows) const;

    int m_width, m_height, m_left, m_top;
    korvane::PackedDibLayout m_layout;
    BITMAPINFOHEADER m_format = {};
    korvane::WindowDc m_screen;
    korvane::MemoryDc m_memory;
    // The last frame whose every band was read, while it lives.
    std::weak_ptr<const BYTE> m_lastRead;
    int m_bandRows;
    unsigned m_failedGrabs = 0;
};
