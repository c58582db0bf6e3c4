// The recording thread on the real desktop with the installed Video 1 codec: the end
// reports, the size check for Video 1, stop during set-up, and a few hundred frames
// that leave no handle or memory behind.
#include "app/recording_report.h"
#include "app/recording_settings.h"
#include "capture/recording_outcome.h"
#include "app/recording_state.h"
#include "capture/recording_stats.h"
#include "capture/recording_thread.h"
#include "app/scratch_paths.h"
#include "avifile_owners.h"
#include "fake_compressors.h"
#include "handle_tally.h"
#include "recording_support.h"

#include <gtest/gtest.h>
#include <psapi.h>
#include <vfw.h>

#include <thread>

using namespace korvane;

namespace {

const DWORD kMsvc = mmioFOURCC('M', 'S', 'V', 'C');
// Video 1 movies name their format 'CRAM' or 'MSVC', in either case.
bool IsVideo1(DWORD fourcc)
{
    const DWORD lower = fourcc | 0x20202020;
    return lower == mmioFOURCC('m', 's', 'v', 'c') || lower == mmioFOURCC('c', 'r', 'a', 'm');
}

struct AviFacts {
    bool opened = false;
    LONG width = 0, height = 0;
    WORD bits = 0;
    DWORD handler = 0;  // the compression of the stream format
    DWORD rate = 0, scale = 0;
    LONG length = 0;
    LONG firstKey = -1;
};

AviFacts ReadAvi(const std::string& path)
{
    AviFacts facts;
    AviFileLibrary library;
    AviFile file;
    if (AVIFileOpenA(file.Receive(), path.c_str(), OF_READ, nullptr) != 0)
        return facts;
    file.NoteReceived();
    AviStream stream;
    if (AVIFileGetStream(file.Get(), stream.Receive(), streamtypeVIDEO, 0) != 0)
        return facts;
    stream.NoteReceived();
    facts.opened = true;
    AVISTREAMINFOA info = {};
    AVIStreamInfoA(stream.Get(), &info, sizeof info);
    facts.rate = info.dwRate;
    facts.scale = info.dwScale;
    facts.length = AVIStreamLength(stream.Get());
    BITMAPINFOHEADER format = {};
    LONG size = sizeof format;
    AVIStreamReadFormat(stream.Get(), 0, &format, &size);
    facts.width = format.biWidth;
    facts.height = format.biHeight;
    facts.bits = format.biBitCount;
    facts.handler = format.biCompression;
    return facts;
}

class Recording : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseScreenSettings();
        isPaused = 0;
        MovePointer(screenWidth - 5, screenHeight - 5);
    }
    void TearDown() override
    {
        isRecording = 0;
        if (!tempAviPath.empty())
            DeleteFileA(tempAviPath.c_str());
    }

    // Records `area` on the recording thread until `stopAfterMs`, then stops by flag.
    void Record(RECT area, DWORD stopAfterMs)
    {
        captureRect = area;
        EXPECT_TRUE(sink.Record([&] { sink.PumpFor(stopAfterMs); }));
        sink.PumpFor(100);
    }

    // Answers the question about the default compressor without a box.
    struct Answers : RecordingQuestions {
        int asked = 0;
        bool yes = false;
        bool UseDefaultCompressor() override
        {
            ++asked;
            return yes;
        }
    };

    MessageSink sink;
    Answers answers;
    RecordingQuestionsInUse::Replacement answering{answers};
    int& questions = answers.asked;
    bool& answerYes = answers.yes;
};

}  // namespace

TEST_F(Recording, StopDuringSetUpStillFinishesAMovieWithoutFrames)
{
    captureRect = RECT{0, 0, 159, 119};
    isRecording = 0;
    std::thread worker(RecordingThreadMain, nullptr);
    ASSERT_TRUE(sink.PumpUntil([&] { return sink.Ended(); }, 20000));
    worker.join();
    EXPECT_EQ(sink.received, (std::vector<std::string>{"WM_USER_GENERIC_MSG"}));
    const AviFacts avi = ReadAvi(tempAviPath);
    ASSERT_TRUE(avi.opened) << tempAviPath;
    EXPECT_EQ(avi.length, 0);
    EXPECT_EQ(avi.width, 160);
    EXPECT_TRUE(IsVideo1(avi.handler)) << std::hex << avi.handler;
    EXPECT_EQ(recordingReport.stats.grabs, 0u);
}

