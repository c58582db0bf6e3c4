// The paced capture loop, written against an interface for the clock, the sleeps,
// the flags, the grabber and the stream, so that its decisions can be driven by a
// controllable clock. The real implementation is ScreenCaptureIo. Recording thread.
#pragma once
#include "app/stop_cause.h"
#include "frame_pacing.h"
#include "win_scalars.h"

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
    virtual HResult Write(unsigned index) = 0;
    virtual void ReleaseFrame() = 0;
    virtual void RepaintMainWindow() = 0;
    // Asks for the main window's caption to be blanked, or shown again.
    virtual void BlinkCaption(bool blank) = 0;
    // True when the scratch drive has too little room left to finish the recording.
    virtual bool SpaceLow() = 0;
    // True when the recording's sound file has reached its size ceiling.
    virtual bool SoundFull() = 0;
    // True when the monitors changed so that the area can no longer be recorded; an area
    // that can still be shown has been moved there meanwhile.
    virtual bool DisplayLost() { return false; }
    // True when the file being written has reached its size ceiling; the next frame then
    // goes into a new part, opened by StartNextPart with the frame it will hold.
    virtual bool PartFull() = 0;
    virtual HResult StartNextPart(unsigned firstIndex) = 0;
};

// The loop's result when a frame's memory cannot be had: AVIFile's AVIERR_MEMORY.
constexpr HResult kFrameMemoryError = static_cast<HResult>(0x80044067u);

struct CaptureLoopResult {
    HResult result = kResultOk;  // the failed write's error, or kFrameMemoryError
    StopCause cause = StopCause::User;
    unsigned grabs = 0;
    unsigned framesWritten = 0;
    unsigned lastWrittenIndex = 0;
};

// Runs while RecordingFlag() is non-zero, or until a failure or a low disk ends it; the
// frames written so far stay in their files either way. Each part's stream positions start
// at 0. `startTime` is the Now() of the set-up's end.
CaptureLoopResult RunCaptureLoop(CaptureIo& io, const FramePace& pace, unsigned startTime);

}  // namespace korvane
