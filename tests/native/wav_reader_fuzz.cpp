// libFuzzer entry for the WAV file reader: the input is the whole file. The found parts
// must lie inside it; sanitizers flag any stray access on the way.
#include "audio/wave_file_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const korvane::WaveFileParts parts = korvane::ReadWaveFileParts(data, size);
    if (parts.status == korvane::WaveFileStatus::Ok &&
        (parts.dataOffset > size || parts.dataBytes > size - parts.dataOffset))
        std::abort();
    return 0;
}
