// Packed frames in locked global memory: made from a bitmap, released by pointer, and
// an owner that releases one at the end of its scope. Any thread.
#pragma once
#include <windows.h>

#include <utility>

// Global memory handle of a packed DIB at captureBitsPerPixel made from `bitmap`,
// unlocked; null when the memory cannot be had or the bitmap cannot be read.
HGLOBAL BitmapToPackedDib(HBITMAP bitmap);

// Unlocks and frees a packed frame given by its locked pointer; null is ignored.
void ReleaseFrameDib(void* frame);

// Owner of one locked packed frame (as GrabRegionFrame returns it).
class PackedFrame {
public:
    PackedFrame() = default;
    explicit PackedFrame(BITMAPINFOHEADER* frame) : m_frame(frame) {}
    ~PackedFrame() { ReleaseFrameDib(m_frame); }
    PackedFrame(PackedFrame&& other) noexcept : m_frame(std::exchange(other.m_frame, nullptr)) {}
    PackedFrame& operator=(PackedFrame&& other) noexcept
    {
        if (this != &other) {
            ReleaseFrameDib(m_frame);
            m_frame = std::exchange(other.m_frame, nullptr);
        }
        return *this;
    }
    PackedFrame(const PackedFrame&) = delete;
    PackedFrame& operator=(const PackedFrame&) = delete;

    BITMAPINFOHEADER* Header() const { return m_frame; }
    explicit operator bool() const { return m_frame != nullptr; }
    // Length of header plus colour table: what the stream format is given.
    DWORD FormatBytes() const { return m_frame->biSize + 4 * m_frame->biClrUsed; }
    // The pixel rows after header and colour table.
    BYTE* Bits() const { return reinterpret_cast<BYTE*>(m_frame) + FormatBytes(); }
    void Reset()
    {
        ReleaseFrameDib(m_frame);
        m_frame = nullptr;
    }

private:
    BITMAPINFOHEADER* m_frame = nullptr;
};
