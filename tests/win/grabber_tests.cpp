// The frame grabber on the real desktop: packed-frame layouts at every depth, the
// cursor at its hotspot-corrected position, the arrow for cursors this process cannot
// draw, a recording's grabs into reused frames, and no handle or memory left behind per
// frame.
// Run with "--expect-depth N" to check that the desktop has N bits (16-bit bench).
#include "app/recording_settings.h"
#include "capture/frame_dib.h"
#include "capture/frame_grabber.h"
#include "capture/packed_dib_layout.h"
#include "app/recording_state.h"
#include "handle_tally.h"
#include "recording_support.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <cstring>
#include <string>
#include <vector>

using namespace korvane;

namespace {

int expectedDepth = 0;

// A top-most window of one solid colour over (0,0)-(400,300) of the screen.
class SolidWindow {
public:
    explicit SolidWindow(COLORREF colour, RECT area = RECT{0, 0, 400, 300})
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "GrabberTestSolid";
        RegisterClassA(&wc);
        m_brush = korvane::Brush(CreateSolidBrush(colour));
        m_hwnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "GrabberTestSolid", "", WS_POPUP,
                                 area.left, area.top, area.right - area.left,
                                 area.bottom - area.top, nullptr, nullptr, wc.hInstance, nullptr);
        SetClassLongPtrA(m_hwnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(m_brush.Get()));
        ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
        Settle();
    }
    ~SolidWindow()
    {
        DestroyWindow(m_hwnd);
        m_brush.Reset();
        Settle();
    }
    static void Settle() { testpump::PumpFor(200); }

private:
    korvane::Brush m_brush;
    HWND m_hwnd;
};

// Pixel (x, y) of a 32-bit packed frame, top-down coordinates, as 0x00RRGGBB.
DWORD PixelAt(const PackedFrame& f, int x, int y)
{
    const BITMAPINFOHEADER* h = f.Header();
    const int row = h->biHeight - 1 - y;
    const size_t stride = ((h->biWidth * 32 + 31) / 32) * 4;
    const BYTE* p = f.Bits() + row * stride + x * 4;
    return (DWORD(p[2]) << 16) | (DWORD(p[1]) << 8) | p[0];
}

// A 32x32 cursor that is solid black, with the given hotspot.
HCURSOR BlackCursor(int hotX, int hotY)
{
    BYTE andMask[32 * 4];
    BYTE xorMask[32 * 4];
    memset(andMask, 0x00, sizeof andMask);
    memset(xorMask, 0x00, sizeof xorMask);
    return CreateCursor(GetModuleHandleA(nullptr), hotX, hotY, 32, 32, andMask, xorMask);
}

// A solid black cursor of `size` x `size` pixels with its hotspot in the middle, made
// from its bitmaps as a pointer scheme's large cursors are.
HCURSOR LargeCursor(int size)
{
    const int stride = ((size + 15) / 16) * 2;  // monochrome rows are WORD-aligned
    std::vector<BYTE> bits(static_cast<size_t>(stride) * size * 2, 0);  // AND, then XOR: black
    korvane::Bitmap mask(CreateBitmap(size, size * 2, 1, 1, bits.data()));
    ICONINFO info = {FALSE, static_cast<DWORD>(size / 2), static_cast<DWORD>(size / 2), mask.Get(),
                     nullptr};
    return CreateIconIndirect(&info);
}

const DWORD kBlue = 0x0000FF;
const DWORD kBlack = 0x000000;

class Grabber : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.captureBitsPerPixel = 32;
        savedCursor = nullptr;
        MovePointer(1000, 740);  // away from the area
    }
    void TearDown() override { savedCursor = nullptr; }
};

}  // namespace

