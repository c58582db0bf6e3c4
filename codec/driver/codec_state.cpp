// The driver's saved settings. Any thread.
#include "codec_state.h"

#include <vfw.h>

#include <cstring>

namespace kvmsvc {

bool ParseState(const void* bytes, size_t size, CodecState& state)
{
    if (!bytes || size != sizeof(CodecState))
        return false;
    CodecState candidate;
    std::memcpy(&candidate, bytes, sizeof candidate);
    if (candidate.version != kStateVersion || candidate.defaultQuality > kMaxQuality)
        return false;
    state = candidate;
    return true;
}

DWORD EffectiveQuality(DWORD requested, const CodecState& state)
{
    if (requested == static_cast<DWORD>(ICQUALITY_DEFAULT))
        return state.defaultQuality;
    return requested > kMaxQuality ? kMaxQuality : requested;
}

}  // namespace kvmsvc
