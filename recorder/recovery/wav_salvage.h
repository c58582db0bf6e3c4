// The sound of a recording that never finished: the WAV file's sizes are written only
// when it is closed, so they are taken from the file's length instead. Plain functions
// over the file's first bytes; any thread.
#pragma once
#include <cstdint>
#include <vector>

namespace korvane {

struct SalvagedWav {
    bool headerFound = false;          // the file's own RIFF/fmt/data headers were readable
    std::vector<uint8_t> formatChunk;  // the fmt chunk's contents (a WAVEFORMATEX and extras)
    uint64_t dataOffset = 0;           // first sample byte
    uint32_t dataBytes = 0;            // whole sample blocks between dataOffset and the end
};

// The most of the file's start that SalvageWav looks at.
constexpr uint32_t kWavHeaderScanBytes = 4096;

// Reads the headers from `head` (the file's first bytes, at most kWavHeaderScanBytes)
// and takes the data size from `fileBytes`. When the headers are missing or damaged,
// `knownFormat` (the fmt contents the recording was started with; may be empty) stands
// in, with the data where the recorder's writer puts it. False when neither gives a
// usable format.
bool SalvageWav(const uint8_t* head, uint32_t headBytes, uint64_t fileBytes,
                const std::vector<uint8_t>& knownFormat, SalvagedWav& out);

// The RIFF chunk's size field of the salvaged file (its data cut to dataBytes, with the
// pad byte an odd count needs).
uint32_t RiffSizeFor(const SalvagedWav& wav);

// The header to write at the file's start so that it is a valid WAV file of `dataBytes`
// sample bytes with the data at SampleDataOffset (the layout of the recorder's writer).
std::vector<uint8_t> WavHeaderFor(const std::vector<uint8_t>& formatChunk, uint32_t dataBytes);

}  // namespace korvane
