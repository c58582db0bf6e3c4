// The capture loop's real world.
#include "screen_capture_io.h"

#include "app/environment_setting.h"
#include "app/main_title.h"
#include "app/recording_clock.h"
#include "app/recording_limits.h"
#include "app/recording_report.h"
#include "app/recording_settings.h"
#include "app/registered_messages.h"
#include "app/recording_state.h"
#include "app/scratch_paths.h"
#include "border_seam.h"
#include "frame_grabber.h"
#include "recording_part.h"
#include "recording_stats.h"

#include <mmsystem.h>

namespace korvane {

template <>
FrameWatch*& FrameWatchInUse::Slot()
{
    static FrameWatch quiet;
    static FrameWatch* inUse = &quiet;
    return inUse;
}

double StatsClockSeconds()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

}  // namespace korvane

namespace {
// The free space is asked for at most this often: the call goes to the file system.
const unsigned kSpaceCheckMs = 1000;
// Frames waiting for the writer: enough to ride out one slow compression, few enough that
// a 1920x1080 recording holds only a few frames' memory.
const size_t kFramesInFlight = 2;
}  // namespace

unsigned long long FreeBytesFor(const std::string& folder)
{
    ULARGE_INTEGER available = {};
    if (!GetDiskFreeSpaceExA((folder + "\\").c_str(), &available, nullptr, nullptr))
        return ~0ull;
    return available.QuadPart;
}

ScreenCaptureIo::ScreenCaptureIo(std::unique_ptr<RecordingAvi>& avi, korvane::SoundCapture* sound,
                                 int framesPerSecond, int left, int top, int width, int height)
    : m_avi(avi),
      m_sound(sound),
      m_framesPerSecond(framesPerSecond),
      m_left(left),
      m_top(top),
      m_width(width),
      m_height(height),
      m_grabber(width, height, left, top),
      m_display(left, top, width, height),
      m_partCeiling(korvane::PartCeilingFrom(EnvironmentSetting("KORVANE_PART_BYTES").c_str())),
      m_scratchFolder(GetScratchFolder()),
      m_writer(
          [this](unsigned position, const PackedFrame& frame) {
              // Positions restart at 0 in each part.
              const HRESULT hr = m_avi->Write(position - m_partStartIndex, frame);
              if (SUCCEEDED(hr))
                  korvane::FrameWatchInUse::Current().FrameWritten();
              return hr;
          },
          kFramesInFlight)
{
}

unsigned ScreenCaptureIo::Now() { return RecordingClockMs(); }

void ScreenCaptureIo::Sleep(unsigned ms) { ::Sleep(ms); }

int ScreenCaptureIo::RecordingFlag() { return isRecording.load(); }

bool ScreenCaptureIo::Paused() { return isPaused.load() != 0; }

bool ScreenCaptureIo::DisplayLost()
{
    int left = m_left, top = m_top;
    switch (m_display.Check(left, top)) {
    case DisplayWatch::Change::None: return false;
    case DisplayWatch::Change::Lost: return true;
    case DisplayWatch::Change::Moved: break;
    }
    m_left = left;
    m_top = top;
    m_grabber.MoveTo(left, top);
    FitBorder(left, top, m_width, m_height);
    return false;
}

bool ScreenCaptureIo::Grab()
{
    const double start = korvane::StatsClockSeconds();
    m_frame = m_grabber.Grab(false, m_writer.TakeSpare());
    m_grabSeconds += korvane::StatsClockSeconds() - start;
    return static_cast<bool>(m_frame);
}

HRESULT ScreenCaptureIo::Write(unsigned index)
{
    // A failure shows at the next frame handed over, one or two frames late: the loop
    // stops there, and FinishWrites tells what reached the file.
    return m_writer.Queue(index + m_partStartIndex, std::move(m_frame));
}

ScreenCaptureIo::Finished ScreenCaptureIo::FinishWrites()
{
    const HRESULT failure = m_writer.Drain();
    return Finished{failure, m_writer.Written(), m_writer.LastPosition()};
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

bool ScreenCaptureIo::SpaceLow()
{
    const unsigned now = timeGetTime();
    if (m_spaceChecked && now - m_lastSpaceCheck < kSpaceCheckMs)
        return false;
    m_spaceChecked = true;
    m_lastSpaceCheck = now;
    // The same once-a-second look notices a sound device that has gone.
    if (m_sound)
        m_sound->WatchFlow();
    return korvane::SpaceIsLow(FreeBytesFor(m_scratchFolder), m_avi->Bytes(), SoundBytes());
}

bool ScreenCaptureIo::PartFull()
{
    // The merge puts the part's sound into the same file, so it counts too. The ceiling
    // leaves more room than any one frame takes for the frame that crosses it.
    const unsigned long long sound = SoundBytes() - m_soundAtPartStart;
    return m_avi->Bytes() + sound > m_partCeiling;
}

HRESULT ScreenCaptureIo::StartNextPart(unsigned firstIndex)
{
    // The part must not change under the writer.
    const HRESULT pending = m_writer.Drain();
    if (pending != S_OK)
        return pending;
    korvane::RecordingPart part;
    part.firstIndex = firstIndex;
    const int number = static_cast<int>(recordingReport.parts.size()) + 1;
    part.aviPath = ReserveScratchFile("\\~temp part" + std::to_string(number) + ".avi", ".avi");
    if (part.aviPath.empty())
        return AVIERR_FILEOPEN;
    if (!recordingReport.parts.empty() && !recordingReport.parts.front().mergedPath.empty())
        part.mergedPath = ReserveScratchFile(
            "\\tempaudiovideomerge part" + std::to_string(number) + ".avi", ".avi");
    // The new file is opened before the full one is finished, so a failure leaves the
    // recording as it was: complete up to here, in the parts it has.
    std::unique_ptr<RecordingAvi> next(new RecordingAvi);
    const HRESULT hr = next->Open(part.aviPath, m_frame, m_framesPerSecond, m_avi->InputBits());
    if (hr != 0) {
        next.reset();
        DeleteFileA(part.aviPath.c_str());
        if (!part.mergedPath.empty())
            DeleteFileA(part.mergedPath.c_str());
        return hr;
    }
    // Described before the full part is finished, so a death in between loses neither.
    if (!recordingReport.parts.empty())
        DescribeNextRecordingPart(recordingReport.parts.front().aviPath, part);
    m_avi.swap(next);
    next.reset();  // the full part is complete on disk from here
    m_soundAtPartStart = SoundBytes();
    m_partStartIndex = firstIndex;
    recordingReport.parts.push_back(part);
    return 0;
}
