// Message handlers of one open ZMBV driver instance, and the DIB formats it takes in
// and gives out. The caller (DriverProc) keeps exceptions from escaping.
#include "zmbv_instance.h"

#include "format_rules.h"

#include <array>
#include <cstring>

namespace kvzmbv {

namespace {

using kvmsvc::DibStride;

bool HasSaneSize(const BITMAPINFOHEADER& bih)
{
    return bih.biSize >= sizeof(BITMAPINFOHEADER) && bih.biSize <= sizeof(BITMAPV5HEADER) &&
           bih.biWidth > 0 && bih.biWidth <= zmbv::kMaxDimension && bih.biHeight != 0 &&
           bih.biHeight >= -zmbv::kMaxDimension && bih.biHeight <= zmbv::kMaxDimension &&
           bih.biPlanes == 1;
}

// A declared image size smaller than the rows would let us read or write past the
// caller's buffer; zero means "not given".
bool SizeImageCovers(const BITMAPINFOHEADER& bih)
{
    const LONG rows = bih.biHeight < 0 ? -bih.biHeight : bih.biHeight;
    return bih.biSizeImage == 0 || bih.biSizeImage >= DibStride(bih.biWidth, bih.biBitCount) * rows;
}

bool Is565(const BITMAPINFO& bi)
{
    const auto* masks = reinterpret_cast<const DWORD*>(&bi.bmiColors[0]);
    return bi.bmiHeader.biCompression == BI_BITFIELDS && bi.bmiHeader.biBitCount == 16 &&
           masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F;
}

// The input layout, or false for one we do not code.
bool InputFormat(const BITMAPINFO* in, zmbv::PixelFormat* format)
{
    if (!in)
        return false;
    const BITMAPINFOHEADER& bih = in->bmiHeader;
    if (!HasSaneSize(bih) || bih.biHeight < 0 || !SizeImageCovers(bih))
        return false;
    if (Is565(*in)) {
        *format = zmbv::PixelFormat::Rgb565;
        return true;
    }
    if (bih.biCompression != BI_RGB)
        return false;
    switch (bih.biBitCount) {
    case 8: *format = zmbv::PixelFormat::Pal8; return bih.biClrUsed <= 256;
    case 16: *format = zmbv::PixelFormat::Rgb555; return true;
    case 24: *format = zmbv::PixelFormat::Bgr24; return true;
    case 32: *format = zmbv::PixelFormat::Bgrx32; return true;
    }
    return false;
}

bool IsZmbvFourCC(DWORD fourcc)
{
    return (fourcc & 0xDFDFDFDF) == kFourCCZmbv;  // any letter case
}

BITMAPINFOHEADER CompressedFormatFor(const BITMAPINFOHEADER& in, zmbv::PixelFormat format)
{
    const zmbv::StreamFormat stream = zmbv::StreamFormatFor(format);
    BITMAPINFOHEADER out = {};
    out.biSize = sizeof(BITMAPINFOHEADER);
    out.biWidth = in.biWidth;
    out.biHeight = in.biHeight;
    out.biPlanes = 1;
    out.biBitCount = static_cast<WORD>(zmbv::BytesPerPixel(stream) * 8);
    out.biCompression = kFourCCZmbv;
    out.biSizeImage = static_cast<DWORD>(zmbv::MaxEncodedSize(in.biWidth, in.biHeight, stream));
    return out;
}

bool IsDecompressibleInput(const BITMAPINFOHEADER& in)
{
    return HasSaneSize(in) && in.biHeight > 0 && IsZmbvFourCC(in.biCompression);
}

bool IsDecompressedOutputFor(const BITMAPINFOHEADER& in, const BITMAPINFOHEADER& out)
{
    if (!HasSaneSize(out) || out.biCompression != BI_RGB)
        return false;
    if (out.biBitCount != 16 && out.biBitCount != 24 && out.biBitCount != 32)
        return false;
    const LONG rows = out.biHeight < 0 ? -out.biHeight : out.biHeight;
    return out.biWidth == in.biWidth && rows == in.biHeight && SizeImageCovers(out);
}

}  // namespace

LRESULT GetInfo(ICINFO* info, DWORD size)
{
    if (!info || size < sizeof(ICINFO))
        return 0;
    std::memset(info, 0, sizeof(ICINFO));
    info->dwSize = sizeof(ICINFO);
    info->fccType = ICTYPE_VIDEO;
    info->fccHandler = kFourCCZmbv;
    info->dwFlags = VIDCF_TEMPORAL | VIDCF_FASTTEMPORALC;  // lossless: no quality
    info->dwVersion = 0x00010000;
    info->dwVersionICM = ICVERSION;
    lstrcpynW(info->szName, L"ZMBV", sizeof info->szName / sizeof(WCHAR));
    lstrcpynW(info->szDescription, L"Korvane Lossless Screen (ZMBV)",
              sizeof info->szDescription / sizeof(WCHAR));
    return sizeof(ICINFO);
}

// ---- compression ---------------------------------------------------------------

LRESULT ZmbvInstance::CompressQuery(const BITMAPINFO* in, const BITMAPINFO* out) const
{
    zmbv::PixelFormat format;
    if (!InputFormat(in, &format))
        return ICERR_BADFORMAT;
    if (out) {
        const BITMAPINFOHEADER& o = out->bmiHeader;
        if (!IsZmbvFourCC(o.biCompression) || o.biWidth != in->bmiHeader.biWidth ||
            o.biHeight != in->bmiHeader.biHeight)
            return ICERR_BADFORMAT;
    }
    return ICERR_OK;
}

LRESULT ZmbvInstance::CompressGetFormat(const BITMAPINFO* in, BITMAPINFO* out) const
{
    if (!out)
        return sizeof(BITMAPINFOHEADER);
    zmbv::PixelFormat format;
    if (!InputFormat(in, &format))
        return ICERR_BADFORMAT;
    out->bmiHeader = CompressedFormatFor(in->bmiHeader, format);
    return ICERR_OK;
}

LRESULT ZmbvInstance::CompressGetSize(const BITMAPINFO* in) const
{
    zmbv::PixelFormat format;
    if (!InputFormat(in, &format))
        return ICERR_BADFORMAT;
    return static_cast<LRESULT>(zmbv::MaxEncodedSize(in->bmiHeader.biWidth, in->bmiHeader.biHeight,
                                                     zmbv::StreamFormatFor(format)));
}

LRESULT ZmbvInstance::CompressBegin(const BITMAPINFO* in, const BITMAPINFO* out)
{
    const LRESULT query = CompressQuery(in, out);
    if (query != ICERR_OK)
        return query;
    zmbv::PixelFormat format;
    InputFormat(in, &format);
    m_encoder.reset();
    m_encoder =
        std::make_unique<zmbv::Encoder>(in->bmiHeader.biWidth, in->bmiHeader.biHeight, format);
    return ICERR_OK;
}

LRESULT ZmbvInstance::Compress(ICCOMPRESS* params, DWORD size)
{
    if (!params || size < sizeof(ICCOMPRESS) || !params->lpbiInput || !params->lpInput ||
        !params->lpbiOutput || !params->lpOutput)
        return ICERR_BADPARAM;
    const auto* in = reinterpret_cast<const BITMAPINFO*>(params->lpbiInput);
    zmbv::PixelFormat format;
    if (!InputFormat(in, &format))
        return ICERR_BADFORMAT;
    const BITMAPINFOHEADER& bih = in->bmiHeader;
    // A caller that skipped ICM_COMPRESS_BEGIN, or changed the format, starts a new
    // sequence here rather than having its frame coded against the wrong picture.
    if (!m_encoder || m_encoder->width() != bih.biWidth || m_encoder->height() != bih.biHeight ||
        m_encoder->format() != format)
        m_encoder = std::make_unique<zmbv::Encoder>(bih.biWidth, bih.biHeight, format);

    std::array<uint32_t, 256> palette = {};
    zmbv::SourceFrame source;
    source.bits = static_cast<const uint8_t*>(params->lpInput);
    source.stride = static_cast<int>(DibStride(bih.biWidth, bih.biBitCount));
    source.format = format;
    if (format == zmbv::PixelFormat::Pal8) {
        // The colour table follows the header; unused entries stay black.
        std::memcpy(palette.data(), reinterpret_cast<const uint8_t*>(&bih) + bih.biSize,
                    kvmsvc::PaletteBytes(bih));
        source.palette = palette.data();
    }
    // The quality is ignored: the codec is lossless.
    const bool forceKey = (params->dwFlags & ICCOMPRESS_KEYFRAME) != 0;
    const size_t capacity =
        zmbv::MaxEncodedSize(bih.biWidth, bih.biHeight, zmbv::StreamFormatFor(format));
    bool isKey = false;
    const size_t written = m_encoder->Encode(
        source, forceKey, static_cast<uint8_t*>(params->lpOutput), capacity, &isKey);
    if (written == 0)
        return ICERR_INTERNAL;
    BITMAPINFOHEADER& outHeader = *params->lpbiOutput;
    outHeader = CompressedFormatFor(bih, format);
    outHeader.biSizeImage = static_cast<DWORD>(written);
    if (params->lpdwFlags)
        *params->lpdwFlags = isKey ? AVIIF_KEYFRAME : 0;
    return ICERR_OK;
}

LRESULT ZmbvInstance::CompressEnd()
{
    m_encoder.reset();
    return ICERR_OK;
}

// ---- decompression -------------------------------------------------------------

LRESULT ZmbvInstance::DecompressQuery(const BITMAPINFO* in, const BITMAPINFO* out) const
{
    if (!in || !IsDecompressibleInput(in->bmiHeader))
        return ICERR_BADFORMAT;
    if (out && !IsDecompressedOutputFor(in->bmiHeader, out->bmiHeader))
        return ICERR_BADFORMAT;
    return ICERR_OK;
}

LRESULT ZmbvInstance::DecompressGetFormat(const BITMAPINFO* in, BITMAPINFO* out) const
{
    if (!out)
        return sizeof(BITMAPINFOHEADER);
    if (!in || !IsDecompressibleInput(in->bmiHeader))
        return ICERR_BADFORMAT;
    BITMAPINFOHEADER& o = out->bmiHeader;
    o = {};
    o.biSize = sizeof(BITMAPINFOHEADER);
    o.biWidth = in->bmiHeader.biWidth;
    o.biHeight = in->bmiHeader.biHeight;
    o.biPlanes = 1;
    o.biBitCount = 32;  // every stream format shows exactly in 32 bits
    o.biCompression = BI_RGB;
    o.biSizeImage = static_cast<DWORD>(DibStride(o.biWidth, 32) * o.biHeight);
    return ICERR_OK;
}

LRESULT ZmbvInstance::DecompressBegin(const BITMAPINFO* in, const BITMAPINFO* out)
{
    const LRESULT query = DecompressQuery(in, out);
    if (query != ICERR_OK)
        return query;
    m_decoder.reset();
    m_decoder = std::make_unique<zmbv::Decoder>(in->bmiHeader.biWidth, in->bmiHeader.biHeight);
    return ICERR_OK;
}

LRESULT ZmbvInstance::Decompress(ICDECOMPRESS* params, DWORD size)
{
    if (!params || size < sizeof(ICDECOMPRESS) || !params->lpbiInput)
        return ICERR_BADPARAM;
    const BITMAPINFOHEADER& in = *params->lpbiInput;
    if (!IsDecompressibleInput(in))
        return ICERR_BADFORMAT;
    const bool hurry = (params->dwFlags & ICDECOMPRESS_HURRYUP) != 0;
    if (!hurry) {
        if (!params->lpbiOutput || !params->lpOutput)
            return ICERR_BADPARAM;
        if (!IsDecompressedOutputFor(in, *params->lpbiOutput))
            return ICERR_BADFORMAT;
    }
    if (!m_decoder || m_decoder->width() != in.biWidth || m_decoder->height() != in.biHeight)
        m_decoder = std::make_unique<zmbv::Decoder>(in.biWidth, in.biHeight);

    // An empty frame (a dropped or repeated one) leaves the picture as it is.
    LRESULT result = ICERR_OK;
    const bool empty = in.biSizeImage == 0 || (params->dwFlags & ICDECOMPRESS_NULLFRAME);
    if (!empty) {
        if (!params->lpInput)
            return ICERR_BADPARAM;
        if (m_decoder->Decode(static_cast<const uint8_t*>(params->lpInput), in.biSizeImage) !=
            zmbv::DecodeResult::Ok)
            result = ICERR_ERROR;
    }
    if (hurry)
        return result;
    if (!m_decoder->HasPicture())
        return ICERR_ERROR;  // nothing to show before the first key frame
    const BITMAPINFOHEADER& out = *params->lpbiOutput;
    int stride = static_cast<int>(DibStride(out.biWidth, out.biBitCount));
    uint8_t* bits = static_cast<uint8_t*>(params->lpOutput);
    if (out.biHeight < 0) {  // top-down: DIB row 0 is the last in memory
        bits += static_cast<size_t>(stride) * (-out.biHeight - 1);
        stride = -stride;
    }
    if (!m_decoder->CopyTo(bits, stride, out.biBitCount))
        return ICERR_BADFORMAT;
    return result;
}

LRESULT ZmbvInstance::DecompressEnd()
{
    m_decoder.reset();
    return ICERR_OK;
}

}  // namespace kvzmbv