TEST_F(Grabber, PackedFramesAtEachDepthHoldTheScreen)
{
    SolidWindow blue(RGB(0, 0, 255));
    for (int bits : {8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        settings.captureBitsPerPixel = bits;
        PackedFrame f(GrabRegionFrame(101, 7, 20, 30, true));
        ASSERT_TRUE(f);
        const BITMAPINFOHEADER* h = f.Header();
        const PackedDibLayout layout = LayoutForPackedDib(101, 7, bits);
        EXPECT_EQ(h->biSize, 40u);
        EXPECT_EQ(h->biWidth, 101);
        EXPECT_EQ(h->biHeight, 7);
        EXPECT_EQ(h->biPlanes, 1);
        EXPECT_EQ(h->biBitCount, bits);
        EXPECT_EQ(h->biCompression, DWORD(BI_RGB));
        EXPECT_EQ(h->biSizeImage, layout.imageBytes);
        EXPECT_EQ(h->biClrUsed, DWORD(layout.colourCount));
        EXPECT_EQ(h->biClrImportant, 0u);
        EXPECT_EQ(GlobalSize(GlobalHandle(h)), layout.blockBytes);
        EXPECT_EQ(f.FormatBytes(), layout.headerBytes);
        // The first pixel of the top row (last in the block) is blue at every depth.
        const BYTE* top = f.Bits() + 6 * layout.stride;
        switch (bits) {
        case 8: {
            const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(h + 1);
            const RGBQUAD c = table[top[0]];
            EXPECT_EQ(c.rgbBlue, 255);
            EXPECT_EQ(c.rgbRed, 0);
            EXPECT_EQ(c.rgbGreen, 0);
            break;
        }
        case 16:
            EXPECT_EQ(top[0] | (top[1] << 8), 0x001F);  // 5-5-5, blue in the low bits
            break;
        default:
            EXPECT_EQ(top[0], 255);
            EXPECT_EQ(top[1], 0);
            EXPECT_EQ(top[2], 0);
            break;
        }
    }
}

TEST_F(Grabber, FramesHaveTheDesktopDepth)
{
    const int depth = GetDeviceCaps(korvane::WindowDc(nullptr).Get(), BITSPIXEL);
    if (expectedDepth) {
        ASSERT_EQ(depth, expectedDepth);
    }
    settings.captureBitsPerPixel = depth;  // as the main window does at start-up
    SolidWindow blue(RGB(0, 0, 255));
    PackedFrame f(GrabRegionFrame(64, 48, 0, 0, true));
    ASSERT_TRUE(f);
    EXPECT_EQ(f.Header()->biBitCount, depth);
    const PackedDibLayout layout = LayoutForPackedDib(64, 48, depth);
    EXPECT_EQ(f.Header()->biSizeImage, layout.imageBytes);
    EXPECT_EQ(GlobalSize(GlobalHandle(f.Header())), layout.blockBytes);
    if (depth == 16) {
        EXPECT_EQ(f.Bits()[0] | (f.Bits()[1] << 8), 0x001F);
    }
}

TEST_F(Grabber, CursorLandsAtItsHotspotCorrectedPosition)
{
    SolidWindow blue(RGB(0, 0, 255));
    HCURSOR cursor = BlackCursor(15, 15);
    ASSERT_TRUE(cursor);
    savedCursor = cursor;
    ASSERT_TRUE(MovePointer(100, 100));
    PackedFrame f(GrabRegionFrame(200, 150, 50, 60, true));
    ASSERT_TRUE(f);
    // Image corner at (100 - 50 - 15, 100 - 60 - 15) = (35, 25), 32 x 32.
    EXPECT_EQ(PixelAt(f, 35, 25), kBlack);
    EXPECT_EQ(PixelAt(f, 66, 56), kBlack);
    EXPECT_EQ(PixelAt(f, 34, 25), kBlue);
    EXPECT_EQ(PixelAt(f, 35, 24), kBlue);
    EXPECT_EQ(PixelAt(f, 67, 56), kBlue);
    EXPECT_EQ(PixelAt(f, 66, 57), kBlue);

    // Partly outside (corner at (-10, -10)): clipped, the rest in place.
    ASSERT_TRUE(MovePointer(55, 65));
    PackedFrame clipped(GrabRegionFrame(200, 150, 50, 60, true));
    EXPECT_EQ(PixelAt(clipped, 0, 0), kBlack);
    EXPECT_EQ(PixelAt(clipped, 21, 21), kBlack);
    EXPECT_EQ(PixelAt(clipped, 22, 21), kBlue);
    EXPECT_EQ(PixelAt(clipped, 21, 22), kBlue);

    // Wholly outside: the frame is the screen alone.
    ASSERT_TRUE(MovePointer(300, 300));
    PackedFrame outside(GrabRegionFrame(200, 150, 50, 60, true));
    for (int y = 0; y < 150; y += 7)
        for (int x = 0; x < 200; x += 7)
            ASSERT_EQ(PixelAt(outside, x, y), kBlue) << x << "," << y;
    savedCursor = nullptr;
    DestroyCursor(cursor);
}

// Drawn at the size of its own image, whatever the default icon size of the display
// (32 at 100 %, 48 at 150 %), with the hotspot on the pointer.
TEST_F(Grabber, CursorIsDrawnAtItsRealSize)
{
    SolidWindow blue(RGB(0, 0, 255));
    const POINT pointer{200, 150};
    const int left = 60, top = 40;
    for (int size : {32, 48, 64, 96}) {
        SCOPED_TRACE(size);
        HCURSOR cursor = LargeCursor(size);
        ASSERT_TRUE(cursor);
        savedCursor = cursor;
        ASSERT_TRUE(MovePointer(pointer.x, pointer.y));
        PackedFrame f(GrabRegionFrame(300, 250, left, top, true));
        ASSERT_TRUE(f);
        const int x0 = pointer.x - left - size / 2, y0 = pointer.y - top - size / 2;
        const int x1 = x0 + size - 1, y1 = y0 + size - 1;
        EXPECT_EQ(PixelAt(f, x0, y0), kBlack);
        EXPECT_EQ(PixelAt(f, x1, y1), kBlack);
        EXPECT_EQ(PixelAt(f, x0 - 1, y0), kBlue);
        EXPECT_EQ(PixelAt(f, x0, y0 - 1), kBlue);
        EXPECT_EQ(PixelAt(f, x1 + 1, y1), kBlue);
        EXPECT_EQ(PixelAt(f, x1, y1 + 1), kBlue);
        savedCursor = nullptr;
        DestroyCursor(cursor);
    }
}

TEST_F(Grabber, WithoutAReportTheFirstGrabsCursorStaysInUse)
{
    SolidWindow blue(RGB(0, 0, 255));
    HCURSOR first = BlackCursor(0, 0);
    HCURSOR second = BlackCursor(5, 5);
    SetCursor(first);
    ASSERT_EQ(GetCursor(), first);
    PackedFrame a(GrabRegionFrame(50, 50, 0, 0, true));
    EXPECT_EQ(savedCursor.load(), first);
    SetCursor(second);
    PackedFrame b(GrabRegionFrame(50, 50, 0, 0, true));
    EXPECT_EQ(savedCursor.load(), first);
    SetCursor(nullptr);
    savedCursor = nullptr;
    DestroyCursor(first);
    DestroyCursor(second);
}

TEST_F(Grabber, UndrawableCursorIsDrawnAsTheArrow)
{
    SolidWindow blue(RGB(0, 0, 255));
    const korvane::IconParts arrowParts(LoadCursor(nullptr, IDC_ARROW));
    ASSERT_TRUE(arrowParts.ok);
    const ICONINFO& arrowInfo = arrowParts.info;
    // A handle that means nothing in this process, as another program's cursor does.
    savedCursor = reinterpret_cast<HCURSOR>(static_cast<ULONG_PTR>(0xBAD0));
    ASSERT_TRUE(MovePointer(120, 110));
    PackedFrame f(GrabRegionFrame(200, 150, 50, 60, true));
    ASSERT_TRUE(f);
    const int cornerX = 120 - 50 - int(arrowInfo.xHotspot);
    const int cornerY = 110 - 60 - int(arrowInfo.yHotspot);
    int changedInside = 0, changedOutside = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) {
            if (PixelAt(f, x, y) == kBlue)
                continue;
            const bool inside =
                x >= cornerX && x < cornerX + 32 && y >= cornerY && y < cornerY + 32;
            ++(inside ? changedInside : changedOutside);
        }
    EXPECT_GT(changedInside, 20);
    EXPECT_EQ(changedOutside, 0);
    // The arrow's tip is at the pointer.
    EXPECT_NE(PixelAt(f, 120 - 50, 110 - 60), kBlue);
}

