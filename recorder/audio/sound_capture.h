// SoundCapture: the wave-in capture of a recording as one object, owning the device,
// every buffer handed to it, the WAV file and the clock that keeps the sound on the
// video's. The recording thread prepares, opens, watches and closes it; the UI thread,
// which receives MM_WIM_DATA, hands buffers back through OnData; any thread may flush
// the file or read the counts.
//
// Locking: one plain mutex guards everything but the two atomics. It is taken after the
// recovery journal's lock (the journal's flusher calls Flush) and before none: under it
// nothing takes another lock of ours, sends a message or sleeps. The device's reset,
// which waits for the driver and then for its buffers to settle, runs outside it, by
// whichever thread claimed the shutdown first.
#pragma once
#include "audio_owners.h"
#include "capture_buffer.h"
#include "sound_clock.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CSoundFile;

namespace korvane {

class SoundCapture {
public:
    // The process's one capture, used by the recorder's wave-in functions.
    static SoundCapture& Instance();

    SoundCapture();
    ~SoundCapture();
    SoundCapture(const SoundCapture&) = delete;
    SoundCapture& operator=(const SoundCapture&) = delete;

    // Starts afresh with `format`: the device closed, the file `path` created, to hold
    // about `ceilingBytes` of sound at most. A file that cannot be made is told of, and
    // kept as a failed one: the first buffer back then shuts the capture down.
    void Prepare(const WAVEFORMATEX& format, const std::string& path, uint64_t ceilingBytes);
    // Opens `deviceId` with notifications to `notify`, queues `buffers` buffers of
    // `bufferBytes` and starts it. False (and told of) when the device would not.
    bool Open(UINT deviceId, HWND notify, int buffers, DWORD bufferBytes);
    // Ties the sound to the video clock that started at `originMs`: the file starts with
    // silence for the time before the device's first buffer.
    void AlignWithVideoClock(unsigned originMs);
    // One more buffer of `bytes` for the device.
    void QueueBuffer(DWORD bytes);
    // A buffer the device handed back (MM_WIM_DATA); `recording` and `paused` as the
    // user has them now.
    void OnData(WAVEHDR* returned, bool recording, bool paused);
    // Appends bytes to the file; a file that cannot take them ends the capture.
    void Store(const CBuffer& buffer);
    // Stops and closes the device, frees every buffer and finishes the file.
    void Close();
    // About once a second while recording: a device silent for a while is told of.
    void WatchFlow();
    // Fills the file with silence up to `durationMs` of sound, but not past the ceiling.
    void FillTo(unsigned durationMs);
    // Hands what the file buffers to the system.
    void Flush();

    unsigned long long StoredBytes() const { return m_storedBytes.load(); }
    // The sound has reached the ceiling: the recording must end.
    bool Full() const { return m_storedBytes.load() >= m_ceiling.load(); }
    size_t LiveBuffers() const;
    long QueuedBuffers() const;
    enum class FileState { None, Failed, Writing };
    FileState File() const;
    // The file's path while it is open for writing, else empty.
    std::string WritingPath() const;

private:
    struct HeaderDeleter {
        void operator()(WAVEHDR* hdr) const;
    };
    using CaptureHeader = std::unique_ptr<WAVEHDR, HeaderDeleter>;
    class HandledHeader;

    CaptureHeader TakeLiveLocked(WAVEHDR* hdr);
    void ReclaimAllLocked();
    // Stores the full buffers the device has handed back but nobody has taken yet.
    void KeepUntakenLocked();
    bool RequeueLocked(WAVEHDR* hdr);
    bool StoreLocked(const CBuffer& buffer);
    bool StoreSilenceLocked(unsigned long long bytes);
    void StoreLeadInLocked(DWORD firstBufferBytes);
    // A returned buffer placed on the video clock (after the lead-in, for the first one).
    void StoreOnClockLocked(const CBuffer& buffer);
    // Resets and closes the device unless another thread is already doing it. Called
    // without the lock.
    void ShutDownDevice();

    mutable std::mutex m_lock;
    WAVEFORMATEX m_format = {};
    WaveInDevice m_device;
    bool m_deviceOpen = false;
    bool m_resetting = false;  // a thread is resetting the device outside the lock
    long m_queued = 0;         // buffers handed to the device and not yet freed
    std::vector<CaptureHeader> m_live;
    std::unique_ptr<CSoundFile> m_file;
    // The file could not take a buffer: nothing more is written and the device goes.
    bool m_fileFailed = false;
    // Set when Close begins: returning buffers are never queued again, and only full ones
    // are written.
    bool m_closing = false;
    // The pause flag of the last returned buffer: what the stop hands back is as paused.
    bool m_paused = false;
    // The video clock's origin, until the first returned buffer has placed the sound.
    bool m_leadInPending = false;
    unsigned m_videoClockOrigin = 0;
    SoundClock m_clock;
    std::atomic<unsigned long long> m_storedBytes{0};
    std::atomic<DWORD> m_lastBufferTick{0};
    std::atomic<uint64_t> m_ceiling{~0ull};
};

}  // namespace korvane
