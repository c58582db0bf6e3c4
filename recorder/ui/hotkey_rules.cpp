// Hotkey and button-state rules of the main window (pure).
#include "hotkey_rules.h"

namespace korvane {

HotkeyAction DecideHotKey(const HotkeyInputs& in)
{
    // A release has bit 31 set, so it reads as negative.
    if (static_cast<LONG>(in.keystrokeInfo) <= 0)
        return HotkeyAction::Ignore;
    if (in.virtualKey == static_cast<WPARAM>(in.recordPauseKey)) {
        if (!in.isRecording)
            return in.recordKeyArmed ? HotkeyAction::StartRecord : HotkeyAction::Ignore;
        return in.isPaused ? HotkeyAction::Resume : HotkeyAction::Pause;
    }
    if (in.virtualKey == static_cast<WPARAM>(in.stopKey) && in.isRecording == 1)
        return HotkeyAction::Stop;
    return HotkeyAction::Ignore;
}

ButtonStates ButtonsFor(int isRecording, int isPaused)
{
    if (!isRecording)
        return {true, false, false};
    if (isPaused)
        return {true, false, true};
    return {false, true, true};
}

}  // namespace korvane
