// Wave-in capture. Every capture buffer is owned by `liveHeaders` (or, while one is
// being handled, by OnWaveInData), so a buffer is freed exactly once whichever way the
// capture ends; a notification for a buffer that is no longer owned is ignored.
#include "wave_in_capture.h"

#include "app/recording_clock.h"
#include "app/recording_report.h"
#include "app/recording_settings.h"
#include "app/registered_messages.h"
#include "audio_state.h"
#include "app/recording_state.h"
#include "app/scratch_paths.h"
#include "lead_in.h"
#include "pcm_format.h"
#include "sound_clock.h"
#include "sound_file.h"
#include "wave_format_win.h"

#include <mmsystem.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace korvane {
std::function<void(const char*, const char*, UINT)> showAudioMessage =
    [](const char* text, const char* caption, UINT flags) {
        MessageBoxA(nullptr, text, caption, flags);
    };
std::function<void(AudioTrouble)> noteAudioTrouble = [](AudioTrouble trouble) {
    int none = 0;
    if (audioTrouble.compare_exchange_strong(none, static_cast<int>(trouble)) && mainWindow)
        PostMessageA(mainWindow, AudioTroubleNotice, static_cast<WPARAM>(trouble), 0);
};
std::function<bool()> chooseTempWavPath = [] { return ChooseTempWavPath(); };
}  // namespace korvane

