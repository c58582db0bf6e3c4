// The key-frame flags of a finished AVI file's index. Wine's AVISaveV marks every video
// frame of an interleaved save as a key frame (it asks about the output stream's start,
// not the frame it copies), and its editable streams call every frame a key frame; a
// player that seeks then starts decoding at a delta frame and shows black. The merge
// puts the recorded flags back with these. Plain functions; any thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace korvane {

// Copies up to `bytes` bytes at `offset` into `to`; returns how many were copied.
using ReadAt = std::function<size_t(uint64_t offset, void* to, size_t bytes)>;

// What the mend needs of a finished AVI file: where the contents of its top-level "idx1"
// chunk are, where its "movi" list's form type is (the index's offsets count from
// there), and whether the header says chunk types tell key frames apart
// (AVIF_TRUSTCKTYPE: then a key frame with data is "db", every other frame "dc").
struct AviIndexPlace {
    uint64_t indexOffset = 0;
    uint32_t indexBytes = 0;
    uint64_t moviOffset = 0;
    bool trustChunkType = false;
};

// False when the file is no AVI or has no whole index.
bool FindAviIndex(const ReadAt& read, uint64_t fileBytes, AviIndexPlace& place);

// A chunk whose type must change with its flag: the offset its index entry gives.
struct ChunkTypeChange {
    uint32_t entryOffset = 0;
    char type[2] = {};
};

// Sets the key flag of each of stream 0's frame entries ("00dc", "00db") in `index`
// (the contents of "idx1") to keys[n] for the n-th of them: the writer keeps one entry
// per stream position, empty ones included. With `trustChunkType` the entries' types
// follow, and `changes` lists the chunks in the data whose headers must follow too.
// When the index holds another number of frames than `keys`, nothing is changed and the
// answer is false. Other streams' entries and the rest of each entry stay as they were.
bool SetVideoKeyFlags(uint8_t* index, size_t bytes, const std::vector<bool>& keys,
                      bool trustChunkType, std::vector<ChunkTypeChange>& changes);

// Puts the entries of `index` in the order of their chunks in the file, as readers that
// take the first entry for the first chunk expect (Wine lists each stream's entries in
// turn although the data is interleaved). Each stream keeps the order of its own
// entries; an index where some stream's offsets go backwards is left as it is (false).
bool OrderIndexByOffset(uint8_t* index, size_t bytes);

}  // namespace korvane
