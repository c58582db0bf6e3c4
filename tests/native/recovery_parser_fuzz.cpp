// libFuzzer entry for the recovery parsers (clang, -DKORVANE_FUZZ=ON): the input is read
// as a damaged temporary AVI file, as the start of a WAV file and as a description, and
// every frame found is read back through its offsets. Sanitizers flag any stray access.
#include "recovery/avi_salvage.h"
#include "recovery/recording_description.h"
#include "recovery/wav_salvage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    korvane::MemoryBytes file(data, size);
    const korvane::SalvagedVideo video = korvane::SalvageAviFrames(file, 1 << 20);
    uint8_t byte = 0;
    for (const korvane::SalvagedFrame& f : video.frames)
        if (f.bytes > 0 &&
            (f.dataOffset + f.bytes > size || file.Read(f.dataOffset + f.bytes - 1, &byte, 1) != 1))
            abort();

    const std::vector<uint8_t> known = {1,    0, 1, 0, 0x11, 0x2b, 0, 0, 0x11,
                                        0x2b, 0, 0, 1, 0,    8,    0, 0, 0};
    korvane::SalvagedWav wav;
    const uint32_t head = size < korvane::kWavHeaderScanBytes ? static_cast<uint32_t>(size)
                                                              : korvane::kWavHeaderScanBytes;
    if (korvane::SalvageWav(data, head, size, size % 2 ? known : std::vector<uint8_t>(), wav)) {
        if (wav.dataOffset + wav.dataBytes > size && wav.dataBytes > 0)
            abort();
        korvane::WavHeaderFor(wav.formatChunk, wav.dataBytes);
    }

    korvane::RecordingDescription d;
    if (korvane::ParseDescription(std::string(reinterpret_cast<const char*>(data), size), d))
        korvane::MaxFrameBytes(d);
    return 0;
}
