// Test host for the real recordings checked by recording_real.sh with independent
// tools. It runs the recording thread against a hidden stand-in main window and
// leaves the movie, the posted messages and what it showed in OUTDIR.
//   recording_host counter OUTDIR   a Gray-coded counter in large blocks, changed every
//                                   40 ms, recorded for about 3 s at 320x240
//   recording_host notepad OUTDIR   Notepad's text area with the pointer over it, where
//                                   the reported cursor is Notepad's own handle
// Handshake: the host writes OUTDIR\ready.txt (what to screenshot) and waits for the
// script's OUTDIR\shot.done before it stops the recording.
#include "app/recording_settings.h"
#include "capture/recording_state.h"
#include "capture/recording_stats.h"
#include "capture/recording_thread.h"
#include "recording_support.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

namespace {

const int kLeft = 200, kTop = 150, kWidth = 320, kHeight = 240;

std::atomic<bool> counterFrozen{false};
std::atomic<unsigned> shownValue{0};
DWORD counterStart = 0;

unsigned CounterNow() { return (timeGetTime() - counterStart) / 40; }

void PaintCounter(HDC hdc, unsigned value)
{
    // Drawn off screen and copied in one piece, so a grab sees a whole picture.
    HDC mem = CreateCompatibleDC(hdc);
    HBITMAP bmp = CreateCompatibleBitmap(hdc, kWidth, kHeight);
    HGDIOBJ old = SelectObject(mem, bmp);
    const COLORREF stripes[] = {RGB(200, 40, 40), RGB(40, 160, 60), RGB(40, 60, 200),
                                RGB(230, 200, 40), RGB(120, 40, 160)};
    for (int i = 0; i < 5; ++i) {
        RECT r = {0, i * 20, kWidth, i * 20 + 20};
        HBRUSH b = CreateSolidBrush(stripes[i]);
        FillRect(mem, &r, b);
        DeleteObject(b);
    }
    const unsigned gray = value ^ (value >> 1);
    for (int bit = 0; bit < 8; ++bit) {
        const bool set = (gray >> (7 - bit)) & 1;
        RECT on = {bit * 40, 100, bit * 40 + 40, 140};
        RECT off = {bit * 40, 140, bit * 40 + 40, 180};
        FillRect(mem, &on, static_cast<HBRUSH>(GetStockObject(set ? WHITE_BRUSH : BLACK_BRUSH)));
        FillRect(mem, &off, static_cast<HBRUSH>(GetStockObject(set ? BLACK_BRUSH : WHITE_BRUSH)));
    }
    RECT text = {0, 180, kWidth, kHeight};
    FillRect(mem, &text, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    SetBkMode(mem, TRANSPARENT);
    char line[64];
    std::snprintf(line, sizeof line, "Korvane counter %u", value);
    TextOutA(mem, 10, 200, line, lstrlenA(line));
    BitBlt(hdc, 0, 0, kWidth, kHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
}

LRESULT CALLBACK CounterProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_TIMER: {
        const unsigned now = CounterNow();
        if (!counterFrozen && now != shownValue) {
            shownValue = now;
            HDC hdc = GetDC(hwnd);
            PaintCounter(hdc, now);
            ReleaseDC(hwnd, hdc);
        }
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        PaintCounter(hdc, shownValue);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

// The counter window runs on its own thread, as another program would.
void CounterThread(std::atomic<bool>* stop, std::atomic<HWND>* created)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CounterProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "RecordingHostCounter";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "counter",
                                WS_POPUP, kLeft, kTop, kWidth, kHeight, nullptr, nullptr,
                                wc.hInstance, nullptr);
    counterStart = timeGetTime();
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
    SetTimer(hwnd, 1, 5, nullptr);
    *created = hwnd;
    MSG msg;
    while (!*stop) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    DestroyWindow(hwnd);
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

bool WaitForFile(MessageSink& sink, const std::string& path, DWORD timeoutMs)
{
    return sink.PumpUntil([&] { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; },
                          timeoutMs);
}

void PrepareSettings()
{
    settings = RecordingSettings();
    HDC screen = GetDC(nullptr);
    settings.captureBitsPerPixel = GetDeviceCaps(screen, BITSPIXEL);
    screenWidth = GetDeviceCaps(screen, HORZRES);
    screenHeight = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
}

// Runs the recording thread on captureRect; `middle` runs while it records.
int RecordAndReport(MessageSink& sink, const std::string& outDir, DWORD minimumMs,
                    const std::function<bool()>& middle)
{
    isRecording = 1;
    const DWORD start = GetTickCount();
    std::thread worker(RecordingThreadMain, nullptr);
    const bool ok = middle();
    const DWORD spent = GetTickCount() - start;
    if (spent < minimumMs)
        sink.PumpFor(minimumMs - spent);
    isRecording = 0;
    const bool ended = sink.PumpUntil([&] { return sink.Ended(); }, 20000);
    worker.join();
    sink.PumpFor(300);

    std::string names;
    for (const std::string& m : sink.received)
        names += m + "\n";
    WriteFile(outDir + "\\messages.txt", names);
    const korvane::RecordingStats& s = korvane::lastRecordingStats;
    char stats[256];
    std::snprintf(stats, sizeof stats, "grabs %u\nwritten %u\nlast_index %u\n", s.grabs,
                  s.framesWritten, s.lastWrittenIndex);
    WriteFile(outDir + "\\stats.txt", stats);
    if (!CopyFileA(tempAviPath.c_str(), (outDir + "\\recording.avi").c_str(), FALSE)) {
        std::fprintf(stderr, "no movie at %s\n", tempAviPath.c_str());
        return 1;
    }
    DeleteFileA(tempAviPath.c_str());
    return ok && ended ? 0 : 1;
}

int RunCounter(const std::string& outDir)
{
    PrepareSettings();
    MessageSink sink;
    std::atomic<bool> stop{false};
    std::atomic<HWND> window{nullptr};
    std::thread counter(CounterThread, &stop, &window);
    sink.PumpUntil([&] { return window.load() != nullptr; }, 5000);
    MovePointer(screenWidth - 10, screenHeight - 10);  // no cursor in the area
    sink.PumpFor(300);
    captureRect = RECT{kLeft, kTop, kLeft + kWidth - 1, kTop + kHeight - 1};
    const int rc = RecordAndReport(sink, outDir, 3200, [&] {
        sink.PumpFor(2600);
        counterFrozen = true;
        sink.PumpFor(200);
        char ready[128];
        std::snprintf(ready, sizeof ready, "%d %d %d %d %u\n", kLeft, kTop, kWidth, kHeight,
                      shownValue.load());
        WriteFile(outDir + "\\ready.txt", ready);
        return WaitForFile(sink, outDir + "\\shot.done", 15000);
    });
    stop = true;
    counter.join();
    return rc;
}

int RunNotepad(const std::string& outDir)
{
    PrepareSettings();
    MessageSink sink;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    char cmd[] = "notepad.exe";
    if (!CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 2;
    HWND notepad = nullptr;
    HWND edit = nullptr;
    // The frame window appears before its text area: wait for both.
    sink.PumpUntil([&] {
        notepad = FindWindowA("Notepad", nullptr);
        edit = notepad ? FindWindowExA(notepad, nullptr, "Edit", nullptr) : nullptr;
        return edit != nullptr;
    }, 20000);
    int rc = 3;
    if (!edit)
        std::fprintf(stderr, "Notepad's window %p or its text area did not appear\n",
                     static_cast<void*>(notepad));
    if (edit) {
        MoveWindow(notepad, kLeft - 40, kTop - 60, 420, 340, TRUE);
        SetForegroundWindow(notepad);
        sink.PumpFor(500);
        RECT er;
        GetWindowRect(edit, &er);
        const int px = (er.left + er.right) / 2, py = (er.top + er.bottom) / 2;
        MovePointer(px, py);
        sink.PumpFor(500);
        // Notepad's cursor, as the cursor hook reports it: another process's handle.
        CURSORINFO ci = {};
        ci.cbSize = sizeof ci;
        GetCursorInfo(&ci);
        ICONINFO ii = {};
        const bool drawable = GetIconInfo(ci.hCursor, &ii) != FALSE;
        if (drawable) {
            DeleteObject(ii.hbmMask);
            if (ii.hbmColor)
                DeleteObject(ii.hbmColor);
        }
        savedCursor = ci.hCursor;
        ICONINFO arrow = {};
        GetIconInfo(LoadCursor(nullptr, IDC_ARROW), &arrow);
        DeleteObject(arrow.hbmMask);
        if (arrow.hbmColor)
            DeleteObject(arrow.hbmColor);
        captureRect = RECT{kLeft, kTop, kLeft + kWidth - 1, kTop + kHeight - 1};
        char ready[256];
        std::snprintf(ready, sizeof ready, "%d %d %d %d %d %d %lu %lu %d %ld %ld %ld %ld\n", kLeft,
                      kTop, kWidth, kHeight, px, py, arrow.xHotspot, arrow.yHotspot, drawable ? 1 : 0,
                      er.left, er.top, er.right, er.bottom);
        rc = RecordAndReport(sink, outDir, 1200, [&] {
            WriteFile(outDir + "\\ready.txt", ready);
            return WaitForFile(sink, outDir + "\\shot.done", 15000);
        });
    }
    TerminateProcess(pi.hProcess, 0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return rc;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: recording_host counter|notepad OUTDIR\n");
        return 2;
    }
    const std::string mode = argv[1];
    if (mode == "counter")
        return RunCounter(argv[2]);
    if (mode == "notepad")
        return RunNotepad(argv[2]);
    return 2;
}
