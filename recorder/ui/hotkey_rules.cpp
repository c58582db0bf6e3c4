// Hotkey, button-state and caption rules of the main window (pure).
#include "hotkey_rules.h"

#include <cstdint>

namespace korvane {

namespace {

// Windows virtual-key codes: SHIFT, CONTROL and ALT are 0x10 to 0x12; their left and
// right keys are 0xA0 to 0xA5, in pairs in the same order.
enum : WParam {
    VkShift = 0x10,
    VkLeftShift = 0xA0,
    VkRightMenu = 0xA5,
};

// Bit 30 of the key-stroke information: the key was already down, so a press with it
// is the keyboard's auto-repeat.
constexpr uint32_t kPreviouslyDown = 1u << 30;

}  // namespace

bool IsHotkey(WParam virtualKey, int setting)
{
    WParam key = virtualKey;
    if (key >= VkLeftShift && key <= VkRightMenu)
        key = VkShift + (key - VkLeftShift) / 2;
    return key == static_cast<WParam>(setting) || virtualKey == static_cast<WParam>(setting);
}

HotkeyAction DecideHotKey(const HotkeyInputs& in)
{
    // A release has bit 31 set, so its low 32 bits read as negative.
    const auto info = static_cast<int32_t>(in.keystrokeInfo);
    if (info <= 0 || in.finishing)
        return HotkeyAction::Ignore;
    // Held down, the key would flip pause and resume at the repeat rate.
    if (static_cast<uint32_t>(info) & kPreviouslyDown)
        return HotkeyAction::Ignore;
    if (IsHotkey(in.virtualKey, in.recordPauseKey)) {
        if (!in.isRecording)
            return in.recordKeyArmed ? HotkeyAction::StartRecord : HotkeyAction::Ignore;
        return in.isPaused ? HotkeyAction::Resume : HotkeyAction::Pause;
    }
    if (IsHotkey(in.virtualKey, in.stopKey) && in.isRecording == 1)
        return HotkeyAction::Stop;
    return HotkeyAction::Ignore;
}

CaptionChange DecideCaption(bool blankAsked, int isPaused, bool captionBlank)
{
    if (blankAsked && isPaused)
        return captionBlank ? CaptionChange::Keep : CaptionChange::Blank;
    return captionBlank ? CaptionChange::Restore : CaptionChange::Keep;
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