namespace {

const DWORD kResetSettleMs = 500;
// A device that hands back no buffer for this long is taken as gone.
const DWORD kLostDeviceMs = 3000;

std::atomic<unsigned long long> storedBytes{0};
std::atomic<DWORD> lastBufferTick{0};

// A wave header and its data block, freed together (data first).
struct HeaderDeleter {
    void operator()(WAVEHDR* hdr) const
    {
        delete[] hdr->lpData;
        delete hdr;
    }
};
using CaptureHeader = std::unique_ptr<WAVEHDR, HeaderDeleter>;

// Recursive: OnWaveInData holds it while StoreCaptureBuffer takes it again.
std::recursive_mutex captureLock;
std::vector<CaptureHeader> liveHeaders;
bool deviceOpen = false;
// Set when CloseWaveInput begins: returning buffers are freed, never written or queued.
// After a failed video write isRecording is still set at that point.
bool closing = false;
// The video clock's origin, until the first returned buffer has placed the sound on it.
bool leadInPending = false;
unsigned videoClockOrigin = 0;
// Keeps the sound as long as the video clock ran, once the capture is tied to it.
korvane::SoundClock soundClock;

// A header taken out of liveHeaders while it is handled; freed (and uncounted) unless
// given back to the device.
class HandledHeader {
public:
    explicit HandledHeader(CaptureHeader hdr) : m_hdr(std::move(hdr)) {}
    ~HandledHeader()
    {
        if (m_hdr) {
            m_hdr.reset();
            --queuedBufferCount;
        }
    }
    HandledHeader(const HandledHeader&) = delete;
    HandledHeader& operator=(const HandledHeader&) = delete;
    WAVEHDR* Get() const { return m_hdr.get(); }
    void Requeued() { liveHeaders.push_back(std::move(m_hdr)); }

private:
    CaptureHeader m_hdr;
};

CaptureHeader TakeLive(WAVEHDR* hdr)
{
    auto it = std::find_if(liveHeaders.begin(), liveHeaders.end(),
                           [hdr](const CaptureHeader& h) { return h.get() == hdr; });
    if (it == liveHeaders.end())
        return nullptr;
    CaptureHeader taken = std::move(*it);
    liveHeaders.erase(it);
    return taken;
}

// After a successful reset every header is back from the device and may be freed,
// including those whose notifications are still on their way.
void ReclaimAllLocked()
{
    for (CaptureHeader& hdr : liveHeaders) {
        waveInUnprepareHeader(waveIn.Get(), hdr.get(), sizeof(WAVEHDR));
        --queuedBufferCount;
    }
    liveHeaders.clear();
}

bool Requeue(WAVEHDR* hdr)
{
    return waveInPrepareHeader(waveIn.Get(), hdr, sizeof(WAVEHDR)) == MMSYSERR_NOERROR &&
           waveInAddBuffer(waveIn.Get(), hdr, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

void DeleteSoundFileLocked() { soundFile.reset(); }

// Appends `bytes` of silence (whole sample frames), a second at a time so that a long
// stretch is no large allocation. False when the file took less.
bool StoreSilence(unsigned long long bytes)
{
    const unsigned block = captureFormat.nBlockAlign ? captureFormat.nBlockAlign : 1;
    const size_t second = captureFormat.nAvgBytesPerSec / block * block;
    if (second == 0)
        return false;
    std::vector<unsigned char> silence;
    try {
        silence.assign(static_cast<size_t>(std::min<unsigned long long>(bytes, second)),
                       korvane::SilenceByte(captureFormat.wBitsPerSample));
    } catch (...) {
        return false;  // the sound stays as it was, only shorter
    }
    while (bytes > 0) {
        const size_t chunk = static_cast<size_t>(std::min<unsigned long long>(bytes, second));
        const unsigned long long before = storedBytes.load();
        StoreCaptureBuffer(CBuffer(silence.data(), static_cast<DWORD>(chunk)));
        if (storedBytes.load() != before + chunk)
            return false;
        bytes -= chunk;
    }
    return true;
}

// Silence for the time between the video clock's start and the first captured sound.
// The device's own position says how much it has captured by now, which may already be
// more than the first buffer holds; the sound began that long before this moment.
void StoreLeadIn(DWORD firstBufferBytes)
{
    const unsigned now = RecordingClockMs();
    MMTIME position = {};
    position.wType = TIME_BYTES;
    DWORD captured = firstBufferBytes;
    if (waveInGetPosition(waveIn.Get(), &position, sizeof(position)) == MMSYSERR_NOERROR &&
        position.wType == TIME_BYTES && position.u.cb > captured)
        captured = position.u.cb;
    StoreSilence(korvane::LeadInBytes(korvane::ToWaveFormat(captureFormat), videoClockOrigin, now,
                                      captured));
}

// Writes a returned buffer with the correction that keeps the sound on the video clock.
void StoreOnClock(const CBuffer& buffer)
{
    const korvane::SoundCorrection fix =
        soundClock.OnBuffer(RecordingClockMs(), false, storedBytes.load(), buffer.m_byteCount);
    if (fix.silenceBytes > 0)
        StoreSilence(fix.silenceBytes);
    if (fix.skipBytes < buffer.m_byteCount)
        StoreCaptureBuffer(CBuffer(static_cast<char*>(buffer.m_data) + fix.skipBytes,
                                   buffer.m_byteCount - fix.skipBytes));
}

}  // namespace

void FlushCaptureFile()
{
    std::lock_guard<std::recursive_mutex> lock(captureLock);
    if (soundFile && soundFile->m_hmmio)
        mmioFlush(soundFile->m_hmmio, 0);
}

size_t korvane::LiveCaptureBuffers()
{
    std::lock_guard<std::recursive_mutex> lock(captureLock);
    return liveHeaders.size();
}

int PrepareAudioCapture()
{
    {
        std::lock_guard<std::recursive_mutex> lock(captureLock);
        captureFormat = BuildPcmRecordingFormat();
        queuedBufferCount = static_cast<long>(liveHeaders.size());
        waveIn.Reset();
        settings.audioBufferFrames = 1000;
        deviceOpen = false;
        closing = false;
        leadInPending = false;
        soundClock.Stop();
        storedBytes = 0;
        DeleteSoundFileLocked();
    }
    korvane::chooseTempWavPath();
    std::unique_ptr<CSoundFile> file(new (std::nothrow) CSoundFile(tempWavPath, &captureFormat));
    const bool opened = file && file->m_openMode != NotOpen;
    {
        std::lock_guard<std::recursive_mutex> lock(captureLock);
        soundFile = std::move(file);
    }
    // The failed object stays: the first returning buffer then shuts the capture down.
    if (!opened)
        korvane::noteAudioTrouble(korvane::AudioTrouble::FileNotCreated);
    return 1;
}

bool OpenWaveInput()
{
    {
        std::lock_guard<std::recursive_mutex> lock(captureLock);
        if (waveInOpen(waveIn.Receive(), settings.audioDeviceId, &captureFormat,
                       reinterpret_cast<DWORD_PTR>(mainWindow), 0,
                       CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
            waveIn.Discard();
            korvane::noteAudioTrouble(korvane::AudioTrouble::DeviceNotOpened);
            return false;
        }
        waveIn.NoteReceived();
        deviceOpen = true;
    }
    // Queued before the start, so no notification can come while they are counted.
    const int buffers = korvane::CaptureBufferCount(
        captureFormat, korvane::CaptureBufferBytes(captureFormat, settings.audioBufferFrames));
    for (int i = 0; i < buffers; ++i)
        QueueCaptureBuffer();
    lastBufferTick = GetTickCount();
    if (waveInStart(waveIn.Get()) == MMSYSERR_NOERROR)
        return true;
    korvane::noteAudioTrouble(korvane::AudioTrouble::DeviceNotOpened);
    return false;
}

void AlignCaptureWithVideoClock(unsigned originMs)
{
    std::lock_guard<std::recursive_mutex> lock(captureLock);
    videoClockOrigin = originMs;
    leadInPending = true;
    soundClock.Start(korvane::ToWaveFormat(captureFormat), originMs);
}

void QueueCaptureBuffer()
{
    std::lock_guard<std::recursive_mutex> lock(captureLock);
    CaptureHeader hdr(new (std::nothrow) WAVEHDR());
    if (!hdr)
        return;
    CBuffer data(korvane::CaptureBufferBytes(captureFormat, settings.audioBufferFrames));
    if (!data.m_data)
        return;
    hdr->lpData = static_cast<LPSTR>(data.m_data);
    hdr->dwBufferLength = data.m_byteCount;
    if (waveInPrepareHeader(waveIn.Get(), hdr.get(), sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
        return;
    if (waveInAddBuffer(waveIn.Get(), hdr.get(), sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        waveInUnprepareHeader(waveIn.Get(), hdr.get(), sizeof(WAVEHDR));
        return;
    }
    liveHeaders.push_back(std::move(hdr));
    ++queuedBufferCount;
}

LRESULT OnWaveInData(WPARAM, LPARAM header)
{
    std::lock_guard<std::recursive_mutex> lock(captureLock);
    WAVEHDR* returned = reinterpret_cast<WAVEHDR*>(header);
    CaptureHeader owned = TakeLive(returned);
    if (!owned)
        return 0;  // already reclaimed by a shutdown
    if (waveInUnprepareHeader(waveIn.Get(), returned, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        liveHeaders.push_back(std::move(owned));
        return 0;
    }
    HandledHeader hdr(std::move(owned));
    lastBufferTick = GetTickCount();
    if (!deviceOpen)
        return 0;
    // Only the bytes the device filled: a short buffer adds no stale bytes.
    const CBuffer buffer(returned->lpData, korvane::RecordedBytes(returned->dwBytesRecorded,
                                                                  returned->dwBufferLength));
    // Full buffers handed back after Stop hold sound from before it (under load, tenths
    // of a second): kept, but not given back to the device. The part-filled one the stop
    // returns is not, so the file stays whole buffers; a failed file takes nothing more.
    const bool ending = !isRecording || closing;
    if (ending && (buffer.m_byteCount != returned->dwBufferLength ||
                   !(soundFile && soundFile->m_openMode == ForWriting)))
        return 0;
    if (!isPaused) {
        if (leadInPending)
            StoreLeadIn(buffer.m_byteCount);
        StoreOnClock(buffer);
    } else {
        soundClock.OnBuffer(RecordingClockMs(), true, storedBytes.load(), buffer.m_byteCount);
    }
    leadInPending = false;  // a buffer dropped in a pause has no place on the clock
    if (!ending && deviceOpen && Requeue(returned))
        hdr.Requeued();
    return 0;
}

void StoreCaptureBuffer(const CBuffer& buffer)
{
    std::lock_guard<std::recursive_mutex> lock(captureLock);
    if (!soundFile)
        return;
    if (soundFile->m_openMode == ForWriting &&
        mmioWrite(soundFile->m_hmmio, static_cast<const char*>(buffer.m_data),
                  static_cast<LONG>(buffer.m_byteCount)) == static_cast<LONG>(buffer.m_byteCount)) {
        storedBytes += buffer.m_byteCount;
        return;
    }
    // A file that was never made was told of when it failed.
    if (soundFile->m_openMode == ForWriting)
        korvane::noteAudioTrouble(korvane::AudioTrouble::WriteFailed);
    // The file cannot take the audio: video goes on without it. Blocks this thread for
    // the settle time, as the device must hand back its buffers before it can close.
    if (deviceOpen && waveInReset(waveIn.Get()) == MMSYSERR_NOERROR) {
        Sleep(kResetSettleMs);
        waveInStop(waveIn.Get());
        ReclaimAllLocked();
        if (korvane::CloseWaveInDevice(waveIn))
            deviceOpen = false;
    }
    DeleteSoundFileLocked();
}

void CloseWaveInput()
{
    bool open;
    {
        std::lock_guard<std::recursive_mutex> lock(captureLock);
        closing = true;
        open = deviceOpen;
    }
    // Outside the lock: during the settle time the UI thread frees returning buffers.
    const bool reset = open && waveInReset(waveIn.Get()) == MMSYSERR_NOERROR;
    if (reset)
        Sleep(kResetSettleMs);
    std::lock_guard<std::recursive_mutex> lock(captureLock);
    if (reset) {
        waveInStop(waveIn.Get());
        ReclaimAllLocked();
        if (korvane::CloseWaveInDevice(waveIn))
            deviceOpen = false;
    }
    DeleteSoundFileLocked();
}

unsigned long long korvane::StoredSoundBytes() { return storedBytes.load(); }

void WatchSoundFlow()
{
    std::lock_guard<std::recursive_mutex> lock(captureLock);
    if (!deviceOpen || closing || !soundFile)
        return;
    if (GetTickCount() - lastBufferTick.load() > kLostDeviceMs)
        korvane::noteAudioTrouble(korvane::AudioTrouble::DeviceLost);
}

void FillLostSound(unsigned durationMs)
{
    if (audioTrouble.load() != static_cast<int>(korvane::AudioTrouble::DeviceLost))
        return;
    std::lock_guard<std::recursive_mutex> lock(captureLock);
    const unsigned block = captureFormat.nBlockAlign ? captureFormat.nBlockAlign : 1;
    const unsigned long long want = static_cast<unsigned long long>(durationMs) *
                                    captureFormat.nAvgBytesPerSec / 1000 / block * block;
    if (soundFile && storedBytes.load() < want)
        StoreSilence(want - storedBytes.load());
}
