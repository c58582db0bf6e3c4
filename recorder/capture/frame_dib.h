// Packed frames in locked global memory: made from a bitmap, released by pointer, and
// an owner that releases one at the end of its scope. Any thread.
#pragma once
#include "unique_owner.h"

#include <windows.h>

// Global memory handle of a packed DIB at captureBitsPerPixel made from `bitmap`,
// unlocked; null when the memory cannot be had or the bitmap cannot be read.
HGLOBAL BitmapToPackedDib(HBITMAP bitmap);

// Unlocks and frees a packed frame given by its locked pointer; null is ignored.
void ReleaseFrameDib(void* frame);

// Owner of one locked packed frame (as GrabRegionFrame returns it). The frame's block
// is counted in the tallies by ReleaseFrameDib, not here.
struct PackedFrameTraits : korvane::OwnedHandleTraits<BITMAPINFOHEADER*> {
    static void Close(BITMAPINFOHEADER* frame) { ReleaseFrameDib(frame); }
};

class PackedFrame {
public:
    PackedFrame() = default;
    explicit PackedFrame(BITMAPINFOHEADER* frame) : m_frame(frame) {}

    BITMAPINFOHEADER* Header() const { return m_frame.Get(); }
    explicit operator bool() const { return static_cast<bool>(m_frame); }
    // Length of header plus colour table: what the stream format is given.
    DWORD FormatBytes() const { return Header()->biSize + 4 * Header()->biClrUsed; }
    // The pixel rows after header and colour table.
    BYTE* Bits() const { return reinterpret_cast<BYTE*>(Header()) + FormatBytes(); }
    void Reset() { m_frame.Reset(); }

private:
    korvane::UniqueOwner<PackedFrameTraits> m_frame;
};
