// The arithmetic of the sound we record: the WAV file's layout, the silence that lines
// its start up with the video clock and keeps it there, and how long a stream lasts once
// compressed; and the key-frame flags a merged file's index must carry.
#include "audio/avi_key_flags.h"
#include "audio/lead_in.h"
#include "audio/riff_layout.h"
#include "audio/sound_clock.h"
#include "audio/sound_length.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// PCM as the capture format builds it.
korvane::WaveFormat Pcm(int bits, int channels, uint32_t rate)
{
    korvane::WaveFormat f;
    f.formatTag = 1;
    f.channels = static_cast<uint16_t>(channels);
    f.samplesPerSec = rate;
    f.bitsPerSample = static_cast<uint16_t>(bits);
    f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.avgBytesPerSec = rate * f.blockAlign;
    return f;
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body)
{
    out.insert(out.end(), id, id + 4);
    Put32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() & 1)
        out.push_back(0);
}

// An index of (id, flags, size) entries, as the writer lays them out.
struct Entry {
    std::string id;
    uint32_t flags;
    uint32_t size = 100;
};
std::vector<uint8_t> Index(const std::vector<Entry>& entries)
{
    std::vector<uint8_t> index;
    uint32_t offset = 4;
    for (const auto& e : entries) {
        index.insert(index.end(), e.id.begin(), e.id.end());
        Put32(index, e.flags);
        Put32(index, offset);
        Put32(index, e.size);
        offset += 8 + e.size;
    }
    return index;
}

// Each entry as "id:flags".
std::vector<std::string> Entries(const std::vector<uint8_t>& index)
{
    std::vector<std::string> out;
    for (size_t at = 0; at + 16 <= index.size(); at += 16) {
        const uint32_t flags = static_cast<uint32_t>(index[at + 4]) | index[at + 5] << 8 |
                               index[at + 6] << 16 | static_cast<uint32_t>(index[at + 7]) << 24;
        out.push_back(std::string(index.begin() + static_cast<long>(at),
                                  index.begin() + static_cast<long>(at) + 4) +
                      ":" + std::to_string(flags));
    }
    return out;
}

}  // namespace

TEST(AviKeyFlags, TheRecordedFlagsReplaceTheSavesOnStreamZeroOnly)
{
    // 16: key frame; 1: a list entry ("rec "); 256: a flag of someone else's, kept.
    const auto index = Index({{"00db", 16},
                              {"01wb", 16},
                              {"00db", 16},
                              {"00db", 16 | 256},
                              {"rec ", 1},
                              {"00dc", 0, 0},
                              {"01wb", 16}});
    const std::vector<std::string> unchanged = Entries(index);
    struct Case {
        const char* what;
        std::vector<bool> keys;
        bool trustChunkType;
        bool applied;
        std::vector<std::string> entries;
        std::vector<uint32_t> retyped;  // entry offsets of the chunks whose type changes
    } cases[] = {
        {"flags only",
         {true, false, false, true},
         false,
         true,
         {"00db:16", "01wb:16", "00db:0", "00db:256", "rec :1", "00dc:16", "01wb:16"},
         {}},
        {"flags and types",
         {true, false, false, true},
         true,
         true,
         {"00db:16", "01wb:16", "00dc:0", "00dc:256", "rec :1", "00dc:16", "01wb:16"},
         {220, 328}},
        {"all keys: an empty frame stays dc",
         {true, true, true, true},
         true,
         true,
         {"00db:16", "01wb:16", "00db:16", "00db:272", "rec :1", "00dc:16", "01wb:16"},
         {}},
        {"one frame too few", {true, false, false}, true, false, unchanged, {}},
        {"one frame too many", {true, false, false, true, false}, true, false, unchanged, {}},
    };
    for (const auto& c : cases) {
        auto patched = index;
        std::vector<korvane::ChunkTypeChange> changes;
        EXPECT_EQ(korvane::SetVideoKeyFlags(patched.data(), patched.size(), c.keys,
                                            c.trustChunkType, changes),
                  c.applied)
            << c.what;
        EXPECT_EQ(Entries(patched), c.entries) << c.what;
        std::vector<uint32_t> retyped;
        for (const auto& change : changes) {
            retyped.push_back(change.entryOffset);
            EXPECT_EQ(std::string(change.type, 2), "dc") << c.what;
        }
        EXPECT_EQ(retyped, c.retyped) << c.what;
    }
}

