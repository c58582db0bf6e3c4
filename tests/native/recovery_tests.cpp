// Recovering an interrupted recording: the walk over a damaged temporary AVI file, the
// sound's sizes taken from the WAV file's length, and the description's text.
#include "audio/riff_layout.h"
#include "recovery/avi_salvage.h"
#include "recovery/recording_description.h"
#include "recovery/wav_salvage.h"
#include "utf8_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace korvane;

namespace {

void Tag(std::vector<uint8_t>& f, const char* id, uint32_t bytes)
{
    f.insert(f.end(), id, id + 4);
    for (int i = 0; i < 4; ++i)
        f.push_back(static_cast<uint8_t>(bytes >> (8 * i)));
}

// A frame chunk whose data bytes all hold `fill`, padded to even length.
void Frame(std::vector<uint8_t>& f, const char* id, uint32_t bytes, uint8_t fill)
{
    Tag(f, id, bytes);
    f.insert(f.end(), bytes + (bytes & 1), fill);
    if (bytes & 1)
        f.back() = 0;
}

struct Chunk {
    const char* id;
    uint32_t bytes;
};
// As the platform's writer leaves it while open: a zeroed header, key frames as "00db",
// skipped positions as empty "00dc".
const Chunk kChunks[] = {{"00db", 100}, {"00dc", 50}, {"00dc", 0},
                         {"00dc", 0},   {"00dc", 31}, {"00db", 40}};
constexpr size_t kMovieStart = 2048;

std::vector<uint8_t> OpenFile()
{
    std::vector<uint8_t> f(kMovieStart, 0);
    uint8_t fill = 1;
    for (const Chunk& c : kChunks)
        Frame(f, c.id, c.bytes, fill++);
    return f;
}

SalvagedVideo Salvage(const std::vector<uint8_t>& f, uint32_t maxFrame = 1000)
{
    MemoryBytes bytes(f.data(), f.size());
    return SalvageAviFrames(bytes, maxFrame);
}

// Each frame found has its own data at its offset and the writer's position and key.
void ExpectPrefix(const std::vector<uint8_t>& file, const SalvagedVideo& v, size_t count)
{
    ASSERT_EQ(v.frames.size(), count);
    for (size_t i = 0; i < count; ++i) {
        const SalvagedFrame& fr = v.frames[i];
        EXPECT_EQ(fr.position, i);
        EXPECT_EQ(fr.bytes, kChunks[i].bytes);
        EXPECT_EQ(fr.key, i == 0 || std::strcmp(kChunks[i].id, "00db") == 0) << i;
        ASSERT_LE(fr.dataOffset + fr.bytes, file.size());
        for (uint32_t b = 0; b < fr.bytes; ++b)
            ASSERT_EQ(file[fr.dataOffset + b], i + 1) << "frame " << i;
    }
}

// Where each chunk of OpenFile ends, so a cut can be judged.
std::vector<size_t> ChunkEnds()
{
    std::vector<size_t> ends;
    size_t at = kMovieStart;
    for (const Chunk& c : kChunks) {
        at += 8 + c.bytes;
        ends.push_back(at);
        at += c.bytes & 1;
    }
    return ends;
}

}  // namespace

TEST(AviSalvage, CutAtAnyByteKeepsEveryWholeFrameBeforeTheCut)
{
    const std::vector<uint8_t> whole = OpenFile();
    const std::vector<size_t> ends = ChunkEnds();
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
        const std::vector<uint8_t> f(whole.begin(), whole.begin() + cut);
        size_t expected = 0;
        while (expected < ends.size() && ends[expected] <= cut)
            ++expected;
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const SalvagedVideo v = Salvage(f);
        ExpectPrefix(f, v, expected);
        const bool onBoundary =
            cut <= kMovieStart ||
            (expected > 0 && (cut == ends[expected - 1] ||
                              cut == ends[expected - 1] + (kChunks[expected - 1].bytes & 1)));
        EXPECT_EQ(v.stop == SalvageStop::EndOfData, onBoundary);
    }
}