TEST_F(Recording, OddAreaIsAlignedForVideo1)
{
    Record(RECT{10, 20, 10 + 201 - 1, 20 + 101 - 1}, 600);
    EXPECT_EQ(sink.received, (std::vector<std::string>{"WM_USER_GENERIC_MSG"}));
    const AviFacts avi = ReadAvi(tempAviPath);
    ASSERT_TRUE(avi.opened);
    EXPECT_EQ(avi.width, 204);
    EXPECT_EQ(avi.height, 104);
    EXPECT_TRUE(IsVideo1(avi.handler)) << std::hex << avi.handler;
    EXPECT_EQ(avi.rate, 25u);
    EXPECT_EQ(avi.scale, 1u);
    EXPECT_GT(avi.length, 5);
    EXPECT_EQ(settings.compressorFourCC, kMsvc);
}

TEST_F(Recording, AreaAtTheScreenEdgeIsAlignedDownwards)
{
    // As on a 1022-pixel-wide screen: 1021 aligned to 2 (1022) is refused by Video 1,
    // aligned to 4 it would be 1024, past the screen, so 1020 is taken.
    virtualScreen = RECT{0, 0, 1021, 767};
    Record(RECT{0, 0, 1020, 99}, 300);
    const AviFacts avi = ReadAvi(tempAviPath);
    ASSERT_TRUE(avi.opened);
    EXPECT_EQ(avi.width, 1020);
    EXPECT_EQ(avi.height, 100);
}

TEST_F(Recording, FailureWithTheDefaultCompressorAsksNothing)
{
    isRecording = 1;
    tempAviPath.clear();
    RunRecording(0, 0, 160, 120, 25, "Z:\\no\\such\\folder\\x.avi");
    sink.PumpFor(200);
    EXPECT_EQ(sink.received, (std::vector<std::string>{"WM_USER_RECORDINTERRUPTED_MSG"}));
    EXPECT_EQ(questions, 0);
}

TEST_F(Recording, OnlyACompressorThatFailsIsOfferedTheDefault)
{
    // Wine's RLE compressor takes 8-bit frames, so the size check keeps it; a folder that
    // does not exist is not its fault.
    settings.captureBitsPerPixel = 8;
    settings.compressorFourCC = mmioFOURCC('m', 'r', 'l', 'e');
    isRecording = 1;
    answerYes = true;
    RunRecording(0, 0, 160, 120, 25, "Z:\\no\\such\\folder\\x.avi");
    sink.PumpFor(200);
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(sink.received, (std::vector<std::string>{"WM_USER_RECORDINTERRUPTED_MSG"}));

    // A compressor that takes the format but compresses nothing fails the first frame.
    FakeCompressors fakes;
    ASSERT_NE(
        fakes.Install(mmioFOURCC('k', 'v', 'f', 'k'), [](const BITMAPINFOHEADER&) { return true; }),
        nullptr);
    for (bool yes : {true, false}) {
        sink.received.clear();
        settings.compressorFourCC = mmioFOURCC('k', 'v', 'f', 'k');
        answerYes = yes;
        isRecording = 1;
        const std::string path = GetScratchFolder() + "\\~fake compressor.avi";
        RunRecording(0, 0, 160, 120, 25, path);
        DeleteFileA(path.c_str());
        sink.PumpFor(200);
        std::vector<std::string> expected{"WM_USER_RECORDINTERRUPTED_MSG"};
        if (yes)
            expected.push_back("WM_USER_RECORDSTART_MSG");
        EXPECT_EQ(sink.received, expected) << yes;
        EXPECT_EQ(settings.compressorFourCC, yes ? kMsvc : mmioFOURCC('k', 'v', 'f', 'k'));
    }
    EXPECT_EQ(questions, 2);
}

