// The size and space limits of a recording.
#include "recording_limits.h"

#include <algorithm>
#include <cstdlib>

namespace korvane {

namespace {

uint64_t CeilingFrom(const char* text, uint64_t ceiling)
{
    if (!text || !*text)
        return ceiling;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (*end != '\0' || value < 64 * 1024 || value > ceiling)
        return ceiling;
    return value;
}

}  // namespace

uint64_t PartCeilingFrom(const char* text) { return CeilingFrom(text, kPartCeilingBytes); }

uint64_t SoundCeilingFrom(const char* text) { return CeilingFrom(text, kSoundCeilingBytes); }

uint64_t ScratchFloorBytes(uint64_t partBytes, uint64_t soundBytes)
{
    return partBytes + soundBytes + kScratchMarginBytes;
}

bool SpaceIsLow(uint64_t freeBytes, uint64_t partBytes, uint64_t soundBytes)
{
    return freeBytes < ScratchFloorBytes(partBytes, soundBytes);
}

std::string PartSavePath(const std::string& savePath, int partNumber)
{
    if (partNumber <= 1)
        return savePath;
    const std::string::size_type slash = savePath.find_last_of("\\/");
    const std::string::size_type dot = savePath.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    const std::string::size_type cut = hasExtension ? dot : savePath.size();
    return savePath.substr(0, cut) + " (" + std::to_string(partNumber) + ")" + savePath.substr(cut);
}

namespace {

uint64_t SoundOffsetFor(unsigned index, int framesPerSecond, uint32_t bytesPerSecond,
                        uint32_t blockAlign, uint64_t soundBytes)
{
    if (framesPerSecond <= 0 || blockAlign == 0)
        return 0;
    const uint64_t bytes = uint64_t(index) * bytesPerSecond / uint64_t(framesPerSecond);
    return std::min(bytes / blockAlign * blockAlign, soundBytes / blockAlign * blockAlign);
}

}  // namespace

ByteRange PartSoundRange(unsigned firstIndex, unsigned nextFirstIndex, int framesPerSecond,
                         uint32_t bytesPerSecond, uint32_t blockAlign, uint64_t soundBytes)
{
    ByteRange range;
    range.begin =
        SoundOffsetFor(firstIndex, framesPerSecond, bytesPerSecond, blockAlign, soundBytes);
    range.end = nextFirstIndex == 0 ? soundBytes
                                    : SoundOffsetFor(nextFirstIndex, framesPerSecond,
                                                     bytesPerSecond, blockAlign, soundBytes);
    range.end = std::max(range.end, range.begin);
    return range;
}

}  // namespace korvane
