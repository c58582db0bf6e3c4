// What a compressor is handed: the depth it takes frames in (asked with ICM_COMPRESS_QUERY
// in the order of DepthsToOffer), the stream format at that depth, and each grabbed frame
// converted to it. Any thread; an InputFormat or FrameConverter is used by one at a time.
#pragma once
#include "frame_dib.h"

#include <windows.h>
#include <vfw.h>

#include <vector>

namespace korvane {

// A BITMAPINFOHEADER with its colour table (8 bits: EightBitPalette), as a compressor
// and the stream format are given it.
class InputFormat {
public:
    InputFormat() = default;
    // `frame`'s size at `bits`.
    InputFormat(const BITMAPINFOHEADER& frame, int bits);

    const BITMAPINFOHEADER* Header() const
    {
        return reinterpret_cast<const BITMAPINFOHEADER*>(m_bytes.data());
    }
    BITMAPINFOHEADER* Header() { return reinterpret_cast<BITMAPINFOHEADER*>(m_bytes.data()); }
    DWORD Bytes() const { return static_cast<DWORD>(m_bytes.size()); }
    explicit operator bool() const { return !m_bytes.empty(); }

private:
    std::vector<BYTE> m_bytes;
};

// The first depth that `compressor` takes frames of `frame`'s size in, or 0 when it
// takes none. The frame's own depth is asked with the frame itself.
int AcceptedInputBits(HIC compressor, const BITMAPINFOHEADER* frame);

// Turns grabbed frames into frames at the compressor's depth, in memory of its own that
// is reused from frame to frame.
class FrameConverter {
public:
    explicit FrameConverter(int bits = 0) : m_bits(bits) {}
    int Bits() const { return m_bits; }
    // The pixel rows to compress for `frame`: its own when the depths agree (or no depth
    // was chosen), else the converted rows; `bytes` gets their size. Null when the frame
    // cannot be converted.
    const BYTE* Pixels(const PackedFrame& frame, DWORD& bytes);

private:
    int m_bits;
    std::vector<BYTE> m_pixels;
};

}  // namespace korvane
