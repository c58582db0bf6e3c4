// Why a recording ended, as the recording thread tells the main window. Portable: the
// capture loop decides it without any window. Any thread.
#pragma once

namespace korvane {

enum class StopCause : int {
    User = 0,        // Stop, by button or hotkey
    WriteFailed,     // the temporary AVI refused a frame
    FrameMemory,     // no memory for a frame
    DiskLow,         // the scratch drive is nearly full
    NextPartFailed,  // the next part's file could not be opened
    SoundFull,       // the sound file reached the largest size it may have
    DisplayLost,     // the monitors changed and the area no longer fits on them
};

// What kept a recording's sound from being recorded whole.
enum class AudioTrouble : int {
    None = 0,
    FileNotCreated,   // the sound file could not be made: no sound at all
    DeviceNotOpened,  // the sound device could not be opened or started
    WriteFailed,      // the sound file stopped taking data
    DeviceLost,       // the device stopped delivering sound
};

}  // namespace korvane
