// The recording thread: set-up, the capture loop, clean-up and the report. Every path
// past the version check ends in exactly one report to mainWindow. Recording thread.
#include "recording_thread.h"

#include "app/recording_settings.h"
#include "app/registered_messages.h"
#include "audio/wave_in_capture.h"
#include "border_seam.h"
#include "capture_loop.h"
#include "compressor_check.h"
#include "exception_barrier.h"
#include "frame_grabber.h"
#include "recording_avi.h"
#include "recording_outcome.h"
#include "recording_part.h"
#include "app/recording_state.h"
#include "recording_stats.h"
#include "app/scratch_paths.h"
#include "screen_capture_io.h"
#include "recovery/recording_journal.h"

#include <mmsystem.h>
#include <vfw.h>

namespace {

// Hides the border and closes the audio on every way out of the recording.
struct BorderAndAudioCleanUp {
    bool audio = false;
    ~BorderAndAudioCleanUp()
    {
        HideBorder();
        if (audio)
            CloseWaveInput();
    }
};

// Set-up and loop; returns the HRESULT that decides the report. The AVI file is
// finished (released) before this returns, so the report always follows a complete file.
HRESULT Record(int top, int left, int width, int height, int framesPerSecond,
               const std::string& aviPath)
{
    korvane::lastRecordingStats = korvane::RecordingStats();
    PackedFrame testFrame(GrabRegionFrame(width, height, left, top, true));
    if (!testFrame)
        return AVIERR_MEMORY;
    if (!CheckCompressorForSize(left, top, width, height, testFrame))
        return AVIERR_MEMORY;

    // Destroyed in reverse: border hidden and audio closed first, then the file.
    RecordingAvi avi;
    BorderAndAudioCleanUp cleanUp;
    FitBorder(left, top, width, height);
    ShowBorder();

    HRESULT result = avi.Open(aviPath, testFrame, framesPerSecond);
    testFrame.Reset();
    if (result != 0)
        return result;

    const unsigned startTime = timeGetTime();
    if (settings.recordAudio) {
        cleanUp.audio = true;
        // A recording without working audio goes on as video only.
        PrepareAudioCapture();
        AlignCaptureWithVideoClock(startTime);
        OpenWaveInput();
    }
    DescribeRecordingPart(avi, aviPath, 1);
    ScreenCaptureIo io(avi, left, top, width, height);
    const double loopStart = korvane::StatsClockSeconds();
    const korvane::CaptureLoopResult loop =
        korvane::RunCaptureLoop(io, settings.frameIntervalMs, startTime);
    korvane::RecordingStats& stats = korvane::lastRecordingStats;
    stats.loopSeconds = korvane::StatsClockSeconds() - loopStart;
    stats.grabs = loop.grabs;
    stats.framesWritten = loop.framesWritten;
    stats.lastWrittenIndex = loop.lastWrittenIndex;
    stats.grabSeconds = io.GrabSeconds();
    stats.writeSeconds = io.WriteSeconds();
    return loop.result;
}

}  // namespace

unsigned RecordingThreadMain(void*)
{
    const RECT area = captureRect;
    const int width = area.right - area.left + 1;
    const int height = area.bottom - area.top + 1;
    const int framesPerSecond = settings.framesPerSecond;
    bool named = false;
    try {
        named = ChooseTempAviPath();
        // Without a merge name of its own the finish saves video and sound apart, as
        // after a merge that could not write.
        mergedAviPath.clear();
        if (named && settings.recordAudio)
            ChooseMergedAviPath();
    } catch (...) {
        // Out of memory for a path: handled as no name at all.
        korvane::LogCaughtException("the recording thread (naming)");
    }
    try {
        if (!named) {
            // No name could be made in the scratch folder: a failed recording.
            ReportRecordingEnd(AVIERR_FILEOPEN);
            return 0;
        }
        RunRecording(area.top, area.left, width, height, framesPerSecond, tempAviPath);
    } catch (...) {
        // Nothing may leave the thread, and it shows no boxes: the UI hears of the end
        // through the posted report.
        korvane::LogCaughtException("the recording thread");
    }
    return 0;
}

int RunRecording(int top, int left, int width, int height, int framesPerSecond,
                 const std::string& aviPath)
{
    if (HIWORD(VideoForWindowsVersion()) < 0x010A)
        return 0;
    HRESULT result = AVIERR_ERROR;
    try {
        result = Record(top, left, width, height, framesPerSecond, aviPath);
    } catch (...) {
        // Nothing may leave the thread; a failure of our own is a failed recording.
        korvane::LogCaughtException("the recording");
    }
    korvane::EndRecordingPart(aviPath);
    ReportRecordingEnd(result);
    return 0;
}
