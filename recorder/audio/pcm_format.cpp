// The PCM capture format and buffer sizes.
#include "pcm_format.h"

#include "app/recording_settings.h"

namespace korvane {

WAVEFORMATEX BuildPcmRecordingFormat(int bitsPerSample, int channels, int samplesPerSec)
{
    WAVEFORMATEX f = {};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = static_cast<WORD>(channels);
    f.nSamplesPerSec = static_cast<DWORD>(samplesPerSec);
    f.wBitsPerSample = static_cast<WORD>(bitsPerSample);
    f.nBlockAlign =
        static_cast<WORD>(static_cast<WORD>(bitsPerSample / 8) * static_cast<WORD>(channels));
    f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
    f.cbSize = 0;
    return f;
}

uint32_t CaptureBufferBytes(const WAVEFORMATEX& format, int frames)
{
    return static_cast<uint32_t>(format.nBlockAlign) * static_cast<uint32_t>(frames);
}

int CaptureBufferCount(const WAVEFORMATEX& format, uint32_t bufferBytes)
{
    if (bufferBytes == 0)
        return 3;
    const uint32_t perSecond = (format.nAvgBytesPerSec + bufferBytes - 1) / bufferBytes;
    return perSecond > 3 ? static_cast<int>(perSecond) : 3;
}

uint32_t RecordedBytes(uint32_t bytesRecorded, uint32_t bufferLength)
{
    return bytesRecorded < bufferLength ? bytesRecorded : bufferLength;
}

}  // namespace korvane

WAVEFORMATEX BuildPcmRecordingFormat()
{
    return korvane::BuildPcmRecordingFormat(settings.audioBitsPerSample, settings.audioChannels,
                                            settings.audioSamplesPerSec);
}
