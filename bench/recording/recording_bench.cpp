// Recording benchmark: records 20 s of a scrolling text window at 25 fps for 640x480
// and 1280x720 areas with the real recording thread, and prints frames written,
// distinct positions per second and the average grab, encode-and-write and loop times.
// No target: the figures are a baseline. Run by hand through run.sh (needs a desktop of
// at least 1280x720 with the Video 1 codec installed).
//   recording_bench [SECONDS]
#include "app/recording_settings.h"
#include "capture/recording_state.h"
#include "capture/recording_stats.h"
#include "capture/recording_thread.h"
#include "app/registered_messages.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

std::atomic<int> scrollWidth{640}, scrollHeight{480};
DWORD scrollStart = 0;

// Lines of text moving up 90 pixels a second: every frame differs from the last.
void PaintScroll(HWND hwnd, HDC hdc)
{
    RECT client;
    GetClientRect(hwnd, &client);
    const int w = client.right, h = client.bottom;
    HDC mem = CreateCompatibleDC(hdc);
    HBITMAP bmp = CreateCompatibleBitmap(hdc, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    FillRect(mem, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const int lineHeight = 18;
    const unsigned offset = (timeGetTime() - scrollStart) * 90 / 1000;
    const unsigned firstLine = offset / lineHeight;
    const int shift = static_cast<int>(offset % lineHeight);
    for (int y = -shift, n = 0; y < h; y += lineHeight, ++n) {
        char text[160];
        const unsigned line = firstLine + n;
        std::snprintf(text, sizeof text,
                      "%06u  The quick brown fox jumps over the lazy dog; pack my box with five "
                      "dozen liquor jugs. %u",
                      line, line * 7919u);
        SetTextColor(mem, (line % 5 == 0) ? RGB(180, 0, 0) : RGB(0, 0, 0));
        TextOutA(mem, 8, y, text, lstrlenA(text));
    }
    BitBlt(hdc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
}

LRESULT CALLBACK ScrollProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_TIMER: {
        HDC hdc = GetDC(hwnd);
        PaintScroll(hwnd, hdc);
        ReleaseDC(hwnd, hdc);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        PaintScroll(hwnd, hdc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

void ScrollThread(std::atomic<bool>* stop, std::atomic<HWND>* created)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ScrollProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "RecordingBenchScroll";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "scroll",
                                WS_POPUP, 0, 0, scrollWidth, scrollHeight, nullptr, nullptr,
                                wc.hInstance, nullptr);
    scrollStart = timeGetTime();
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    SetTimer(hwnd, 1, 10, nullptr);
    *created = hwnd;
    MSG msg;
    while (!*stop) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    DestroyWindow(hwnd);
}

// A hidden window stands in for the main window and takes the end message.
std::atomic<bool> ended{false};
std::string endMessage;

LRESULT CALLBACK SinkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_USER_GENERIC_MSG || msg == WM_USER_RECORDINTERRUPTED_MSG) {
        endMessage = msg == WM_USER_GENERIC_MSG ? "finished" : "interrupted";
        ended = true;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void Pump(DWORD ms)
{
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

bool RunOne(int width, int height, int seconds)
{
    scrollWidth = width;
    scrollHeight = height;
    std::atomic<bool> stop{false};
    std::atomic<HWND> window{nullptr};
    std::thread scroller(ScrollThread, &stop, &window);
    while (!window)
        Pump(10);
    Pump(500);

    captureRect = RECT{0, 0, width - 1, height - 1};
    ended = false;
    isRecording = 1;
    const double start = korvane::StatsClockSeconds();
    std::thread worker(RecordingThreadMain, nullptr);
    Pump(static_cast<DWORD>(seconds) * 1000);
    isRecording = 0;
    while (!ended)
        Pump(10);
    const double total = korvane::StatsClockSeconds() - start;
    worker.join();
    stop = true;
    scroller.join();

    const korvane::RecordingStats& s = korvane::lastRecordingStats;
    const double loopSeconds = s.loopSeconds > 0 ? s.loopSeconds : 1;
    std::printf("%4dx%-4d  %-11s %6u %7u %10.1f %10.1f %8.2f %9.2f %8.2f %7.1f\n", width, height,
                endMessage.c_str(), s.grabs, s.framesWritten, s.framesWritten / loopSeconds,
                (s.lastWrittenIndex + 1) / loopSeconds, s.grabs ? 1000 * s.grabSeconds / s.grabs : 0,
                s.framesWritten ? 1000 * s.writeSeconds / s.framesWritten : 0,
                s.grabs ? 1000 * s.loopSeconds / s.grabs : 0, total);
    std::fflush(stdout);
    DeleteFileA(tempAviPath.c_str());
    return endMessage == "finished";
}

}  // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    HDC screen = GetDC(nullptr);
    settings.captureBitsPerPixel = GetDeviceCaps(screen, BITSPIXEL);
    screenWidth = GetDeviceCaps(screen, HORZRES);
    screenHeight = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    settings.recordAudio = 0;
    if (screenWidth < 1280 || screenHeight < 720) {
        std::fprintf(stderr, "the desktop is %dx%d; 1280x720 is needed\n", screenWidth, screenHeight);
        return 2;
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SinkProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "RecordingBenchSink";
    RegisterClassA(&wc);
    mainWindow = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    SetCursorPos(screenWidth - 2, screenHeight - 2);

    std::printf("Recording %d s of scrolling text at %d fps, %d-bit desktop %dx%d, Video 1 quality %d\n",
                seconds, settings.framesPerSecond, settings.captureBitsPerPixel, screenWidth,
                screenHeight, settings.compressorQuality);
    std::printf("area       end          grabs written distinct/s timeline/s  grab ms enc+wr ms  loop ms  wall s\n");
    bool ok = RunOne(640, 480, seconds);
    ok = RunOne(1280, 720, seconds) && ok;
    return ok ? 0 : 1;
}
