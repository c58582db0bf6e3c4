// WAV salvage: the recorder's own layout is RIFF, fmt, data, in that order.
#include "wav_salvage.h"

#include <cstring>

namespace korvane {

namespace {

uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void PutTag(std::vector<uint8_t>& v, const char* tag) { v.insert(v.end(), tag, tag + 4); }

// A format we can size blocks by: the fixed fields present, a block length, and an
// extra-bytes count that fits the chunk.
bool UsableFormat(const std::vector<uint8_t>& f)
{
    if (f.size() < 16 || f.size() > 1024)
        return false;
    if (Le16(&f[12]) == 0 || Le16(&f[2]) == 0)  // nBlockAlign, nChannels
        return false;
    return f.size() < 18 || 18u + Le16(&f[16]) <= f.size();
}

// Our writer's data offset for a format chunk of `formatBytes`.
uint64_t DataOffsetFor(size_t formatBytes) { return 12 + 8 + formatBytes + (formatBytes & 1) + 8; }

bool ReadHeaders(const uint8_t* head, uint32_t headBytes, SalvagedWav& out)
{
    if (headBytes < 12 || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WAVE", 4) != 0)
        return false;
    uint64_t offset = 12;
    bool haveFormat = false;
    while (offset + 8 <= headBytes) {
        const uint8_t* chunk = head + offset;
        const uint32_t bytes = Le32(chunk + 4);
        if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return false;
            out.dataOffset = offset + 8;
            return true;
        }
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (offset + 8 + bytes > headBytes)
                return false;
            out.formatChunk.assign(chunk + 8, chunk + 8 + bytes);
            haveFormat = UsableFormat(out.formatChunk);
            if (!haveFormat)
                return false;
        }
        offset += 8 + static_cast<uint64_t>(bytes) + (bytes & 1);
    }
    return false;
}

}  // namespace

bool SalvageWav(const uint8_t* head, uint32_t headBytes, uint64_t fileBytes,
                const std::vector<uint8_t>& knownFormat, SalvagedWav& out)
{
    out = SalvagedWav();
    if (headBytes > kWavHeaderScanBytes)
        headBytes = kWavHeaderScanBytes;
    if (headBytes > fileBytes)
        headBytes = static_cast<uint32_t>(fileBytes);
    out.headerFound = ReadHeaders(head, headBytes, out);
    if (!out.headerFound) {
        if (!UsableFormat(knownFormat))
            return false;
        out.formatChunk = knownFormat;
        out.dataOffset = DataOffsetFor(knownFormat.size());
    }
    const uint16_t blockAlign = Le16(&out.formatChunk[12]);
    uint64_t data = fileBytes > out.dataOffset ? fileBytes - out.dataOffset : 0;
    // A RIFF size is 32 bits: the most that fits with the headers and a pad byte.
    const uint64_t most = 0xFFFFFFFFull - out.dataOffset - 1;
    if (data > most)
        data = most;
    out.dataBytes = static_cast<uint32_t>(data - data % blockAlign);
    return true;
}

uint32_t RiffSizeFor(const SalvagedWav& wav)
{
    return static_cast<uint32_t>(wav.dataOffset - 8 + wav.dataBytes + (wav.dataBytes & 1));
}

std::vector<uint8_t> WavHeaderFor(const std::vector<uint8_t>& formatChunk, uint32_t dataBytes)
{
    const size_t formatBytes = formatChunk.size();
    const uint64_t riff = DataOffsetFor(formatBytes) - 8 + dataBytes + (dataBytes & 1);
    std::vector<uint8_t> header;
    PutTag(header, "RIFF");
    Put32(header, static_cast<uint32_t>(riff));
    PutTag(header, "WAVE");
    PutTag(header, "fmt ");
    Put32(header, static_cast<uint32_t>(formatBytes));
    header.insert(header.end(), formatChunk.begin(), formatChunk.end());
    if (formatBytes & 1)
        header.push_back(0);
    PutTag(header, "data");
    Put32(header, dataBytes);
    return header;
}

}  // namespace korvane
