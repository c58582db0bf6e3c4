// How long a sound stream lasts.
#include "sound_length.h"

namespace korvane {

namespace {

// The tags of the formats this needs to know; the platform's names are in mmreg.h.
constexpr uint16_t kPcm = 0x0001, kMsAdpcm = 0x0002, kFloat = 0x0003, kALaw = 0x0006,
                   kMuLaw = 0x0007, kImaAdpcm = 0x0011, kGsm610 = 0x0031;

double BlocksOf(const SoundStreamFacts& stream)
{
    const uint16_t block = stream.format.blockAlign;
    if (stream.sampleSize == 0 || block == 0)
        return static_cast<double>(stream.length);
    return static_cast<double>(stream.length) * stream.sampleSize / block;
}

}  // namespace

uint32_t SamplesPerBlock(const WaveFormat& format, const unsigned char* extra, size_t extraBytes)
{
    switch (format.formatTag) {
    case kPcm:
    case kFloat:
    case kALaw:
    case kMuLaw: return 1;
    case kMsAdpcm:
    case kImaAdpcm:
    case kGsm610:
        if (extra && extraBytes >= 2 && format.extraBytes >= 2)
            return static_cast<uint32_t>(extra[0] | extra[1] << 8);
        return 0;
    default: return 0;
    }
}

double SoundStreamSeconds(const SoundStreamFacts& stream)
{
    if (stream.samplesPerBlock != 0 && stream.format.samplesPerSec != 0)
        return BlocksOf(stream) * stream.samplesPerBlock / stream.format.samplesPerSec;
    if (stream.format.avgBytesPerSec == 0)
        return 0;
    return BlocksOf(stream) * stream.format.blockAlign / stream.format.avgBytesPerSec;
}

double SoundBlockSeconds(const SoundStreamFacts& stream)
{
    SoundStreamFacts one = stream;
    one.length = 1;
    one.sampleSize = 0;
    return SoundStreamSeconds(one);
}

}  // namespace korvane
