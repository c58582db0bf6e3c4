// Wave-in capture against the bench's PulseAudio device: buffers written whole and in
// order, pause, the stop, a close while buffers are still being written (as after a
// failed video write), and an uncreatable WAV file. A hidden window stands in for the
// main window and hands MM_WIM_DATA to the capture, as the main window does.
#include "app/recording_clock.h"
#include "app/recording_settings.h"
#include "audio/audio_state.h"
#include "audio/pcm_format.h"
#include "audio/sound_capture.h"
#include "audio/sound_file.h"
#include "audio/wave_in_capture.h"
#include "audio_stand_in.h"
#include "app/recording_state.h"
#include "message_pump.h"

#include <gtest/gtest.h>

#include <functional>
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

// Buffers queued for the tests' 88200-byte-a-second format.
const long kQueued = 23;

using FileState = korvane::SoundCapture::FileState;
FileState SoundFile() { return korvane::SoundCapture::Instance().File(); }
long Queued() { return korvane::SoundCapture::Instance().QueuedBuffers(); }

TEST(CaptureFormat, FromTheSettingsAndBufferSizes)
{
    const WAVEFORMATEX d = korvane::BuildPcmRecordingFormat(16, 2, 22050);
    EXPECT_EQ(d.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(d.nBlockAlign, 4);
    EXPECT_EQ(d.nAvgBytesPerSec, 88200u);
    EXPECT_EQ(d.cbSize, 0);
    EXPECT_EQ(korvane::CaptureBufferBytes(d, 1000), 4000u);
    EXPECT_EQ(korvane::CaptureBufferBytes(korvane::BuildPcmRecordingFormat(8, 1, 11025), 1000),
              1000u);
    const WAVEFORMATEX cd = korvane::BuildPcmRecordingFormat(16, 2, 44100);
    EXPECT_EQ(cd.nAvgBytesPerSec, 176400u);
    EXPECT_EQ(korvane::CaptureBufferBytes(cd, 1000), 4000u);
    // A second of sound queued: 45 ms, 91 ms and 23 ms buffers; never fewer than three.
    EXPECT_EQ(korvane::CaptureBufferCount(d, 4000), 23);
    EXPECT_EQ(korvane::CaptureBufferCount(korvane::BuildPcmRecordingFormat(8, 1, 11025), 1000), 12);
    EXPECT_EQ(korvane::CaptureBufferCount(cd, 4000), 45);
    EXPECT_EQ(korvane::CaptureBufferCount(d, 88200), 3);

    settings = RecordingSettings();
    const WAVEFORMATEX fromSettings = BuildPcmRecordingFormat();
    EXPECT_EQ(fromSettings.nSamplesPerSec, 22050u);
    EXPECT_EQ(fromSettings.nChannels, 2);
}

TEST(CaptureFormat, OnlyRecordedBytesAreStored)
{
    EXPECT_EQ(korvane::RecordedBytes(4000, 4000), 4000u);
    EXPECT_EQ(korvane::RecordedBytes(1200, 4000), 1200u);
    EXPECT_EQ(korvane::RecordedBytes(0, 4000), 0u);
    EXPECT_EQ(korvane::RecordedBytes(9000, 4000), 4000u);  // a bad report cannot overrun
    CBuffer empty(nullptr, 4000);
    EXPECT_EQ(empty.m_byteCount, 0u);
    EXPECT_FALSE(empty.m_ownsData);
}

// The stand-in main window.
class WaveWindow {
public:
    WaveWindow()
    {
        m_hwnd = testpump::CreateHiddenWindow("WaveInTestWindow", "", Proc);
        mainWindow = m_hwnd;
    }
    ~WaveWindow()
    {
        mainWindow = nullptr;
        DestroyWindow(m_hwnd);
    }
    static int notifications;
    static void PumpFor(DWORD ms) { testpump::PumpFor(ms); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == MM_WIM_DATA) {
            ++notifications;
            return OnWaveInData(wp, lp);
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    HWND m_hwnd;
};
int WaveWindow::notifications = 0;

std::vector<unsigned char> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}
uint32_t U32(const std::vector<unsigned char>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

using Messages = AudioStandIn;

class WaveInCapture : public testing::Test {
protected:
    void SetUp() override
    {
        if (waveInGetNumDevs() == 0)
            GTEST_SKIP() << "no wave-in device on this bench";
        settings = RecordingSettings();
        isRecording = 1;
        isPaused = 0;
        WaveWindow::notifications = 0;
    }
    void TearDown() override
    {
        isRecording = 0;
        isPaused = 0;
        if (!path.empty())
            DeleteFileA(path.c_str());
    }
    // Closes the capture on another thread, as the recording thread does, while this
    // thread goes on handling notifications.
    void CloseFromWorker()
    {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            CloseWaveInput();
            done = true;
        });
        while (!done)
            WaveWindow::PumpFor(10);
        worker.join();
        WaveWindow::PumpFor(200);
    }
    // The first buffer can take close to two seconds on Wine's PulseAudio driver.
    static bool WaitForFirstBuffer()
    {
        const DWORD start = GetTickCount();
        while (WaveWindow::notifications == 0 && GetTickCount() - start < 5000)
            WaveWindow::PumpFor(10);
        return WaveWindow::notifications > 0;
    }
    // The finished file: whole 4000-byte buffers, sizes that agree with its length.
    uint32_t CheckFinished()
    {
        const std::vector<unsigned char> b = ReadAll(path);
        EXPECT_GE(b.size(), 46u);
        if (b.size() < 46)
            return 0;
        const uint32_t data = U32(b, 42);
        EXPECT_EQ(b.size(), 46u + data);
        EXPECT_EQ(U32(b, 4), 38u + data);
        EXPECT_EQ(data % 4000, 0u);
        return data;
    }
    WaveWindow window;
    std::string path;
};

