// Reading back a merged file.
#include "merge_check.h"

#include "avifile_owners.h"
#include "sound_length.h"
#include "wave_format_win.h"

#include <windows.h>
#include <vfw.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

namespace korvane {

namespace {

bool OpenFirst(const std::string& path, DWORD type, AviStream& stream)
{
    if (AVIStreamOpenFromFileA(stream.Receive(), path.c_str(), type, 0, OF_SHARE_DENY_NONE,
                               nullptr) != 0) {
        stream.Discard();
        return false;
    }
    stream.NoteReceived();
    return true;
}

// The header's own time scale is no use here: a compressed stream's rate is its rounded
// average byte rate, which drifts from the samples it holds.
SoundStreamFacts FactsOf(PAVISTREAM stream)
{
    SoundStreamFacts facts;
    AVISTREAMINFOA info = {};
    AVIStreamInfoA(stream, &info, sizeof info);
    facts.length = AVIStreamLength(stream);
    facts.sampleSize = info.dwSampleSize;
    LONG size = 0;
    const LONG start = AVIStreamStart(stream);
    AVIStreamReadFormat(stream, start, nullptr, &size);
    if (size < static_cast<LONG>(sizeof(PCMWAVEFORMAT)))
        return facts;
    std::vector<unsigned char> bytes(static_cast<size_t>(size) + sizeof(WAVEFORMATEX));
    if (AVIStreamReadFormat(stream, start, bytes.data(), &size) != 0)
        return facts;
    WAVEFORMATEX wf = {};
    std::memcpy(&wf, bytes.data(), sizeof(PCMWAVEFORMAT));
    if (static_cast<size_t>(size) >= sizeof(WAVEFORMATEX))
        wf.cbSize = reinterpret_cast<const WAVEFORMATEX*>(bytes.data())->cbSize;
    facts.format = ToWaveFormat(wf);
    const size_t extra = static_cast<size_t>(size) > sizeof(WAVEFORMATEX)
                             ? static_cast<size_t>(size) - sizeof(WAVEFORMATEX)
                             : 0;
    facts.samplesPerBlock =
        SamplesPerBlock(facts.format, bytes.data() + sizeof(WAVEFORMATEX), extra);
    return facts;
}

uint32_t Le32(const unsigned char* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The bytes of sound ("##wb" chunks) the file's index lists; -1 without an index. A saved
// stream's header cannot tell: the platform's writer counts its chunks there, not its
// samples.
long long IndexedSoundBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    unsigned char header[12];
    if (!file.read(reinterpret_cast<char*>(header), sizeof header) ||
        std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "AVI ", 4) != 0)
        return -1;
    for (;;) {
        unsigned char chunk[8];
        if (!file.read(reinterpret_cast<char*>(chunk), sizeof chunk))
            return -1;
        const uint32_t size = Le32(chunk + 4);
        if (std::memcmp(chunk, "idx1", 4) != 0) {
            file.seekg(static_cast<std::streamoff>(size) + (size & 1), std::ios::cur);
            continue;
        }
        long long bytes = 0;
        unsigned char entry[16];
        for (uint32_t at = 0; at + sizeof entry <= size; at += sizeof entry) {
            if (!file.read(reinterpret_cast<char*>(entry), sizeof entry))
                break;
            if (entry[2] == 'w' && entry[3] == 'b')
                bytes += Le32(entry + 12);
        }
        return bytes;
    }
}

}  // namespace

MergeLengths MeasureMerge(const std::string& videoPath, const std::string& soundPath,
                          const std::string& mergedPath)
{
    MergeLengths lengths;
    AviFileLibrary library;
    AviStream sourceVideo, sourceSound, mergedVideo, mergedSound;
    if (!OpenFirst(mergedPath, streamtypeVIDEO, mergedVideo) ||
        !OpenFirst(mergedPath, streamtypeAUDIO, mergedSound))
        return lengths;
    lengths.opened = true;
    lengths.mergedFrames = AVIStreamLength(mergedVideo.Get());
    SoundStreamFacts merged = FactsOf(mergedSound.Get());
    const long long indexed = IndexedSoundBytes(mergedPath);
    if (indexed >= 0) {
        merged.length = static_cast<long>(indexed);
        merged.sampleSize = 1;
    }
    lengths.mergedSoundSeconds = SoundStreamSeconds(merged);
    // The conversion pads the last block, and a stream may end on a whole block.
    lengths.soundToleranceSeconds = 2 * SoundBlockSeconds(merged) + 0.002;
    if (OpenFirst(videoPath, streamtypeVIDEO, sourceVideo))
        lengths.sourceFrames = AVIStreamLength(sourceVideo.Get());
    if (OpenFirst(soundPath, streamtypeAUDIO, sourceSound))
        lengths.sourceSoundSeconds = SoundStreamSeconds(FactsOf(sourceSound.Get()));
    return lengths;
}

}  // namespace korvane
