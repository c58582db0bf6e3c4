// The WAV file: byte layout as written, reading back, the four reading errors, and an
// uncreatable path. With --keep DIR the files written are left in DIR for sox and
// ffprobe (sound_file_check.sh); the deliberately broken ones are named bad_*.
#include "audio/sound_file.h"
#include "audio_stand_in.h"
#include "kernel_owners.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string keepDir;

std::string Folder()
{
    static std::string folder;
    if (folder.empty()) {
        if (!keepDir.empty()) {
            folder = keepDir;
        } else {
            char temp[MAX_PATH];
            GetTempPathA(MAX_PATH, temp);
            folder = std::string(temp) + "korvane_wav_" + std::to_string(GetCurrentProcessId());
        }
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    return folder;
}

std::string PathOf(const std::string& name) { return Folder() + "\\" + name; }

std::vector<unsigned char> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

uint32_t U32(const std::vector<unsigned char>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
std::string Tag(const std::vector<unsigned char>& b, size_t at)
{
    return std::string(reinterpret_cast<const char*>(&b[at]), 4);
}

WAVEFORMATEX Pcm(WORD channels, DWORD rate, WORD bits)
{
    WAVEFORMATEX f = {};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    f.nAvgBytesPerSec = f.nBlockAlign * rate;
    return f;
}

// Writes `bytes` sample bytes (a ramp) through the handle, as the capture does.
void WriteWav(const std::string& path, const WAVEFORMATEX& format, size_t bytes)
{
    CSoundFile file(path, &format);
    ASSERT_EQ(file.m_openMode, ForWriting);
    std::vector<char> data(bytes);
    for (size_t i = 0; i < bytes; ++i)
        data[i] = static_cast<char>(i * 7);
    if (bytes) {
        ASSERT_EQ(mmioWrite(file.m_hmmio.Get(), data.data(), static_cast<LONG>(bytes)),
                  static_cast<LONG>(bytes));
    }
}

// Collects the reading errors instead of showing them.
using ErrorCatcher = AudioStandIn;

TEST(SoundFileWriting, EmptyFileIs46BytesWithAnEighteenByteFormat)
{
    const std::string path = PathOf("empty.wav");
    WriteWav(path, Pcm(2, 22050, 16), 0);
    const std::vector<unsigned char> b = ReadAll(path);
    ASSERT_EQ(b.size(), 46u);
    EXPECT_EQ(Tag(b, 0), "RIFF");
    EXPECT_EQ(U32(b, 4), 38u);
    EXPECT_EQ(Tag(b, 8), "WAVE");
    EXPECT_EQ(Tag(b, 12), "fmt ");
    EXPECT_EQ(U32(b, 16), 18u);
    WAVEFORMATEX expected = Pcm(2, 22050, 16);
    EXPECT_EQ(std::memcmp(&b[20], &expected, 18), 0);
    EXPECT_EQ(b[36], 0);
    EXPECT_EQ(b[37], 0);
    EXPECT_EQ(Tag(b, 38), "data");
    EXPECT_EQ(U32(b, 42), 0u);
}

TEST(SoundFileWriting, OneDefaultBufferAndAnOddCount)
{
    const std::string full = PathOf("one_buffer.wav");
    WriteWav(full, Pcm(2, 22050, 16), 4000);
    std::vector<unsigned char> b = ReadAll(full);
    ASSERT_EQ(b.size(), 4046u);
    EXPECT_EQ(U32(b, 4), 4038u);
    EXPECT_EQ(U32(b, 42), 4000u);
    EXPECT_EQ(b[46 + 3999], static_cast<unsigned char>(3999 * 7));

    const std::string odd = PathOf("odd_count.wav");
    WriteWav(odd, Pcm(1, 11025, 8), 1001);
    b = ReadAll(odd);
    ASSERT_EQ(b.size(), 46u + 1002);
    EXPECT_EQ(U32(b, 42), 1001u);
    EXPECT_EQ(U32(b, 4), 38u + 1002);
    EXPECT_EQ(b.back(), 0);  // the pad byte
}

TEST(SoundFileWriting, RecreatingTruncatesAndAnExistingObjectRefusesToReopen)
{
    const std::string path = PathOf("truncated.wav");
    WriteWav(path, Pcm(2, 44100, 16), 8000);
    {
        CSoundFile file(path, nullptr);
        EXPECT_EQ(file.m_openMode, ForReading);
        EXPECT_FALSE(file.OpenForReading());
        EXPECT_FALSE(file.CreateForWriting());
    }
    WriteWav(path, Pcm(2, 44100, 16), 0);
    EXPECT_EQ(ReadAll(path).size(), 46u);
}

// A full drive took only part of what the file was given: closing must not leave sizes
// that claim the rest, or the sound cannot be merged. (Even counts given: an odd one's
// pad byte would be written here past the cut, filling the gap with zeros.)
TEST(SoundFileWriting, SizesCountOnlyWhatTheDriveTook)
{
    struct Case {
        WAVEFORMATEX format;
        size_t given, taken, held;
    } cases[] = {
        {Pcm(2, 22050, 16), 8000, 5003, 5000},  // a part-block at the end goes
        {Pcm(1, 11025, 8), 1000, 600, 600},
        {Pcm(1, 11025, 8), 1000, 601, 601},  // an odd count gets its pad byte
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.given << " given, " << c.taken << " taken");
        const std::string path = PathOf("short.wav");
        {
            CSoundFile file(path, &c.format);
            std::vector<char> data(c.given, 0x11);
            ASSERT_EQ(mmioWrite(file.m_hmmio.Get(), data.data(), static_cast<LONG>(c.given)),
                      static_cast<LONG>(c.given));
            mmioFlush(file.m_hmmio.Get(), 0);
            HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(h, INVALID_HANDLE_VALUE);
            SetFilePointer(h, static_cast<LONG>(46 + c.taken), nullptr, FILE_BEGIN);
            SetEndOfFile(h);
            CloseHandle(h);
        }
        const std::vector<unsigned char> b = ReadAll(path);
        const size_t padded = c.held + (c.held & 1);
        EXPECT_EQ(U32(b, 42), c.held);
        EXPECT_EQ(U32(b, 4), 38u + padded);
        EXPECT_EQ(b.size(), 46u + padded);
    }
}

TEST(SoundFileWriting, UncreatablePathIsNotOpenWithoutHandle)
{
    const WAVEFORMATEX f = Pcm(2, 22050, 16);
    CSoundFile file(PathOf("no_such_folder\\x.wav"), &f);
    EXPECT_EQ(file.m_openMode, NotOpen);
    EXPECT_EQ(file.m_hmmio.Get(), nullptr);

    // A file held open without sharing cannot be created either.
    const std::string held = PathOf("held.wav");
    korvane::KernelHandle h(
        CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(h);
    CSoundFile locked(held, &f);
    EXPECT_EQ(locked.m_openMode, NotOpen);
    EXPECT_EQ(locked.m_hmmio.Get(), nullptr);
    h.Reset();
    DeleteFileA(held.c_str());
}

TEST(SoundFileReading, ReadsFormatAndStopsAtTheData)
{
    const std::string path = PathOf("read_back.wav");
    WriteWav(path, Pcm(2, 22050, 16), 4000);
    ErrorCatcher errors;
    CSoundFile file(path, nullptr);
    ASSERT_EQ(file.m_openMode, ForReading);
    EXPECT_EQ(file.m_format.nChannels, 2);
    EXPECT_EQ(file.m_format.nSamplesPerSec, 22050u);
    EXPECT_EQ(file.m_chunk.cksize, 4000u);
    char first[2] = {};
    ASSERT_EQ(mmioRead(file.m_hmmio.Get(), first, 2), 2);
    EXPECT_EQ(first[1], 7);
    EXPECT_TRUE(errors.shown.empty());
}

// A recorder that died never wrote the sizes: the samples are all there is to the end.
TEST(SoundFileReading, FileWithoutSizesIsReadToItsEnd)
{
    const std::string path = PathOf("bad_unfinished.wav");
    WriteWav(path, Pcm(1, 8000, 16), 600);
    std::vector<unsigned char> b = ReadAll(path);
    std::memset(&b[4], 0, 4);
    std::memset(&b[42], 0, 4);
    WriteAll(path, b);
    ErrorCatcher errors;
    CSoundFile file(path, nullptr);
    ASSERT_EQ(file.m_openMode, ForReading);
    EXPECT_EQ(file.m_chunk.cksize, 600u);
    char first[2] = {};
    ASSERT_EQ(mmioRead(file.m_hmmio.Get(), first, 2), 2);
    EXPECT_EQ(first[1], 7);
    EXPECT_TRUE(errors.shown.empty());
}

// A WAV file built by hand: a fmt chunk of `formatBytes` (>= 16) with marker bytes past
// 18, then a data chunk when asked.
std::vector<unsigned char> HandMade(uint32_t formatBytes, bool withData, const char* form = "WAVE")
{
    std::vector<unsigned char> b;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
    tag("RIFF");
    put32(0);
    tag(form);
    tag("fmt ");
    put32(formatBytes);
    WAVEFORMATEX f = Pcm(1, 8000, 16);
    f.wFormatTag = 0x11;  // as IMA ADPCM, which has extra bytes
    f.cbSize = static_cast<WORD>(formatBytes > 18 ? formatBytes - 18 : 0);
    const unsigned char* fb = reinterpret_cast<const unsigned char*>(&f);
    b.insert(b.end(), fb, fb + (formatBytes < 18 ? formatBytes : 18));
    for (uint32_t i = 18; i < formatBytes; ++i)
        b.push_back(0xEE);
    if (formatBytes & 1)
        b.push_back(0);
    if (withData) {
        tag("data");
        put32(4);
        put32(0x01020304);
    }
    const uint32_t riff = static_cast<uint32_t>(b.size() - 8);
    std::memcpy(&b[4], &riff, 4);
    return b;
}

TEST(SoundFileReading, LargerFormatChunkDoesNotOverrunTheRecord)
{
    const std::string path = PathOf("bad_large_fmt.wav");
    WriteAll(path, HandMade(50, true));
    ErrorCatcher errors;
    // Guard bytes right after the object: an overrun of m_format would reach the
    // members after it, so check those stay as they were.
    CSoundFile file(path, nullptr);
    ASSERT_EQ(file.m_openMode, ForReading);
    EXPECT_EQ(file.m_format.wFormatTag, 0x11);
    EXPECT_EQ(file.m_format.cbSize, 32);
    EXPECT_EQ(file.m_bufferFrames, 1000u);
    EXPECT_EQ(file.m_chunk.ckid, mmioFOURCC('d', 'a', 't', 'a'));
    EXPECT_EQ(file.m_chunk.cksize, 4u);
    EXPECT_TRUE(errors.shown.empty());
}

// Leaving the fmt chunk cannot be made to fail with a file on Wine (mmioAscend seeks
// past the end without complaint), so "Error ascending in File" is not driven here.
TEST(SoundFileReading, ErrorsWithTheirTexts)
{
    ErrorCatcher errors;
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        const char* text;
    };
    std::vector<unsigned char> noFmt = HandMade(16, true);
    std::memcpy(&noFmt[12], "junk", 4);
    const Case cases[] = {
        {"bad_not_wave.wav", HandMade(16, true, "AVI "), "Error descending into file"},
        {"bad_no_fmt.wav", noFmt, "Error descending in wave file"},
        {"bad_no_data.wav", HandMade(16, false), "error reading data chunk"},
    };
    for (const Case& c : cases) {
        errors.shown.clear();
        const std::string path = PathOf(c.name);
        WriteAll(path, c.bytes);
        CSoundFile file(path, nullptr);
        EXPECT_EQ(file.m_openMode, NotOpen) << c.name;
        EXPECT_EQ(file.m_hmmio.Get(), nullptr) << c.name;
        ASSERT_EQ(errors.shown.size(), 1u) << c.name;
        EXPECT_EQ(errors.shown[0], c.text) << c.name;
        // Closed: the file can be removed at once.
        EXPECT_TRUE(DeleteFileA(path.c_str())) << c.name;
        WriteAll(path, c.bytes);
    }
    errors.shown.clear();
    CSoundFile missing(PathOf("missing.wav"), nullptr);
    EXPECT_EQ(missing.m_openMode, NotOpen);
    EXPECT_TRUE(errors.shown.empty());  // an unopenable file is the caller's to report
}

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--keep")
            keepDir = argv[i + 1];
    return RUN_ALL_TESTS();
}
