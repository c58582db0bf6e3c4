// The WAV reader on whole, damaged and foreign files: what it finds and that it never
// reaches past the end (the native build runs it under ASan).
#include "audio/wave_file_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using korvane::WaveFileStatus;
using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Chunk(Bytes& b, const char* id, uint32_t size, const Bytes& content)
{
    b.insert(b.end(), id, id + 4);
    Put32(b, size);
    b.insert(b.end(), content.begin(), content.end());
    if (content.size() & 1)
        b.push_back(0);
}
// A 16-bit mono 8000 Hz format record with cbSize 0.
Bytes Pcm() { return {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0, 0, 0}; }
// RIFF(size) WAVE, then `body`.
Bytes Wave(uint32_t riffSize, const Bytes& body)
{
    Bytes b = {'R', 'I', 'F', 'F'};
    Put32(b, riffSize);
    b.insert(b.end(), {'W', 'A', 'V', 'E'});
    b.insert(b.end(), body.begin(), body.end());
    return b;
}
Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}
Bytes Sub(const char* id, uint32_t size, const Bytes& content)
{
    Bytes b;
    Chunk(b, id, size, content);
    return b;
}

TEST(WaveFileReader, FindsFormatAndSamplesOfWholeAndDamagedFiles)
{
    const Bytes samples(100, 0x55);
    const Bytes fmt = Sub("fmt ", 18, Pcm());
    struct Case {
        const char* name;
        Bytes file;
        WaveFileStatus status;
        uint64_t dataOffset;
        uint32_t dataBytes;
    };
    const Bytes whole = Wave(4 + 26 + 8 + 100, Concat({fmt, Sub("data", 100, samples)}));
    Bytes cutInSamples(whole.begin(), whole.end() - 60);
    Bytes cutInFormat(whole.begin(), whole.begin() + 30);
    const Case cases[] = {
        {"as written", whole, WaveFileStatus::Ok, 46, 100},
        // The recorder died: both sizes are still the placeholders written at the start.
        {"sizes never written", Wave(0, Concat({fmt, Sub("data", 0, samples)})), WaveFileStatus::Ok,
         46, 100},
        {"cut in the samples", cutInSamples, WaveFileStatus::Ok, 46, 40},
        {"data size past the end", Wave(138, Concat({fmt, Sub("data", 0x7FFFFFF0, samples)})),
         WaveFileStatus::Ok, 46, 100},
        {"RIFF size past the end", Wave(0xFFFFFFF0, Concat({fmt, Sub("data", 100, samples)})),
         WaveFileStatus::Ok, 46, 100},
        {"other chunks passed over, odd one padded",
         Wave(0, Concat({Sub("LIST", 3, {1, 2, 3}), fmt, Sub("fact", 4, {0, 0, 0, 0}),
                         Sub("data", 100, samples)})),
         WaveFileStatus::Ok, 46 + 12 + 12, 100},
        {"empty file", {}, WaveFileStatus::NotWave, 0, 0},
        {"three bytes", {'R', 'I', 'F'}, WaveFileStatus::NotWave, 0, 0},
        {"RIFF without a form type",
         {'R', 'I', 'F', 'F', 2, 0, 0, 0, 'W', 'A'},
         WaveFileStatus::NotWave,
         0,
         0},
        {"an AVI", Sub("RIFF", 8, {'A', 'V', 'I', ' ', 0, 0, 0, 0}), WaveFileStatus::NotWave, 0, 0},
        {"no format", Wave(0, Sub("data", 100, samples)), WaveFileStatus::NoFormat, 0, 0},
        {"cut in the format", cutInFormat, WaveFileStatus::NoData, 0, 0},
        // As the platform's chunk search went on from the format, samples before it are
        // not found.
        {"samples before the format", Wave(0, Concat({Sub("data", 100, samples), fmt})),
         WaveFileStatus::NoData, 0, 0},
        {"a chunk as large as its size field holds",
         Wave(0, Concat({fmt, Sub("junk", 0xFFFFFFFF, {}), Sub("data", 100, samples)})),
         WaveFileStatus::NoData, 0, 0},
    };
    for (const Case& c : cases) {
        // A copy of exactly the file's size, so ASan sees a read past its end.
        const std::vector<uint8_t> exact(c.file);
        const korvane::WaveFileParts parts = korvane::ReadWaveFileParts(exact.data(), exact.size());
        EXPECT_EQ(parts.status, c.status) << c.name;
        EXPECT_EQ(parts.dataOffset, c.dataOffset) << c.name;
        EXPECT_EQ(parts.dataBytes, c.dataBytes) << c.name;
        if (c.status == WaveFileStatus::Ok) {
            EXPECT_EQ(std::memcmp(parts.formatRecord, Pcm().data(), 18), 0) << c.name;
        }
    }
}

TEST(WaveFileReader, FormatRecordTakesOnlyWhatFitsAndWhatIsThere)
{
    Bytes large = Pcm();
    large[16] = 32;  // cbSize of a format with 32 extra bytes
    large.resize(50, 0xEE);
    Bytes whole = Wave(0, Concat({Sub("fmt ", 50, large), Sub("data", 2, {7, 7})}));
    korvane::WaveFileParts parts = korvane::ReadWaveFileParts(whole.data(), whole.size());
    ASSERT_EQ(parts.status, WaveFileStatus::Ok);
    EXPECT_EQ(std::memcmp(parts.formatRecord, large.data(), 18), 0);
    EXPECT_EQ(parts.dataOffset, 12u + 58 + 8);

    // A 16-byte format (no cbSize) leaves the rest of the record zero.
    const Bytes pcm = Pcm();
    Bytes small = Wave(
        0, Concat({Sub("fmt ", 16, Bytes(pcm.begin(), pcm.begin() + 16)), Sub("data", 2, {7, 7})}));
    parts = korvane::ReadWaveFileParts(small.data(), small.size());
    ASSERT_EQ(parts.status, WaveFileStatus::Ok);
    EXPECT_EQ(parts.formatRecord[16], 0);
    EXPECT_EQ(parts.formatRecord[17], 0);
    EXPECT_EQ(parts.formatRecord[4], 0x40);
}

}  // namespace
