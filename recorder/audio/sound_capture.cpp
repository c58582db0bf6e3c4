// The wave-in capture. Every capture buffer is owned by m_live (or, while one is being
// handled, by OnData), so a buffer is freed exactly once whichever way the capture ends;
// a notification for a buffer that is no longer owned is ignored.
#include "sound_capture.h"

#include "app/recording_clock.h"
#include "audio_system.h"
#include "lead_in.h"
#include "pcm_format.h"
#include "sound_file.h"
#include "wave_format_win.h"
#include "wave_in_capture.h"

#include <algorithm>
#include <new>

namespace korvane {

namespace {

// How long the device gets after a reset to hand back its buffers before it is closed.
const DWORD kResetSettleMs = 500;
// A device that hands back no buffer for this long is taken as gone.
const DWORD kLostDeviceMs = 3000;

}  // namespace

void SoundCapture::HeaderDeleter::operator()(WAVEHDR* hdr) const
{
    delete[] hdr->lpData;
    delete hdr;
}

// A header taken out of m_live while it is handled; freed (and uncounted) unless given
// back to the device. Lives only under the lock.
class SoundCapture::HandledHeader {
public:
    HandledHeader(SoundCapture& capture, CaptureHeader hdr)
        : m_capture(capture), m_hdr(std::move(hdr))
    {
    }
    ~HandledHeader()
    {
        if (m_hdr) {
            m_hdr.reset();
            --m_capture.m_queued;
        }
    }
    HandledHeader(const HandledHeader&) = delete;
    HandledHeader& operator=(const HandledHeader&) = delete;
    void Requeued() { m_capture.m_live.push_back(std::move(m_hdr)); }

private:
    SoundCapture& m_capture;
    CaptureHeader m_hdr;
};

SoundCapture& SoundCapture::Instance()
{
    static SoundCapture capture;
    return capture;
}

SoundCapture::SoundCapture() = default;
SoundCapture::~SoundCapture() = default;

SoundCapture::CaptureHeader SoundCapture::TakeLiveLocked(WAVEHDR* hdr)
{
    auto it = std::find_if(m_live.begin(), m_live.end(),
                           [hdr](const CaptureHeader& h) { return h.get() == hdr; });
    if (it == m_live.end())
        return nullptr;
    CaptureHeader taken = std::move(*it);
    m_live.erase(it);
    return taken;
}

// After a successful reset every header is back from the device and may be freed,
// including those whose notifications are still on their way.
void SoundCapture::ReclaimAllLocked()
{
    for (CaptureHeader& hdr : m_live) {
        waveInUnprepareHeader(m_device.Get(), hdr.get(), sizeof(WAVEHDR));
        --m_queued;
    }
    m_live.clear();
}

void SoundCapture::KeepUntakenLocked()
{
    if (m_fileFailed || m_paused || !(m_file && m_file->m_openMode == ForWriting))
        return;
    // m_live is in the order the buffers were queued, which is the order they were filled.
    for (const CaptureHeader& hdr : m_live) {
        const WAVEHDR* h = hdr.get();
        if (!(h->dwFlags & WHDR_DONE) || h->dwBytesRecorded != h->dwBufferLength)
            continue;
        StoreOnClockLocked(CBuffer(h->lpData, h->dwBytesRecorded));
        if (m_fileFailed)
            return;
    }
}

bool SoundCapture::RequeueLocked(WAVEHDR* hdr)
{
    return waveInPrepareHeader(m_device.Get(), hdr, sizeof(WAVEHDR)) == MMSYSERR_NOERROR &&
           waveInAddBuffer(m_device.Get(), hdr, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

void SoundCapture::Prepare(const WAVEFORMATEX& format, const std::string& path,
                           uint64_t ceilingBytes)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_format = format;
        m_queued = static_cast<long>(m_live.size());
        m_device.Reset();
        m_deviceOpen = false;
        m_fileFailed = false;
        m_closing = false;
        m_paused = false;
        m_leadInPending = false;
        m_clock.Stop();
        m_storedBytes = 0;
        m_ceiling = ceilingBytes;
        m_file.reset();
    }
    // Created outside the lock: a flush may come meanwhile and finds no file.
    std::unique_ptr<CSoundFile> file(new (std::nothrow) CSoundFile(path, &format));
    const bool opened = file && file->m_openMode != NotOpen;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_file = std::move(file);
    }
    if (!opened)
        Audio().NoteTrouble(AudioTrouble::FileNotCreated);
}

