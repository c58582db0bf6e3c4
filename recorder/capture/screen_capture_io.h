// The capture loop's real world: timeGetTime, Sleep, the recording flags, the frame
// grabber, the scratch drive's free space and the temporary AVI files of the recording's
// parts. Frames are compressed and written on a writer thread while the loop goes on;
// the part being written is touched by this thread only when the writer has drained.
// The sound capture, when there is one, is asked what it stored and watched.
// Times its grabs and writes. Recording thread.
#pragma once
#include "capture_loop.h"
#include "display_watch.h"
#include "frame_dib.h"
#include "frame_grabber.h"
#include "frame_writer.h"
#include "recording_avi.h"

#include "audio/sound_capture.h"

#include <memory>
#include <string>

class ScreenCaptureIo : public korvane::CaptureIo {
public:
    // `avi` is the open first part; StartNextPart replaces it, so the caller's owner always
    // holds the part being written. `sound` is the recording's sound capture, or null.
    ScreenCaptureIo(std::unique_ptr<RecordingAvi>& avi, korvane::SoundCapture* sound,
                    int framesPerSecond, int left, int top, int width, int height);

    unsigned Now() override;
    void Sleep(unsigned ms) override;
    int RecordingFlag() override;
    bool Paused() override;
    bool Grab() override;
    HRESULT Write(unsigned index) override;
    void ReleaseFrame() override;
    void RepaintMainWindow() override;
    void BlinkCaption(bool blank) override;
    bool SpaceLow() override;
    bool SoundFull() override { return m_sound && m_sound->Full(); }
    bool DisplayLost() override;
    bool PartFull() override;
    HRESULT StartNextPart(unsigned firstIndex) override;

    // Waits for every frame handed over to be written: the first write that failed (S_OK
    // when none did), and what reached the file. After it the part is this thread's again.
    struct Finished {
        HRESULT failure;
        unsigned framesWritten;
        unsigned lastWrittenIndex;
    };
    Finished FinishWrites();

    double GrabSeconds() const { return m_grabSeconds; }
    unsigned UnreadGrabs() const { return m_grabber.FailedGrabs(); }
    double WriteSeconds() const { return m_writer.SinkSeconds(); }

private:
    unsigned long long SoundBytes() const { return m_sound ? m_sound->StoredBytes() : 0; }

    std::unique_ptr<RecordingAvi>& m_avi;
    korvane::SoundCapture* m_sound;
    int m_framesPerSecond;
    int m_left, m_top, m_width, m_height;
    ScreenGrabber m_grabber;
    DisplayWatch m_display;
    PackedFrame m_frame;
    double m_grabSeconds = 0;
    unsigned m_partStartIndex = 0;
    unsigned long long m_partCeiling;
    unsigned long long m_soundAtPartStart = 0;
    std::string m_scratchFolder;
    unsigned m_lastSpaceCheck = 0;
    bool m_spaceChecked = false;
    // Last, so that it drains and ends before anything it writes to goes.
    korvane::FrameWriter m_writer;
};

// The free bytes on the drive of `folder`; all ones when that cannot be learnt, so that
// an unknown drive never stops a recording.
unsigned long long FreeBytesFor(const std::string& folder);