TEST(AviKeyFlags, TheIndexFollowsTheFilesOrderAndEachStreamKeepsItsOwn)
{
    // (id, offset) pairs; the flags field carries the entry's number in its stream.
    auto index = [](const std::vector<std::pair<std::string, uint32_t>>& entries) {
        std::vector<uint8_t> out;
        uint32_t n = 0;
        for (const auto& [id, offset] : entries) {
            out.insert(out.end(), id.begin(), id.end());
            Put32(out, n++);
            Put32(out, offset);
            Put32(out, 10);
        }
        return out;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> in;
        bool ordered;
        std::vector<std::string> entries;
    } cases[] = {
        {"each stream in turn, data interleaved",
         index({{"00dc", 40}, {"00dc", 80}, {"01wb", 4}, {"01wb", 60}}),
         true,
         {"01wb:2", "00dc:0", "01wb:3", "00dc:1"}},
        {"already in order", index({{"01wb", 4}, {"00dc", 40}}), true, {"01wb:0", "00dc:1"}},
        {"a stream going backwards",
         index({{"00dc", 80}, {"00dc", 40}, {"01wb", 4}}),
         false,
         {"00dc:0", "00dc:1", "01wb:2"}},
    };
    for (const auto& c : cases) {
        auto sorted = c.in;
        EXPECT_EQ(korvane::OrderIndexByOffset(sorted.data(), sorted.size()), c.ordered) << c.what;
        EXPECT_EQ(Entries(sorted), c.entries) << c.what;
    }
}

TEST(AviKeyFlags, TheIndexIsFoundBehindOddChunksAndNeverPastTheEnd)
{
    const auto index = Index({{"00dc", 16}, {"00dc", 16}});
    auto file = [&](const std::vector<uint8_t>& idx, const char* form, uint32_t mainFlags,
                    int cut) {
        std::vector<uint8_t> avih;
        for (uint32_t field : {40000u, 0u, 0u, mainFlags})
            Put32(avih, field);
        std::vector<uint8_t> hdrl = {'h', 'd', 'r', 'l'};
        PutChunk(hdrl, "avih", avih);
        std::vector<uint8_t> body(form, form + 4);
        PutChunk(body, "LIST", hdrl);
        PutChunk(body, "JUNK", std::vector<uint8_t>(7, 0));  // odd: padded
        PutChunk(body, "LIST", {'m', 'o', 'v', 'i', '0', '0', 'd', 'c', 0, 0, 0, 0});
        PutChunk(body, "idx1", idx);
        std::vector<uint8_t> out;
        PutChunk(out, "RIFF", body);
        out.resize(out.size() - static_cast<size_t>(cut));
        return out;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool found;
        bool trustChunkType;
    } cases[] = {
        {"a finished file", file(index, "AVI ", 0x10, 0), true, false},
        {"one whose chunk types tell key frames", file(index, "AVI ", 0x810, 0), true, true},
        {"a WAV file", file(index, "WAVE", 0x810, 0), false, false},
        {"the index cut short", file(index, "AVI ", 0x810, 5), false, false},
        {"no index at all", file({}, "AVI ", 0x810, 8), false, false},
    };
    for (const auto& c : cases) {
        const korvane::ReadAt read = [&](uint64_t offset, void* to, size_t bytes) -> size_t {
            if (offset >= c.bytes.size())
                return 0;
            const size_t n = std::min(bytes, c.bytes.size() - static_cast<size_t>(offset));
            std::memcpy(to, c.bytes.data() + offset, n);
            return n;
        };
        korvane::AviIndexPlace place;
        ASSERT_EQ(korvane::FindAviIndex(read, c.bytes.size(), place), c.found) << c.what;
        if (!c.found)
            continue;
        EXPECT_EQ(place.trustChunkType, c.trustChunkType) << c.what;
        EXPECT_EQ(place.indexBytes, index.size()) << c.what;
        EXPECT_EQ(std::memcmp(c.bytes.data() + place.indexOffset, index.data(), index.size()), 0)
            << c.what;
        // The first frame's entry offset (4) counts from the "movi" form type.
        EXPECT_EQ(std::memcmp(c.bytes.data() + place.moviOffset + 4, "00dc", 4), 0) << c.what;
    }
}