// Past the size ceiling the recording goes on in a new file: every frame is in one of the
// parts, and each part is a movie of its own.
TEST_F(Recording, FullPartGoesOnInTheNext)
{
    // Each part starts with a key frame of some 50 KB.
    SetEnvironmentVariableA("KORVANE_PART_BYTES", "65536");
    settings.recordAudio = 0;
    Record(RECT{0, 0, 319, 239}, 4000);
    SetEnvironmentVariableA("KORVANE_PART_BYTES", nullptr);
    EXPECT_EQ(sink.received, (std::vector<std::string>{"WM_USER_GENERIC_MSG"}));
    ASSERT_GE(recordingReport.parts.size(), 3u) << recordingReport.stats.framesWritten << " frames";
    EXPECT_EQ(recordingReport.parts[0].aviPath, tempAviPath);
    LONG frames = 0;
    for (size_t i = 0; i < recordingReport.parts.size(); ++i) {
        const korvane::RecordingPart& part = recordingReport.parts[i];
        const AviFacts avi = ReadAvi(part.aviPath);
        EXPECT_TRUE(avi.opened) << part.aviPath;
        EXPECT_GT(avi.length, 0) << part.aviPath;
        // A part ends with its last frame; a frame dropped at the seam shortens it.
        if (i + 1 < recordingReport.parts.size()) {
            EXPECT_LE(part.firstIndex + avi.length, recordingReport.parts[i + 1].firstIndex);
        }
        frames += avi.length;
        if (i > 0)
            DeleteFileA(part.aviPath.c_str());
    }
    EXPECT_LE(static_cast<unsigned>(frames), recordingReport.stats.lastWrittenIndex + 1);
    EXPECT_GE(static_cast<unsigned>(frames) + 3 * recordingReport.parts.size(),
              recordingReport.stats.lastWrittenIndex + 1);
    EXPECT_EQ(recordingReport.cause, korvane::StopCause::User);
}

TEST_F(Recording, FrameThatCannotBeMadeEndsTheRecordingAsAFailure)
{
    // No memory or bitmap for a frame this size: the process goes on, the recording fails.
    isRecording = 1;
    RunRecording(0, 0, 60000, 60000, 25, GetScratchFolder() + "\\~never.avi");
    sink.PumpFor(200);
    EXPECT_EQ(sink.received, (std::vector<std::string>{"WM_USER_RECORDINTERRUPTED_MSG"}));
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(Tally(HandleKind::GlobalMemory).Open(), 0);
}

// The sound a failed save kept names the scratch file until the next recording: a start
// that fails before its own sound begins must not leave that name for the clean-up, which
// deletes the failed recording's sound.
TEST_F(Recording, FailedStartDoesNotNameTheKeptSoundOfTheRecordingBefore)
{
    const std::string kept = GetScratchFolder() + "\\~kept sound.wav";
    WriteTextFile(kept, "RIFF");
    tempWavPath = kept;
    settings.recordAudio = 1;
    captureRect = RECT{0, 0, 59999, 59999};
    ASSERT_TRUE(sink.Record([] {}));
    EXPECT_EQ(sink.received, (std::vector<std::string>{"WM_USER_RECORDINTERRUPTED_MSG"}));
    EXPECT_NE(tempWavPath, kept);
    DeleteFileA(kept.c_str());
}

TEST_F(Recording, HundredsOfFramesLeaveNoHandleOrMemoryBehind)
{
    auto privateBytes = [] {
        PROCESS_MEMORY_COUNTERS_EX pmc = {};
        pmc.cb = sizeof pmc;
        GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                             sizeof pmc);
        // Wine leaves PrivateUsage at 0; its PagefileUsage is the private commit.
        return pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
    };
    settings.framesPerSecond = 50;
    settings.frameIntervalMs = 20;
    // A short warm-up recording settles the libraries' own one-time allocations.
    Record(RECT{0, 0, 159, 119}, 500);
    const long open[] = {Tally(HandleKind::Dc).Open(), Tally(HandleKind::GdiObject).Open(),
                         Tally(HandleKind::GlobalMemory).Open(),
                         Tally(HandleKind::AviObject).Open(), Tally(HandleKind::Compressor).Open()};
    const SIZE_T before = privateBytes();
    sink.received.clear();
    Record(RECT{0, 0, 159, 119}, 8000);
    const SIZE_T after = privateBytes();
    EXPECT_EQ(sink.received, (std::vector<std::string>{"WM_USER_GENERIC_MSG"}));
    EXPECT_GE(recordingReport.stats.grabs, 200u);
    EXPECT_EQ(Tally(HandleKind::Dc).Open(), open[0]);
    EXPECT_EQ(Tally(HandleKind::GdiObject).Open(), open[1]);
    EXPECT_EQ(Tally(HandleKind::GlobalMemory).Open(), open[2]);
    EXPECT_EQ(Tally(HandleKind::AviObject).Open(), open[3]);
    EXPECT_EQ(Tally(HandleKind::Compressor).Open(), open[4]);
    // A leaked 160x120 frame per grab would be 15 MB over these grabs.
    EXPECT_LT(after, before + 3 * 1024 * 1024) << before << " -> " << after;
    std::printf("grabs %u, written %u, private bytes %lu -> %lu\n", recordingReport.stats.grabs,
                recordingReport.stats.framesWritten, static_cast<unsigned long>(before),
                static_cast<unsigned long>(after));
}
