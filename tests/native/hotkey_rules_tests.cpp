// The main window's hotkey rules and button states.
#include "ui/hotkey_rules.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {

constexpr LParam kPress = 0x00410001;  // repeat 1, scan code 0x41
constexpr LParam kRelease = static_cast<LParam>(0xC0410001u);
// The virtual-key codes of F7, F8 and F9.
constexpr int kF7 = 0x76, kF8 = 0x77, kF9 = 0x78;

HotkeyAction Decide(WParam vk, LParam info, int recording, int paused, int armed,
                    int recordKey = kF7, int stopKey = kF8, bool finishing = false)
{
    return DecideHotKey({vk, info, recordKey, stopKey, recording, paused, armed, finishing});
}

}  // namespace

TEST(HotkeyRules, ReleasesAndEmptyInfoAreIgnored)
{
    EXPECT_EQ(Decide(kF7, kRelease, 0, 0, 1), HotkeyAction::Ignore);
    EXPECT_EQ(Decide(kF8, kRelease, 1, 0, 1), HotkeyAction::Ignore);
    EXPECT_EQ(Decide(kF7, 0, 0, 0, 1), HotkeyAction::Ignore);
}

TEST(HotkeyRules, RecordKeyFollowsTheState)
{
    EXPECT_EQ(Decide(kF7, kPress, 0, 0, 1), HotkeyAction::StartRecord);
    // Disarmed while the selection is showing: a second press does nothing.
    EXPECT_EQ(Decide(kF7, kPress, 0, 0, 0), HotkeyAction::Ignore);
    EXPECT_EQ(Decide(kF7, kPress, 1, 0, 0), HotkeyAction::Pause);
    EXPECT_EQ(Decide(kF7, kPress, 1, 1, 0), HotkeyAction::Resume);
}

TEST(HotkeyRules, StopKeyOnlyWhileRecording)
{
    EXPECT_EQ(Decide(kF8, kPress, 0, 0, 1), HotkeyAction::Ignore);
    EXPECT_EQ(Decide(kF8, kPress, 1, 0, 0), HotkeyAction::Stop);
    EXPECT_EQ(Decide(kF8, kPress, 1, 1, 0), HotkeyAction::Stop);
    EXPECT_EQ(Decide('A', kPress, 1, 0, 0), HotkeyAction::Ignore);
}