TEST(RiffLayout, SizesPaddingAndFormatRead)
{
    EXPECT_EQ(korvane::RiffSizeField(18, 0), 38u);
    EXPECT_EQ(korvane::WavFileBytes(0, 0), 46u);
    EXPECT_EQ(korvane::RiffSizeField(18, 4000), 4038u);
    EXPECT_EQ(korvane::RiffSizeField(18, 5), 38u + 6);  // data padded, size field odd
    EXPECT_EQ(korvane::SampleDataOffset(0), 46u);
    EXPECT_EQ(korvane::SampleDataOffset(2), 48u);
    EXPECT_EQ(korvane::SampleDataOffset(1), 48u);  // a 19-byte fmt chunk is padded too
    EXPECT_EQ(korvane::FormatBytesToRead(16), 16u);
    EXPECT_EQ(korvane::FormatBytesToRead(18), 18u);
    EXPECT_EQ(korvane::FormatBytesToRead(50), 18u);
}

TEST(LeadIn, FillsTheTimeBeforeTheFirstBuffersSound)
{
    const korvane::WaveFormat f = Pcm(16, 2, 22050);
    // A 4000-byte buffer holds 45 ms; it arrived 500 ms after the clock started.
    EXPECT_EQ(korvane::LeadInBytes(f, 1000, 1500, 4000), 455u * 22050 / 1000 * 4);
    EXPECT_EQ(korvane::LeadInBytes(f, 1000, 1500, 4000) % f.blockAlign, 0u);
    EXPECT_EQ(korvane::LeadInBytes(f, 1000, 1040, 4000), 0u);  // sound began before the origin
    EXPECT_EQ(korvane::LeadInBytes(f, 0xFFFFFF00u, 0x100u, 0),
              512u * 22050 / 1000 * 4);                       // wrapped clock
    EXPECT_EQ(korvane::LeadInBytes(f, 1000, 900, 4000), 0u);  // clock went backwards
    EXPECT_EQ(korvane::LeadInBytes(f, 0, korvane::kMaxLeadInMs + 100, 0), 0u);
    const korvane::WaveFormat mono8 = Pcm(8, 1, 11025);
    EXPECT_EQ(korvane::LeadInBytes(mono8, 0, 1000, 0), 11025u);
    EXPECT_EQ(korvane::SilenceByte(8), 0x80);
    EXPECT_EQ(korvane::SilenceByte(16), 0x00);
}

namespace {

// A minute of 1000-frame buffers (22.05 kHz stereo 16-bit) from a device whose clock runs
// at `speed` times the system's, fed through SoundClock with its corrections applied.
struct DeviceRun {
    const char* name;
    double speed;
    unsigned lostAtMs, lostMs;     // sound the platform threw away
    unsigned heldEveryMs, heldMs;  // buffers held back, then handed over at once
    unsigned pauseAtMs, pauseMs;
    unsigned originMs;
    bool expectSilence, expectSkip;
};

struct RunResult {
    double endGapMs = 0;  // when the last buffer's sound ended, less the sound stored
    uint64_t silence = 0, skipped = 0;
};

RunResult Simulate(const DeviceRun& run)
{
    const korvane::WaveFormat f = Pcm(16, 2, 22050);
    const double bufferMs = 1000.0 * 1000 / 22050 / run.speed;
    korvane::SoundClock clock;
    clock.Start(f, run.originMs);
    RunResult out;
    uint64_t stored = 0;
    double pausedMs = 0;
    for (int k = 0;; ++k) {
        double done = (k + 1) * bufferMs;
        if (run.lostMs && done > run.lostAtMs)
            done += run.lostMs;
        if (done > 60000)
            break;
        double arrival = done;
        if (run.heldEveryMs) {
            const double hold = std::floor(done / run.heldEveryMs) * run.heldEveryMs;
            arrival = std::max(done, hold + run.heldMs);
        }
        const bool paused = arrival >= run.pauseAtMs && arrival < run.pauseAtMs + run.pauseMs;
        if (paused)
            pausedMs = run.pauseMs;
        const unsigned now = run.originMs + static_cast<unsigned>(arrival);
        const korvane::SoundCorrection fix = clock.OnBuffer(now, paused, stored, 4000);
        if (paused)
            continue;
        EXPECT_EQ(fix.silenceBytes % 4, 0u);
        EXPECT_EQ(fix.skipBytes % 4, 0u);
        EXPECT_LE(fix.skipBytes, 4000u);
        stored += fix.silenceBytes + 4000 - fix.skipBytes;
        out.silence += fix.silenceBytes;
        out.skipped += fix.skipBytes;
        out.endGapMs = done - pausedMs - stored * 1000.0 / f.avgBytesPerSec;
    }
    return out;
}

}  // namespace

