// Compressor input depths and conversion.
#include "compressor_input.h"

#include "frame_depth.h"
#include "packed_dib_layout.h"

#include <cstring>

namespace korvane {

InputFormat::InputFormat(const BITMAPINFOHEADER& frame, int bits)
{
    const PackedDibLayout layout = LayoutForPackedDib(frame.biWidth, frame.biHeight, bits);
    if (layout.blockBytes == 0)
        return;
    m_bytes.assign(layout.headerBytes, 0);
    BITMAPINFOHEADER* header = Header();
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = frame.biWidth;
    header->biHeight = frame.biHeight;
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(bits);
    header->biCompression = BI_RGB;
    header->biSizeImage = static_cast<DWORD>(layout.imageBytes);
    header->biClrUsed = static_cast<DWORD>(layout.colourCount);
    if (layout.colourCount > 0)
        std::memcpy(header + 1, EightBitPalette(), 4 * size_t(layout.colourCount));
}

int AcceptedInputBits(HIC compressor, const BITMAPINFOHEADER* frame)
{
    if (!compressor || !frame)
        return 0;
    for (int bits : DepthsToOffer(frame->biBitCount)) {
        InputFormat format;
        const BITMAPINFOHEADER* asked = frame;
        if (bits != frame->biBitCount) {
            if (!CanConvertDepth(frame->biBitCount, bits))
                continue;
            format = InputFormat(*frame, bits);
            if (!format)
                continue;
            asked = format.Header();
        }
        if (ICSendMessage(compressor, ICM_COMPRESS_QUERY, reinterpret_cast<DWORD_PTR>(asked), 0) ==
            ICERR_OK)
            return bits;
    }
    return 0;
}

const BYTE* FrameConverter::Pixels(const PackedFrame& frame, DWORD& bytes)
{
    const BITMAPINFOHEADER* header = frame.Header();
    if (m_bits == 0 || m_bits == header->biBitCount) {
        bytes = header->biSizeImage;
        return frame.Bits();
    }
    const PackedDibLayout to = LayoutForPackedDib(header->biWidth, header->biHeight, m_bits);
    const PackedDibLayout from =
        LayoutForPackedDib(header->biWidth, header->biHeight, header->biBitCount);
    if (to.blockBytes == 0 || from.blockBytes == 0)
        return nullptr;
    // Padding bytes stay zero: a compressor may read whole rows.
    if (m_pixels.size() != to.imageBytes)
        m_pixels.assign(to.imageBytes, 0);
    const DepthRows rows{frame.Bits(), from.stride, header->biBitCount,
                         reinterpret_cast<const uint32_t*>(header + 1)};
    if (!ConvertDepth(rows, m_pixels.data(), to.stride, m_bits, header->biWidth, header->biHeight))
        return nullptr;
    bytes = static_cast<DWORD>(to.imageBytes);
    return m_pixels.data();
}

}  // namespace korvane
