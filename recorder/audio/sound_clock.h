// Keeps the captured sound as long as the recording's clock has run. The video places
// its frames by the system clock; the sound is as long as what the device handed back.
// The two part when the device's clock runs at another rate or when the platform drops
// sound because our buffers came back to it late (a busy machine): the sound then plays
// ever earlier in the merged movie. SoundClock compares, at each returned buffer, the
// sound stored with the time the clock has run (paused time left out) and answers with
// silence to add or sound to leave out. Buffers reach us late and unevenly, so only the
// smallest gap seen over a window counts: lateness makes the gap look larger, never
// smaller. Plain class; the thread that handles the buffers (the UI thread).
#pragma once
#include "wave_format.h"

#include <cstdint>

namespace korvane {

// A window of this much recording time gives each correction.
constexpr unsigned kSoundClockWindowMs = 2000;
// A smaller gap is left alone: the picture's own placement is a frame slot (40 ms) coarse.
constexpr unsigned kSoundClockToleranceMs = 15;
// At most this much silence at once: a clock that jumped adds no more than this a window.
constexpr unsigned kSoundClockMaxFillMs = 5000;

// What a returned buffer needs: silence written before it, bytes of its start left out.
// Both whole sample frames.
struct SoundCorrection {
    uint32_t silenceBytes = 0;
    uint32_t skipBytes = 0;
};

class SoundClock {
public:
    // Follows the recording clock that started at `originMs` (timeGetTime); sound of
    // `format`.
    void Start(const WaveFormat& format, unsigned originMs);
    // No more corrections (a capture not tied to a video clock).
    void Stop() { m_active = false; }

    // A buffer of `bufferBytes` came back at `nowMs`, `storedBytes` of sound already in
    // the file. A buffer handed back while `paused` is not written, and its length is
    // off the clock.
    SoundCorrection OnBuffer(unsigned nowMs, bool paused, uint64_t storedBytes,
                             uint32_t bufferBytes);

private:
    int64_t BytesFor(int64_t ms) const;

    WaveFormat m_format;
    bool m_active = false;
    unsigned m_origin = 0;
    bool m_inPause = false;
    uint64_t m_pausedBytes = 0;
    bool m_windowOpen = false;
    int64_t m_windowStartMs = 0;
    int64_t m_smallestGap = 0;  // bytes the sound is short of the clock (negative: ahead)
};

}  // namespace korvane
