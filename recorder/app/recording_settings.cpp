// The settings record and shared strings, initialised statically (no start-up code).
#include "recording_settings.h"

RecordingSettings settings;

const char kDefaultVideoStatusLine[] = "Video: Microsoft Video 1, Quality 70%, 25 fps";
const char kDefaultAudioStatusLine[] = "Audio: MPEG Layer-3, 22.05 kHz, stereo, 16-bit";
const char kDefaultHotkeyStatusLine[] = "Hotkeys: Record/Pause F7, Stop/Cancel F8";

std::string mergedAviPath;
std::string lastSaveFolder;
