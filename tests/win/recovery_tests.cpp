// Recovery with a real recording: while it records, its description names its files
// and no scan takes it; a copy of its files taken mid-recording (what a killed process
// leaves) is found, rebuilt into an AVI file with every frame at its position and a WAV
// file of the right size, or deleted; the description goes with the finish.
#include "app/recording_report.h"
#include "app/recording_settings.h"
#include "app/recording_state.h"
#include "app/scratch_paths.h"
#include "audio/audio_state.h"
#include "capture/recording_stats.h"
#include "avifile_owners.h"
#include "recording_support.h"
#include "recovery/recording_journal.h"
#include "recovery/recording_rebuild.h"

#include <gtest/gtest.h>
#include <vfw.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace korvane;

namespace {

std::string ReadShared(const std::string& path)
{
    const KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char block[65536];
    DWORD got = 0;
    while (file && ReadFile(file.Get(), block, sizeof block, &got, nullptr) && got > 0)
        bytes.append(block, got);
    return bytes;
}

void Write(const std::string& path, const std::string& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The recording's files as they are this moment, copied into `folder` with a
// description that names the copies and a reserve of its own: an interrupted recording.
void CopyInterrupted(const std::string& folder, const RecordingDescription& live)
{
    RecordingDescription d = live;
    d.aviPath = folder + "\\~temp.avi";
    d.wavPath = folder + "\\~temp001.wav";
    d.mergedPath = folder + "\\tempaudiovideomerge.avi";
    d.reservePath = folder + "\\~korvane reserve.tmp";
    Write(d.aviPath, ReadShared(live.aviPath));
    Write(d.wavPath, ReadShared(live.wavPath));
    Write(d.mergedPath, "");
    Write(d.reservePath, std::string(4096, '\0'));
    for (size_t i = 0; i < d.laterParts.size(); ++i) {
        LaterPart& part = d.laterParts[i];
        part.aviPath = folder + "\\~temp part" + std::to_string(i + 2) + ".avi";
        part.mergedPath = folder + "\\tempaudiovideomerge part" + std::to_string(i + 2) + ".avi";
        Write(part.aviPath, ReadShared(live.laterParts[i].aviPath));
        Write(part.mergedPath, "");
    }
    Write(DescriptionPathFor(d.aviPath), FormatDescription(d));
}

LONG VideoPositions(const std::string& path)
{
    AviFileLibrary library;
    AviFile file;
    AviStream stream;
    if (AVIFileOpenA(file.Receive(), path.c_str(), OF_READ, nullptr) != 0)
        return -1;
    file.NoteReceived();
    if (AVIFileGetStream(file.Get(), stream.Receive(), streamtypeVIDEO, 0) != 0)
        return -1;
    stream.NoteReceived();
    return AVIStreamLength(stream.Get());
}

// The names of the files in `dir`.
std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    const FindHandle find(FindFirstFileA((dir + "\\*").c_str(), &entry));
    while (find) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(entry.cFileName);
        if (!FindNextFileA(find.Get(), &entry))
            break;
    }
    return names;
}

class Recovery : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseScreenSettings();
        settings.recordAudio = 1;
        isPaused = 0;
        folder = GetScratchFolder() + "\\recovery-test-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        second = folder + "\\second";
        CreateDirectoryA(second.c_str(), nullptr);
    }
    void TearDown() override
    {
        for (const std::string& dir : {second, folder}) {
            Empty(dir);
            RemoveDirectoryA(dir.c_str());
        }
    }
    static void Empty(const std::string& dir)
    {
        for (const std::string& name : FilesIn(dir))
            DeleteFileA((dir + "\\" + name).c_str());
    }
    void DeleteRecorded()
    {
        for (const std::string& path : {tempAviPath, tempWavPath, mergedAviPath})
            if (!path.empty())
                DeleteFileA(path.c_str());
        for (const RecordingPart& part : recordingReport.parts)
            for (const std::string& path : {part.aviPath, part.mergedPath})
                if (!path.empty())
                    DeleteFileA(path.c_str());
    }

    void RecordInterruptedAndRecover(const RECT& area, size_t minParts, uint32_t minPositions);

    MessageSink sink;
    std::string folder;
    std::string second;
};

}  // namespace

