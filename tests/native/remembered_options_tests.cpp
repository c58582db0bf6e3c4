// The remembered options read back: every value stored by the writer comes back, and
// every value a damaged or outdated store holds falls back to its own default alone.
#include "options/remembered_options.h"

#include <gtest/gtest.h>

namespace {

using korvane::RememberedOptions;
using korvane::StoredValue;
using korvane::StoredValues;
namespace s = korvane::stored;

const uint32_t kMsvc = 0x4356534D;  // 'MSVC'
const uint32_t kCvid = 0x64697663;  // 'cvid'
const uint32_t kGone = 0x656E6F67;  // a compressor no longer installed

RememberedOptions Defaults()
{
    RememberedOptions d;
    d.framesPerSecond = 25;
    d.compressorQuality = 7000;
    d.compressorFourCC = kMsvc;
    d.recordAudio = 1;
    d.audioFormatFlag = 0x80;
    d.compressAudio = 1;
    d.recordPauseKey = 0x76;
    d.stopKey = 0x77;
    d.regionMode = 1;
    d.fixedWidth = 320;
    d.fixedHeight = 240;
    d.recordCursor = 1;
    return d;
}

korvane::OptionsEnvironment Machine()
{
    korvane::OptionsEnvironment e;
    e.screenWidth = 1024;
    e.screenHeight = 768;
    e.compressorExists = [](uint32_t fourCC) { return fourCC == kMsvc || fourCC == kCvid; };
    e.recordingFormatExists = [](uint32_t flag) { return flag == 0x80 || flag == 0x01; };
    e.audioFormatTagExists = [](uint16_t tag) { return tag == 1 || tag == 0x11; };
    return e;
}

// An IMA ADPCM format (tag 0x11) with its two extra bytes.
std::vector<uint8_t> ImaFormat()
{
    return {0x11, 0, 1, 0, 0x22, 0x56, 0, 0, 0xD7, 0x2B, 0, 0, 0, 2, 4, 0, 2, 0, 0xF9, 3};
}

RememberedOptions Changed()
{
    RememberedOptions o = Defaults();
    o.framesPerSecond = 10;
    o.compressorQuality = 5000;
    o.compressorFourCC = kCvid;
    o.compressorStateFourCC = kCvid;
    o.compressorState = {1, 2, 3, 4, 5};
    o.recordAudio = 0;
    o.audioFormatFlag = 0x01;
    o.compressAudio = 0;
    o.compressFormat = ImaFormat();
    o.recordPauseKey = 0x75;  // F6
    o.stopKey = 0x09;         // TAB, the list's last entry
    o.regionMode = 0;
    o.fixedWidth = 1024;  // the whole screen width is allowed
    o.fixedHeight = 100;
    o.minimizeOnStart = 1;
    o.recordCursor = 0;
    return o;
}

void ExpectSame(const RememberedOptions& a, const RememberedOptions& b)
{
    EXPECT_EQ(a.framesPerSecond, b.framesPerSecond);
    EXPECT_EQ(a.compressorQuality, b.compressorQuality);
    EXPECT_EQ(a.compressorFourCC, b.compressorFourCC);
    EXPECT_EQ(a.compressorStateFourCC, b.compressorStateFourCC);
    EXPECT_EQ(a.compressorState, b.compressorState);
    EXPECT_EQ(a.recordAudio, b.recordAudio);
    EXPECT_EQ(a.audioFormatFlag, b.audioFormatFlag);
    EXPECT_EQ(a.compressAudio, b.compressAudio);
    EXPECT_EQ(a.compressFormat, b.compressFormat);
    EXPECT_EQ(a.recordPauseKey, b.recordPauseKey);
    EXPECT_EQ(a.stopKey, b.stopKey);
    EXPECT_EQ(a.regionMode, b.regionMode);
    EXPECT_EQ(a.fixedWidth, b.fixedWidth);
    EXPECT_EQ(a.fixedHeight, b.fixedHeight);
    EXPECT_EQ(a.minimizeOnStart, b.minimizeOnStart);
    EXPECT_EQ(a.recordCursor, b.recordCursor);
}

StoredValue Number(uint32_t n)
{
    StoredValue v;
    v.kind = StoredValue::Kind::Number;
    v.number = n;
    return v;
}

StoredValue Bytes(std::vector<uint8_t> b)
{
    StoredValue v;
    v.kind = StoredValue::Kind::Bytes;
    v.bytes = std::move(b);
    return v;
}

StoredValue Text()
{
    StoredValue v;
    v.kind = StoredValue::Kind::Other;
    v.bytes = {'2', '5', 0};
    return v;
}

TEST(RememberedOptions, WhatIsStoredComesBack)
{
    ExpectSame(ReadRememberedOptions(StoreRememberedOptions(Changed()), Defaults(), Machine()),
               Changed());
    // Every rate the dialog offers is kept, the newest (60) too.
    for (int fps : {5, 10, 20, 22, 25, 27, 30, 60}) {
        RememberedOptions o = Changed();
        o.framesPerSecond = fps;
        EXPECT_EQ(
            ReadRememberedOptions(StoreRememberedOptions(o), Defaults(), Machine()).framesPerSecond,
            fps);
    }
}

TEST(RememberedOptions, NothingStoredGivesTheDefaults)
{
    ExpectSame(ReadRememberedOptions({}, Defaults(), Machine()), Defaults());
}

// Each case damages one stored value of an otherwise changed store: only the options it
// feeds go back to their defaults, the rest keep what was stored.
TEST(RememberedOptions, ADamagedValueFallsBackAlone)
{
    auto wipeState = [](RememberedOptions& o) {
        o.compressorStateFourCC = 0;
        o.compressorState.clear();
    };
    const struct {
        const char* what;
        const char* name;
        StoredValue value;
        std::function<void(RememberedOptions&)> expectDefault;
    } cases[] = {
        {"frame rate not offered", s::kFramesPerSecond, Number(24),
         [](RememberedOptions& o) { o.framesPerSecond = 25; }},
        {"frame rate huge", s::kFramesPerSecond, Number(0xFFFFFFFF),
         [](RememberedOptions& o) { o.framesPerSecond = 25; }},
        {"frame rate as text", s::kFramesPerSecond, Text(),
         [](RememberedOptions& o) { o.framesPerSecond = 25; }},
        {"quality 0", s::kQuality, Number(0),
         [](RememberedOptions& o) { o.compressorQuality = 7000; }},
        {"quality past 100 %", s::kQuality, Number(10001),
         [](RememberedOptions& o) { o.compressorQuality = 7000; }},
        {"quality as bytes", s::kQuality, Bytes({0x88, 0x13, 0, 0}),
         [](RememberedOptions& o) { o.compressorQuality = 7000; }},
        {"compressor gone", s::kCompressor, Number(kGone),
         [](RememberedOptions& o) { o.compressorFourCC = kMsvc; }},
        {"compressor 0", s::kCompressor, Number(0),
         [](RememberedOptions& o) { o.compressorFourCC = kMsvc; }},
        {"state of a compressor gone", s::kCompressorStateFor, Number(kGone), wipeState},
        {"state empty", s::kCompressorState, Bytes({}), wipeState},
        {"state too large", s::kCompressorState,
         Bytes(std::vector<uint8_t>(korvane::kMaxCompressorStateBytes + 1, 7)), wipeState},
        {"state as a number", s::kCompressorState, Number(5), wipeState},
        {"record audio 2", s::kRecordAudio, Number(2),
         [](RememberedOptions& o) { o.recordAudio = 1; }},
        {"audio format two bits", s::kAudioFormat, Number(0x81),
         [](RememberedOptions& o) { o.audioFormatFlag = 0x80; }},
        {"compress audio huge", s::kCompressAudio, Number(0x80000000),
         [](RememberedOptions& o) { o.compressAudio = 1; }},
        {"format tag unknown", s::kCompressFormat,
         Bytes({0x55, 0, 2, 0, 0x22, 0x56, 0, 0, 0, 0, 0, 0, 4, 0, 16, 0, 0, 0}),
         [](RememberedOptions& o) { o.compressFormat.clear(); }},
        {"format shorter than its header", s::kCompressFormat, Bytes({1, 0, 2, 0}),
         [](RememberedOptions& o) { o.compressFormat.clear(); }},
        {"format extra bytes miscounted", s::kCompressFormat,
         Bytes(
             {0x11, 0, 1, 0, 0x22, 0x56, 0, 0, 0xD7, 0x2B, 0, 0, 0, 2, 4, 0, 0xFF, 0xFF, 0xF9, 3}),
         [](RememberedOptions& o) { o.compressFormat.clear(); }},
        {"format without channels", s::kCompressFormat,
         Bytes({1, 0, 0, 0, 0x22, 0x56, 0, 0, 0, 0, 0, 0, 4, 0, 16, 0, 0, 0}),
         [](RememberedOptions& o) { o.compressFormat.clear(); }},
        {"record key not in the list", s::kRecordPauseKey, Number(0x91),
         [](RememberedOptions& o) { o.recordPauseKey = 0x76; }},
        {"record key past a byte", s::kRecordPauseKey, Number(0x175),
         [](RememberedOptions& o) { o.recordPauseKey = 0x76; }},
        {"both keys the same", s::kRecordPauseKey, Number(0x09),
         [](RememberedOptions& o) {
             o.recordPauseKey = 0x76;
             o.stopKey = 0x77;
         }},
        {"region mode of a later version", s::kRegionMode, Number(4),
         [](RememberedOptions& o) { o.regionMode = 1; }},
        {"region mode negative", s::kRegionMode, Number(static_cast<uint32_t>(-1)),
         [](RememberedOptions& o) { o.regionMode = 1; }},
        {"width past the screen", s::kFixedWidth, Number(1025),
         [](RememberedOptions& o) { o.fixedWidth = 320; }},
        {"width negative", s::kFixedWidth, Number(static_cast<uint32_t>(-5)),
         [](RememberedOptions& o) { o.fixedWidth = 320; }},
        {"height 0", s::kFixedHeight, Number(0), [](RememberedOptions& o) { o.fixedHeight = 240; }},
        {"minimize as text", s::kMinimizeOnStart, Text(),
         [](RememberedOptions& o) { o.minimizeOnStart = 0; }},
        {"cursor 7", s::kRecordCursor, Number(7), [](RememberedOptions& o) { o.recordCursor = 1; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StoredValues stored = StoreRememberedOptions(Changed());
        stored[c.name] = c.value;
        RememberedOptions expected = Changed();
        c.expectDefault(expected);
        ExpectSame(ReadRememberedOptions(stored, Defaults(), Machine()), expected);
    }
}

TEST(RememberedOptions, EveryRegionModeIsKept)
{
    // Full screen and the whole desktop are chosen in the dialog like the other two.
    for (int mode : {0, 1, 2, 3}) {
        RememberedOptions o = Changed();
        o.regionMode = mode;
        EXPECT_EQ(
            ReadRememberedOptions(StoreRememberedOptions(o), Defaults(), Machine()).regionMode,
            mode);
    }
}

TEST(RememberedOptions, UnknownNamesAreIgnored)
{
    StoredValues stored = StoreRememberedOptions(Changed());
    stored["FramesPerSecondX"] = Number(5);
    stored["Unknown"] = Text();
    ExpectSame(ReadRememberedOptions(stored, Defaults(), Machine()), Changed());
}

}  // namespace