// The sound must end as long as the clock ran, whatever the device did, and must not be
// touched when only the buffers' arrival was uneven.
TEST(SoundClock, KeepsTheSoundOnTheRecordingClock)
{
    const DeviceRun runs[] = {
        {"steady", 1.0, 0, 0, 0, 0, 0, 0, 1000, false, false},
        {"held back under load", 1.0, 0, 0, 3000, 400, 0, 0, 1000, false, false},
        {"paused", 1.0, 0, 0, 0, 0, 20000, 7000, 1000, false, false},
        {"slow device clock", 0.995, 0, 0, 0, 0, 0, 0, 1000, true, false},
        {"fast device clock", 1.005, 0, 0, 0, 0, 0, 0, 1000, false, true},
        {"sound thrown away", 1.0, 30000, 700, 0, 0, 0, 0, 1000, true, false},
        {"lost, held and paused", 1.0, 10000, 300, 5000, 250, 40000, 3000, 0xFFFFF000u, true,
         false},
    };
    for (const DeviceRun& run : runs) {
        SCOPED_TRACE(run.name);
        const RunResult r = Simulate(run);
        EXPECT_LE(std::abs(r.endGapMs), 2.0 * korvane::kSoundClockToleranceMs);
        EXPECT_EQ(r.silence > 0, run.expectSilence);
        EXPECT_EQ(r.skipped > 0, run.expectSkip);
    }
    const RunResult lost = Simulate(runs[5]);
    EXPECT_NEAR(lost.silence * 1000.0 / 88200, 700.0, 1.0 * korvane::kSoundClockToleranceMs);
}

// A compressed stream is counted in blocks of many samples, and its stated byte rate is
// rounded; a merged file is judged by the samples it holds.
TEST(SoundLength, FromTheHeaderAndTheSamplesPerBlock)
{
    korvane::WaveFormat ima{0x11, 2, 22050, 22201, 1024, 4, 2};
    korvane::WaveFormat mp3{0x55, 2, 44100, 16000, 1, 0, 12};
    const unsigned char spb1017[] = {0xF9, 0x03};
    EXPECT_EQ(korvane::SamplesPerBlock(Pcm(16, 2, 22050), nullptr, 0), 1u);
    EXPECT_EQ(korvane::SamplesPerBlock(ima, spb1017, 2), 1017u);
    EXPECT_EQ(korvane::SamplesPerBlock(ima, spb1017, 1), 0u);  // format cut short
    EXPECT_EQ(korvane::SamplesPerBlock(mp3, spb1017, 2), 0u);

    struct Case {
        const char* what;
        korvane::SoundStreamFacts stream;
        double seconds, blockSeconds;
    };
    const Case cases[] = {
        {"PCM counted in sample frames", {Pcm(16, 2, 22050), 1, 22050, 4}, 1.0, 1 / 22050.0},
        {"PCM counted in bytes", {Pcm(16, 2, 22050), 1, 88200, 1}, 1.0, 1 / 22050.0},
        {"8-bit mono PCM", {Pcm(8, 1, 11025), 1, 5513, 1}, 5513 / 11025.0, 1 / 11025.0},
        {"IMA ADPCM counted in blocks", {ima, 1017, 22, 1024}, 22 * 1017 / 22050.0, 1017 / 22050.0},
        {"IMA ADPCM counted in bytes",
         {ima, 1017, 22 * 1024, 1},
         22 * 1017 / 22050.0,
         1017 / 22050.0},
        {"IMA ADPCM, header without a sample size",
         {ima, 1017, 22, 0},
         22 * 1017 / 22050.0,
         1017 / 22050.0},
        {"samples per block unknown: by the byte rate",
         {ima, 0, 22, 1024},
         22 * 1024 / 22201.0,
         1024 / 22201.0},
        {"a format we do not know", {mp3, 0, 32000, 1}, 2.0, 1 / 16000.0},
        {"no rate at all", {korvane::WaveFormat{}, 0, 100, 1}, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(korvane::SoundStreamSeconds(c.stream), c.seconds, 1e-9) << c.what;
        EXPECT_NEAR(korvane::SoundBlockSeconds(c.stream), c.blockSeconds, 1e-9) << c.what;
    }
}