// A recording copied as a killed process leaves it, rebuilt from `folder` and deleted
// from `second`.
void Recovery::RecordInterruptedAndRecover(const RECT& area, size_t minParts, uint32_t minPositions)
{
    captureRect = area;
    RecordingDescription live;
    bool described = false;
    const FlushTally before = RecordingFlushTally();
    ASSERT_TRUE(sink.Record([&] {
        // A copy holds what the recording has flushed, which on a loaded machine can be
        // well behind the clock: the copy waits for 2 s of sound on disk (header apart).
        sink.PumpFor(2500);
        sink.PumpUntil(
            [&] { return ReadShared(tempWavPath).size() > 46 + 2 * captureFormat.nAvgBytesPerSec; },
            20000);
        described = ParseDescription(ReadShared(DescriptionPathFor(tempAviPath)), live);
        std::vector<std::string> inUse;
        const std::vector<InterruptedRecording> found =
            FindInterruptedRecordings(GetScratchFolder(), inUse);
        for (const InterruptedRecording& r : found)
            EXPECT_NE(r.descriptionPath, DescriptionPathFor(tempAviPath)) << "a live one taken";
        for (const std::string& path : {tempAviPath, live.reservePath})
            EXPECT_NE(std::find(inUse.begin(), inUse.end(), path), inUse.end()) << path;
        // Held while it lives: no other instance can delete it.
        EXPECT_FALSE(DeleteFileA(live.reservePath.c_str()));
        if (described) {
            CopyInterrupted(folder, live);
            CopyInterrupted(second, live);
        }
        sink.PumpFor(1200);
    }));
    DeleteRecorded();
    ASSERT_TRUE(described);
    EXPECT_EQ(live.aviPath, tempAviPath);
    EXPECT_EQ(live.wavPath, tempWavPath);
    EXPECT_EQ(live.part, 1u);
    EXPECT_EQ(live.compressor, "MSVC");
    EXPECT_EQ(live.width, static_cast<uint32_t>(area.right - area.left + 1));
    EXPECT_FALSE(live.complete);
    ASSERT_GE(live.laterParts.size() + 1, minParts);
    EXPECT_FALSE(live.reservePath.empty());
    EXPECT_FALSE(Exists(live.reservePath)) << "the recording leaves its reserve behind";
    EXPECT_FALSE(Exists(DescriptionPathFor(tempAviPath))) << "the finish leaves it behind";
    const FlushTally after = RecordingFlushTally();
    std::printf("%zu part(s); flushes: %u, %.2f ms each, %u frames\n", live.laterParts.size() + 1,
                after.flushes - before.flushes,
                1000 * (after.seconds - before.seconds) / (after.flushes - before.flushes),
                recordingReport.stats.framesWritten);
    EXPECT_GE(after.flushes - before.flushes, 2u);

    std::vector<std::string> inUse;
    std::vector<InterruptedRecording> found = FindInterruptedRecordings(folder, inUse);
    ASSERT_EQ(found.size(), 1u);
    InterruptedRecording& r = found[0];
    ASSERT_TRUE(r.readable);
    EXPECT_TRUE(r.hasSound);
    EXPECT_GE(r.positions, minPositions);
    EXPECT_TRUE(FindInterruptedRecordings(folder, inUse).empty()) << "a claimed one taken twice";

    RebuiltRecording out;
    ASSERT_TRUE(RebuildRecording(r, folder, inUse, out));
    // Every part with a whole frame, in order, and every position found in one of them.
    ASSERT_GE(out.laterParts.size() + 1, minParts);
    LONG positions = VideoPositions(out.aviPath);
    EXPECT_GT(positions, 0) << out.aviPath;
    EXPECT_EQ(out.mergedPath, folder + "\\tempaudiovideomerge.avi");
    for (const LaterPart& part : out.laterParts) {
        const LONG n = VideoPositions(part.aviPath);
        EXPECT_GT(n, 0) << part.aviPath;
        EXPECT_TRUE(Exists(part.mergedPath)) << part.mergedPath;
        positions += n;
    }
    EXPECT_EQ(positions, static_cast<LONG>(r.positions));
    EXPECT_EQ(out.framesPerSecond, 25u);
    const std::string wav = ReadShared(out.wavPath);
    ASSERT_GT(wav.size(), 44u);
    uint32_t riff, data;
    std::memcpy(&riff, &wav[4], 4);
    std::memcpy(&data, &wav[42], 4);
    EXPECT_EQ(riff, wav.size() - 8);
    EXPECT_EQ(data, wav.size() - 46);
    EXPECT_GT(data, 2 * captureFormat.nAvgBytesPerSec) << "less than 2 s of sound";
    // What the finish takes, and the description: nothing else stays.
    std::vector<std::string> expected = {out.aviPath, out.wavPath, out.mergedPath,
                                         r.descriptionPath};
    for (const LaterPart& part : out.laterParts)
        expected.insert(expected.end(), {part.aviPath, part.mergedPath});
    for (const std::string& name : FilesIn(folder))
        EXPECT_NE(std::find(expected.begin(), expected.end(), folder + "\\" + name), expected.end())
            << name << " stays";
    ForgetRecordingPart(out.aviPath);
    EXPECT_FALSE(Exists(r.descriptionPath));

    found = FindInterruptedRecordings(second, inUse);
    ASSERT_EQ(found.size(), 1u);
    DeleteInterruptedRecording(found[0], inUse);
    EXPECT_EQ(FilesIn(second), std::vector<std::string>());
}

