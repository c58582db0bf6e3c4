// Finds the parts of a WAV file: its format record and where its samples lie. It reads
// only chunk headers and the format chunk, through a function the caller gives, so the
// same code reads a file and a buffer. It trusts no size in the file: a chunk that runs
// past the end is cut there, and a file whose sizes were never written (the recorder
// died before closing it) has its samples taken up to the end. Plain functions; any
// thread.
#pragma once
#include "riff_layout.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace korvane {

enum class WaveFileStatus { Ok, NotWave, NoFormat, NoData };

struct WaveFileParts {
    WaveFileStatus status = WaveFileStatus::NotWave;
    // The first bytes of the fmt chunk (a WAVEFORMATEX through cbSize), zero past what
    // the chunk holds.
    uint8_t formatRecord[kWaveFormatRecordBytes] = {};
    uint64_t dataOffset = 0;  // of the first sample byte
    uint32_t dataBytes = 0;   // sample bytes actually in the file
};

// Reads up to `bytes` at `offset` into `out`; returns how many it read.
using ReadAt = std::function<std::size_t(uint64_t offset, void* out, std::size_t bytes)>;

WaveFileParts ReadWaveFileParts(const ReadAt& read, uint64_t fileBytes);

// The same over a buffer holding the whole file.
WaveFileParts ReadWaveFileParts(const uint8_t* data, std::size_t size);

}  // namespace korvane
