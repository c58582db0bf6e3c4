// Cuts a recording's sound file into one WAV file per part of the recording, each with
// the same format and the bytes that play with that part. UI thread (the finish).
#pragma once
#include "app/recording_limits.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

struct SoundLayout {
    std::vector<unsigned char> format;  // the fmt chunk's contents
    uint64_t dataOffset = 0;
    uint64_t dataBytes = 0;  // what the file holds, whatever its header says
    uint32_t bytesPerSecond = 0;
    uint32_t blockAlign = 0;
};

// Finds the format and the sample data of a WAV file; false when it has neither.
bool ReadSoundLayout(const std::string& path, SoundLayout& layout);

// Writes `range` of the sample data of `path` as a WAV file of its own at `outPath`
// (which may exist, empty, as a reserved name). False on any failure.
bool WriteSoundSlice(const std::string& path, const SoundLayout& layout, ByteRange range,
                     const std::string& outPath);

}  // namespace korvane
