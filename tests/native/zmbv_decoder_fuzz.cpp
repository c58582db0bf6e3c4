// libFuzzer entry for the ZMBV decoder (clang, -DKORVANE_FUZZ=ON). The first two bytes
// choose the picture size, the next two split the rest into a key frame and an inter
// frame of the same stream, so vectors and XORs meet a picture that holds something. A valid
// key frame header is put in front of the first part now and then, so the inflate and
// block paths are reached and not only the header checks. Sanitizers flag stray access.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "zmbv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    const int width = 1 + data[0] % 70, height = 1 + data[1] % 50;
    const size_t split = data[2] | (data[3] << 8);
    const uint8_t mode = data[4];
    data += 5;
    size -= 5;
    const size_t first = split % (size + 1);
    std::vector<uint8_t> key(data, data + first);
    if (mode & 0x80) {
        static const uint8_t kFormats[] = {4, 5, 6, 8};
        const uint8_t header[] = {1, 0, 1, 1, kFormats[mode & 3], 16, 16};
        key.insert(key.begin(), header, header + sizeof header);
    }
    zmbv::Decoder decoder(width, height);
    decoder.Decode(key.data(), key.size());
    decoder.Decode(size - first ? data + first : nullptr, size - first);
    std::vector<uint8_t> out(static_cast<size_t>(width) * height * 4);
    for (int bits : {16, 24, 32})
        decoder.CopyTo(out.data(), width * 4, bits);
    return 0;
}
