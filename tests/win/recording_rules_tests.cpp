// The recording thread's decisions that still speak Win32: the compressor size check's
// order of tries (with the compressor's answer passed in), the end-of-recording report,
// and the frame writer's hand-over.
#include "capture/capture_loop.h"
#include "capture/compressor_check.h"
#include "capture/frame_writer.h"
#include "capture/recording_outcome.h"
#include "global_mem.h"
#include "handle_tally.h"

#include <gtest/gtest.h>
#include <mmsystem.h>
#include <vfw.h>

#include <new>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace korvane;

namespace {

// A compressor that accepts sizes whose width and height are multiples of `multiple`,
// noting every size it is asked about.
struct Asked {
    int multiple;
    std::vector<std::pair<int, int>> sizes;
    bool operator()(const Area& a)
    {
        sizes.emplace_back(a.width, a.height);
        return a.width % multiple == 0 && a.height % multiple == 0;
    }
};

}  // namespace

TEST(SizeCheck, AlignmentRoundsUpUnlessThatPassesTheScreen)
{
    EXPECT_EQ(AlignDimension(321, 2, 1024), 322);
    EXPECT_EQ(AlignDimension(320, 8, 1024), 320);
    EXPECT_EQ(AlignDimension(1366, 2, 1366), 1366);
    EXPECT_EQ(AlignDimension(1366, 4, 1366), 1364);
    EXPECT_EQ(AlignDimension(1023, 2, 1024), 1024);
}

TEST(SizeCheck, TriesAlignmentsTwoFourEightOnTheOriginalSize)
{
    Asked video1{4, {}};
    const CheckedSize s = FindAcceptedSize({100, 100, 201, 101}, 1024, 768, std::ref(video1));
    EXPECT_TRUE(s.accepted);
    EXPECT_EQ(s.area.width, 204);
    EXPECT_EQ(s.area.height, 104);
    EXPECT_EQ(video1.sizes, (std::vector<std::pair<int, int>>{{201, 101}, {202, 102}, {204, 104}}));

    Asked even{2, {}};
    const CheckedSize e = FindAcceptedSize({0, 0, 321, 240}, 1024, 768, std::ref(even));
    EXPECT_EQ(e.area.width, 322);
    EXPECT_EQ(e.area.height, 240);
}

TEST(SizeCheck, NoAcceptedSizeKeepsTheOriginalAndFallsBack)
{
    Asked sixteen{16, {}};
    const CheckedSize s = FindAcceptedSize({703, 527, 321, 241}, 1024, 768, std::ref(sixteen));
    EXPECT_FALSE(s.accepted);
    EXPECT_EQ(s.area.left, 703);
    EXPECT_EQ(s.area.top, 527);
    EXPECT_EQ(s.area.width, 321);
    EXPECT_EQ(s.area.height, 241);
    EXPECT_EQ(sixteen.sizes,
              (std::vector<std::pair<int, int>>{{321, 241}, {322, 242}, {324, 244}, {328, 248}}));
}

// An aligned area never reaches past the screen: where the larger size would, the area
// moves inward by the difference.
TEST(SizeCheck, AlignedAreaStaysOnTheScreen)
{
    const struct {
        Area area;
        int alignment, screenWidth, screenHeight;
        Area want;
        int screenLeft = 0, screenTop = 0;  // a monitor left of or above the primary one
    } cases[] = {
        {{701, 503, 323, 265}, 4, 1024, 768, {700, 500, 324, 268}},  // dragged into the corner
        {{701, 0, 323, 265}, 2, 1024, 768, {700, 0, 324, 266}},      // right edge only
        {{0, 503, 323, 265}, 8, 1024, 768, {0, 496, 328, 272}},      // bottom edge only
        {{100, 100, 201, 101}, 4, 1024, 768, {100, 100, 204, 104}},  // room enough
        {{698, 500, 323, 265}, 4, 1024, 768, {698, 500, 324, 268}},  // just fits
        {{3, 1, 1021, 767}, 4, 1024, 768, {0, 0, 1024, 768}},        // grows to the screen
        {{0, 0, 1366, 768}, 4, 1366, 768, {0, 0, 1364, 768}},        // too wide to grow
        {{3, 0, 1363, 768}, 4, 1366, 768, {2, 0, 1364, 768}},
        {{-1024, -10, 321, 240}, 2, 2048, 768, {-1024, -10, 322, 240}, -1024, 0},  // stays
        {{-3, -768, 1021, 767}, 4, 1024, 1536, {-4, -768, 1024, 768}, -4, -768},
        {{-1024, 0, 2047, 768}, 4, 2048, 768, {-1024, 0, 2048, 768}, -1024, 0},  // both
    };
    for (const auto& c : cases) {
        const Area a = AlignArea(c.area, c.alignment, c.screenWidth, c.screenHeight, c.screenLeft,
                                 c.screenTop);
        const std::string which = std::to_string(c.area.left) + "," + std::to_string(c.area.top) +
                                  " " + std::to_string(c.area.width) + "x" +
                                  std::to_string(c.area.height) + " by " +
                                  std::to_string(c.alignment);
        EXPECT_EQ(a.left, c.want.left) << which;
        EXPECT_EQ(a.top, c.want.top) << which;
        EXPECT_EQ(a.width, c.want.width) << which;
        EXPECT_EQ(a.height, c.want.height) << which;
    }
}

