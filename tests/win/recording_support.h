// Helpers of the recording tests: a hidden window that stands in for the main window
// and notes the registered messages posted to it (and hands the microphone's buffers to
// the capture), and a pointer mover. Test thread.
#pragma once
#include "app/registered_messages.h"
#include "audio/wave_in_capture.h"
#include "capture/recording_state.h"
#include "message_pump.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class MessageSink {
public:
    MessageSink()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "RecordingTestSink";
        RegisterClassA(&wc);
        m_hwnd = CreateWindowExA(0, wc.lpszClassName, "sink", WS_POPUP, 0, 0, 1, 1, nullptr,
                                 nullptr, wc.hInstance, nullptr);
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
