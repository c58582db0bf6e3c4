// The recorder's wave-in functions, each handing its work to the one SoundCapture with
// what it needs of the recording's state.
#include "wave_in_capture.h"

#include "app/environment_setting.h"
#include "app/recording_limits.h"
#include "app/recording_report.h"
#include "app/recording_settings.h"
#include "app/registered_messages.h"
#include "audio_state.h"
#include "audio_system.h"
#include "app/recording_state.h"
#include "app/scratch_paths.h"
#include "pcm_format.h"
#include "sound_capture.h"

namespace {

korvane::SoundCapture& Capture() { return korvane::SoundCapture::Instance(); }

}  // namespace

void FlushCaptureFile() { Capture().Flush(); }

size_t korvane::LiveCaptureBuffers() { return Capture().LiveBuffers(); }

int PrepareAudioCapture()
{
    captureFormat = BuildPcmRecordingFormat();
    settings.audioBufferFrames = 1000;
    korvane::Audio().ChooseTempWavPath();
    Capture().Prepare(captureFormat, tempWavPath,
                      korvane::SoundCeilingFrom(EnvironmentSetting("KORVANE_SOUND_BYTES").c_str()));
    return 1;
}

bool OpenWaveInput()
{
    const DWORD bytes = korvane::CaptureBufferBytes(captureFormat, settings.audioBufferFrames);
    return Capture().Open(settings.audioDeviceId, mainWindow,
                          korvane::CaptureBufferCount(captureFormat, bytes), bytes);
}

void AlignCaptureWithVideoClock(unsigned originMs) { Capture().AlignWithVideoClock(originMs); }

void QueueCaptureBuffer()
{
    Capture().QueueBuffer(korvane::CaptureBufferBytes(captureFormat, settings.audioBufferFrames));
}

LRESULT OnWaveInData(WPARAM, LPARAM header)
{
    Capture().OnData(reinterpret_cast<WAVEHDR*>(header), isRecording != 0, isPaused != 0);
    return 0;
}

void StoreCaptureBuffer(const CBuffer& buffer) { Capture().Store(buffer); }

void CloseWaveInput() { Capture().Close(); }

unsigned long long korvane::StoredSoundBytes() { return Capture().StoredBytes(); }

void WatchSoundFlow() { Capture().WatchFlow(); }

void FillLostSound(unsigned durationMs)
{
    if (audioTrouble.load() == static_cast<int>(korvane::AudioTrouble::DeviceLost))
        Capture().FillTo(durationMs);
}
