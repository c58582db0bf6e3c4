// How long a sound stream lasts, from its AVI stream header and its wave format. A
// compressed stream counts in blocks, and its average byte rate is rounded, so its length
// is worked out from the samples each block holds. Plain functions; any thread.
#pragma once
#include "wave_format.h"

#include <cstddef>
#include <cstdint>

namespace korvane {

struct SoundStreamFacts {
    WaveFormat format;
    uint32_t samplesPerBlock = 0;  // 0: not known (see SamplesPerBlock)
    long length = 0;               // AVIStreamLength: units of `sampleSize` bytes
    uint32_t sampleSize = 0;       // the header's dwSampleSize; 0 counts whole blocks
};

// The sample frames in one block of `format`: 1 for PCM, A-law, mu-law and float; the
// ADPCM and GSM formats name it in the two bytes after cbSize (`extra`); 0 otherwise.
uint32_t SamplesPerBlock(const WaveFormat& format, const unsigned char* extra, size_t extraBytes);

// The stream's length in seconds; by the average byte rate when the samples per block
// are not known.
double SoundStreamSeconds(const SoundStreamFacts& stream);

// How long one block of the stream plays.
double SoundBlockSeconds(const SoundStreamFacts& stream);

}  // namespace korvane
