// The compressor catalogue on the bench and with fake compressors, the size check with
// its fall-backs, and the saved state on its way from the configuration to the stream.
#include "app/recording_settings.h"
#include "capture/compressor_catalogue.h"
#include "capture/compressor_check.h"
#include "capture/compressor_state.h"
#include "capture/frame_grabber.h"
#include "app/recording_state.h"
#include "capture/recording_thread.h"
#include "app/scratch_paths.h"
#include "avifile_owners.h"
#include "fake_compressors.h"
#include "recording_support.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>

namespace {

const DWORD kMsvc = mmioFOURCC('M', 'S', 'V', 'C');

DWORD Lower(DWORD fourCC) { return fourCC | 0x20202020; }

int CatalogueIndexOf(DWORD fourCC)
{
    for (int i = 0; i < compressorCount; ++i)
        if (compressorList[i].fccHandler == fourCC)
            return i;
    return -1;
}

struct Size {
    int width, height;
    bool operator==(const Size& o) const { return width == o.width && height == o.height; }
};
std::ostream& operator<<(std::ostream& os, const Size& s)
{
    return os << s.width << "x" << s.height;
}

class Catalogue : public testing::Test {
protected:
    void SetUp() override
    {
        UseScreenSettings();
        settings.recordAudio = 0;
    }
    void TearDown() override
    {
        // Nothing of one test's fakes may stay listed for the next.
        compressorCount = 0;
    }

    // The size check on a fresh test frame at (left, top); the frame must match the size.
    Size Check(int width, int height, int left = 0, int top = 0)
    {
        PackedFrame frame(GrabRegionFrame(width, height, left, top, true));
        EXPECT_TRUE(CheckCompressorForSize(left, top, width, height, frame));
        EXPECT_TRUE(frame);
        if (frame) {
            EXPECT_EQ(frame.Header()->biWidth, width);
            EXPECT_EQ(frame.Header()->biHeight, height);
        }
        return Size{width, height};
    }
    // Builds the catalogue and chooses `fourCC` from it as the options dialog's OK does.
    void Choose(DWORD fourCC)
    {
        BuildCompressorCatalogue();
        settings.compressorIndex = CatalogueIndexOf(fourCC);
        ASSERT_GT(settings.compressorIndex, 0);
        settings.compressorFourCC = fourCC;
    }

    FakeCompressors fakes;
};

}  // namespace

TEST_F(Catalogue, ListsVideo1AndRejectsWhatCannotCompressTheScreen)
{
    // The bench has decoder-only and 8-bit-only codecs besides ours: make sure they are
    // there to be rejected.
    bool haveCinepak = false, haveRle = false;
    for (DWORD i = 0;; ++i) {
        ICINFO info = {};
        if (!ICInfo(ICTYPE_VIDEO, i, &info))
            break;
        haveCinepak |= Lower(info.fccHandler) == mmioFOURCC('c', 'v', 'i', 'd');
        haveRle |= Lower(info.fccHandler) == mmioFOURCC('m', 'r', 'l', 'e');
    }
    ASSERT_TRUE(haveCinepak && haveRle);

    BuildCompressorCatalogue();
    ASSERT_GE(compressorCount, 1);
    EXPECT_EQ(compressorList[0].fccHandler, kMsvc);
    EXPECT_EQ(std::wstring(compressorList[0].szDescription), L"Microsoft Video 1");
    // Besides Video 1 only our lossless codec, which the bench registers too, takes the
    // screen's frames.
    bool losslessListed = false;
    for (int i = 0; i < compressorCount; ++i) {
        const DWORD fcc = Lower(compressorList[i].fccHandler);
        losslessListed |= fcc == mmioFOURCC('z', 'm', 'b', 'v');
        EXPECT_TRUE(fcc == mmioFOURCC('m', 's', 'v', 'c') || fcc == mmioFOURCC('z', 'm', 'b', 'v'))
            << "listed: " << std::string(reinterpret_cast<char*>(&compressorList[i].fccHandler), 4);
    }
    EXPECT_TRUE(losslessListed);

    // The question is asked with a picture of the screen's depth: at 8 bits the RLE
    // codec can compress it.
    settings.captureBitsPerPixel = 8;
    BuildCompressorCatalogue();
    bool rleListed = false;
    for (int i = 0; i < compressorCount; ++i)
        rleListed |= Lower(compressorList[i].fccHandler) == mmioFOURCC('m', 'r', 'l', 'e');
    EXPECT_TRUE(rleListed);
}

