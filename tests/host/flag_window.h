// The content of the A/V benches: a topmost window over the recorded area at the top left
// that turns white while the file FLAG exists (the driving script makes it the moment it
// plays a click) and is black otherwise. It is painted on this thread, between the
// recording's polls, so that the frame after a change shows it. UI thread only.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

class FlagWindow {
public:
    // `extra` draws over the black or white background on every paint.
    using Paint = std::function<void(HDC)>;
    FlagWindow(const char* className, int width, int height, std::string flag,
               Paint extra = nullptr);
    ~FlagWindow();
    FlagWindow(const FlagWindow&) = delete;
    FlagWindow& operator=(const FlagWindow&) = delete;

    // For `ms`: repaints when the flag changed (and every `repaintMs`, when not 0) and
    // handles this thread's messages; `each` runs every round with the milliseconds since
    // the start.
    void RunFor(DWORD ms, DWORD repaintMs, const std::function<void(DWORD)>& each = nullptr);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Repaint();

    std::string m_flag;
    Paint m_extra;
    bool m_white = false;
    HWND m_hwnd = nullptr;
};
