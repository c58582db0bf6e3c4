// The region selection and border windows on the real desktop, driven with real input:
// what a drag, a click, a right click and the fixed frame leave in captureRect and what
// they post; and the border marks as they appear on the screen.
#include "app/recording_settings.h"
#include "app/registered_messages.h"
#include "app/recording_state.h"
#include "region/flashing_wnd.h"
#include "region/region_window.h"
#include "gdi_owners.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <map>
#include <utility>
#include <vector>

namespace {

// Everything posted to a window of this thread, by window and message, as Pump sees it.
std::map<std::pair<HWND, UINT>, int> posted;

void Pump(int ms);

void SendMouse(int x, int y, DWORD buttons)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = (x * 65535 + screenWidth / 2) / (screenWidth - 1);
    in.mi.dy = (y * 65535 + screenHeight / 2) / (screenHeight - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    SendInput(1, &in, sizeof in);
}

// Moves the pointer to (x, y), pressing or releasing `buttons` there, and pumps until it
// stays there. On Wine the X server's own report of an earlier pointer position may come
// in after the input and move the pointer back; a real pointer then moves on to where the
// hand is, so the move is sent again.
void MoveTo(int x, int y, DWORD buttons = 0)
{
    SendMouse(x, y, buttons);
    int still = 0;
    for (int i = 0; i < 100 && still < 3; ++i) {
        Pump(20);
        POINT p{};
        GetCursorPos(&p);
        if (p.x == x && p.y == y) {
            ++still;
        } else {
            still = 0;
            SendMouse(x, y, 0);
        }
    }
}

// Lets the input reach the windows of this thread.
void Pump(int ms)
{
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd)
                ++posted[{msg.hwnd, msg.message}];
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

// Stands in for the main window and the options dialog: counts what reaches them.
struct Listener {
    HWND hwnd = CreateWindowExA(0, "STATIC", "listener", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                nullptr, nullptr);
    ~Listener() { DestroyWindow(hwnd); }
    int Count(UINT message)
    {
        Pump(0);
        return posted[{hwnd, message}];
    }
};

class RegionWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CreateRegionWindow();
        ASSERT_NE(regionWindow, nullptr);
    }
    void SetUp() override
    {
        mainWindow = main.hwnd;
        captureRect = RECT{-1, -1, -1, -1};
        posted.clear();
        // A cancel or finish sent by the test before may still be on its way: it must not
        // land on this test's window.
        for (int i = 0; i < 50 && IsWindowVisible(regionWindow); ++i)
            Pump(100);
        ASSERT_FALSE(IsWindowVisible(regionWindow)) << "the previous selection is still shown";
        MoveTo(600, 500);
        Pump(100);
    }
    void Show()
    {
        ShowWindow(regionWindow, SW_SHOWMAXIMIZED);
        UpdateWindow(regionWindow);
        // Input sent before the window is up under the pointer goes elsewhere: on a busy
        // machine that takes a while.
        for (int i = 0; i < 50; ++i) {
            POINT centre{screenWidth / 2, screenHeight / 2};
            if (IsWindowVisible(regionWindow) && WindowFromPoint(centre) == regionWindow)
                break;
            Pump(100);
        }
        Pump(200);
    }
    void ExpectCapture(LONG l, LONG t, LONG r, LONG b)
    {
        EXPECT_EQ(captureRect.left, l);
        EXPECT_EQ(captureRect.top, t);
        EXPECT_EQ(captureRect.right, r);
        EXPECT_EQ(captureRect.bottom, b);
    }
    Listener main;
};

}  // namespace

TEST_F(RegionWindowTest, DragChoosesTheAreaAndStartsRecording)
{
    settings.regionMode = RegionMode::Dragged;
    Show();
    MoveTo(300, 200);
    Pump(100);
    MoveTo(300, 200, MOUSEEVENTF_LEFTDOWN);
    Pump(100);
    MoveTo(200, 150);
    Pump(100);
    MoveTo(100, 100);
    Pump(100);
    MoveTo(100, 100, MOUSEEVENTF_LEFTUP);
    Pump(300);
    EXPECT_FALSE(IsWindowVisible(regionWindow));
    ExpectCapture(100, 100, 300, 200);
    EXPECT_EQ(main.Count(WM_USER_RECORDSTART_MSG), 1);
}

