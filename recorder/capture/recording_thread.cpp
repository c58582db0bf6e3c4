// The recording thread: set-up, the capture loop, clean-up and the report. Every path
// past the version check ends in exactly one report to mainWindow. Recording thread.
#include "recording_thread.h"

#include "app/recording_clock.h"
#include "app/recording_limits.h"
#include "app/recording_report.h"
#include "app/recording_settings.h"
#include "app/registered_messages.h"
#include "audio/wave_in_capture.h"
#include "border_seam.h"
#include "capture_loop.h"
#include "compressor_check.h"
#include "exception_barrier.h"
#include "kernel_owners.h"
#include "frame_grabber.h"
#include "recording_avi.h"
#include "recording_outcome.h"
#include "recording_part.h"
#include "app/recording_state.h"
#include "recording_stats.h"
#include "scratch_reserve.h"
#include "app/scratch_paths.h"
#include "screen_capture_io.h"
#include "recovery/recording_journal.h"

#include <mmsystem.h>
#include <vfw.h>

#include <algorithm>
#include <memory>
#include <vector>

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

// While the recording runs nobody may touch the machine: it must neither sleep nor turn
// off the screen being recorded. Per thread, so it ends with the recording thread at the
// latest.
struct StayAwake {
    StayAwake()
    {
        SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
    }
    ~StayAwake() { SetThreadExecutionState(ES_CONTINUOUS); }
    StayAwake(const StayAwake&) = delete;
    StayAwake& operator=(const StayAwake&) = delete;
};

// Where a set-up or a first frame failed: only a compressor's failure is worth the
// question about the default compressor.
struct SetUpFault {
    bool compressor = false;
};

// How long the video lasts whose last frame is at `lastIndex`.
unsigned VideoLengthMs(unsigned lastIndex, int framesPerSecond)
{
    return static_cast<unsigned>((static_cast<unsigned long long>(lastIndex) + 1) * 1000 /
                                 static_cast<unsigned>(framesPerSecond > 0 ? framesPerSecond : 1));
}

// What the benches read of the loop just ended.
void NoteLoopStats(const korvane::CaptureLoopResult& loop, const ScreenCaptureIo& io,
                   double loopStart)
{
    korvane::RecordingStats& stats = recordingReport.stats;
    stats.loopSeconds = korvane::StatsClockSeconds() - loopStart;
    stats.grabs = loop.grabs;
    stats.framesWritten = loop.framesWritten;
    stats.lastWrittenIndex = loop.lastWrittenIndex;
    stats.grabSeconds = io.GrabSeconds();
    stats.writeSeconds = io.WriteSeconds();
}

