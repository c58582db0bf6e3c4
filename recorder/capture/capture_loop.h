// The paced capture loop, written against an interface for the clock, the sleeps,
// the flags, the grabber and the stream, so that its decisions can be driven by a
// controllable clock. The real implementation is ScreenCaptureIo. Recording thread.
#pragma once
#include <windows.h>

namespace korvane {

class CaptureIo {
public:
    virtual ~CaptureIo() = default;
    virtual unsigned Now() = 0;  // milliseconds, wrapping like timeGetTime
    virtual void Sleep(unsigned ms) = 0;
    virtual int RecordingFlag() = 0;  // isRecording
    virtual bool Paused() = 0;        // isPaused
    // Grabs the next frame and holds it; false when its memory cannot be had.
    virtual bool Grab() = 0;
    // Writes the held frame at a stream position.
    virtual HRESULT Write(unsigned index) = 0;
    virtual void ReleaseFrame() = 0;
    virtual void RepaintMainWindow() = 0;
    virtual void BlankCaption() = 0;
};

struct CaptureLoopResult {
    HRESULT result = S_OK;  // the failed write's (or frame memory's) error
    unsigned grabs = 0;
    unsigned framesWritten = 0;
    unsigned lastWrittenIndex = 0;
};

// Runs while RecordingFlag() is non-zero; `startTime` is the Now() of the set-up's end.
CaptureLoopResult RunCaptureLoop(CaptureIo& io, int frameIntervalMs, unsigned startTime);

}  // namespace korvane
