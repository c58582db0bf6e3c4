// The recorder on two monitors, the second left of the primary (run on a bench of its
// own, tools/with-bench --monitors 1024x768+0+0,*1024x768+1024+0): the monitors as the
// recorder measures them, a grab at negative coordinates and across the boundary, and
// the border marks around an area on the left monitor.
#include "app/screen_layout.h"
#include "region/flashing_wnd.h"
#include "recording_support.h"

#include <gtest/gtest.h>

namespace {

void ExpectRect(const RECT& r, LONG l, LONG t, LONG rr, LONG b)
{
    EXPECT_EQ(r.left, l);
    EXPECT_EQ(r.top, t);
    EXPECT_EQ(r.right, rr);
    EXPECT_EQ(r.bottom, b);
}

// Pixel (x, y) of a 32-bit packed frame, top-down, as COLORREF.
COLORREF PixelAt(const PackedFrame& f, int x, int y)
{
    const BITMAPINFOHEADER* h = f.Header();
    const BYTE* p = f.Bits() + (h->biHeight - 1 - y) * h->biWidth * 4 + x * 4;
    return RGB(p[2], p[1], p[0]);
}

const COLORREF kLeftColour = RGB(200, 30, 30), kRightColour = RGB(30, 30, 200);

void FillSolid(HDC hdc, const RECT& client, COLORREF colour)
{
    const korvane::Brush brush(CreateSolidBrush(colour));
    FillRect(hdc, &client, brush.Get());
}

}  // namespace

TEST(Monitors, MeasuredAsTheSystemShowsThem)
{
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "the bench shows one monitor";
    ExpectRect(VirtualScreenRect(), -1024, 0, 1023, 767);
    const struct {
        POINT at;
        RECT monitor;
    } cases[] = {
        {{-1, 767}, {-1024, 0, -1, 767}},  // the left monitor's last pixel
        {{0, 0}, {0, 0, 1023, 767}},       // the primary's first
        {{-5000, 300}, {-1024, 0, -1, 767}},
        {{2000, 2000}, {0, 0, 1023, 767}},  // nearest
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.at.x) + "," + std::to_string(c.at.y));
        const RECT r = MonitorRectAt(c.at);
        ExpectRect(r, c.monitor.left, c.monitor.top, c.monitor.right, c.monitor.bottom);
    }
    EXPECT_EQ(MonitorRects().size(), 2u);
}

TEST(Monitors, GrabsAtNegativeCoordinatesAndAcrossTheBoundary)
{
    UseScreenSettings();
    settings.captureBitsPerPixel = 32;
    savedCursor = LoadCursor(nullptr, IDC_ARROW);
    ASSERT_TRUE(MovePointer(900, 700));  // out of every area below
    PainterWindow left("MonitorsLeft", RECT{-1024, 0, 0, 768}, 1000,
                       [](HDC hdc, const RECT& r) { FillSolid(hdc, r, kLeftColour); });
    PainterWindow right("MonitorsRight", RECT{0, 0, 800, 600}, 1000,
                        [](HDC hdc, const RECT& r) { FillSolid(hdc, r, kRightColour); });
    testpump::PumpFor(500);
    const struct {
        const char* what;
        int left, top, width, height, boundary;  // frame columns left of `boundary`: left
    } cases[] = {
        {"left monitor", -900, 100, 320, 240, 320},
        {"across the boundary", -100, 200, 200, 100, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto expectSides = [&](const PackedFrame& f) {
            ASSERT_TRUE(f);
            for (int y = 0; y < c.height; y += 9)
                for (int x = 0; x < c.width; x += 9)
                    ASSERT_EQ(PixelAt(f, x, y), x < c.boundary ? kLeftColour : kRightColour)
                        << x << "," << y;
        };
        expectSides(PackedFrame(GrabRegionFrame(c.width, c.height, c.left, c.top, true)));
        ScreenGrabber grabber(c.width, c.height, c.left, c.top);
        expectSides(grabber.Grab(true));
        EXPECT_EQ(grabber.FailedGrabs(), 0u);
    }
    savedCursor = nullptr;
}

TEST(Monitors, BorderMarksAroundAnAreaOnTheLeftMonitor)
{
    CFlashingWnd border;
    ASSERT_TRUE(border.CreateBorderWindow(RECT{0, 0, 1023, 767}));
    border.FitToCaptureRect(-600, 200, 320, 240);
    ShowWindow(border.Hwnd(), SW_SHOWNOACTIVATE);
    const COLORREF green = 0x0050FF00;
    const korvane::WindowDc screen(nullptr);
    for (int i = 0; i < 20 && GetPixel(screen.Get(), -606, 194) != green; ++i) {
        border.PaintCorners(green);
        testpump::PumpFor(100);
    }
    EXPECT_EQ(GetPixel(screen.Get(), -606, 194), green);        // outer corner, top left
    EXPECT_EQ(GetPixel(screen.Get(), -600 + 324, 444), green);  // bottom right
    EXPECT_NE(GetPixel(screen.Get(), -600, 200), green);        // inside the area
    EXPECT_NE(GetPixel(screen.Get(), -440, 196), green);        // the open middle of the top
    ShowWindow(border.Hwnd(), SW_HIDE);
    DestroyWindow(border.Hwnd());
}
