// The capture loop's real world: timeGetTime, Sleep, the recording flags, the frame
// grabber and the temporary AVI file. Times its grabs and writes. Recording thread.
#pragma once
#include "capture_loop.h"
#include "frame_dib.h"
#include "frame_grabber.h"
#include "recording_avi.h"

class ScreenCaptureIo : public korvane::CaptureIo {
public:
    ScreenCaptureIo(RecordingAvi& avi, int left, int top, int width, int height);

    unsigned Now() override;
    void Sleep(unsigned ms) override;
    int RecordingFlag() override;
    bool Paused() override;
    bool Grab() override;
    HRESULT Write(unsigned index) override;
    void ReleaseFrame() override;
    void RepaintMainWindow() override;
    void BlinkCaption(bool blank) override;

    double GrabSeconds() const { return m_grabSeconds; }
    double WriteSeconds() const { return m_writeSeconds; }

private:
    RecordingAvi& m_avi;
    int m_left, m_top, m_width, m_height;
    ScreenGrabber m_grabber;
    PackedFrame m_frame;
    double m_grabSeconds = 0;
    double m_writeSeconds = 0;
};