// In one file, and in parts past a lowered size ceiling (a part's sound and its first key
// frame of some 50 KB count, so 128 KB makes a new part about every second).
TEST_F(Recovery, LiveRecordingIsDescribedAndAKilledOneIsRebuilt)
{
    struct Case {
        const char* partBytes;
        RECT area;
        size_t minParts;
        uint32_t minPositions;  // 2.5 s at 25 fps; positions between parts are not counted
    };
    const Case cases[] = {{nullptr, RECT{40, 40, 40 + 160 - 1, 40 + 120 - 1}, 1, 40},
                          {"131072", RECT{0, 0, 319, 239}, 2, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.partBytes ? c.partBytes : "one file");
        SetEnvironmentVariableA("KORVANE_PART_BYTES", c.partBytes);
        RecordInterruptedAndRecover(c.area, c.minParts, c.minPositions);
        SetEnvironmentVariableA("KORVANE_PART_BYTES", nullptr);
        Empty(folder);
        Empty(second);
    }
}

// A description planted in the scratch folder (or one damaged into naming other files)
// is offered as unreadable: the files it names elsewhere are neither opened nor deleted.
TEST_F(Recovery, DescriptionNamingFilesElsewhereTouchesNothing)
{
    const std::string victim = second + "\\precious.wav";
    const std::string kept("RIFF\x04\0\0\0WAVE", 12);
    Write(victim, kept);
    RecordingDescription d;
    d.part = 1;
    d.aviPath = second + "\\precious.avi";
    d.wavPath = victim;
    d.mergedPath = folder + "\\..\\precious merged.avi";
    d.framesPerSecond = 25;
    d.width = d.height = 16;
    d.compressor = "MSVC";
    d.videoFormat.assign(40, 0);
    d.videoFormat[0] = 40;
    d.audioFormat.assign(16, 1);
    Write(d.aviPath, "RIFF");
    Write(folder + "\\planted.avi" + kDescriptionExtension, FormatDescription(d));

    std::vector<std::string> inUse;
    std::vector<InterruptedRecording> found = FindInterruptedRecordings(folder, inUse);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_FALSE(found[0].readable);
    DeleteInterruptedRecording(found[0], inUse);
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>()) << "the description stays";
    EXPECT_EQ(ReadShared(victim), kept);
    EXPECT_TRUE(Exists(d.aviPath));
}
