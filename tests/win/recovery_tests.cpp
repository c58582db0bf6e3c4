// Recovery with a real recording: while it records, its description names its files
// and no scan takes it; a copy of its files taken mid-recording (what a killed process
// leaves) is found, rebuilt into an AVI file with every frame at its position and a WAV
// file of the right size, or deleted; the description goes with the finish.
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
// description that names the copies: an interrupted recording.
void CopyInterrupted(const std::string& folder, const RecordingDescription& live)
{
    RecordingDescription d = live;
    d.aviPath = folder + "\\~temp.avi";
    d.wavPath = folder + "\\~temp001.wav";
    d.mergedPath = folder + "\\tempaudiovideomerge.avi";
    Write(d.aviPath, ReadShared(live.aviPath));
    Write(d.wavPath, ReadShared(live.wavPath));
    Write(d.mergedPath, "");
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
            WIN32_FIND_DATAA entry;
            const FindHandle find(FindFirstFileA((dir + "\\*").c_str(), &entry));
            while (find) {
                if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileA((dir + "\\" + entry.cFileName).c_str());
                if (!FindNextFileA(find.Get(), &entry))
                    break;
            }
            RemoveDirectoryA(dir.c_str());
        }
        for (const std::string& path : {tempAviPath, tempWavPath, mergedAviPath})
            if (!path.empty())
                DeleteFileA(path.c_str());
    }

    MessageSink sink;
    std::string folder;
    std::string second;
};

}  // namespace

TEST_F(Recovery, LiveRecordingIsDescribedAndAKilledOneIsRebuilt)
{
    captureRect = RECT{40, 40, 40 + 160 - 1, 40 + 120 - 1};
    RecordingDescription live;
    bool described = false;
    const FlushTally before = RecordingFlushTally();
    ASSERT_TRUE(sink.Record([&] {
        sink.PumpFor(2500);
        described = ParseDescription(ReadShared(DescriptionPathFor(tempAviPath)), live);
        std::vector<std::string> inUse;
        const std::vector<InterruptedRecording> found =
            FindInterruptedRecordings(GetScratchFolder(), inUse);
        for (const InterruptedRecording& r : found)
            EXPECT_NE(r.descriptionPath, DescriptionPathFor(tempAviPath)) << "a live one taken";
        EXPECT_NE(std::find(inUse.begin(), inUse.end(), tempAviPath), inUse.end());
        if (described) {
            CopyInterrupted(folder, live);
            CopyInterrupted(second, live);
        }
        sink.PumpFor(1200);
    }));
    ASSERT_TRUE(described);
    EXPECT_EQ(live.aviPath, tempAviPath);
    EXPECT_EQ(live.wavPath, tempWavPath);
    EXPECT_EQ(live.part, 1u);
    EXPECT_EQ(live.compressor, "MSVC");
    EXPECT_EQ(live.width, 160u);
    EXPECT_FALSE(live.complete);
    EXPECT_FALSE(Exists(DescriptionPathFor(tempAviPath))) << "the finish leaves it behind";
    const FlushTally after = RecordingFlushTally();
    std::printf("flushes: %u, %.2f ms each, %u frames\n", after.flushes - before.flushes,
                1000 * (after.seconds - before.seconds) / (after.flushes - before.flushes),
                korvane::lastRecordingStats.framesWritten);
    EXPECT_GE(after.flushes - before.flushes, 2u);

    std::vector<std::string> inUse;
    std::vector<InterruptedRecording> found = FindInterruptedRecordings(folder, inUse);
    ASSERT_EQ(found.size(), 1u);
    InterruptedRecording& r = found[0];
    ASSERT_TRUE(r.readable);
    EXPECT_TRUE(r.hasSound);
    EXPECT_GE(r.positions, 40u);  // about 2.5 s at 25 fps
    EXPECT_TRUE(FindInterruptedRecordings(folder, inUse).empty()) << "a claimed one taken twice";

    RebuiltRecording out;
    ASSERT_TRUE(RebuildRecording(r, folder, inUse, out));
    EXPECT_EQ(VideoPositions(out.aviPath), static_cast<LONG>(r.positions));
    EXPECT_FALSE(Exists(folder + "\\~temp.avi")) << "the damaged file stays";
    EXPECT_EQ(out.mergedPath, folder + "\\tempaudiovideomerge.avi");
    const std::string wav = ReadShared(out.wavPath);
    ASSERT_GT(wav.size(), 44u);
    uint32_t riff, data;
    std::memcpy(&riff, &wav[4], 4);
    std::memcpy(&data, &wav[42], 4);
    EXPECT_EQ(riff, wav.size() - 8);
    EXPECT_EQ(data, wav.size() - 46);
    EXPECT_GT(data, 2 * captureFormat.nAvgBytesPerSec) << "less than 2 s of sound";
    EXPECT_TRUE(Exists(r.descriptionPath));
    ForgetRecordingPart(out.aviPath);
    EXPECT_FALSE(Exists(r.descriptionPath));

    found = FindInterruptedRecordings(second, inUse);
    ASSERT_EQ(found.size(), 1u);
    DeleteInterruptedRecording(found[0], inUse);
    WIN32_FIND_DATAA entry;
    EXPECT_FALSE(FindHandle(FindFirstFileA((second + "\\*.*v*").c_str(), &entry)));
    EXPECT_FALSE(Exists(found[0].descriptionPath));
}
