// Cutting a sound file into parts, with plain file I/O: the files are ours, and the data
// chunk's size field may be short of what the file holds (a capture that never closed it).
#include "sound_split.h"

#include "kernel_owners.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace korvane {

namespace {

uint32_t U32(const unsigned char* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void PutU32(std::vector<unsigned char>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void PutTag(std::vector<unsigned char>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

bool ReadAt(HANDLE file, uint64_t offset, void* buffer, DWORD bytes)
{
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD read = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
           ReadFile(file, buffer, bytes, &read, nullptr) && read == bytes;
}

bool WriteAll(HANDLE file, const void* data, DWORD bytes)
{
    DWORD written = 0;
    return WriteFile(file, data, bytes, &written, nullptr) && written == bytes;
}

}  // namespace

bool ReadSoundLayout(const std::string& path, SoundLayout& layout)
{
    const KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.Get(), &size))
        return false;
    const uint64_t fileBytes = static_cast<uint64_t>(size.QuadPart);
    unsigned char riff[12];
    if (!ReadAt(file.Get(), 0, riff, 12) || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0)
        return false;
    bool haveFormat = false;
    for (uint64_t at = 12; at + 8 <= fileBytes;) {
        unsigned char head[8];
        if (!ReadAt(file.Get(), at, head, 8))
            return false;
        const uint64_t bytes = U32(head + 4);
        const uint64_t content = at + 8;
        if (std::memcmp(head, "fmt ", 4) == 0) {
            if (bytes < 16 || bytes > 1024 || content + bytes > fileBytes)
                return false;
            layout.format.resize(static_cast<size_t>(bytes));
            if (!ReadAt(file.Get(), content, layout.format.data(), static_cast<DWORD>(bytes)))
                return false;
            layout.bytesPerSecond = U32(layout.format.data() + 8);
            layout.blockAlign = layout.format[12] | layout.format[13] << 8;
            haveFormat = true;
        } else if (std::memcmp(head, "data", 4) == 0) {
            layout.dataOffset = content;
            const uint64_t held = fileBytes - content;
            // An unfinished file says 0 (or too much); what is there counts.
            layout.dataBytes = bytes == 0 || bytes > held ? held : bytes;
            return haveFormat && layout.blockAlign != 0;
        }
        at = content + bytes + (bytes & 1);
    }
    return false;
}

bool WriteSoundSlice(const std::string& path, const SoundLayout& layout, ByteRange range,
                     const std::string& outPath)
{
    range.end = std::min(range.end, layout.dataBytes);
    range.begin = std::min(range.begin, range.end);
    const uint64_t bytes = range.end - range.begin;
    const uint64_t formatBytes = layout.format.size();
    if (bytes + formatBytes + 64 > 0xFFFFFFFFull)
        return false;
    const KernelHandle in(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const KernelHandle out(CreateFileA(outPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in || !out)
        return false;
    std::vector<unsigned char> header;
    PutTag(header, "RIFF");
    PutU32(header, static_cast<uint32_t>(4 + 8 + formatBytes + (formatBytes & 1) + 8 + bytes +
                                         (bytes & 1)));
    PutTag(header, "WAVE");
    PutTag(header, "fmt ");
    PutU32(header, static_cast<uint32_t>(formatBytes));
    header.insert(header.end(), layout.format.begin(), layout.format.end());
    if (formatBytes & 1)
        header.push_back(0);
    PutTag(header, "data");
    PutU32(header, static_cast<uint32_t>(bytes));
    if (!WriteAll(out.Get(), header.data(), static_cast<DWORD>(header.size())))
        return false;
    std::vector<unsigned char> chunk(1 << 20);
    for (uint64_t done = 0; done < bytes;) {
        const DWORD step = static_cast<DWORD>(std::min<uint64_t>(chunk.size(), bytes - done));
        if (!ReadAt(in.Get(), layout.dataOffset + range.begin + done, chunk.data(), step) ||
            !WriteAll(out.Get(), chunk.data(), step))
            return false;
        done += step;
    }
    if (bytes & 1) {
        const unsigned char pad = 0;
        if (!WriteAll(out.Get(), &pad, 1))
            return false;
    }
    return true;
}

}  // namespace korvane