TEST(AviSalvage, DamageStopsTheWalkAndKeepsWhatCameBefore)
{
    struct Case {
        const char* name;
        size_t chunk;    // the chunk whose header is damaged
        const char* id;  // replaces its id (null: keep)
        uint32_t size;   // replaces its size (0: keep)
        size_t kept;
        SalvageStop stop;
    };
    const Case cases[] = {
        {"size past the end", 5, nullptr, 5000, 5, SalvageStop::TooLarge},
        {"size a little past the end", 5, nullptr, 60, 5, SalvageStop::Cut},
        {"garbage in the middle", 3, "\x13\x97q?", 0, 3, SalvageStop::Garbage},
        {"another stream's chunk", 2, "01wb", 0, 2, SalvageStop::Garbage},
        {"a zeroed chunk", 4, "\0\0\0\0", 0, 4, SalvageStop::Garbage},
    };
    const std::vector<size_t> ends = ChunkEnds();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> f = OpenFile();
        const size_t header = ends[c.chunk - 1] + (kChunks[c.chunk - 1].bytes & 1);
        if (c.id)
            std::memcpy(&f[header], c.id, 4);
        if (c.size)
            std::memcpy(&f[header + 4], &c.size, 4);
        const SalvagedVideo v = Salvage(f);
        ExpectPrefix(f, v, c.kept);
        EXPECT_EQ(v.stop, c.stop);
    }
}

TEST(AviSalvage, FilesWithoutFramesGiveNone)
{
    const std::vector<uint8_t> empty;
    const std::vector<uint8_t> zeros(5000, 0);
    std::vector<uint8_t> noise(3000);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<uint8_t>(i * 131 + 7);
    const std::vector<uint8_t>* files[] = {&empty, &zeros, &noise};
    for (const std::vector<uint8_t>* f : files) {
        const SalvagedVideo v = Salvage(*f);
        EXPECT_TRUE(v.frames.empty());
        EXPECT_EQ(v.stop, f == &noise ? SalvageStop::Garbage : SalvageStop::EndOfData);
    }
}

TEST(AviSalvage, AFinishedFileIsReadThroughItsHeaderUpToTheIndex)
{
    const std::vector<uint8_t> open = OpenFile();
    std::vector<uint8_t> f;
    Tag(f, "RIFF", 0);
    f.insert(f.end(), {'A', 'V', 'I', ' '});
    Tag(f, "LIST", 8);
    f.insert(f.end(), {'h', 'd', 'r', 'l', 'a', 'v', 'i', 'h'});
    Frame(f, "JUNK", 21, 0);
    Tag(f, "LIST", static_cast<uint32_t>(open.size() - kMovieStart + 4));
    f.insert(f.end(), {'m', 'o', 'v', 'i'});
    const size_t shift = f.size() - kMovieStart;
    f.insert(f.end(), open.begin() + kMovieStart, open.end());
    Frame(f, "idx1", 16, 9);
    const SalvagedVideo v = Salvage(f);
    ASSERT_EQ(v.frames.size(), 6u);
    EXPECT_EQ(v.frames[5].dataOffset, ChunkEnds()[4] + 1 + 8 + shift);
    EXPECT_EQ(v.stop, SalvageStop::EndOfData);
    EXPECT_EQ(v.CodedFrames(), 4u);
    // Only a released file (header and whole index) may be taken as it is.
    EXPECT_TRUE(v.finished);
    EXPECT_FALSE(Salvage(std::vector<uint8_t>(f.begin(), f.end() - 1)).finished);
    EXPECT_FALSE(Salvage(open).finished);
}

namespace {

// A 22050 Hz stereo 16-bit format (block 4) as the recorder writes it.
std::vector<uint8_t> Format(uint16_t blockAlign = 4)
{
    std::vector<uint8_t> f = {1, 0, 2, 0, 0x22, 0x56, 0, 0, 0x88, 0x58, 1, 0};
    f.push_back(static_cast<uint8_t>(blockAlign));
    f.push_back(0);
    f.insert(f.end(), {16, 0, 0, 0});
    return f;
}

}  // namespace