// The hook reports which SHIFT, CONTROL or ALT key was pressed; the key lists offer the
// key that stands for both.
TEST(HotkeyRules, ModifierKeysMatchEitherSide)
{
    constexpr int kShift = 0x10, kControl = 0x11, kAlt = 0x12;
    const struct {
        WParam reported;
        int setting;
        bool matches;
    } cases[] = {
        {0xA0, kShift, true},   {0xA1, kShift, true},    {0xA2, kControl, true},
        {0xA3, kControl, true}, {0xA4, kAlt, true},      {0xA5, kAlt, true},
        {kShift, kShift, true}, {0xA0, kControl, false}, {0xA2, kAlt, false},
        {0xA5, kShift, false},  {0xA6, kAlt, false},     {0x9F, kShift, false},
        {kF7, kF7, true},       {kF7, kF8, false},       {0xA0, 0xA0, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsHotkey(c.reported, c.setting), c.matches) << c.reported << " " << c.setting;
    EXPECT_EQ(Decide(0xA3, kPress, 1, 0, 0, kF7, kControl), HotkeyAction::Stop);
    EXPECT_EQ(Decide(0xA4, kPress, 0, 0, 1, kAlt, kF8), HotkeyAction::StartRecord);
}

// A held key repeats its press with the previous-state bit set: it acts once.
TEST(HotkeyRules, AutoRepeatIsIgnored)
{
    constexpr LParam kRepeat = 0x40410001;
    const struct {
        WParam key;
        int recording, paused, armed;
    } states[] = {{kF7, 0, 0, 1}, {kF7, 1, 0, 0}, {kF7, 1, 1, 0}, {kF8, 1, 0, 0}};
    for (const auto& s : states) {
        EXPECT_NE(Decide(s.key, kPress, s.recording, s.paused, s.armed), HotkeyAction::Ignore);
        EXPECT_EQ(Decide(s.key, kRepeat, s.recording, s.paused, s.armed), HotkeyAction::Ignore)
            << s.key << " " << s.recording << s.paused << s.armed;
    }
}

TEST(HotkeyRules, CaptionBlankOnlyWhilePaused)
{
    const struct {
        bool blankAsked;
        int paused;
        bool captionBlank;
        CaptionChange want;
    } cases[] = {
        {true, 1, false, CaptionChange::Blank},
        {true, 1, true, CaptionChange::Keep},
        {false, 1, true, CaptionChange::Restore},
        {false, 1, false, CaptionChange::Keep},
        // Requests that arrive after a resume or a stop.
        {true, 0, false, CaptionChange::Keep},
        {true, 0, true, CaptionChange::Restore},
        {false, 0, true, CaptionChange::Restore},
        {false, 0, false, CaptionChange::Keep},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideCaption(c.blankAsked, c.paused, c.captionBlank), c.want)
            << c.blankAsked << c.paused << c.captionBlank;
}

TEST(HotkeyRules, SameKeyForBothActsAsRecordPauseOnly)
{
    EXPECT_EQ(Decide(kF9, kPress, 1, 0, 0, kF9, kF9), HotkeyAction::Pause);
    EXPECT_EQ(Decide(kF9, kPress, 1, 1, 0, kF9, kF9), HotkeyAction::Resume);
    EXPECT_EQ(Decide(kF9, kPress, 0, 0, 1, kF9, kF9), HotkeyAction::StartRecord);
}

TEST(HotkeyRules, CaptionResetOnlyWhenStopStepsFindAPause)
{
    // Stop key while paused: the steps run with the pause still set.
    EXPECT_TRUE(StopStepsResetCaption(1));
    // Stop button clears the pause first.
    EXPECT_FALSE(StopStepsResetCaption(0));
}

TEST(HotkeyRules, ButtonStatesPerState)
{
    ButtonStates idle = ButtonsFor(0, 0, false);
    EXPECT_TRUE(idle.record);
    EXPECT_FALSE(idle.pause);
    EXPECT_FALSE(idle.stop);
    ButtonStates rec = ButtonsFor(1, 0, false);
    EXPECT_FALSE(rec.record);
    EXPECT_TRUE(rec.pause);
    EXPECT_TRUE(rec.stop);
    ButtonStates paused = ButtonsFor(1, 1, false);
    EXPECT_TRUE(paused.record);
    EXPECT_FALSE(paused.pause);
    EXPECT_TRUE(paused.stop);
}

// A stopped recording whose files are not saved yet: nothing may start a new one (which
// would take over its scratch files), open the options or end the program.
TEST(HotkeyRules, FinishingStartsNothing)
{
    const struct {
        WParam key;
        int recording, paused, armed;
    } presses[] = {{kF7, 0, 0, 1}, {kF7, 0, 0, 0}, {kF8, 0, 0, 1}, {kF8, 1, 0, 0}, {kF7, 1, 1, 0}};
    for (const auto& p : presses)
        EXPECT_EQ(Decide(p.key, kPress, p.recording, p.paused, p.armed, kF7, kF8, true),
                  HotkeyAction::Ignore)
            << p.key << " " << p.recording << p.paused << p.armed;
    for (int recording = 0; recording <= 1; ++recording)
        for (int paused = 0; paused <= 1; ++paused) {
            const ButtonStates b = ButtonsFor(recording, paused, true);
            EXPECT_FALSE(b.record || b.pause || b.stop || b.options || b.exit)
                << recording << paused;
            const ButtonStates after = ButtonsFor(recording, paused, false);
            EXPECT_TRUE(after.options && after.exit) << recording << paused;
        }
}