TEST_F(Grabber, NoHandleOrMemoryIsLeftBehindPerFrame)
{
    SolidWindow blue(RGB(0, 0, 255));
    savedCursor = BlackCursor(3, 3);
    ASSERT_TRUE(MovePointer(150, 120));
    auto privateBytes = [] {
        PROCESS_MEMORY_COUNTERS_EX pmc = {};
        pmc.cb = sizeof pmc;
        GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                             sizeof pmc);
        // Wine leaves PrivateUsage at 0; its PagefileUsage is the private commit.
        return pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
    };
    for (int i = 0; i < 20; ++i)
        ReleaseFrameDib(GrabRegionFrame(320, 240, 10, 10, true));
    const long dcs = Tally(HandleKind::Dc).Open();
    const long objects = Tally(HandleKind::GdiObject).Open();
    const long blocks = Tally(HandleKind::GlobalMemory).Open();
    const long objectsMade = Tally(HandleKind::GdiObject).opened.load();
    const SIZE_T before = privateBytes();
    for (int i = 0; i < 400; ++i)
        ReleaseFrameDib(GrabRegionFrame(320, 240, 10, 10, i % 2 == 0));
    EXPECT_EQ(Tally(HandleKind::Dc).Open(), dcs);
    EXPECT_EQ(Tally(HandleKind::GdiObject).Open(), objects);
    EXPECT_EQ(Tally(HandleKind::GlobalMemory).Open(), blocks);
    // Each grab makes a bitmap (and now and then gets the cursor's mask bitmaps): all
    // counted, all deleted.
    EXPECT_GE(Tally(HandleKind::GdiObject).opened.load() - objectsMade, 400);
    const SIZE_T after = privateBytes();
    ASSERT_GT(before, 0u) << "no private-bytes figure from the system";
    // One leaked 320x240 frame per grab would be 120 MB here.
    EXPECT_LT(after, before + 4 * 1024 * 1024) << before << " -> " << after;
    HCURSOR c = savedCursor.exchange(nullptr);
    DestroyCursor(c);
}