bool SoundCapture::Open(UINT deviceId, HWND notify, int buffers, DWORD bufferBytes)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (waveInOpen(m_device.Receive(), deviceId, &m_format, reinterpret_cast<DWORD_PTR>(notify),
                       0, CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
            m_device.Discard();
            Audio().NoteTrouble(AudioTrouble::DeviceNotOpened);
            return false;
        }
        m_device.NoteReceived();
        m_deviceOpen = true;
    }
    // Queued before the start, so no notification can come while they are counted.
    for (int i = 0; i < buffers; ++i)
        QueueBuffer(bufferBytes);
    m_lastBufferTick = GetTickCount();
    if (waveInStart(m_device.Get()) == MMSYSERR_NOERROR)
        return true;
    Audio().NoteTrouble(AudioTrouble::DeviceNotOpened);
    return false;
}

void SoundCapture::AlignWithVideoClock(unsigned originMs)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_videoClockOrigin = originMs;
    m_leadInPending = true;
    m_clock.Start(ToWaveFormat(m_format), originMs);
}

void SoundCapture::QueueBuffer(DWORD bytes)
{
    std::lock_guard<std::mutex> lock(m_lock);
    CaptureHeader hdr(new (std::nothrow) WAVEHDR());
    if (!hdr)
        return;
    CBuffer data(bytes);
    if (!data.m_data)
        return;
    hdr->lpData = static_cast<LPSTR>(data.m_data);
    hdr->dwBufferLength = data.m_byteCount;
    if (waveInPrepareHeader(m_device.Get(), hdr.get(), sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
        return;
    if (waveInAddBuffer(m_device.Get(), hdr.get(), sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        waveInUnprepareHeader(m_device.Get(), hdr.get(), sizeof(WAVEHDR));
        return;
    }
    m_live.push_back(std::move(hdr));
    ++m_queued;
}

// Appends `bytes` of silence (whole sample frames), a second at a time so that a long
// stretch is no large allocation. False when the file took less.
bool SoundCapture::StoreSilenceLocked(unsigned long long bytes)
{
    const unsigned block = m_format.nBlockAlign ? m_format.nBlockAlign : 1;
    const size_t second = m_format.nAvgBytesPerSec / block * block;
    if (second == 0)
        return false;
    std::vector<unsigned char> silence;
    try {
        silence.assign(static_cast<size_t>(std::min<unsigned long long>(bytes, second)),
                       SilenceByte(m_format.wBitsPerSample));
    } catch (...) {
        return false;  // the sound stays as it was, only shorter
    }
    while (bytes > 0) {
        const size_t chunk = static_cast<size_t>(std::min<unsigned long long>(bytes, second));
        if (!StoreLocked(CBuffer(silence.data(), static_cast<DWORD>(chunk))))
            return false;
        bytes -= chunk;
    }
    return true;
}

// Silence for the time between the video clock's start and the first captured sound.
// The device's own position says how much it has captured by now, which may already be
// more than the first buffer holds; the sound began that long before this moment.
void SoundCapture::StoreLeadInLocked(DWORD firstBufferBytes)
{
    const unsigned now = RecordingClockMs();
    MMTIME position = {};
    position.wType = TIME_BYTES;
    DWORD captured = firstBufferBytes;
    if (waveInGetPosition(m_device.Get(), &position, sizeof(position)) == MMSYSERR_NOERROR &&
        position.wType == TIME_BYTES && position.u.cb > captured)
        captured = position.u.cb;
    StoreSilenceLocked(LeadInBytes(ToWaveFormat(m_format), m_videoClockOrigin, now, captured));
}

// Writes a returned buffer with the correction that keeps the sound on the video clock.
void SoundCapture::StoreOnClockLocked(const CBuffer& buffer)
{
    if (m_leadInPending)
        StoreLeadInLocked(buffer.m_byteCount);
    m_leadInPending = false;
    const SoundCorrection fix =
        m_clock.OnBuffer(RecordingClockMs(), false, m_storedBytes.load(), buffer.m_byteCount);
    if (fix.silenceBytes > 0)
        StoreSilenceLocked(fix.silenceBytes);
    if (fix.skipBytes < buffer.m_byteCount)
        StoreLocked(CBuffer(static_cast<char*>(buffer.m_data) + fix.skipBytes,
                            buffer.m_byteCount - fix.skipBytes));
}

void SoundCapture::OnData(WAVEHDR* returned, bool recording, bool paused)
{
    bool shutDown = false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        CaptureHeader owned = TakeLiveLocked(returned);
        if (!owned)
            return;  // already reclaimed by a shutdown
        if (waveInUnprepareHeader(m_device.Get(), returned, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
            m_live.push_back(std::move(owned));
            return;
        }
        HandledHeader hdr(*this, std::move(owned));
        m_lastBufferTick = GetTickCount();
        m_paused = paused;
        if (!m_deviceOpen || m_fileFailed)
            return;
        // Only the bytes the device filled: a short buffer adds no stale bytes.
        const CBuffer buffer(returned->lpData,
                             RecordedBytes(returned->dwBytesRecorded, returned->dwBufferLength));
        // Full buffers handed back after Stop hold sound from before it (under load,
        // tenths of a second): kept, but not given back to the device. The part-filled
        // one the stop returns is not, so the file stays whole buffers; a failed file
        // takes nothing more.
        const bool ending = !recording || m_closing;
        if (ending && (buffer.m_byteCount != returned->dwBufferLength ||
                       !(m_file && m_file->m_openMode == ForWriting)))
            return;
        if (!paused) {
            StoreOnClockLocked(buffer);
        } else {
            m_clock.OnBuffer(RecordingClockMs(), true, m_storedBytes.load(), buffer.m_byteCount);
        }
        m_leadInPending = false;  // a buffer dropped in a pause has no place on the clock
        shutDown = m_fileFailed;
        if (!ending && !shutDown && m_deviceOpen && RequeueLocked(returned))
            hdr.Requeued();
    }
    if (shutDown)
        ShutDownDevice();
}

bool SoundCapture::StoreLocked(const CBuffer& buffer)
{
    if (!m_file || m_fileFailed)
        return false;
    if (m_file->m_openMode == ForWriting &&
        mmioWrite(m_file->m_hmmio.Get(), static_cast<const char*>(buffer.m_data),
                  static_cast<LONG>(buffer.m_byteCount)) == static_cast<LONG>(buffer.m_byteCount)) {
        m_storedBytes += buffer.m_byteCount;
        return true;
    }
    // A file that was never made was told of when it failed.
    if (m_file->m_openMode == ForWriting)
        Audio().NoteTrouble(AudioTrouble::WriteFailed);
    // The file cannot take the audio: video goes on without it, and the device goes.
    m_fileFailed = true;
    m_file.reset();
    return false;
}

void SoundCapture::Store(const CBuffer& buffer)
{
    bool shutDown;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_file)
            return;
        StoreLocked(buffer);
        shutDown = m_fileFailed;
    }
    if (shutDown)
        ShutDownDevice();
}

void SoundCapture::ShutDownDevice()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_deviceOpen || m_resetting)
            return;
        m_resetting = true;
    }
    // Outside the lock: during the settle time the UI thread frees returning buffers
    // (when it is not this one), and a flush or a count is not held up.
    const bool reset = waveInReset(m_device.Get()) == MMSYSERR_NOERROR;
    if (reset)
        Sleep(kResetSettleMs);
    std::lock_guard<std::mutex> lock(m_lock);
    if (reset) {
        waveInStop(m_device.Get());
        // A busy UI thread may not have taken what the device gave back before the stop:
        // that is sound from before it, kept as if the notifications had come in time.
        if (m_closing)
            KeepUntakenLocked();
        ReclaimAllLocked();
        if (CloseWaveInDevice(m_device))
            m_deviceOpen = false;
    }
    m_resetting = false;
}

