// The walk over a damaged AVI file's chunks.
#include "avi_salvage.h"

#include <cstring>

namespace korvane {

size_t MemoryBytes::Read(uint64_t offset, void* to, size_t bytes)
{
    if (offset >= m_size)
        return 0;
    const size_t available = static_cast<size_t>(m_size - offset);
    const size_t n = bytes < available ? bytes : available;
    std::memcpy(to, m_data + offset, n);
    return n;
}

uint32_t SalvagedVideo::CodedFrames() const
{
    uint32_t n = 0;
    for (const SalvagedFrame& f : frames)
        n += f.bytes > 0 ? 1 : 0;
    return n;
}

namespace {

uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool Is(const uint8_t* p, const char* fourcc) { return std::memcmp(p, fourcc, 4) == 0; }

// The header region a writer leaves zeroed until release: skipped up to the first
// non-zero byte, read in blocks.
uint64_t SkipZeros(ByteSource& file, uint64_t offset)
{
    uint8_t block[4096];
    for (;;) {
        const size_t n = file.Read(offset, block, sizeof block);
        if (n == 0)
            return offset;
        for (size_t i = 0; i < n; ++i)
            if (block[i] != 0)
                return offset + i;
        offset += n;
    }
}

}  // namespace

SalvagedVideo SalvageAviFrames(ByteSource& file, uint32_t maxFrameBytes)
{
    SalvagedVideo out;
    const uint64_t size = file.Size();
    uint64_t offset = 0;
    uint8_t head[12];
    const bool headed = file.Read(0, head, 12) == 12 && Is(head, "RIFF") && Is(head + 8, "AVI ");
    offset = headed ? 12 : SkipZeros(file, 0);

    auto stop = [&](SalvageStop why) {
        out.stop = why;
        out.stopOffset = offset;
        return out;
    };
    for (;;) {
        if (offset == size)
            return stop(SalvageStop::EndOfData);
        // Chunks start on even offsets: an odd one means the walk went astray.
        if (offset & 1)
            return stop(SalvageStop::Garbage);
        const size_t got = file.Read(offset, head, 8);
        if (got < 8) {
            // A run of zeros to the end is the unwritten tail of a header, not damage.
            bool zeros = true;
            for (size_t i = 0; i < got; ++i)
                zeros = zeros && head[i] == 0;
            return stop(zeros && out.frames.empty() ? SalvageStop::EndOfData : SalvageStop::Cut);
        }
        const uint32_t bytes = Le32(head + 4);
        const uint64_t next = offset + 8 + bytes + (bytes & 1);
        if (Is(head, "LIST")) {
            uint8_t type[4];
            if (file.Read(offset + 8, type, 4) < 4)
                return stop(SalvageStop::Cut);
            if (bytes < 4)
                return stop(SalvageStop::Garbage);
            if (Is(type, "movi") || Is(type, "rec ")) {
                offset += 12;  // the frames are inside: walk on into the list
                continue;
            }
            if (!Is(type, "hdrl") && !Is(type, "INFO") && !Is(type, "odml"))
                return stop(SalvageStop::Garbage);
        } else if (Is(head, "idx1")) {
            out.finished = headed && next <= size;
            return stop(SalvageStop::EndOfData);
        } else if (Is(head, "00dc") || Is(head, "00db")) {
            if (bytes > maxFrameBytes)
                return stop(SalvageStop::TooLarge);
            if (offset + 8 + bytes > size)
                return stop(SalvageStop::Cut);
            SalvagedFrame frame;
            frame.dataOffset = offset + 8;
            frame.bytes = bytes;
            frame.position = static_cast<uint32_t>(out.frames.size());
            frame.key = Is(head, "00db") || out.frames.empty();
            out.frames.push_back(frame);
        } else if (!Is(head, "JUNK")) {
            return stop(SalvageStop::Garbage);
        }
        if (next > size) {
            // A frame whose pad byte is missing is still whole; anything else cut short
            // ends the data too.
            if (!Is(head, "00dc") && !Is(head, "00db"))
                return stop(SalvageStop::Cut);
            offset = size;
            return stop(SalvageStop::EndOfData);
        }
        offset = next;
    }
}

}  // namespace korvane
