// The real system behind AudioSystem.
#include "audio_system.h"

#include "app/recording_report.h"
#include "app/recording_state.h"
#include "app/registered_messages.h"
#include "app/scratch_paths.h"

namespace korvane {

UINT AudioSystem::WaveInDeviceCount() { return waveInGetNumDevs(); }

MMRESULT AudioSystem::WaveInDeviceCaps(UINT deviceId, WAVEINCAPSA* caps)
{
    return waveInGetDevCapsA(deviceId, caps, sizeof *caps);
}

int AudioSystem::ShowMessage(HWND owner, const char* text, const char* caption, UINT flags)
{
    return MessageBoxA(owner, text, caption, flags);
}

void AudioSystem::NoteTrouble(AudioTrouble trouble)
{
    int none = 0;
    if (audioTrouble.compare_exchange_strong(none, static_cast<int>(trouble)) && mainWindow)
        PostMessageA(mainWindow, AudioTroubleNotice, static_cast<WPARAM>(trouble), 0);
}

bool AudioSystem::ChooseTempWavPath() { return ::ChooseTempWavPath(); }

template <>
AudioSystem*& AudioSystemInUse::Slot()
{
    static AudioSystem real;
    static AudioSystem* inUse = &real;
    return inUse;
}

}  // namespace korvane
