// The arithmetic of the WAV files we write: chunk sizes, padding and the bytes of a
// format chunk that fit our format record. Plain functions; any thread.
#pragma once
#include <cstdint>

namespace korvane {

// Size of the format record we keep: a WAVEFORMATEX through its cbSize field.
constexpr uint32_t kWaveFormatRecordBytes = 18;

// RIFF chunks are padded to an even length; the size field keeps the true count.
constexpr uint32_t PaddedChunkBytes(uint32_t contentBytes)
{
    return contentBytes + (contentBytes & 1);
}

// The size of the fmt chunk's contents for a format with `cbSize` extra bytes.
constexpr uint32_t FormatChunkBytes(uint16_t cbSize) { return kWaveFormatRecordBytes + cbSize; }

// The RIFF size field: everything after it, i.e. the form type plus both sub-chunks.
constexpr uint32_t RiffSizeField(uint32_t formatBytes, uint32_t dataBytes)
{
    return 4 + 8 + PaddedChunkBytes(formatBytes) + 8 + PaddedChunkBytes(dataBytes);
}

// Offset of the first sample byte, and the length of the whole file.
constexpr uint32_t SampleDataOffset(uint16_t cbSize)
{
    return 12 + 8 + PaddedChunkBytes(FormatChunkBytes(cbSize)) + 8;
}
constexpr uint32_t WavFileBytes(uint16_t cbSize, uint32_t dataBytes)
{
    return 8 + RiffSizeField(FormatChunkBytes(cbSize), dataBytes);
}

// How many bytes of a fmt chunk of `chunkBytes` may be read into our format record:
// never more than the record holds, so a larger (compressed) format cannot overrun it.
constexpr uint32_t FormatBytesToRead(uint32_t chunkBytes)
{
    return chunkBytes < kWaveFormatRecordBytes ? chunkBytes : kWaveFormatRecordBytes;
}

}  // namespace korvane