TEST_F(Catalogue, ThirtyAcceptableCompressorsFillTheList)
{
    BuildCompressorCatalogue();
    const int onBench = compressorCount;
    ASSERT_LT(onBench, 20);
    // 33 acceptable fakes, with one that refuses every picture among the first of them.
    std::vector<FakeCompressor*> accepting;
    FakeCompressor* refusing = nullptr;
    for (int i = 0; i < 34; ++i) {
        const DWORD fourCC = mmioFOURCC('K', 'F', '0' + i / 10, '0' + i % 10);
        if (i == 3) {
            refusing = fakes.Install(fourCC, [](const BITMAPINFOHEADER&) { return false; });
            ASSERT_TRUE(refusing);
        } else {
            accepting.push_back(fakes.Install(fourCC, AcceptsAll));
            ASSERT_TRUE(accepting.back());
        }
    }
    BuildCompressorCatalogue();
    ASSERT_EQ(compressorCount, kCompressorListSize);
    const int fakesListed = kCompressorListSize - onBench;
    for (int i = 0; i < fakesListed; ++i) {
        const ICINFO& entry = compressorList[onBench + i];
        EXPECT_EQ(entry.fccHandler, accepting[i]->fourCC) << "entry " << onBench + i;
        EXPECT_EQ(std::wstring(entry.szDescription).substr(0, 5), L"Fake ");
    }
    // Asked once at each depth a recording could hand it.
    EXPECT_EQ(refusing->queries, 3);
    // The enumeration stops at a full list: the rest are never asked.
    for (size_t i = fakesListed; i < accepting.size(); ++i)
        EXPECT_EQ(accepting[i]->queries, 0) << i;
}

TEST_F(Catalogue, SizeCheckAlignsForTheChosenCompressor)
{
    ASSERT_TRUE(fakes.Install(mmioFOURCC('K', 'E', 'V', 'N'), MultiplesOf(2)));
    ASSERT_TRUE(fakes.Install(mmioFOURCC('K', 'F', 'O', 'R'), MultiplesOf(4)));
    Choose(mmioFOURCC('K', 'E', 'V', 'N'));
    EXPECT_EQ(Check(321, 240), (Size{322, 240}));
    EXPECT_EQ(Check(320, 240), (Size{320, 240}));
    virtualScreen = RECT{0, 0, 320, 767};  // a screen 321 pixels wide
    EXPECT_EQ(Check(321, 240), (Size{320, 240}));
    EXPECT_EQ(settings.compressorFourCC, mmioFOURCC('K', 'E', 'V', 'N'));

    // A 1366-wide screen, recorded whole by a compressor that wants multiples of 4.
    Choose(mmioFOURCC('K', 'F', 'O', 'R'));
    virtualScreen = RECT{0, 0, 1365, 767};
    EXPECT_EQ(Check(1366, 100), (Size{1364, 100}));

    // Entry 0 is checked all the same.
    settings.compressorIndex = 0;
    EXPECT_EQ(Check(1365, 98), (Size{1364, 100}));
    EXPECT_EQ(settings.compressorFourCC, mmioFOURCC('K', 'F', 'O', 'R'));
}