TEST_F(WaveInCapture, RecordsWholeBuffersAndFreesThemAtTheStop)
{
    ASSERT_EQ(PrepareAudioCapture(), 1);
    path = tempWavPath;
    ASSERT_EQ(SoundFile(), FileState::Writing);
    ASSERT_TRUE(OpenWaveInput());
    EXPECT_EQ(Queued(), kQueued);
    ASSERT_TRUE(WaitForFirstBuffer());
    WaveWindow::PumpFor(1500);
    EXPECT_EQ(Queued(), kQueued);  // every returned buffer went back to the device
    isRecording = 0;
    CloseFromWorker();
    EXPECT_EQ(Queued(), 0);
    EXPECT_EQ(korvane::LiveCaptureBuffers(), 0u);
    EXPECT_EQ(SoundFile(), FileState::None);
    const uint32_t data = CheckFinished();
    // About 1.5 s of 88200 bytes a second arrived as whole buffers.
    EXPECT_GE(data, 22u * 4000);
    EXPECT_LE(data, 40u * 4000);
}

// The file starts when the video clock did: silence fills the time before the device's
// first buffer, so the file is as long as the clock ran, not as the device delivered.
TEST_F(WaveInCapture, AlignedCaptureIsAsLongAsTheVideoClockRan)
{
    PrepareAudioCapture();
    path = tempWavPath;
    const unsigned opened = RecordingClockMs();
    AlignCaptureWithVideoClock(opened - 2000);  // the video clock started 2 s earlier
    ASSERT_TRUE(OpenWaveInput());
    ASSERT_TRUE(WaitForFirstBuffer());
    WaveWindow::PumpFor(300);
    const unsigned ran = RecordingClockMs() - opened;
    isRecording = 0;
    CloseFromWorker();
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GE(b.size(), 46u);
    const uint32_t data = U32(b, 42);
    EXPECT_EQ(data % 4, 0u);
    EXPECT_GE(data, 2000u * 88200 / 1000);
    EXPECT_LE(data, (2000u + ran) * 88200 / 1000 + 3 * 4000);
}

// A UI thread held up for longer than the queued buffers last, as on a busy machine: the
// device throws away what it could not hand over, and the file must still be as long as
// the video clock ran, or all sound after it plays early in the movie.
TEST_F(WaveInCapture, SoundKeepsToTheVideoClockWhenTheBuffersComeBackLate)
{
    PrepareAudioCapture();
    path = tempWavPath;
    const unsigned origin = RecordingClockMs();
    AlignCaptureWithVideoClock(origin);
    ASSERT_TRUE(OpenWaveInput());
    ASSERT_TRUE(WaitForFirstBuffer());
    WaveWindow::PumpFor(500);
    Sleep(2500);                // no notification handled meanwhile
    WaveWindow::PumpFor(3000);  // a whole correction window after it
    const unsigned ranMs = RecordingClockMs() - origin;
    isRecording = 0;
    CloseFromWorker();
    const std::vector<unsigned char> b = ReadAll(path);
    ASSERT_GE(b.size(), 46u);
    const double soundMs = U32(b, 42) / 88.2;
    // Short by what the device still held at the stop, never by the stall.
    EXPECT_GT(soundMs, ranMs - 200.0);
    EXPECT_LT(soundMs, ranMs + 50.0);
}