void SoundCapture::Close()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_closing = true;
    }
    ShutDownDevice();
    std::lock_guard<std::mutex> lock(m_lock);
    m_file.reset();
}

void SoundCapture::WatchFlow()
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_deviceOpen || m_closing || !m_file)
        return;
    if (GetTickCount() - m_lastBufferTick.load() > kLostDeviceMs)
        Audio().NoteTrouble(AudioTrouble::DeviceLost);
}

void SoundCapture::FillTo(unsigned durationMs)
{
    bool shutDown;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        const unsigned block = m_format.nBlockAlign ? m_format.nBlockAlign : 1;
        // A device lost early leaves hours to fill: the file still stays within its ceiling,
        // ending in less silence than the video lasts.
        const unsigned long long want =
            std::min<unsigned long long>(
                static_cast<unsigned long long>(durationMs) * m_format.nAvgBytesPerSec / 1000,
                m_ceiling.load()) /
            block * block;
        if (m_file && m_storedBytes.load() < want)
            StoreSilenceLocked(want - m_storedBytes.load());
        shutDown = m_fileFailed;
    }
    if (shutDown)
        ShutDownDevice();
}

void SoundCapture::Flush()
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_file && m_file->m_hmmio)
        mmioFlush(m_file->m_hmmio.Get(), 0);
}

size_t SoundCapture::LiveBuffers() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_live.size();
}

long SoundCapture::QueuedBuffers() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_queued;
}

SoundCapture::FileState SoundCapture::File() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_file)
        return FileState::None;
    return m_file->m_openMode == ForWriting ? FileState::Writing : FileState::Failed;
}

std::string SoundCapture::WritingPath() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_file && m_file->m_openMode == ForWriting && m_file->m_hmmio ? m_file->m_path
                                                                         : std::string();
}

}  // namespace korvane
