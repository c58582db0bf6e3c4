// The part's description from the open AVI file, the settings and the sound capture.
#include "recording_part.h"

#include "app/recording_settings.h"
#include "app/recording_state.h"
#include "audio/audio_state.h"
#include "audio/riff_layout.h"
#include "audio/wave_in_capture.h"
#include "recovery/recording_journal.h"

#include <cstdio>

namespace {

std::string LocalTimeText()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[32];
    snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);
    return text;
}

std::string FourCcText(DWORD fourcc)
{
    std::string text(4, ' ');
    for (int i = 0; i < 4; ++i)
        text[i] = static_cast<char>((fourcc >> (8 * i)) & 0xFF);
    return text;
}

}  // namespace

bool DescribeRecordingPart(const RecordingAvi& avi, const korvane::SoundCapture* sound,
                           const std::string& aviPath, const std::string& reservePath)
{
    korvane::RecordingDescription d;
    if (!avi.FileFormat(d.videoFormat) || d.videoFormat.size() < sizeof(BITMAPINFOHEADER))
        return false;
    const AVISTREAMINFOA info = avi.FileStreamInfo();
    const BITMAPINFOHEADER* header =
        reinterpret_cast<const BITMAPINFOHEADER*>(d.videoFormat.data());
    d.processId = GetCurrentProcessId();
    d.started = LocalTimeText();
    d.part = 1;
    d.aviPath = aviPath;
    d.mergedPath = mergedAviPath;
    d.reservePath = reservePath;
    d.framesPerSecond = info.dwRate / (info.dwScale ? info.dwScale : 1);
    d.width = static_cast<uint32_t>(header->biWidth);
    d.height = static_cast<uint32_t>(header->biHeight < 0 ? -header->biHeight : header->biHeight);
    d.compressor = FourCcText(header->biCompression == BI_RGB ? mmioFOURCC('D', 'I', 'B', ' ')
                                                              : header->biCompression);
    d.quality = static_cast<uint32_t>(settings.compressorQuality);
    d.suggestedBufferBytes = info.dwSuggestedBufferSize;
    const std::string wavPath = sound ? sound->WritingPath() : std::string();
    if (!wavPath.empty()) {
        d.wavPath = wavPath;
        // The capture format is PCM: the record itself, with no extra bytes.
        const unsigned char* format = reinterpret_cast<const unsigned char*>(&captureFormat);
        d.audioFormat.assign(format, format + korvane::kWaveFormatRecordBytes);
    }
    return korvane::BeginRecordingPart(d, FlushCaptureFile);
}

bool DescribeNextRecordingPart(const std::string& firstAviPath, const korvane::RecordingPart& part)
{
    return korvane::AddRecordingPart(
        firstAviPath, korvane::LaterPart{part.aviPath, part.mergedPath, part.firstIndex});
}
