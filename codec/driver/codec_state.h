// The driver's own settings as callers save and restore them through ICM_GETSTATE and
// ICM_SETSTATE: a small versioned record. Plain functions; any thread.
#pragma once
#include <windows.h>

#include <cstddef>

namespace kvmsvc {

constexpr DWORD kStateVersion = 1;
constexpr DWORD kMaxQuality = 10000;
constexpr DWORD kDefaultKeyFrameRate = 15;

// Laid out as it is saved: callers keep these bytes and hand them back later, maybe to
// a newer driver, which is why the version leads.
struct CodecState {
    DWORD version = kStateVersion;
    DWORD defaultQuality = 7000;  // used when a caller asks for the default quality
};

// The state a caller's bytes describe, or false (and `state` untouched) when they are
// not a record of our size and version with a quality in 0..10000.
bool ParseState(const void* bytes, size_t size, CodecState& state);

// Quality a frame is coded with: the caller's value, or our default for ICQUALITY_DEFAULT;
// values above the scale count as its top.
DWORD EffectiveQuality(DWORD requested, const CodecState& state);

}  // namespace kvmsvc