TEST_F(Catalogue, FallBacksToVideo1KeepItsOwnAlignment)
{
    // Widths of multiples of 16 only: the catalogue's 320 x 200 picture passes.
    ASSERT_TRUE(fakes.Install(mmioFOURCC('K', 'S', 'X', 'T'),
                              [](const BITMAPINFOHEADER& h) { return h.biWidth % 16 == 0; }));
    ASSERT_TRUE(fakes.Install(mmioFOURCC('K', 'G', 'O', 'N'), AcceptsAll));
    FakeCompressor* indeo = fakes.Install(mmioFOURCC('I', 'V', '5', '0'), MultiplesOf(2));
    ASSERT_TRUE(indeo);

    // Every alignment refused: Video 1, at the size Video 1 takes (multiples of 4).
    Choose(mmioFOURCC('K', 'S', 'X', 'T'));
    const int chosen = settings.compressorIndex;
    EXPECT_EQ(Check(321, 241, 10, 20), (Size{324, 244}));
    EXPECT_EQ(settings.compressorFourCC, kMsvc);
    EXPECT_EQ(settings.compressorIndex, chosen);
    // The next recording checks Video 1, which is in use now, not the chosen entry.
    EXPECT_EQ(Check(200, 100), (Size{200, 100}));
    EXPECT_EQ(Check(202, 100), (Size{204, 100}));

    // The chosen compressor cannot be opened any more.
    Choose(mmioFOURCC('K', 'G', 'O', 'N'));
    fakes.Remove(1);
    EXPECT_EQ(Check(201, 101), (Size{204, 104}));
    EXPECT_EQ(settings.compressorFourCC, kMsvc);

    // IV50 is replaced even when it takes the size; its alignment is not Video 1's.
    settings.compressorIndex = -1;
    settings.compressorFourCC = mmioFOURCC('I', 'V', '5', '0');
    EXPECT_EQ(Check(321, 240), (Size{324, 240}));
    EXPECT_EQ(settings.compressorFourCC, kMsvc);
    EXPECT_GT(indeo->queries, 0);
}

TEST_F(Catalogue, EachCompressorIsHandedTheFirstDepthItTakes)
{
    // Depth taken by the fake (0: every depth; -1: none), and what a recording hands it
    // (0: not listed). 8-bit frames are not offered.
    const struct {
        char tag;
        int takes;
        int handed;
    } cases[] = {{'A', 0, settings.captureBitsPerPixel},
                 {'6', 16, 16},
                 {'4', 24, 24},
                 {'8', 8, 0},
                 {'N', -1, 0}};
    for (const auto& c : cases) {
        const DWORD fourCC = mmioFOURCC('K', 'D', 'P', c.tag);
        const int takes = c.takes;
        // An 8-bit frame comes with its colour table.
        ASSERT_TRUE(fakes.Install(fourCC, [takes](const BITMAPINFOHEADER& h) {
            return takes == 0 || (h.biBitCount == takes && h.biCompression == BI_RGB &&
                                  (takes != 8 || h.biClrUsed == 256));
        }));
        BuildCompressorCatalogue();
        settings.compressorIndex = CatalogueIndexOf(fourCC);
        settings.compressorFourCC = fourCC;
        if (c.handed == 0) {
            EXPECT_LT(settings.compressorIndex, 0) << c.tag << " is listed";
            continue;
        }
        ASSERT_GT(settings.compressorIndex, 0) << c.tag << " is not listed";
        int left = 0, top = 0, width = 200, height = 100, bits = -1;
        PackedFrame frame(GrabRegionFrame(width, height, left, top, true));
        EXPECT_TRUE(CheckCompressorForSize(left, top, width, height, frame, &bits));
        EXPECT_EQ(bits, c.handed) << c.tag;
        EXPECT_EQ(settings.compressorFourCC, fourCC) << c.tag;
    }
}

namespace {

// Reads the text of the message box with `caption` and closes it; "" when none came.
std::string CloseBox(const char* caption)
{
    HWND found = nullptr;
    for (int i = 0; i < 200 && !found; ++i, Sleep(25))
        found = FindWindowA("#32770", caption);
    char text[512] = {};
    if (found) {
        GetDlgItemTextA(found, 0xFFFF, text, sizeof text);
        PostMessageA(found, WM_COMMAND, IDOK, 0);
    }
    return text;
}

}  // namespace