TEST_F(Grabber, RecordingGrabsFillTheirOwnReusedFramesAndLeaveNothingBehind)
{
    SolidWindow blue(RGB(0, 0, 255));
    savedCursor = BlackCursor(0, 0);
    ASSERT_TRUE(MovePointer(150, 120));
    const HandleKind kinds[] = {HandleKind::Dc, HandleKind::GdiObject, HandleKind::GlobalMemory,
                                HandleKind::Kernel};
    std::vector<long> open;
    for (HandleKind kind : kinds)
        open.push_back(Tally(kind).Open());
    for (int bits : {16, 24, 32}) {
        SCOPED_TRACE(bits);
        settings.captureBitsPerPixel = bits;
        const PackedDibLayout layout = LayoutForPackedDib(320, 240, bits);
        PackedFrame reference(GrabRegionFrame(320, 240, 10, 10, true));
        ASSERT_TRUE(reference);
        PackedFrame frame;
        {
            ScreenGrabber grabber(320, 240, 10, 10);
            frame = grabber.Grab(true);
            ASSERT_TRUE(frame.Section());
            const BYTE* memory = frame.Bits();
            for (int i = 0; i < 30; ++i)
                frame = grabber.Grab(true, std::move(frame));
            EXPECT_EQ(frame.Bits(), memory) << "a frame handed back is grabbed into again";
            // One not made by the grabber is replaced by one of its own.
            PackedFrame other = grabber.Grab(true, PackedFrame(GrabRegionFrame(8, 8, 0, 0, true)));
            ASSERT_TRUE(other.Section());
            EXPECT_EQ(std::memcmp(other.Bits(), frame.Bits(), layout.imageBytes), 0);
        }
        // The frame outlives its grabber (the writer may still hold it) and holds what the
        // screen showed, cursor included, as a one-off grab does.
        EXPECT_EQ(frame.Header()->biBitCount, bits);
        EXPECT_EQ(frame.Header()->biSizeImage, layout.imageBytes);
        EXPECT_EQ(frame.FormatBytes(), reference.FormatBytes());
        EXPECT_EQ(std::memcmp(frame.Bits(), reference.Bits(), layout.imageBytes), 0);
    }
    for (size_t i = 0; i < open.size(); ++i)
        EXPECT_EQ(Tally(kinds[i]).Open(), open[i]) << "handle kind " << i;
    HCURSOR c = savedCursor.exchange(nullptr);
    DestroyCursor(c);
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--expect-depth")
            expectedDepth = atoi(argv[i + 1]);
    return RUN_ALL_TESTS();
}
