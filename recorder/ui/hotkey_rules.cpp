// Hotkey and button-state rules of the main window (pure).
#include "hotkey_rules.h"

#include <cstdint>

namespace korvane {

HotkeyAction DecideHotKey(const HotkeyInputs& in)
{
    // A release has bit 31 set, so its low 32 bits read as negative.
    if (static_cast<int32_t>(in.keystrokeInfo) <= 0 || in.finishing)
        return HotkeyAction::Ignore;
    if (in.virtualKey == static_cast<WParam>(in.recordPauseKey)) {
        if (!in.isRecording)
            return in.recordKeyArmed ? HotkeyAction::StartRecord : HotkeyAction::Ignore;
        return in.isPaused ? HotkeyAction::Resume : HotkeyAction::Pause;
    }
    if (in.virtualKey == static_cast<WParam>(in.stopKey) && in.isRecording == 1)
        return HotkeyAction::Stop;
    return HotkeyAction::Ignore;
}

ButtonStates ButtonsFor(int isRecording, int isPaused, bool finishing)
{
    if (finishing)
        return {false, false, false, false, false};
    if (!isRecording)
        return {true, false, false, true, true};
    if (isPaused)
        return {true, false, true, true, true};
    return {false, true, true, true, true};
}

}  // namespace korvane
