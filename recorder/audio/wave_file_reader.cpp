// WAV chunk walking; see wave_file_reader.h. Any thread.
#include "wave_file_reader.h"

#include <cstring>

namespace korvane {

namespace {

constexpr uint32_t FourCc(const char (&tag)[5])
{
    return uint32_t(uint8_t(tag[0])) | uint32_t(uint8_t(tag[1])) << 8 |
           uint32_t(uint8_t(tag[2])) << 16 | uint32_t(uint8_t(tag[3])) << 24;
}

uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

struct Chunk {
    uint32_t id = 0;
    uint32_t size = 0;       // as the file says
    uint64_t contentAt = 0;  // offset of the first content byte
};

// The chunk header at `at`, if all 8 bytes of it lie before `end`.
bool ReadChunk(const ReadAt& read, uint64_t at, uint64_t end, Chunk& chunk)
{
    uint8_t header[8];
    if (at > end || end - at < 8 || read(at, header, 8) != 8)
        return false;
    chunk.id = Le32(header);
    chunk.size = Le32(header + 4);
    chunk.contentAt = at + 8;
    return true;
}

// In 64 bits: the padded size of the largest chunk does not fit the size field's type.
uint64_t NextChunk(const Chunk& chunk)
{
    return chunk.contentAt + uint64_t(chunk.size) + (chunk.size & 1);
}

// The first chunk with `id` from `at` on, before `end`.
bool FindChunk(const ReadAt& read, uint64_t at, uint64_t end, uint32_t id, Chunk& found)
{
    for (Chunk chunk; ReadChunk(read, at, end, chunk); at = NextChunk(chunk)) {
        if (chunk.id == id) {
            found = chunk;
            return true;
        }
    }
    return false;
}

}  // namespace

WaveFileParts ReadWaveFileParts(const ReadAt& read, uint64_t fileBytes)
{
    WaveFileParts parts;
    // The RIFF form: a top-level RIFF chunk whose form type is WAVE; other chunks before
    // it are passed over.
    Chunk riff;
    uint64_t at = 0;
    bool isWave = false;
    while (!isWave && FindChunk(read, at, fileBytes, FourCc("RIFF"), riff)) {
        uint8_t form[4];
        // A size of 0 is the placeholder of a file whose sizes were never written.
        isWave = (riff.size >= 4 || riff.size == 0) && read(riff.contentAt, form, 4) == 4 &&
                 Le32(form) == FourCc("WAVE");
        if (!isWave)
            at = NextChunk(riff);
    }
    if (!isWave)
        return parts;
    // A size past the end belongs to a file cut short.
    const uint64_t said = riff.contentAt + riff.size;
    const bool sizesWritten = riff.size != 0;
    const uint64_t end = sizesWritten && said <= fileBytes ? said : fileBytes;

    Chunk format;
    if (!FindChunk(read, riff.contentAt + 4, end, FourCc("fmt "), format)) {
        parts.status = WaveFileStatus::NoFormat;
        return parts;
    }
    const uint64_t formatHeld = end - format.contentAt;
    const std::size_t recordBytes = static_cast<std::size_t>(FormatBytesToRead(
        static_cast<uint32_t>(format.size < formatHeld ? format.size : formatHeld)));
    if (read(format.contentAt, parts.formatRecord, recordBytes) != recordBytes)
        std::memset(parts.formatRecord, 0, sizeof parts.formatRecord);

    // As a chunk search continues from where the last one ended, the samples come after
    // the format.
    Chunk data;
    if (!FindChunk(read, NextChunk(format), end, FourCc("data"), data)) {
        parts.status = WaveFileStatus::NoData;
        return parts;
    }
    const uint64_t held = end - data.contentAt;
    uint64_t bytes = sizesWritten ? data.size : held;
    if (bytes > held)
        bytes = held;
    parts.status = WaveFileStatus::Ok;
    parts.dataOffset = data.contentAt;
    parts.dataBytes = static_cast<uint32_t>(bytes);
    return parts;
}

WaveFileParts ReadWaveFileParts(const uint8_t* data, std::size_t size)
{
    return ReadWaveFileParts(
        [data, size](uint64_t offset, void* out, std::size_t bytes) -> std::size_t {
            if (offset >= size)
                return 0;
            const std::size_t n =
                size - offset < bytes ? size - static_cast<std::size_t>(offset) : bytes;
            std::memcpy(out, data + offset, n);
            return n;
        },
        size);
}

}  // namespace korvane