// Set-up and loop; returns the HRESULT that decides the report and fills the report's
// cause and frame count. The AVI file is finished (released) before this returns, so the
// report always follows a complete file.
HRESULT Record(int top, int left, int width, int height, int framesPerSecond,
               const std::string& aviPath, SetUpFault& fault)
{
    recordingReport.stats = korvane::RecordingStats();
    // A drive that is already too full would fail the first frames or the merge.
    if (korvane::SpaceIsLow(FreeBytesFor(GetScratchFolder()), 0, 0)) {
        recordingReport.cause = korvane::StopCause::DiskLow;
        return AVIERR_FILEWRITE;
    }
    PackedFrame testFrame(GrabRegionFrame(width, height, left, top, true));
    int inputBits = 0;
    if (!testFrame || !CheckCompressorForSize(left, top, width, height, testFrame, &inputBits)) {
        recordingReport.cause = korvane::StopCause::FrameMemory;
        return AVIERR_MEMORY;
    }

    // Destroyed in reverse: border hidden and audio closed first, then the file.
    std::unique_ptr<RecordingAvi> avi(new RecordingAvi);
    BorderAndAudioCleanUp cleanUp;
    // Freed first of all, so that the file being finished has room for its index.
    ScratchReserve reserve;
    FitBorder(left, top, width, height);
    ShowBorder();

    HRESULT result = avi->Open(aviPath, testFrame, framesPerSecond, inputBits);
    testFrame.Reset();
    if (result != 0) {
        // Past the file's creation, what failed is the compressor's stream or format.
        fault.compressor = avi->FileCreated();
        recordingReport.cause = korvane::StopCause::WriteFailed;
        return result;
    }

    const StayAwake awake;
    const unsigned startTime = RecordingClockMs();
    korvane::SoundCapture* sound = nullptr;
    if (settings.recordAudio) {
        cleanUp.audio = true;
        sound = &korvane::SoundCapture::Instance();
        // A recording without working audio goes on as video only; the capture has told
        // the main window why.
        PrepareAudioCapture();
        AlignCaptureWithVideoClock(startTime);
        OpenWaveInput();
    }
    DescribeRecordingPart(*avi, sound, aviPath, reserve.Path());
    ScreenCaptureIo io(avi, sound, framesPerSecond, left, top, width, height);
    const double loopStart = korvane::StatsClockSeconds();
    korvane::CaptureLoopResult loop = korvane::RunCaptureLoop(
        io, korvane::FramePace{settings.frameIntervalMs, framesPerSecond}, startTime);
    // The loop counted frames as handed to the writer; the file has what the writer wrote.
    const ScreenCaptureIo::Finished writes = io.FinishWrites();
    if (writes.failure != S_OK && loop.result == korvane::kResultOk) {
        loop.result = writes.failure;
        loop.cause = korvane::StopCause::WriteFailed;
    }
    loop.framesWritten = writes.framesWritten;
    if (writes.framesWritten > 0)
        loop.lastWrittenIndex = writes.lastWrittenIndex;
    NoteLoopStats(loop, io, loopStart);
    recordingReport.cause = loop.cause;
    recordingReport.framesWritten = loop.framesWritten;
    recordingReport.unreadGrabs = io.UnreadGrabs();
    // A first frame the compressor would not take, on a drive with room, is its failure.
    fault.compressor = loop.framesWritten == 0 && loop.cause == korvane::StopCause::WriteFailed &&
                       !korvane::SpaceIsLow(FreeBytesFor(GetScratchFolder()), 0, 0);
    if (cleanUp.audio && loop.framesWritten > 0)
        FillLostSound(VideoLengthMs(loop.lastWrittenIndex, framesPerSecond));
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
        recordingReport = korvane::RecordingReport();
        audioTrouble = 0;
        named = ChooseTempAviPath();
        // Without a merge name of its own the finish saves video and sound apart, as
        // after a merge that could not write.
        mergedAviPath.clear();
        // The sound is named when its capture starts; until then the name may still be
        // that of a sound a failed save kept, which the clean-up of a failed start would
        // delete.
        tempWavPath.clear();
        if (named && settings.recordAudio)
            ChooseMergedAviPath();
        if (named)
            recordingReport.parts.push_back(korvane::RecordingPart{tempAviPath, mergedAviPath, 0});
    } catch (...) {
        // Out of memory for a path: handled as no name at all.
        korvane::LogCaughtException("the recording thread (naming)");
    }
    try {
        if (!named) {
            // No name could be made in the scratch folder: a failed recording.
            recordingReport.cause = korvane::StopCause::WriteFailed;
            ReportRecordingEnd(AVIERR_FILEOPEN, false);
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

namespace {

// The recording threads started and not yet seen to end: normally one, but a thread that
// has posted its report may still be winding down when the next recording starts. UI
// thread only.
std::vector<korvane::KernelHandle> startedThreads;

DWORD WINAPI RecordingThreadEntry(void*)
{
    korvane::GuardThreadEntry("the recording thread", [] { RecordingThreadMain(nullptr); });
    return 0;
}

bool HasEnded(const korvane::KernelHandle& thread)
{
    return WaitForSingleObject(thread.Get(), 0) == WAIT_OBJECT_0;
}

}  // namespace

bool StartRecordingThread()
{
    startedThreads.erase(std::remove_if(startedThreads.begin(), startedThreads.end(), HasEnded),
                         startedThreads.end());
    korvane::KernelHandle thread(
        CreateThread(nullptr, 0, RecordingThreadEntry, nullptr, 0, nullptr));
    if (!thread)
        return false;
    try {
        startedThreads.push_back(std::move(thread));
    } catch (...) {
        // Out of memory for the list: the thread runs on, only unawaited.
        korvane::LogCaughtException("starting the recording thread");
    }
    return true;
}

bool WaitForRecordingThread(unsigned timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        startedThreads.erase(std::remove_if(startedThreads.begin(), startedThreads.end(), HasEnded),
                             startedThreads.end());
        if (startedThreads.empty())
            return true;
        const DWORD waited = GetTickCount() - start;
        if (waited >= timeoutMs)
            return false;
        // Messages the recording thread sends to our windows are handled while waiting;
        // posted ones stay queued.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        const HANDLE first = startedThreads.front().Get();
        MsgWaitForMultipleObjects(1, &first, FALSE, timeoutMs - waited, QS_SENDMESSAGE);
    }
}

int RunRecording(int top, int left, int width, int height, int framesPerSecond,
                 const std::string& aviPath)
{
    if (HIWORD(VideoForWindowsVersion()) < 0x010A)
        return 0;
    recordingReport.cause = korvane::StopCause::User;
    recordingReport.result = 0;
    recordingReport.framesWritten = 0;
    recordingReport.unreadGrabs = 0;
    HRESULT result = AVIERR_ERROR;
    SetUpFault fault;
    try {
        result = Record(top, left, width, height, framesPerSecond, aviPath, fault);
    } catch (...) {
        // Nothing may leave the thread; a failure of our own is a failed recording, which
        // keeps what it wrote.
        korvane::LogCaughtException("the recording");
        recordingReport.cause = korvane::StopCause::WriteFailed;
    }
    korvane::EndRecordingPart(aviPath);
    recordingReport.result = result;
    ReportRecordingEnd(result, fault.compressor);
    return 0;
}
