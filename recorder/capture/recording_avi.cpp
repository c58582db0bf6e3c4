// The temporary AVI file.
#include "recording_avi.h"

#include "app/recording_settings.h"
#include "compressor_state_seam.h"

RecordingAvi::RecordingAvi() = default;

RecordingAvi::~RecordingAvi()
{
    DetachCompressorState(*m_options);
    m_file.Reset();
    m_raw.Reset();
    m_compressed.Reset();
}

unsigned long long RecordingAvi::Bytes() const
{
    // The file grows as frames are written, less what the writer still buffers; the index
    // comes at the end. (The compressed stream does not say what it wrote.)
    WIN32_FILE_ATTRIBUTE_DATA data;
    unsigned long long onDisk = 0;
    if (GetFileAttributesExA(m_path.c_str(), GetFileExInfoStandard, &data))
        onDisk = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return onDisk + kWriterBufferBytes + 16ull * m_frames;
}

HRESULT RecordingAvi::Open(const std::string& path, const PackedFrame& testFrame,
                           int framesPerSecond, int inputBits)
{
    m_path = path;
    const BITMAPINFOHEADER* header = testFrame.Header();
    m_inputBits = inputBits > 0 ? inputBits : header->biBitCount;
    m_converter = korvane::FrameConverter(m_inputBits);
    korvane::InputFormat converted;
    if (m_inputBits != header->biBitCount) {
        converted = korvane::InputFormat(*header, m_inputBits);
        if (!converted)
            return AVIERR_BADFORMAT;
    }
    HRESULT hr = AVIFileOpenA(m_file.Receive(), path.c_str(), OF_WRITE | OF_CREATE, nullptr);
    if (hr != 0)
        return hr;
    m_file.NoteReceived();

    AVISTREAMINFOA info = {};
    info.fccType = streamtypeVIDEO;
    info.fccHandler = 0;
    info.dwScale = 1;
    info.dwRate = static_cast<DWORD>(framesPerSecond);
    info.dwSuggestedBufferSize = header->biSizeImage;
    info.dwQuality = 0;
    SetRect(&info.rcFrame, 0, 0, header->biWidth, header->biHeight);
    hr = AVIFileCreateStreamA(m_file.Get(), m_raw.Receive(), &info);
    if (hr != 0)
        return hr;
    m_raw.NoteReceived();

    m_options->fccType = streamtypeVIDEO;
    m_options->fccHandler = settings.compressorFourCC;
    m_options->dwKeyFrameEvery = static_cast<DWORD>(settings.keyFrameEvery);
    m_options->dwQuality = static_cast<DWORD>(settings.compressorQuality);
    m_options->dwBytesPerSecond = 0;
    m_options->dwFlags = AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_VALID;
    AttachCompressorState(*m_options);
    hr = AVIMakeCompressedStream(m_compressed.Receive(), m_raw.Get(), m_options.Get(), nullptr);
    if (hr != 0)
        return hr;
    m_compressed.NoteReceived();

    if (converted)
        return AVIStreamSetFormat(m_compressed.Get(), 0, converted.Header(),
                                  static_cast<LONG>(converted.Bytes()));
    return AVIStreamSetFormat(m_compressed.Get(), 0, const_cast<BITMAPINFOHEADER*>(header),
                              static_cast<LONG>(testFrame.FormatBytes()));
}

HRESULT RecordingAvi::Write(unsigned position, const PackedFrame& frame)
{
    DWORD bytes = 0;
    const BYTE* pixels = m_converter.Pixels(frame, bytes);
    if (!pixels)
        return AVIERR_MEMORY;
    const HRESULT hr =
        AVIStreamWrite(m_compressed.Get(), static_cast<LONG>(position), 1,
                       const_cast<BYTE*>(pixels), static_cast<LONG>(bytes), 0, nullptr, nullptr);
    if (hr == 0)
        ++m_frames;
    return hr;
}

bool RecordingAvi::FileFormat(std::vector<unsigned char>& format) const
{
    LONG bytes = 0;
    if (!m_raw || AVIStreamReadFormat(m_raw.Get(), 0, nullptr, &bytes) != 0 || bytes <= 0)
        return false;
    format.assign(static_cast<size_t>(bytes), 0);
    return AVIStreamReadFormat(m_raw.Get(), 0, format.data(), &bytes) == 0;
}

AVISTREAMINFOA RecordingAvi::FileStreamInfo() const
{
    AVISTREAMINFOA info = {};
    if (m_raw)
        AVIStreamInfoA(m_raw.Get(), &info, sizeof info);
    return info;
}