TEST_F(Catalogue, ConfiguredStateReachesOnlyItsOwnCompressorsStream)
{
    const std::vector<BYTE> state = {'q', 'u', 'a', 'l', 0, 7, 0, 9, 0xFF};
    FakeCompressor* configured = fakes.Install(mmioFOURCC('K', 'S', 'T', 'A'), AcceptsAll, state);
    FakeCompressor* other = fakes.Install(mmioFOURCC('K', 'O', 'T', 'H'), AcceptsAll);
    ASSERT_TRUE(configured && other);
    auto configure = [](FakeCompressor* fake) {
        korvane::Compressor hic(ICTYPE_VIDEO, fake->fourCC, ICMODE_QUERY);
        ASSERT_TRUE(hic);
        SaveCompressorState(hic.Get(), fake->fourCC);
    };
    configure(configured);
    ASSERT_EQ(savedStateFourCC, configured->fourCC);
    ASSERT_EQ(savedStateSize, static_cast<int>(state.size()));
    EXPECT_EQ(std::vector<BYTE>(static_cast<BYTE*>(savedStateBytes),
                                static_cast<BYTE*>(savedStateBytes) + savedStateSize),
              state);
    // A compressor without state of its own leaves the saved one alone.
    configure(other);
    EXPECT_EQ(savedStateFourCC, configured->fourCC);

    // Recordings stopped during the set-up: the stream is made and given its format.
    MessageSink sink;
    const std::string path = GetScratchFolder() + "\\~catalogue.avi";
    auto record = [&](FakeCompressor* fake) {
        settings.compressorFourCC = fake->fourCC;
        sink.received.clear();
        isRecording = 0;
        RunRecording(0, 0, 160, 120, 25, path);
        sink.PumpFor(100);
        DeleteFileA(path.c_str());
        return sink.received;
    };
    const std::vector<std::string> finished = {"WM_USER_GENERIC_MSG"};
    EXPECT_EQ(record(configured), finished);
    EXPECT_EQ(configured->setStateCalls, 1);
    EXPECT_EQ(configured->stateSet, state);

    EXPECT_EQ(record(other), finished);
    EXPECT_EQ(other->setStateCalls, 0);

    // Each recording is handed the state again.
    EXPECT_EQ(record(configured), finished);
    EXPECT_EQ(configured->setStateCalls, 2);
    EXPECT_EQ(configured->stateSet, state);
}

TEST_F(Catalogue, StateMemoryThatCannotBeHadWarnsAndKeepsNoState)
{
    FakeCompressor* fake =
        fakes.Install(mmioFOURCC('K', 'S', 'T', 'B'), AcceptsAll, std::vector<BYTE>(32, 5));
    ASSERT_TRUE(fake);
    {
        korvane::Compressor hic(ICTYPE_VIDEO, fake->fourCC, ICMODE_QUERY);
        SaveCompressorState(hic.Get(), fake->fourCC);
    }
    ASSERT_EQ(savedStateFourCC, fake->fourCC);

    std::string box;
    std::thread reader([&] { box = CloseBox("getString(ID_TITLE_MSGBOX_NOTE)"); });
    if (sizeof(void*) == 8) {
        // 2 GB can be had in a 64-bit process; a state size past an int cannot, and must
        // not wrap into a small allocation.
        fake->claimedStateSize = std::numeric_limits<LRESULT>::max();
        korvane::Compressor hic(ICTYPE_VIDEO, fake->fourCC, ICMODE_QUERY);
        SaveCompressorState(hic.Get(), fake->fourCC);
    } else {
        EXPECT_EQ(AllocStateBuffer(0x7FFFFFF0), 0);
    }
    reader.join();
    EXPECT_EQ(box, "ID_ERR_ALLOC_COMPRESS_PARAMETERS_FORMAT");
    EXPECT_EQ(savedStateBytes, nullptr);
    EXPECT_EQ(savedStateFourCC, 0u);
    EXPECT_EQ(CopyStateForOptions(), 0);
}
