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

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class MessageSink {
public:
    MessageSink();
    ~MessageSink();
    MessageSink(const MessageSink&) = delete;
    MessageSink& operator=(const MessageSink&) = delete;

    // Pumps messages until `done` holds or `timeoutMs` passes.
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
    {
        return testpump::PumpUntil(done, timeoutMs);
    }
    void PumpFor(DWORD ms) { testpump::PumpFor(ms); }
    static void Pump() { testpump::PumpPending(); }
    bool Ended() const;

    // The messages received, one a line.
    std::string ReceivedLines() const;

    // Runs the recording thread on captureRect while `during` runs (it pumps), then
    // stops it by the flag, as the Stop command does, and waits for its end message.
    // True when the end came.
    bool Record(const std::function<void()>& during);

    std::vector<std::string> received;
    int repaints = 0;
    std::string caption;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
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
        std::function<bool()> changed = [] { return true; });
    ~PainterWindow();
    PainterWindow(const PainterWindow&) = delete;
    PainterWindow& operator=(const PainterWindow&) = delete;
    HWND Hwnd() const { return m_hwnd; }

private:
    void Run(const char* className, RECT area, UINT timerMs);
    void PaintBuffered(HWND hwnd, HDC hdc);
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    Paint m_paint;
    std::function<bool()> m_changed;
    std::atomic<bool> m_stop{false};
    std::atomic<HWND> m_hwnd{nullptr};
    std::thread m_thread;
};

void WriteTextFile(const std::string& path, const std::string& text);

// Moves a scratch file of the recording to `to` (a copy, then the scratch file is
// deleted); says so on stderr when there was none.
bool KeepScratchFile(const std::string& from, const std::string& to);

// Default settings for a recording of this screen, whose size goes into the shared state.
void UseScreenSettings();

// Moves the pointer and waits until the system reports it there steadily: Wine can
// still deliver the motion of an earlier move after the new position was first seen.
bool MovePointer(int x, int y);
