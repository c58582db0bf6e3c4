// What the sound code asks of the user and of the machine: message boxes, the wave-in
// devices, where the sound file goes and whom to tell of a trouble. Tests derive from it
// and put their own in place with AudioSystemInUse::Replacement.
#pragma once
#include "app/stop_cause.h"
#include "replaceable.h"

#include <windows.h>

#include <mmsystem.h>

namespace korvane {

class AudioSystem {
public:
    virtual ~AudioSystem() = default;
    // waveInGetNumDevs and waveInGetDevCapsA.
    virtual UINT WaveInDeviceCount();
    virtual MMRESULT WaveInDeviceCaps(UINT deviceId, WAVEINCAPSA* caps);
    // MessageBoxA; `owner` may be null.
    virtual int ShowMessage(HWND owner, const char* text, const char* caption, UINT flags);
    // The first trouble of a recording is kept in audioTrouble and the main window is told
    // (AudioTroubleNotice), which says so to the user.
    virtual void NoteTrouble(AudioTrouble trouble);
    // Names the WAV file (sets tempWavPath).
    virtual bool ChooseTempWavPath();
};

using AudioSystemInUse = Replaceable<AudioSystem>;
template <>
AudioSystem*& AudioSystemInUse::Slot();

inline AudioSystem& Audio() { return AudioSystemInUse::Current(); }

}  // namespace korvane