TEST_F(WaveInCapture, PausedBuffersCirculateUnwritten)
{
    PrepareAudioCapture();
    path = tempWavPath;
    isPaused = 1;
    ASSERT_TRUE(OpenWaveInput());
    ASSERT_TRUE(WaitForFirstBuffer());
    WaveWindow::PumpFor(800);
    EXPECT_GT(WaveWindow::notifications, 5);
    EXPECT_EQ(Queued(), kQueued);
    isPaused = 0;
    WaveWindow::PumpFor(500);
    isRecording = 0;
    CloseFromWorker();
    const uint32_t data = CheckFinished();
    EXPECT_GT(data, 0u);
    EXPECT_LE(data, 20u * 4000);  // only the half second after the pause
}

// As after a failed video write: the capture is closed while isRecording is still set,
// so buffers keep coming back to this thread during the close.
// Under load the UI thread can be busy when the recording stops: the buffers the device
// handed back meanwhile wait in its queue past the reset, and are still sound to keep.
TEST_F(WaveInCapture, BuffersNotYetTakenAtTheStopAreKept)
{
    PrepareAudioCapture();
    path = tempWavPath;
    ASSERT_TRUE(OpenWaveInput());
    ASSERT_TRUE(WaitForFirstBuffer());
    WaveWindow::PumpFor(500);
    const unsigned long long before = korvane::StoredSoundBytes();
    Sleep(700);  // the device goes on filling buffers that nobody takes
    isRecording = 0;
    std::thread([] { CloseWaveInput(); }).join();
    WaveWindow::PumpFor(200);
    const uint32_t data = CheckFinished();
    // About 0.7 s of 88200 bytes a second came back while nobody pumped.
    EXPECT_GE(data - before, 10u * 4000) << before << " bytes before, " << data << " in all";
}

TEST_F(WaveInCapture, ClosingWhileStillRecordingFinishesTheFile)
{
    for (int round = 0; round < 3; ++round) {
        WaveWindow::notifications = 0;
        PrepareAudioCapture();
        path = tempWavPath;
        ASSERT_TRUE(OpenWaveInput());
        ASSERT_TRUE(WaitForFirstBuffer());
        WaveWindow::PumpFor(100);
        CloseFromWorker();
        EXPECT_EQ(Queued(), 0);
        EXPECT_EQ(korvane::LiveCaptureBuffers(), 0u);
        EXPECT_EQ(SoundFile(), FileState::None);
        CheckFinished();
        DeleteFileA(path.c_str());
    }
}

// A device lost early leaves hours of silence to add at the end; the file must still stay
// within the ceiling its offsets allow, and end whole.
TEST_F(WaveInCapture, SilenceAtTheEndStaysWithinTheSoundCeiling)
{
    PrepareAudioCapture();
    path = tempWavPath;
    korvane::SoundCapture& capture = korvane::SoundCapture::Instance();
    capture.Prepare(captureFormat, path, 400000);
    EXPECT_FALSE(capture.Full());
    capture.FillTo(60 * 60 * 1000);
    EXPECT_TRUE(capture.Full());
    EXPECT_LE(capture.StoredBytes(), 400000u);
    EXPECT_GT(capture.StoredBytes(), 400000u - captureFormat.nAvgBytesPerSec);
    CloseWaveInput();
    const std::vector<unsigned char> b = ReadAll(path);
    ASSERT_GE(b.size(), 46u);
    EXPECT_EQ(U32(b, 42), capture.StoredBytes());
    EXPECT_EQ(b.size(), 46u + U32(b, 42));
}

TEST_F(WaveInCapture, UncreatableFileIsToldOnceAndShutsTheDeviceAtTheFirstBuffer)
{
    Messages messages;
    messages.choosePath = [] {
        tempWavPath = "C:\\no such folder\\korvane\\x.wav";
        return true;
    };
    PrepareAudioCapture();
    messages.choosePath = nullptr;
    // Told to the main window, not in a box on the recording thread.
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(messages.troubles,
              std::vector<korvane::AudioTrouble>{korvane::AudioTrouble::FileNotCreated});
    EXPECT_EQ(SoundFile(), FileState::Failed);
    ASSERT_TRUE(OpenWaveInput());
    ASSERT_TRUE(WaitForFirstBuffer());
    WaveWindow::PumpFor(100);
    // The first buffer shut the capture down; the other two were reclaimed with it.
    EXPECT_EQ(SoundFile(), FileState::None);
    EXPECT_EQ(Queued(), 0);
    EXPECT_EQ(korvane::LiveCaptureBuffers(), 0u);
    const int seen = WaveWindow::notifications;
    WaveWindow::PumpFor(300);
    EXPECT_EQ(WaveWindow::notifications, seen);  // the device is closed
    isRecording = 0;
    CloseWaveInput();  // finds nothing left to do
    EXPECT_EQ(messages.troubles.size(), 1u);
}

}  // namespace
