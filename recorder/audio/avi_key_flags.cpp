// The key-frame flags of a finished AVI file's index.
#include "avi_key_flags.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace korvane {

namespace {

constexpr uint32_t kKeyFrameFlag = 0x10;     // AVIIF_KEYFRAME
constexpr uint32_t kTrustChunkType = 0x800;  // AVIF_TRUSTCKTYPE
constexpr size_t kEntryBytes = 16;           // id, flags, offset, size

uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void PutLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool IsVideoFrameEntry(const uint8_t* id)
{
    return id[0] == '0' && id[1] == '0' &&
           (std::memcmp(id + 2, "dc", 2) == 0 || std::memcmp(id + 2, "db", 2) == 0);
}

// The header flags of the "hdrl" list that starts at `list`, or 0.
uint32_t MainHeaderFlags(const ReadAt& read, uint64_t list)
{
    uint8_t avih[8 + 16];  // the chunk header, then four of the main header's fields
    if (read(list + 12, avih, sizeof avih) != sizeof avih || std::memcmp(avih, "avih", 4) != 0 ||
        Le32(avih + 4) < 16)
        return 0;
    return Le32(avih + 8 + 12);
}

}  // namespace

bool FindAviIndex(const ReadAt& read, uint64_t fileBytes, AviIndexPlace& place)
{
    uint8_t header[12];
    if (fileBytes < 12 || read(0, header, 12) != 12 || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "AVI ", 4) != 0)
        return false;
    const uint64_t end = std::min<uint64_t>(fileBytes, 8 + static_cast<uint64_t>(Le32(header + 4)));
    bool haveMovi = false;
    uint64_t at = 12;
    while (at + 8 <= end) {
        uint8_t chunk[12];
        const size_t got = read(at, chunk, at + 12 <= end ? 12 : 8);
        if (got < 8)
            return false;
        const uint32_t size = Le32(chunk + 4);
        if (std::memcmp(chunk, "LIST", 4) == 0 && got == 12) {
            if (std::memcmp(chunk + 8, "hdrl", 4) == 0)
                place.trustChunkType = (MainHeaderFlags(read, at) & kTrustChunkType) != 0;
            if (std::memcmp(chunk + 8, "movi", 4) == 0) {
                place.moviOffset = at + 8;
                haveMovi = true;
            }
        } else if (std::memcmp(chunk, "idx1", 4) == 0) {
            if (!haveMovi || at + 8 + size > end)
                return false;
            place.indexOffset = at + 8;
            place.indexBytes = size;
            return true;
        }
        at += 8 + static_cast<uint64_t>(size) + (size & 1);
    }
    return false;
}

bool SetVideoKeyFlags(uint8_t* index, size_t bytes, const std::vector<bool>& keys,
                      bool trustChunkType, std::vector<ChunkTypeChange>& changes)
{
    changes.clear();
    const size_t entries = bytes / kEntryBytes;
    size_t frames = 0;
    for (size_t i = 0; i < entries; ++i)
        frames += IsVideoFrameEntry(index + i * kEntryBytes) ? 1 : 0;
    if (frames != keys.size())
        return false;
    size_t frame = 0;
    for (size_t i = 0; i < entries; ++i) {
        uint8_t* entry = index + i * kEntryBytes;
        if (!IsVideoFrameEntry(entry))
            continue;
        const bool key = keys[frame++];
        const uint32_t flags = Le32(entry + 4);
        PutLe32(entry + 4, key ? flags | kKeyFrameFlag : flags & ~kKeyFrameFlag);
        if (!trustChunkType)
            continue;
        const char* type = key && Le32(entry + 12) != 0 ? "db" : "dc";
        if (std::memcmp(entry + 2, type, 2) != 0) {
            std::memcpy(entry + 2, type, 2);
            ChunkTypeChange change;
            change.entryOffset = Le32(entry + 8);
            std::memcpy(change.type, type, 2);
            changes.push_back(change);
        }
    }
    return true;
}

bool OrderIndexByOffset(uint8_t* index, size_t bytes)
{
    const size_t entries = bytes / kEntryBytes;
    std::map<uint16_t, uint32_t> lastOffset;  // by the stream digits of the id
    std::vector<size_t> order(entries);
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t* entry = index + i * kEntryBytes;
        const uint16_t stream = static_cast<uint16_t>(entry[0] | entry[1] << 8);
        const uint32_t offset = Le32(entry + 8);
        auto last = lastOffset.find(stream);
        if (last != lastOffset.end() && offset < last->second)
            return false;
        lastOffset[stream] = offset;
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [index](size_t a, size_t b) {
        return Le32(index + a * kEntryBytes + 8) < Le32(index + b * kEntryBytes + 8);
    });
    std::vector<uint8_t> sorted(entries * kEntryBytes);
    for (size_t i = 0; i < entries; ++i)
        std::memcpy(sorted.data() + i * kEntryBytes, index + order[i] * kEntryBytes, kEntryBytes);
    std::memcpy(index, sorted.data(), sorted.size());
    return true;
}

}  // namespace korvane
