// libFuzzer entry for the Video 1 decoder (clang, -DKORVANE_FUZZ=ON). The first two
// bytes choose the picture size in blocks; the rest is fed as two frames, so skip
// codes meet a picture that already holds something. Sanitizers flag any stray access.
#include <cstddef>
#include <cstdint>

#include "video1.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int width = 4 * (1 + data[0] % 32) + (data[0] >> 7);  // sometimes not whole blocks
    const int height = 4 * (1 + data[1] % 32);
    data += 2;
    size -= 2;
    video1::Decoder decoder(width, height);
    const size_t half = size / 2;
    decoder.Decode(half ? data : nullptr, half);
    decoder.Decode(size - half ? data + half : nullptr, size - half);
    uint8_t out[132 * 128 * 4];
    decoder.CopyTo(out, width * 4, 32);
    return 0;
}