TEST(WavSalvage, SizesComeFromTheFileLength)
{
    struct Case {
        const char* name;
        bool header;         // the file's own header is present
        uint16_t fileBlock;  // its format's block length (0: damaged format)
        bool known;          // the description gives the format
        uint64_t fileBytes;
        bool ok;
        bool headerFound;
        uint32_t dataBytes;
    };
    const uint32_t offset = SampleDataOffset(0);  // where the recorder's writer puts data
    const Case cases[] = {
        {"open file, header as written", true, 4, false, offset + 4000u + 3, true, true, 4000},
        {"only the header", true, 4, true, offset, true, true, 0},
        {"header never flushed", false, 0, true, offset + 4001u, true, false, 4000},
        {"zero length", false, 0, true, 0, true, false, 0},
        {"damaged format, known one", true, 0, true, offset + 800u, true, false, 800},
        {"no format anywhere", false, 0, false, offset + 800u, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> head(offset, 0);
        if (c.header) {
            const std::vector<uint8_t> written = WavHeaderFor(Format(c.fileBlock), 0);
            std::memcpy(head.data(), written.data(), written.size());
        }
        SalvagedWav wav;
        const bool ok = SalvageWav(head.data(), static_cast<uint32_t>(head.size()), c.fileBytes,
                                   c.known ? Format() : std::vector<uint8_t>(), wav);
        ASSERT_EQ(ok, c.ok);
        if (!ok)
            continue;
        EXPECT_EQ(wav.headerFound, c.headerFound);
        EXPECT_EQ(wav.dataOffset, offset);
        EXPECT_EQ(wav.dataBytes, c.dataBytes);
        EXPECT_EQ(wav.formatChunk, Format());
        EXPECT_EQ(RiffSizeFor(wav), offset - 8 + c.dataBytes);
    }
}

TEST(WavSalvage, TheWrittenHeaderIsTheRecorderLayoutWithAPadByteForOddData)
{
    std::vector<uint8_t> format = Format(1);
    format[16] = 2;  // cbSize, and its two bytes
    format.insert(format.end(), {7, 7});
    const std::vector<uint8_t> header = WavHeaderFor(format, 5);
    ASSERT_EQ(header.size(), SampleDataOffset(2));
    SalvagedWav wav;
    ASSERT_TRUE(SalvageWav(header.data(), static_cast<uint32_t>(header.size()), header.size() + 5,
                           {}, wav));
    EXPECT_EQ(wav.formatChunk, format);
    EXPECT_EQ(wav.dataBytes, 5u);
    uint32_t riff;
    std::memcpy(&riff, &header[4], 4);
    EXPECT_EQ(riff, RiffSizeField(FormatChunkBytes(2), 5));
}

namespace {

RecordingDescription Sample()
{
    RecordingDescription d;
    d.processId = 4242;
    d.started = "2026-12-08 17:30:05";
    d.part = 3;
    d.aviPath = "C:\\windows\\temp\\~temp.avi";
    d.wavPath = "C:\\windows\\temp\\~temp001.wav";
    d.mergedPath = "C:\\windows\\temp\\tempaudiovideomerge.avi";
    d.framesPerSecond = 25;
    d.width = 204;
    d.height = 104;
    d.compressor = "MSVC";
    d.quality = 7000;
    d.suggestedBufferBytes = 84864;
    d.videoFormat.assign(40, 0);
    d.videoFormat[0] = 40;
    d.audioFormat = Format();
    d.reservePath = "C:\\windows\\temp\\~korvane reserve.tmp";
    d.laterParts = {{"C:\\windows\\temp\\~temp part2.avi", "C:\\windows\\temp\\m2.avi", 1500},
                    {"C:\\windows\\temp\\~temp part3.avi", "", 3020}};
    return d;
}

}  // namespace

TEST(RecordingDescription, ReadsBackWhatItWrote)
{
    RecordingDescription back;
    ASSERT_TRUE(ParseDescription(FormatDescription(Sample()), back));
    EXPECT_EQ(FormatDescription(back), FormatDescription(Sample()));
    ASSERT_EQ(back.laterParts.size(), 2u);
    EXPECT_EQ(back.laterParts[1].aviPath, "C:\\windows\\temp\\~temp part3.avi");
    EXPECT_EQ(back.laterParts[1].firstIndex, 3020u);
    EXPECT_EQ(DescriptionPathFor(back.aviPath), "C:\\windows\\temp\\~temp.avi.krec");

    // As recorders before parts and the reserve wrote it: one file, no reserve.
    std::string old = FormatDescription(Sample());
    old.erase(old.find("reserve="));
    ASSERT_TRUE(ParseDescription(old, back));
    EXPECT_TRUE(back.laterParts.empty());
    EXPECT_TRUE(back.reservePath.empty());
    EXPECT_EQ(back.aviPath, Sample().aviPath);
}

TEST(RecordingDescription, NamesOnlyFilesDirectlyInTheScratchFolder)
{
    const std::string folder = "C:\\windows\\temp";
    EXPECT_TRUE(NamesOnlyFilesIn(Sample(), folder));
    EXPECT_TRUE(NamesOnlyFilesIn(Sample(), "C:\\WINDOWS\\Temp\\"));
    RecordingDescription doubled = Sample();
    doubled.aviPath = "C:\\windows\\temp\\\\~temp.avi";  // a folder given with "\\" at its end
    EXPECT_TRUE(NamesOnlyFilesIn(doubled, folder));
    EXPECT_FALSE(NamesOnlyFilesIn(Sample(), "C:\\windows"));
    EXPECT_FALSE(NamesOnlyFilesIn(Sample(), ""));

    const std::string outside[] = {
        "C:\\windows\\temp\\..\\system32\\kernel32.dll",
        "C:\\windows\\temp\\..",
        "C:\\windows\\temp\\. .",
        "C:\\windows\\temp\\sub\\x.avi",
        "C:\\windows\\temp/../x.avi",
        "C:\\windows\\tempest\\x.avi",
        "C:\\windows\\temp\\x.avi:hidden",
        "C:\\windows\\temp\\",
        "\\\\server\\share\\x.avi",
        "\\\\?\\C:\\windows\\temp\\x.avi",
        "D:\\x.avi",
        "x.avi",
    };
    // Each file the description names, in turn.
    const std::vector<std::function<void(RecordingDescription&, const std::string&)>> fields = {
        [](RecordingDescription& d, const std::string& p) { d.aviPath = p; },
        [](RecordingDescription& d, const std::string& p) { d.wavPath = p; },
        [](RecordingDescription& d, const std::string& p) { d.mergedPath = p; },
        [](RecordingDescription& d, const std::string& p) { d.reservePath = p; },
        [](RecordingDescription& d, const std::string& p) { d.laterParts[0].aviPath = p; },
        [](RecordingDescription& d, const std::string& p) { d.laterParts[1].mergedPath = p; },
    };
    for (size_t f = 0; f < fields.size(); ++f) {
        for (const std::string& path : outside) {
            RecordingDescription d = Sample();
            fields[f](d, path);
            EXPECT_FALSE(NamesOnlyFilesIn(d, folder)) << "file " << f << ": " << path;
        }
    }
}

TEST(RecordingDescription, RefusesTextsTheRebuildCannotUse)
{
    const std::string good = FormatDescription(Sample());
    auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string t = good;
        t.replace(t.find(from), from.size(), to);
        return t;
    };
    const std::string cases[] = {
        "",
        good.substr(good.find('\n') + 1),  // no first line
        good.substr(0, good.size() / 2),   // cut short
        replaced("width=204", "width=0"),
        replaced("rate=25", "rate=25x"),
        replaced("part=3", "part=99999999999"),
        replaced("compressor=MSVC", "compressor=MSV"),
        replaced("video-format=28", "video-format=2"),
        replaced("video-format=28", "video-format=zz"),
        replaced("video-format=28", "video-format=ff"),  // header size past the format
        replaced("avi=C:", "avi=\r\nx="),
        replaced("audio-format=01", "audio-format=\r\nx=01"),
        replaced("first-3=3020", "first-3=1500"),  // parts out of order
        replaced("first-2=1500", "first-2=0"),
        replaced("first-2=1500", "first-2="),
        replaced("avi-3=C:", "avi-3=\r\nx="),
    };
    for (const std::string& text : cases) {
        RecordingDescription d;
        EXPECT_FALSE(ParseDescription(text, d)) << text;
    }
}

// A description whose text is no UTF-8 was written by an earlier version in the
// system's code page, and is read in that code page: the test must not mistake either.
TEST(DescriptionText, Utf8IsToldFromTheOldCodePages)
{
    const struct {
        const char* text;
        bool utf8;
    } cases[] = {
        {"avi=C:\\Users\\Public\\a.avi", true},
        {"avi=C:\\Users\\\xd0\x90\xd0\xbd\xd0\xb4\xd1\x80\xd0\xb5\xd0\xb9\\\xe9\x8c\xb2.avi", true},
        {"\xf0\x9f\x8e\xac", true},
        {"avi=C:\\Users\\Jos\xe9\\a.avi", false},  // code page 1252
        {"\xc0\xaf", false},                       // an overlong "/"
        {"\xed\xa0\x80", false},                   // a lone surrogate
        {"\xe9\x8c", false},                       // cut short
        {"\xf4\x90\x80\x80", false},               // past U+10FFFF
    };
    for (const auto& c : cases)
        EXPECT_EQ(korvane::IsUtf8(c.text), c.utf8) << c.text;
}