TEST_F(RegionWindowTest, ClickWithoutDragStartsNothingAndArmsTheRecordKey)
{
    settings.regionMode = RegionMode::Dragged;
    settings.recordKeyArmed = 0;
    fixedRegionRequest = 1;
    Show();
    MoveTo(400, 300);
    Pump(100);
    MoveTo(400, 300, MOUSEEVENTF_LEFTDOWN);
    Pump(100);
    MoveTo(400, 300, MOUSEEVENTF_LEFTUP);
    Pump(300);
    EXPECT_FALSE(IsWindowVisible(regionWindow));
    ExpectCapture(-1, -1, -1, -1);
    EXPECT_EQ(main.Count(WM_USER_RECORDSTART_MSG), 0);
    EXPECT_EQ(settings.recordKeyArmed, 1);
    EXPECT_EQ(fixedRegionRequest, 0);
}

TEST_F(RegionWindowTest, ReleaseWithoutPressDoesNotReuseTheLastArea)
{
    settings.regionMode = RegionMode::Dragged;
    Show();
    MoveTo(300, 200, MOUSEEVENTF_LEFTDOWN);
    Pump(100);
    MoveTo(100, 100);
    Pump(100);
    MoveTo(100, 100, MOUSEEVENTF_LEFTUP);
    Pump(300);
    ASSERT_EQ(main.Count(WM_USER_RECORDSTART_MSG), 1);

    // Shown again while the button is already down: the release alone chooses nothing.
    MoveTo(500, 400, MOUSEEVENTF_LEFTDOWN);
    Pump(100);
    Show();
    MoveTo(500, 400, MOUSEEVENTF_LEFTUP);
    Pump(300);
    EXPECT_TRUE(IsWindowVisible(regionWindow));
    EXPECT_EQ(main.Count(WM_USER_RECORDSTART_MSG), 1);
    MoveTo(500, 400, MOUSEEVENTF_RIGHTDOWN);
    MoveTo(500, 400, MOUSEEVENTF_RIGHTUP);
    Pump(300);
    EXPECT_FALSE(IsWindowVisible(regionWindow));
}

TEST_F(RegionWindowTest, RightClickCancelsAndArmsTheRecordKey)
{
    settings.regionMode = RegionMode::Dragged;
    settings.recordKeyArmed = 0;
    fixedRegionRequest = 1;
    Show();
    MoveTo(300, 200, MOUSEEVENTF_LEFTDOWN);
    Pump(100);
    MoveTo(200, 150);
    Pump(100);
    MoveTo(200, 150, MOUSEEVENTF_RIGHTDOWN);
    Pump(100);
    MoveTo(200, 150, MOUSEEVENTF_RIGHTUP | MOUSEEVENTF_LEFTUP);
    Pump(300);
    EXPECT_FALSE(IsWindowVisible(regionWindow));
    EXPECT_EQ(settings.recordKeyArmed, 1);
    EXPECT_EQ(fixedRegionRequest, 0);
    EXPECT_EQ(main.Count(WM_USER_RECORDSTART_MSG), 0);
    ExpectCapture(-1, -1, -1, -1);
}

TEST_F(RegionWindowTest, FixedFrameFollowsTheMouseAndGoesToTheOptionsDialog)
{
    Listener options;
    settings.regionMode = RegionMode::FixedSize;
    fixedRegionRequest = 1;
    optionsDialogWindow = options.hwnd;
    selectionRect = RECT{0, 0, 319, 239};
    Show();
    BeginFixedFrame();
    MoveTo(screenWidth - 4, screenHeight - 8);
    Pump(200);
    MoveTo(screenWidth - 4, screenHeight - 8, MOUSEEVENTF_LEFTDOWN);
    Pump(50);
    MoveTo(screenWidth - 4, screenHeight - 8, MOUSEEVENTF_LEFTUP);
    Pump(300);
    EXPECT_FALSE(IsWindowVisible(regionWindow));
    ExpectCapture(screenWidth - 320, screenHeight - 240, screenWidth - 1, screenHeight - 1);
    EXPECT_EQ(options.Count(FixedRegionSelected), 1);
    EXPECT_EQ(main.Count(WM_USER_RECORDSTART_MSG), 0);
    EXPECT_EQ(fixedRegionRequest, 0);
    optionsDialogWindow = nullptr;
}

