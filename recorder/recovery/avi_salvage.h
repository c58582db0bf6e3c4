// Finds the whole video frames in the temporary AVI file of a recording that never
// finished. The platform's writer appends one chunk per stream position as it goes
// (an empty one for each skipped position) but writes the RIFF header, the "movi" list
// header and the index only when the file is released; so the data is a run of chunks
// behind a zeroed header. A finished file is read through its header the same way.
// Plain function; any thread.
#pragma once
#include "byte_source.h"

#include <cstdint>
#include <vector>

namespace korvane {

struct SalvagedFrame {
    uint64_t dataOffset = 0;  // first byte of the frame's data in the file
    uint32_t bytes = 0;       // 0: a skipped position (plays as the previous frame)
    uint32_t position = 0;    // stream position (sample number)
    bool key = false;
};

// Why the walk stopped. Everything before the stop is whole and kept.
enum class SalvageStop {
    EndOfData,  // the file ends on a chunk boundary, or the index follows the data
    Cut,        // the last chunk runs past the end of the file (cut, or a size past the end)
    TooLarge,   // a frame chunk claims more bytes than any frame may have
    Garbage,    // bytes that are no chunk header
};

struct SalvagedVideo {
    std::vector<SalvagedFrame> frames;  // in position order, positions 0, 1, 2, ...
    SalvageStop stop = SalvageStop::EndOfData;
    uint64_t stopOffset = 0;  // where the walk stopped
    bool finished = false;    // a RIFF header and a whole index: the writer released it
    // Frames with data; skipped positions excluded.
    uint32_t CodedFrames() const;
};

// Walks stream 0's video chunks ("00dc", "00db"). A chunk larger than `maxFrameBytes`
// counts as damage (a coded frame is never larger than the raw one). The position of a
// frame is the number of stream-0 chunks before it. A frame is a key frame when the
// writer stored it as "00db" (which it does for key frames) or it is the first.
SalvagedVideo SalvageAviFrames(ByteSource& file, uint32_t maxFrameBytes);

}  // namespace korvane