// The capture loop reports a frame it could not hold with this code.
static_assert(kFrameMemoryError == AVIERR_MEMORY, "the loop's error is AVIFile's");

TEST(RecordingOutcome, EndOfRecordingReport)
{
    const DWORD msvc = mmioFOURCC('M', 'S', 'V', 'C');
    const DWORD cvid = mmioFOURCC('c', 'v', 'i', 'd');
    struct Case {
        HRESULT result;
        unsigned frames;
        bool compressorFault;
        DWORD fourcc;
        EndMessage message;
        bool question;
    };
    const Case cases[] = {
        {S_OK, 0, false, cvid, EndMessage::Generic, false},
        // Frames were written: a failure part way still goes to the finish, no question.
        {AVIERR_FILEWRITE, 40, false, cvid, EndMessage::Generic, false},
        {kFrameMemoryError, 3, false, msvc, EndMessage::Generic, false},
        {AVIERR_FILEWRITE, 0, false, msvc, EndMessage::Interrupted, false},
        // A file that could not be made is no fault of the compressor.
        {AVIERR_FILEOPEN, 0, false, cvid, EndMessage::Interrupted, false},
        {AVIERR_NOCOMPRESSOR, 0, true, cvid, EndMessage::Interrupted, true},
        {AVIERR_COMPRESSOR, 0, true, msvc, EndMessage::Interrupted, false},
    };
    for (const Case& c : cases) {
        const RecordingOutcome out = DecideOutcome(c.result, c.frames, c.compressorFault, c.fourcc);
        EXPECT_EQ(out.message, c.message) << std::hex << c.result << " " << c.frames;
        EXPECT_EQ(out.askForDefaultCompressor, c.question) << std::hex << c.result;
    }
}

namespace {

PackedFrame SmallFrame()
{
    LockedGlobal block = AllocateLockedGlobal(sizeof(BITMAPINFOHEADER) + 64);
    return PackedFrame(static_cast<BITMAPINFOHEADER*>(block.Detach().data));
}

// Hands over `count` frames at positions 0, 2, 4 ..., each in a spare when there is one,
// as the capture loop does; stops at the first refusal.
HRESULT QueueFrames(FrameWriter& writer, unsigned count)
{
    for (unsigned i = 0; i < count; ++i) {
        PackedFrame frame = writer.TakeSpare();
        const HRESULT hr = writer.Queue(2 * i, frame ? std::move(frame) : SmallFrame());
        if (hr != S_OK)
            return hr;
    }
    return S_OK;
}

}  // namespace

TEST(FrameWriter, WritesInOrderOnItsOwnThreadAndReusesTheMemory)
{
    const long blocks = Tally(HandleKind::GlobalMemory).Open();
    std::vector<unsigned> positions;
    std::set<const void*> memory;
    std::set<DWORD> threads;
    {
        FrameWriter writer(
            [&](unsigned position, const PackedFrame& frame) {
                positions.push_back(position);
                memory.insert(frame.Header());
                threads.insert(GetCurrentThreadId());
                Sleep(position % 3);  // a compressor that is sometimes slower than the grabs
                return S_OK;
            },
            2);
        ASSERT_EQ(QueueFrames(writer, 60), S_OK);
        EXPECT_EQ(writer.Drain(), S_OK);
        EXPECT_EQ(writer.Written(), 60u);
        EXPECT_EQ(writer.LastPosition(), 118u);
    }
    ASSERT_EQ(positions.size(), 60u);
    for (unsigned i = 0; i < positions.size(); ++i)
        EXPECT_EQ(positions[i], 2 * i);
    EXPECT_EQ(threads.size(), 1u);
    EXPECT_EQ(threads.count(GetCurrentThreadId()), 0u);
    // Those queued, the one being written and the one being grabbed: nothing more.
    EXPECT_LE(memory.size(), 4u);
    EXPECT_EQ(Tally(HandleKind::GlobalMemory).Open(), blocks);
}

TEST(FrameWriter, AFailedWriteEndsTheWritingAndIsReported)
{
    // A sink that fails, and one that throws: either ends the writing, and a throw never
    // leaves the writer's thread (it would end the process with the recording).
    struct Case {
        const char* what;
        bool throws;
        HRESULT reported;
    } cases[] = {{"a failed write", false, AVIERR_FILEWRITE},
                 {"a write that throws", true, E_UNEXPECTED}};
    for (const auto& c : cases) {
        std::vector<unsigned> positions;
        FrameWriter writer(
            [&](unsigned position, const PackedFrame&) -> HRESULT {
                positions.push_back(position);
                if (position == 10 && c.throws)
                    throw std::bad_alloc();
                return position == 10 ? AVIERR_FILEWRITE : S_OK;
            },
            2);
        // The refusal reaches the caller at a later frame, never past the queue's depth + 1.
        EXPECT_EQ(QueueFrames(writer, 100), c.reported) << c.what;
        EXPECT_EQ(writer.Drain(), c.reported) << c.what;
        EXPECT_EQ(writer.Written(), 5u) << c.what;
        EXPECT_EQ(writer.LastPosition(), 8u) << c.what;
        EXPECT_EQ(positions.back(), 10u) << c.what;  // nothing after the failure was written
        EXPECT_EQ(writer.Queue(200, SmallFrame()), c.reported) << c.what;
    }
}
