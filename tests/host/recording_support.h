// The recording harness of the tests and benches: a hidden window that stands in for the
// main window and notes the registered messages posted to it (and hands the microphone's
// buffers to the capture) and runs the recording thread; a painted window on a thread of
// its own for content; the settings of this screen; a pointer mover. Test thread.
#pragma once
#include "app/recording_settings.h"
#include "app/recording_state.h"
#include "app/registered_messages.h"
#include "audio/wave_in_capture.h"
#include "capture/frame_grabber.h"
#include "capture/recording_thread.h"
#include "gdi_owners.h"
#include "message_pump.h"
#include "recovery/recording_journal.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class MessageSink {
public:
    MessageSink()
    {
        RegisterAppMessages();
        m_hwnd = testpump::CreateHiddenWindow("RecordingTestSink", "sink", Proc);
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        mainWindow = m_hwnd;
    }
    ~MessageSink()
    {
        mainWindow = nullptr;
        DestroyWindow(m_hwnd);
    }
    MessageSink(const MessageSink&) = delete;
    MessageSink& operator=(const MessageSink&) = delete;

    // Pumps messages until `done` holds or `timeoutMs` passes.
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
    {
        return testpump::PumpUntil(done, timeoutMs);
    }
    void PumpFor(DWORD ms) { testpump::PumpFor(ms); }
    static void Pump() { testpump::PumpPending(); }
    bool Ended() const
    {
        for (const std::string& m : received)
            if (m == "WM_USER_GENERIC_MSG" || m == "WM_USER_RECORDINTERRUPTED_MSG")
                return true;
        return false;
    }

    // The messages received, one a line.
    std::string ReceivedLines() const
    {
        std::string lines;
        for (const std::string& m : received)
            lines += m + "\n";
        return lines;
    }

    // Runs the recording thread on captureRect while `during` runs (it pumps), then
    // stops it by the flag, as the Stop command does, and waits for its end message.
    // True when the end came.
    bool Record(const std::function<void()>& during)
    {
        isRecording = 1;
        std::thread worker(RecordingThreadMain, nullptr);
        during();
        isRecording = 0;
        const bool ended = PumpUntil([&] { return Ended(); }, 20000);
        worker.join();
        // As the finish does: the recording's description goes with it.
        korvane::ForgetRecordingPart(tempAviPath);
        return ended;
    }

    std::vector<std::string> received;
    int repaints = 0;
    std::string caption;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        // The microphone's buffers come here as they come to the main window.
        if (msg == MM_WIM_DATA)
            return OnWaveInData(wp, lp);
        auto* self = reinterpret_cast<MessageSink*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self) {
            if (msg == WM_USER_GENERIC_MSG)
                self->received.push_back("WM_USER_GENERIC_MSG");
            else if (msg == WM_USER_RECORDINTERRUPTED_MSG)
                self->received.push_back("WM_USER_RECORDINTERRUPTED_MSG");
            else if (msg == WM_USER_RECORDSTART_MSG)
                self->received.push_back("WM_USER_RECORDSTART_MSG");
            else if (msg == WM_PAINT)
                ++self->repaints;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    HWND m_hwnd;
};

// A window of this process painted on a thread of its own, as another program paints:
// the content that recording tests and benches record. `paint` draws the client area
// into an off-screen bitmap that is copied in one piece, so a grab never sees half a
// picture. It runs on WM_PAINT and on every timer tick for which `changed` says so.
class PainterWindow {
public:
    using Paint = std::function<void(HDC, const RECT&)>;
    PainterWindow(
        const char* className, const RECT& area, UINT timerMs, Paint paint,
        std::function<bool()> changed = [] { return true; })
        : m_paint(std::move(paint)), m_changed(std::move(changed))
    {
        m_thread = std::thread([=] { Run(className, area, timerMs); });
        while (!m_hwnd)
            testpump::PumpFor(10);
    }
    ~PainterWindow()
    {
        m_stop = true;
        m_thread.join();
    }
    PainterWindow(const PainterWindow&) = delete;
    PainterWindow& operator=(const PainterWindow&) = delete;
    HWND Hwnd() const { return m_hwnd; }

private:
    void Run(const char* className, RECT area, UINT timerMs)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = className;
        RegisterClassA(&wc);
        HWND hwnd =
            CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, className, className, WS_POPUP,
                            area.left, area.top, area.right - area.left, area.bottom - area.top,
                            nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        UpdateWindow(hwnd);
        SetTimer(hwnd, 1, timerMs, nullptr);
        m_hwnd = hwnd;
        MSG msg;
        while (!m_stop) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
        DestroyWindow(hwnd);
    }
    void PaintBuffered(HWND hwnd, HDC hdc)
    {
        RECT client;
        GetClientRect(hwnd, &client);
        const korvane::MemoryDc mem(hdc);
        const korvane::Bitmap bmp(CreateCompatibleBitmap(hdc, client.right, client.bottom));
        const korvane::SelectGuard selected(mem.Get(), bmp.Get());
        m_paint(mem.Get(), client);
        // In bands, as the recorder grabs: on Wine one large copy to the screen would take
        // a slow path and hold up the X server, and with it every grab.
        const int bandRows =
            ScreenCopyBandRows(static_cast<size_t>(client.right) * 4, client.bottom);
        for (int y = 0; y < client.bottom; y += bandRows)
            BitBlt(hdc, 0, y, client.right, std::min<int>(bandRows, client.bottom - y), mem.Get(),
                   0, y, SRCCOPY);
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        auto* self = reinterpret_cast<PainterWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self && msg == WM_TIMER) {
            if (self->m_changed())
                self->PaintBuffered(hwnd, korvane::WindowDc(hwnd).Get());
            return 0;
        }
        if (self && msg == WM_PAINT) {
            self->PaintBuffered(hwnd, korvane::PaintDc(hwnd).Get());
            return 0;
        }
        if (msg == WM_ERASEBKGND)
            return 1;
        return DefWindowProcA(hwnd, msg, wp, lp);
    }

    Paint m_paint;
    std::function<bool()> m_changed;
    std::atomic<bool> m_stop{false};
    std::atomic<HWND> m_hwnd{nullptr};
    std::thread m_thread;
};

inline void WriteTextFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// Moves a scratch file of the recording to `to` (a copy, then the scratch file is
// deleted); says so on stderr when there was none.
inline bool KeepScratchFile(const std::string& from, const std::string& to)
{
    const bool kept = CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
    if (!kept)
        std::fprintf(stderr, "no file at %s\n", from.c_str());
    DeleteFileA(from.c_str());
    return kept;
}

// Default settings for a recording of this screen, whose size goes into the shared state.
inline void UseScreenSettings()
{
    settings = RecordingSettings();
    settings.captureBitsPerPixel = MeasureScreen();
}

// Moves the pointer and waits until the system reports it there steadily: Wine can
// still deliver the motion of an earlier move after the new position was first seen.
inline bool MovePointer(int x, int y)
{
    int steady = 0;
    for (int i = 0; i < 200 && steady < 5; ++i) {
        if (i % 20 == 0)
            SetCursorPos(x, y);
        MessageSink::Pump();
        Sleep(10);
        POINT p = {};
        GetCursorPos(&p);
        steady = (p.x == x && p.y == y) ? steady + 1 : 0;
    }
    return steady >= 5;
}
