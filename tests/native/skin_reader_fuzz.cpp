// libFuzzer entry for the skin file check and the skin path rule: the input is both the
// head of a skin file and a program path.
#include "skin_file.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const size_t head = size < korvane::kSkinHeadBytes ? size : korvane::kSkinHeadBytes;
    korvane::IsValidSkinText(reinterpret_cast<const char*>(data), head);
    korvane::SkinFilePathFor(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
