// The capture loop's real world.
#include "screen_capture_io.h"

#include "frame_grabber.h"
#include "app/registered_messages.h"
#include "app/recording_state.h"
#include "recording_stats.h"

#include <mmsystem.h>

namespace korvane {

RecordingStats lastRecordingStats;

double StatsClockSeconds()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

}  // namespace korvane

ScreenCaptureIo::ScreenCaptureIo(RecordingAvi& avi, int left, int top, int width, int height)
    : m_avi(avi),
      m_left(left),
      m_top(top),
      m_width(width),
      m_height(height),
      m_grabber(width, height, left, top)
{
}

unsigned ScreenCaptureIo::Now() { return timeGetTime(); }

void ScreenCaptureIo::Sleep(unsigned ms) { ::Sleep(ms); }

int ScreenCaptureIo::RecordingFlag() { return isRecording.load(); }

bool ScreenCaptureIo::Paused() { return isPaused.load() != 0; }

bool ScreenCaptureIo::Grab()
{
    const double start = korvane::StatsClockSeconds();
    m_frame = PackedFrame(m_grabber.Grab(false));
    m_grabSeconds += korvane::StatsClockSeconds() - start;
    return static_cast<bool>(m_frame);
}

HRESULT ScreenCaptureIo::Write(unsigned index)
{
    const double start = korvane::StatsClockSeconds();
    const HRESULT hr = m_avi.Write(index, m_frame);
    m_writeSeconds += korvane::StatsClockSeconds() - start;
    return hr;
}

void ScreenCaptureIo::ReleaseFrame() { m_frame.Reset(); }

void ScreenCaptureIo::RepaintMainWindow()
{
    if (mainWindow)
        InvalidateRect(mainWindow, nullptr, FALSE);
}

void ScreenCaptureIo::BlinkCaption(bool blank)
{
    // The main window decides, as only it knows whether the pause is still on when the
    // request arrives.
    if (mainWindow)
        PostMessageA(mainWindow, CaptionBlink, blank ? 1 : 0, 0);
}
