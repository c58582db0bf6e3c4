// The size and space limits of a recording, and how its parts are named and split.
// Plain rules on plain numbers; any thread.
#pragma once
#include <cstdint>
#include <string>

namespace korvane {

// An AVI file stops being readable past 2 GB. A part is closed once its frames and its
// sound pass this, which leaves about 150 MB for the frame that crossed it, the index and
// the merged file's chunk headers.
constexpr uint64_t kPartCeilingBytes = 1900ull * 1024 * 1024;
// What the scratch drive keeps free beyond the recording's own files.
constexpr uint64_t kScratchMarginBytes = 32ull * 1024 * 1024;

// The recording's one sound file is written through offsets of 31 bits: past 2 GB (about
// 6.8 hours of the default 22.05 kHz 16-bit stereo, 3.4 of 44.1 kHz) its header and the
// cut into parts break. The
// recording stops once the sound passes this, which leaves 64 MB (over five minutes of
// the largest format) for the buffers still coming and the end's silence.
constexpr uint64_t kSoundCeilingBytes = 1984ull * 1024 * 1024;

// The part ceiling from a setting's text (the KORVANE_PART_BYTES environment variable,
// which tests use to make short recordings in several parts): the default unless the
// text is a whole number of at least 64 KB.
uint64_t PartCeilingFrom(const char* text);
// The sound ceiling likewise (KORVANE_SOUND_BYTES).
uint64_t SoundCeilingFrom(const char* text);

// The free space the scratch drive must keep while recording: the merge writes about
// as much again as the current part and its sound, plus a margin.
uint64_t ScratchFloorBytes(uint64_t partBytes, uint64_t soundBytes);

// Whether the free space has fallen below the floor.
bool SpaceIsLow(uint64_t freeBytes, uint64_t partBytes, uint64_t soundBytes);

// The name a part is saved under: the chosen name for the first, then "name (2).avi",
// "name (3).avi", ... (the number goes before the extension, if the file name has one).
std::string PartSavePath(const std::string& savePath, int partNumber);

struct ByteRange {
    uint64_t begin = 0;
    uint64_t end = 0;
};

// The bytes of the recording's sound that play with the part whose frames start at
// `firstIndex`; `nextFirstIndex` is where the following part starts, or 0 for the last
// part (which takes the rest). Whole sample blocks, within `soundBytes`.
ByteRange PartSoundRange(unsigned firstIndex, unsigned nextFirstIndex, int framesPerSecond,
                         uint32_t bytesPerSecond, uint32_t blockAlign, uint64_t soundBytes);

}  // namespace korvane
