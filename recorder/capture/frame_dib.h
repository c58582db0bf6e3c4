// Packed frames: in locked global memory (made from a bitmap, released by pointer), or
// the pixels of a DIB section that screen copies write into directly, with the header
// kept beside them; and an owner that releases either at the end of its scope. Any
// thread.
#pragma once
#include "packed_dib_layout.h"
#include "unique_owner.h"

#include <memory>

#include <windows.h>

// Global memory handle of a packed DIB at captureBitsPerPixel made from `bitmap`,
// unlocked; null when the memory cannot be had or the bitmap cannot be read.
HGLOBAL BitmapToPackedDib(HBITMAP bitmap);

// Unlocks and frees a packed frame given by its locked pointer; null is ignored.
void ReleaseFrameDib(void* frame);

// Owner of one packed frame: a locked global block (as GrabRegionFrame returns it), whose
// block is counted in the tallies by ReleaseFrameDib, not here; or a sectioned frame.
struct PackedFrameTraits : korvane::OwnedHandleTraits<BITMAPINFOHEADER*> {
    static void Close(BITMAPINFOHEADER* frame) { ReleaseFrameDib(frame); }
};

class PackedFrame {
public:
    PackedFrame() = default;
    explicit PackedFrame(BITMAPINFOHEADER* frame) : m_frame(frame) {}
    // A frame of `header`'s size and depth (16 bits or more: no colour table) whose
    // pixels are those of a DIB section, so that copies into the section fill the frame
    // without a copy of their own; empty when the system cannot make one. Its header is
    // not followed by its pixels.
    static PackedFrame Sectioned(const BITMAPINFOHEADER& header,
                                 const korvane::PackedDibLayout& layout);

    BITMAPINFOHEADER* Header() const { return m_sectioned ? m_sectioned.get() : m_frame.Get(); }
    // The DIB section holding a sectioned frame's pixels; null for a global one. It
    // must not be left selected into a DC, or the frame cannot delete it.
    HBITMAP Section() const { return m_sectioned ? m_section : nullptr; }
    // A sectioned frame's pixels for as long as the frame lives, wherever it has been
    // handed; empty for a global one.
    std::weak_ptr<const BYTE> Watch() const
    {
        return m_sectioned ? std::shared_ptr<const BYTE>(m_sectioned, m_bits) : nullptr;
    }
    explicit operator bool() const { return Header() != nullptr; }
    // Length of header plus colour table: what the stream format is given.
    DWORD FormatBytes() const { return Header()->biSize + 4 * Header()->biClrUsed; }
    // The pixel rows: after header and colour table, or the section's.
    BYTE* Bits() const
    {
        return m_sectioned ? m_bits : reinterpret_cast<BYTE*>(Header()) + FormatBytes();
    }
    void Reset()
    {
        m_sectioned.reset();
        m_frame.Reset();
    }

private:
    korvane::UniqueOwner<PackedFrameTraits> m_frame;
    // A sectioned frame: its header, sharing the life of the section (m_section) and its
    // pixels (m_bits).
    std::shared_ptr<BITMAPINFOHEADER> m_sectioned;
    HBITMAP m_section = nullptr;
    BYTE* m_bits = nullptr;
};