TEST_F(RegionWindowTest, ShowsTheDesktopThatWasBeneathIt)
{
    // A red window under the selection window must still be seen through it.
    HWND red = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | SS_BLACKRECT, 600, 100, 60,
                               60, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(red, nullptr);
    Pump(300);
    const korvane::WindowDc screenDc(nullptr);
    const HDC screen = screenDc.Get();
    const COLORREF beneath = GetPixel(screen, 630, 130);
    settings.regionMode = RegionMode::Dragged;
    Show();
    EXPECT_EQ(GetPixel(screen, 630, 130), beneath);
    EXPECT_EQ(GetPixel(screen, 700, 130), GetPixel(screen, 700, 131));
    MoveTo(500, 400, MOUSEEVENTF_RIGHTDOWN);
    MoveTo(500, 400, MOUSEEVENTF_RIGHTUP);
    Pump(300);
    DestroyWindow(red);
}

namespace {

// The whole screen as 32-bit pixels, rows top-down.
std::vector<DWORD> GrabScreen()
{
    std::vector<DWORD> pixels(static_cast<size_t>(screenWidth) * screenHeight);
    const korvane::WindowDc screen(nullptr);
    korvane::MemoryDc memory(screen.Get());
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = screenWidth;
    info.bmiHeader.biHeight = -screenHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    korvane::Bitmap dib(CreateDIBSection(memory.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib)
        return pixels;
    korvane::SelectGuard select(memory.Get(), dib.Get());
    BitBlt(memory.Get(), 0, 0, screenWidth, screenHeight, screen.Get(), 0, 0, SRCCOPY);
    GdiFlush();
    std::memcpy(pixels.data(), bits, pixels.size() * sizeof(DWORD));
    return pixels;
}

// Pixels of `zone` (left, top, exclusive right and bottom) that differ between two grabs.
int Changed(const std::vector<DWORD>& a, const std::vector<DWORD>& b, RECT zone)
{
    int changed = 0;
    for (LONG y = zone.top; y < zone.bottom; ++y)
        for (LONG x = zone.left; x < zone.right; ++x)
            changed += a[y * screenWidth + x] != b[y * screenWidth + x];
    return changed;
}

// Where two grabs differ, for a failure's message.
std::string ChangedBox(const std::vector<DWORD>& a, const std::vector<DWORD>& b)
{
    LONG left = screenWidth, top = screenHeight, right = -1, bottom = -1, count = 0;
    for (LONG y = 0; y < screenHeight; ++y)
        for (LONG x = 0; x < screenWidth; ++x)
            if (a[y * screenWidth + x] != b[y * screenWidth + x]) {
                left = std::min(left, x), top = std::min(top, y);
                right = std::max(right, x), bottom = std::max(bottom, y);
                ++count;
            }
    POINT p{};
    GetCursorPos(&p);
    return std::to_string(count) + " pixels changed in (" + std::to_string(left) + "," +
           std::to_string(top) + ")-(" + std::to_string(right) + "," + std::to_string(bottom) +
           "), cursor at " + std::to_string(p.x) + "," + std::to_string(p.y);
}

// Pumps until `zone` has at least `pixels` changed from `desktop` (a frame drawn there),
// for up to 10 s: the mouse input may take its time on a busy machine.
bool FrameAppears(const std::vector<DWORD>& desktop, RECT zone, int pixels)
{
    for (int i = 0; i < 100; ++i) {
        if (Changed(desktop, GrabScreen(), zone) > pixels)
            return true;
        Pump(100);
    }
    return false;
}

// Repaints part of the selection window, as another window passing over it would make.
void Repaint(RECT part)
{
    RedrawWindow(regionWindow, &part, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump(100);
}

}  // namespace

// A repaint while a frame is shown, then a move: where the old frame and its label were,
// the desktop is seen again, not a band.
TEST_F(RegionWindowTest, RepaintsLeaveNoStaleBands)
{
    const std::vector<DWORD> desktop = GrabScreen();
    // Where a frame of (left, top) .. (600 or 500, 500 or 400) was: its top and left
    // bands and the label above it.
    const auto oldFrame = [&](LONG left, LONG top) {
        return Changed(desktop, GrabScreen(), {left + 10, top, 590, top + 2}) +
               Changed(desktop, GrabScreen(), {left, top + 10, left + 2, top + 90}) +
               Changed(desktop, GrabScreen(), {left + 6, top - 25, 590, top});
    };

    settings.regionMode = RegionMode::Dragged;
    Show();
    MoveTo(600, 500, MOUSEEVENTF_LEFTDOWN);
    Pump(100);
    MoveTo(300, 300);
    Pump(100);
    ASSERT_TRUE(FrameAppears(desktop, {310, 300, 590, 302}, 200))
        << "no frame drawn; window shown " << IsWindowVisible(regionWindow) << ", presses seen "
        << posted[{regionWindow, WM_LBUTTONDOWN}] << ", moves seen "
        << posted[{regionWindow, WM_MOUSEMOVE}] << "; " << ChangedBox(desktop, GrabScreen());
    Repaint({0, 0, 450, screenHeight});
    MoveTo(200, 200);
    EXPECT_TRUE(FrameAppears(desktop, {210, 200, 590, 202}, 200)) << "no new frame";
    EXPECT_EQ(oldFrame(300, 300), 0) << "a band is left where the frame was";
    MoveTo(200, 200, MOUSEEVENTF_LEFTUP);
    Pump(300);
    ASSERT_FALSE(IsWindowVisible(regionWindow));

    // The fixed frame (200x100, centred on the mouse), repainted whole between moves,
    // then cancelled with the right button after another repaint.
    settings.regionMode = RegionMode::FixedSize;
    selectionRect = RECT{0, 0, 199, 99};
    Show();
    BeginFixedFrame();
    MoveTo(300, 250);
    ASSERT_TRUE(FrameAppears(desktop, {211, 201, 390, 203}, 150)) << "no fixed frame";
    Repaint({0, 0, screenWidth, screenHeight});
    MoveTo(650, 550);
    EXPECT_TRUE(FrameAppears(desktop, {561, 501, 740, 503}, 150)) << "the fixed frame did not move";
    EXPECT_EQ(oldFrame(201, 201), 0) << "a band is left where the fixed frame was";
    Repaint({0, 0, screenWidth, screenHeight});
    MoveTo(650, 550, MOUSEEVENTF_RIGHTDOWN);
    MoveTo(650, 550, MOUSEEVENTF_RIGHTUP);
    Pump(300);
    EXPECT_FALSE(IsWindowVisible(regionWindow));
    EXPECT_EQ(main.Count(WM_USER_RECORDSTART_MSG), 1);
}

TEST(BorderWindow, MarksAppearAroundTheAreaOnly)
{
    const korvane::WindowDc screenDc(nullptr);
    const HDC screen = screenDc.Get();
    screenWidth = GetDeviceCaps(screen, HORZRES);
    screenHeight = GetDeviceCaps(screen, VERTRES);
    CFlashingWnd border;
    ASSERT_TRUE(border.CreateBorderWindow(RECT{0, 0, screenWidth - 1, screenHeight - 1}));
    EXPECT_FALSE(IsWindowVisible(border.Hwnd()));
    EXPECT_TRUE(GetWindowLongA(border.Hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    border.FitToCaptureRect(100, 100, 320, 240);
    ShowWindow(border.Hwnd(), SW_SHOWNOACTIVATE);
    const COLORREF green = 0x0050FF00;
    for (int i = 0; i < 5; ++i) {
        border.PaintCorners(green);
        Pump(100);
    }
    EXPECT_EQ(GetPixel(screen, 94, 94), green);
    EXPECT_EQ(GetPixel(screen, 117, 99), green);
    EXPECT_EQ(GetPixel(screen, 424, 344), green);
    EXPECT_EQ(GetPixel(screen, 402, 344), green);
    EXPECT_NE(GetPixel(screen, 100, 100), green);  // inside the area
    EXPECT_NE(GetPixel(screen, 260, 96), green);   // the open middle of the top side
    EXPECT_NE(GetPixel(screen, 419 + 6, 339 + 6), green);
    ShowWindow(border.Hwnd(), SW_HIDE);
    DestroyWindow(border.Hwnd());
}
