// The options dialog's window-free rules: the hotkey table, what OK reads from the frame
// rate, quality and fixed-size fields, and the status lines.
#include "options/hotkey_keys.h"
#include "options/options_rules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(HotkeyKeys, TableAndItsInverse)
{
    std::set<int> keys;
    for (int i = 0; i < kHotkeyCount; ++i) {
        const int key = ComboIndexToKey(i);
        ASSERT_NE(key, 0) << i;
        keys.insert(key);
        EXPECT_EQ(KeyToComboIndex(key), i) << StopKeyText(i);
    }
    EXPECT_EQ(keys.size(), 69u);
    // The platform's virtual-key codes, written out.
    const struct {
        int index;
        int key;
        const char* text;
    } anchors[] = {
        {0, 0x70, "F1"},       {11, 0x7B, "F12"},   {12, 'A', "A"},       {37, 'Z', "Z"},
        {38, '1', "1"},        {46, '9', "9"},      {47, '0', "0"},       {48, 0x60, "NUMPAD0"},
        {57, 0x69, "NUMPAD9"}, {58, 0x12, "ALT"},   {59, 0x10, "SHIFT"},  {60, 0x11, "CONTROL"},
        {61, 0x1B, "ESCAPE"},  {62, 0x24, "HOME"},  {63, 0x2D, "INSERT"}, {64, 0x2E, "DELETE"},
        {65, 0x23, "END"},     {66, 0x0D, "ENTER"}, {67, 0x20, "SPACE"},  {68, 0x09, "TAB"},
    };
    for (const auto& a : anchors) {
        EXPECT_EQ(ComboIndexToKey(a.index), a.key) << a.text;
        EXPECT_STREQ(StopKeyText(a.index), a.text);
    }
}

TEST(HotkeyKeys, OutsideTheTable)
{
    EXPECT_EQ(ComboIndexToKey(-1), 0);
    EXPECT_EQ(ComboIndexToKey(69), 0);
    EXPECT_EQ(KeyToComboIndex(0x7C), 0);  // F13
    EXPECT_EQ(KeyToComboIndex(0), 0);
    EXPECT_EQ(KeyToComboIndex(0x5B), 0);  // left Windows key
}

TEST(HotkeyKeys, ListsDifferOnlyInTheTrailingSpaceOfTab)
{
    for (int i = 0; i < kHotkeyCount - 1; ++i)
        EXPECT_STREQ(RecordPauseKeyText(i), StopKeyText(i));
    EXPECT_STREQ(RecordPauseKeyText(68), "TAB ");
    EXPECT_STREQ(StopKeyText(68), "TAB");
}

TEST(OptionsRules, FrameRateAndQuality)
{
    VideoChoice v = ReadVideoChoice("30", "1");
    ASSERT_TRUE(v.valid);
    EXPECT_EQ(v.framesPerSecond, 30);
    EXPECT_EQ(v.frameIntervalMs, 33);
    EXPECT_EQ(v.keyFrameEvery, 30);
    EXPECT_EQ(v.compressorQuality, 100);
    v = ReadVideoChoice("22", "100");
    EXPECT_EQ(v.frameIntervalMs, 45);
    EXPECT_EQ(v.compressorQuality, 10000);
    v = ReadVideoChoice("60", "70");
    EXPECT_EQ(v.frameIntervalMs, 16);
    EXPECT_EQ(v.keyFrameEvery, 60);
    // No frame rate selected, or none that can divide: nothing to store.
    EXPECT_FALSE(ReadVideoChoice("", "70").valid);
    EXPECT_FALSE(ReadVideoChoice("0", "70").valid);
}

TEST(OptionsRules, FixedRegionChecksInOrder)
{
    const struct {
        const char* width;
        const char* height;
        const char* message;  // "" = accepted
    } cases[] = {
        {"0", "0", "The width must be greater than 0"},
        {"abc", "100", "The width must be greater than 0"},
        {"-5", "100", "The width must be greater than 0"},
        {"1025", "0", "The width must be smaller than the screen width (1024)"},
        {"99999999999", "10", "The width must be smaller than the screen width (1024)"},
        {"1024", "", "The height must be greater than 0"},
        {"10", "769", "The height must be smaller than the screen height (768)"},
        {"1024", "768", ""},
        {" 200px", "100", ""},
    };
    for (const auto& c : cases) {
        const RegionCheck r = CheckFixedRegion(c.width, c.height, 1024, 768);
        EXPECT_EQ(r.accepted, c.message[0] == '\0') << c.width << " x " << c.height;
        EXPECT_EQ(r.message, c.message) << c.width << " x " << c.height;
    }
    const RegionCheck r = CheckFixedRegion(" 200px", "100", 1024, 768);
    EXPECT_EQ(r.width, 200);
    EXPECT_EQ(r.height, 100);
}

TEST(OptionsRules, StatusLines)
{
    EXPECT_EQ(AudioStatusLine(false, "IMA ADPCM", "22.05 kHz, stereo, 16-bit"), "Audio: none");
    EXPECT_EQ(HotkeyStatusLine(RecordPauseKeyText(68), "F8"),
              "Hotkeys: Record/Pause TAB , Stop/Cancel F8");
    // With nothing in the compressor list, the line names the compressor in use.
    EXPECT_EQ(CompressorInUseName(MakeFourCC('M', 'S', 'V', 'C'), ""), "Microsoft Video 1");
    EXPECT_EQ(CompressorInUseName(MakeFourCC('c', 'v', 'i', 'd'), "Cinepak Codec"),
              "Cinepak Codec");
    EXPECT_EQ(CompressorInUseName(MakeFourCC('X', 'Y', 'Z', '1'), ""), "XYZ1");
}

TEST(OptionsRules, RegionStatusLineSaysWhatRecordTakes)
{
    const struct {
        RegionMode mode;
        const char* line;
    } cases[] = {
        {RegionMode::FixedSize, "Area: 320x240, placed with the mouse"},
        {RegionMode::Dragged, "Area: dragged out with the mouse"},
        {RegionMode::FullScreen, "Full screen: the monitor under the pointer"},
        // The desktop's size, not the fixed frame's nor the primary monitor's.
        {RegionMode::WholeDesktop, "Whole desktop: all monitors (2048x768)"},
        // A later version's mode, which Record does nothing for, promises nothing.
        {static_cast<RegionMode>(4), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RegionStatusLine(c.mode, 320, 240, 2048, 768), c.line);
}
