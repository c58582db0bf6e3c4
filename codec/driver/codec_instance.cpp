// Message handlers of one open Video 1 driver instance. The caller (DriverProc) keeps
// exceptions from escaping; here only allocation can throw.
#include "codec_instance.h"

#include "format_rules.h"

#include <array>
#include <cstring>
#include <new>

namespace kvmsvc {

namespace {

video1::PixelFormat PixelFormatOf(const BITMAPINFOHEADER& bih)
{
    switch (bih.biBitCount) {
    case 8: return video1::PixelFormat::Pal8;
    case 16: return video1::PixelFormat::Rgb555;
    case 24: return video1::PixelFormat::Bgr24;
    default: return video1::PixelFormat::Bgrx32;
    }
}

template <typename Codec>
bool FitsSize(const std::unique_ptr<Codec>& codec, const BITMAPINFOHEADER& bih)
{
    return codec && codec->width() == bih.biWidth && codec->height() == bih.biHeight;
}

}  // namespace

LRESULT GetInfo(ICINFO* info, DWORD size)
{
    if (!info || size < sizeof(ICINFO))
        return 0;
    std::memset(info, 0, sizeof(ICINFO));
    info->dwSize = sizeof(ICINFO);
    info->fccType = ICTYPE_VIDEO;
    info->fccHandler = kFourCCMsvc;
    info->dwFlags = VIDCF_QUALITY | VIDCF_TEMPORAL | VIDCF_FASTTEMPORALC;
    info->dwVersion = 0x00010000;
    info->dwVersionICM = ICVERSION;
    lstrcpynW(info->szName, L"Video 1", sizeof info->szName / sizeof(WCHAR));
    lstrcpynW(info->szDescription, L"Microsoft Video 1",
              sizeof info->szDescription / sizeof(WCHAR));
    return sizeof(ICINFO);
}

LRESULT GetDefaultQuality(DWORD* quality, const CodecState& state)
{
    if (!quality)
        return ICERR_BADPARAM;
    *quality = state.defaultQuality;
    return ICERR_OK;
}

// ---- settings ------------------------------------------------------------------

LRESULT CodecInstance::GetState(void* buffer, DWORD size) const
{
    if (!buffer)
        return sizeof(CodecState);
    if (size < sizeof(CodecState))
        return ICERR_BADSIZE;
    std::memcpy(buffer, &m_state, sizeof(CodecState));
    return ICERR_OK;
}

LRESULT CodecInstance::SetState(const void* buffer, DWORD size)
{
    if (!buffer) {
        m_state = CodecState();
        return 0;
    }
    return ParseState(buffer, size, m_state) ? sizeof(CodecState) : 0;
}

// ---- compression ---------------------------------------------------------------

LRESULT CodecInstance::CompressQuery(const BITMAPINFO* in, const BITMAPINFO* out) const
{
    if (!in || !IsCompressibleInput(in->bmiHeader))
        return ICERR_BADFORMAT;
    if (out && !IsCompressedOutputFor(in->bmiHeader, out->bmiHeader))
        return ICERR_BADFORMAT;
    return ICERR_OK;
}

LRESULT CodecInstance::CompressGetFormat(const BITMAPINFO* in, BITMAPINFO* out) const
{
    if (!out)
        return sizeof(BITMAPINFOHEADER);
    if (!in || !IsCompressibleInput(in->bmiHeader))
        return ICERR_BADFORMAT;
    out->bmiHeader = CompressedFormatFor(in->bmiHeader);
    return ICERR_OK;
}

LRESULT CodecInstance::CompressGetSize(const BITMAPINFO* in, const BITMAPINFO*) const
{
    if (!in || !IsCompressibleInput(in->bmiHeader))
        return ICERR_BADFORMAT;
    return static_cast<LRESULT>(
        video1::MaxEncodedSize(in->bmiHeader.biWidth, in->bmiHeader.biHeight));
}

LRESULT CodecInstance::CompressBegin(const BITMAPINFO* in, const BITMAPINFO* out)
{
    LRESULT query = CompressQuery(in, out);
    if (query != ICERR_OK)
        return query;
    m_encoder.reset();
    m_encoder = std::make_unique<video1::Encoder>(in->bmiHeader.biWidth, in->bmiHeader.biHeight);
    return ICERR_OK;
}

LRESULT CodecInstance::Compress(ICCOMPRESS* params, DWORD size)
{
    if (!params || size < sizeof(ICCOMPRESS) || !params->lpbiInput || !params->lpInput ||
        !params->lpbiOutput || !params->lpOutput)
        return ICERR_BADPARAM;
    const BITMAPINFOHEADER& in = *params->lpbiInput;
    if (!IsCompressibleInput(in))
        return ICERR_BADFORMAT;
    // A caller that skipped ICM_COMPRESS_BEGIN, or changed the size, starts a new
    // sequence here rather than having its frame coded against the wrong picture.
    if (!FitsSize(m_encoder, in))
        m_encoder = std::make_unique<video1::Encoder>(in.biWidth, in.biHeight);

    std::array<uint32_t, 256> palette = {};
    video1::SourceFrame source;
    source.bits = static_cast<const uint8_t*>(params->lpInput);
    source.stride = static_cast<int>(DibStride(in.biWidth, in.biBitCount));
    source.format = PixelFormatOf(in);
    if (source.format == video1::PixelFormat::Pal8) {
        // The colour table follows the header; unused entries stay black.
        std::memcpy(palette.data(), reinterpret_cast<const uint8_t*>(&in) + in.biSize,
                    PaletteBytes(in));
        source.palette = palette.data();
    }

    const bool forceKey = (params->dwFlags & ICCOMPRESS_KEYFRAME) != 0;
    const int quality = static_cast<int>(EffectiveQuality(params->dwQuality, m_state));
    const size_t capacity = video1::MaxEncodedSize(in.biWidth, in.biHeight);
    bool isKey = false;
    size_t written = m_encoder->Encode(source, quality, forceKey,
                                       static_cast<uint8_t*>(params->lpOutput), capacity, &isKey);
    if (written == 0)
        return ICERR_INTERNAL;

    BITMAPINFOHEADER& outHeader = *params->lpbiOutput;
    outHeader = CompressedFormatFor(in);
    outHeader.biSizeImage = static_cast<DWORD>(written);
    if (params->lpdwFlags)
        *params->lpdwFlags = isKey ? AVIIF_KEYFRAME : 0;
    return ICERR_OK;
}

LRESULT CodecInstance::CompressEnd()
{
    m_encoder.reset();
    return ICERR_OK;
}

// ---- decompression -------------------------------------------------------------

LRESULT CodecInstance::DecompressQuery(const BITMAPINFO* in, const BITMAPINFO* out) const
{
    if (!in || !IsDecompressibleInput(in->bmiHeader))
        return ICERR_BADFORMAT;
    if (out && !IsDecompressedOutputFor(in->bmiHeader, out->bmiHeader))
        return ICERR_BADFORMAT;
    return ICERR_OK;
}

LRESULT CodecInstance::DecompressGetFormat(const BITMAPINFO* in, BITMAPINFO* out) const
{
    if (!out)
        return sizeof(BITMAPINFOHEADER);
    if (!in || !IsDecompressibleInput(in->bmiHeader))
        return ICERR_BADFORMAT;
    out->bmiHeader = DecompressedFormatFor(in->bmiHeader);
    return ICERR_OK;
}

LRESULT CodecInstance::DecompressBegin(const BITMAPINFO* in, const BITMAPINFO* out)
{
    LRESULT query = DecompressQuery(in, out);
    if (query != ICERR_OK)
        return query;
    m_decoder.reset();
    m_decoder = std::make_unique<video1::Decoder>(in->bmiHeader.biWidth, in->bmiHeader.biHeight);
    return ICERR_OK;
}

LRESULT CodecInstance::Decompress(ICDECOMPRESS* params, DWORD size)
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
    if (!FitsSize(m_decoder, in))
        m_decoder = std::make_unique<video1::Decoder>(in.biWidth, in.biHeight);

    // An empty frame (a dropped or repeated one) leaves the picture as it is.
    LRESULT result = ICERR_OK;
    const bool empty = in.biSizeImage == 0 || (params->dwFlags & ICDECOMPRESS_NULLFRAME);
    if (!empty) {
        if (!params->lpInput)
            return ICERR_BADPARAM;
        video1::DecodeResult decoded =
            m_decoder->Decode(static_cast<const uint8_t*>(params->lpInput), in.biSizeImage);
        if (decoded != video1::DecodeResult::Ok)
            result = ICERR_ERROR;
    }
    if (hurry)
        return result;

    // Even a damaged frame shows what could be decoded of it.
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

LRESULT CodecInstance::DecompressEnd()
{
    m_decoder.reset();
    return ICERR_OK;
}

}  // namespace kvmsvc
