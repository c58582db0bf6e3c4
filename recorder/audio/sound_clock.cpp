// The sound's correction to the recording clock.
#include "sound_clock.h"

#include <algorithm>

namespace korvane {

void SoundClock::Start(const WaveFormat& format, unsigned originMs)
{
    *this = SoundClock();
    m_format = format;
    m_origin = originMs;
    m_active = format.samplesPerSec != 0 && format.blockAlign != 0;
}

int64_t SoundClock::BytesFor(int64_t ms) const
{
    return ms * m_format.samplesPerSec / 1000 * m_format.blockAlign;
}

SoundCorrection SoundClock::OnBuffer(unsigned nowMs, bool paused, uint64_t storedBytes,
                                     uint32_t bufferBytes)
{
    if (!m_active)
        return {};
    if (paused) {
        // The sound of a pause is not kept, and its time is off the video clock. The
        // buffers thrown away measure the pause as the sound lost it: the times they come
        // back at would add how late they came.
        m_pausedBytes += bufferBytes;
        m_inPause = true;
        return {};
    }
    if (m_inPause) {
        m_inPause = false;
        // Buffers around a pause are cut at their own edges, not the pause's: a fresh look.
        m_windowOpen = false;
    }
    // Signed, so a clock that wrapped since the origin still subtracts.
    const int64_t clockMs = static_cast<int32_t>(nowMs - m_origin);
    const int64_t gap = BytesFor(clockMs) - static_cast<int64_t>(m_pausedBytes) -
                        static_cast<int64_t>(storedBytes) - static_cast<int64_t>(bufferBytes);
    if (!m_windowOpen) {
        m_windowOpen = true;
        m_windowStartMs = clockMs;
        m_smallestGap = gap;
        return {};
    }
    m_smallestGap = std::min(m_smallestGap, gap);
    if (clockMs - m_windowStartMs < kSoundClockWindowMs)
        return {};
    m_windowOpen = false;
    const int64_t block = m_format.blockAlign;
    SoundCorrection out;
    if (m_smallestGap > BytesFor(kSoundClockToleranceMs)) {
        out.silenceBytes = static_cast<uint32_t>(
            std::min(m_smallestGap, BytesFor(kSoundClockMaxFillMs)) / block * block);
    } else if (-m_smallestGap > BytesFor(kSoundClockToleranceMs)) {
        // At most this buffer; the next window sees what is left.
        out.skipBytes = static_cast<uint32_t>(
            std::min(-m_smallestGap, static_cast<int64_t>(bufferBytes)) / block * block);
    }
    return out;
}

}  // namespace korvane
