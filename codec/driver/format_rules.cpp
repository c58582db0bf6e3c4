// Format rules of the Video 1 driver. Any thread.
#include "format_rules.h"

#include "video1.h"

namespace kvmsvc {

namespace {

DWORD UpperFourCC(DWORD fourcc)
{
    DWORD upper = 0;
    for (int i = 0; i < 4; ++i) {
        DWORD c = (fourcc >> (8 * i)) & 0xFF;
        if (c >= 'a' && c <= 'z')
            c -= 'a' - 'A';
        upper |= c << (8 * i);
    }
    return upper;
}

bool HasSaneSize(const BITMAPINFOHEADER& bih)
{
    // The colour table is found biSize bytes in; no header is longer than the V5 one.
    return bih.biSize >= sizeof(BITMAPINFOHEADER) && bih.biSize <= sizeof(BITMAPV5HEADER) &&
           bih.biWidth > 0 && bih.biWidth <= kMaxDimension && bih.biHeight != 0 &&
           bih.biHeight >= -kMaxDimension && bih.biHeight <= kMaxDimension && bih.biPlanes == 1;
}

// A declared image size smaller than the rows would let us read or write past the
// caller's buffer; zero means "not given" for BI_RGB.
bool SizeImageCovers(const BITMAPINFOHEADER& bih)
{
    LONG rows = bih.biHeight < 0 ? -bih.biHeight : bih.biHeight;
    return bih.biSizeImage == 0 || bih.biSizeImage >= DibStride(bih.biWidth, bih.biBitCount) * rows;
}

// A 16-bit picture of the same size as `in`, in `compression`.
BITMAPINFOHEADER SixteenBitFormatLike(const BITMAPINFOHEADER& in, DWORD compression,
                                      DWORD sizeImage)
{
    BITMAPINFOHEADER out = {};
    out.biSize = sizeof(BITMAPINFOHEADER);
    out.biWidth = in.biWidth;
    out.biHeight = in.biHeight;
    out.biPlanes = 1;
    out.biBitCount = 16;
    out.biCompression = compression;
    out.biSizeImage = sizeImage;
    return out;
}

}  // namespace

size_t DibStride(LONG width, int bitCount)
{
    return ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
}

size_t PaletteBytes(const BITMAPINFOHEADER& bih)
{
    if (bih.biBitCount != 8)
        return 0;
    return (bih.biClrUsed ? bih.biClrUsed : 256) * sizeof(RGBQUAD);
}

bool IsVideo1FourCC(DWORD fourcc)
{
    DWORD upper = UpperFourCC(fourcc);
    return upper == kFourCCMsvc || upper == mmioFOURCC('C', 'R', 'A', 'M') ||
           upper == mmioFOURCC('W', 'H', 'A', 'M');
}

bool IsVideoCompressorType(DWORD fccType)
{
    return fccType == 0 || UpperFourCC(fccType) == mmioFOURCC('V', 'I', 'D', 'C');
}

bool IsCompressibleInput(const BITMAPINFOHEADER& in)
{
    if (!HasSaneSize(in) || in.biHeight < 0 || in.biCompression != BI_RGB)
        return false;
    if (in.biBitCount != 8 && in.biBitCount != 16 && in.biBitCount != 24 && in.biBitCount != 32)
        return false;
    if (in.biBitCount == 8 && in.biClrUsed > 256)
        return false;
    return video1::IsCodableSize(in.biWidth, in.biHeight) && SizeImageCovers(in);
}

bool IsCompressedOutputFor(const BITMAPINFOHEADER& in, const BITMAPINFOHEADER& out)
{
    return out.biSize >= sizeof(BITMAPINFOHEADER) && IsVideo1FourCC(out.biCompression) &&
           out.biBitCount == 16 && out.biPlanes == 1 && out.biWidth == in.biWidth &&
           out.biHeight == in.biHeight;
}

BITMAPINFOHEADER CompressedFormatFor(const BITMAPINFOHEADER& in)
{
    // Callers size their frame buffer from this; it exceeds the worst coded frame.
    return SixteenBitFormatLike(
        in, kFourCCMsvc, static_cast<DWORD>(in.biWidth) * static_cast<DWORD>(in.biHeight) * 2);
}

bool IsDecompressibleInput(const BITMAPINFOHEADER& in)
{
    return HasSaneSize(in) && in.biHeight > 0 && in.biBitCount == 16 &&
           IsVideo1FourCC(in.biCompression);
}

bool IsDecompressedOutputFor(const BITMAPINFOHEADER& in, const BITMAPINFOHEADER& out)
{
    if (!HasSaneSize(out) || out.biCompression != BI_RGB)
        return false;
    if (out.biBitCount != 16 && out.biBitCount != 24 && out.biBitCount != 32)
        return false;
    LONG rows = out.biHeight < 0 ? -out.biHeight : out.biHeight;
    return out.biWidth == in.biWidth && rows == in.biHeight && SizeImageCovers(out);
}

BITMAPINFOHEADER DecompressedFormatFor(const BITMAPINFOHEADER& in)
{
    return SixteenBitFormatLike(in, BI_RGB,
                                static_cast<DWORD>(DibStride(in.biWidth, 16) * in.biHeight));
}

}  // namespace kvmsvc
