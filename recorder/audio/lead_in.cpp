// The lead-in of the captured sound.
#include "lead_in.h"

namespace korvane {

uint32_t LeadInBytes(const WaveFormat& format, unsigned originMs, unsigned arrivalMs,
                     uint32_t bufferBytes)
{
    if (format.avgBytesPerSec == 0 || format.blockAlign == 0)
        return 0;
    // Signed difference, so a wrapped clock between the two readings still subtracts.
    const int64_t elapsedMs = static_cast<int32_t>(arrivalMs - originMs);
    const int64_t bufferMs = static_cast<int64_t>(bufferBytes) * 1000 / format.avgBytesPerSec;
    const int64_t leadMs = elapsedMs - bufferMs;
    if (leadMs <= 0 || leadMs > kMaxLeadInMs)
        return 0;
    const int64_t frames = leadMs * format.samplesPerSec / 1000;
    return static_cast<uint32_t>(frames * format.blockAlign);
}

}  // namespace korvane
