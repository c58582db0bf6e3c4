// What makes a skin file valid: the first line is the format tag. Pure; any thread.
#pragma once
#include <cstddef>
#include <cstring>

namespace korvane {

inline constexpr char kSkinFileTag[] = "KORVANE-SKIN 1";

inline bool IsValidSkinText(const char* text, std::size_t length)
{
    std::size_t tagLength = sizeof(kSkinFileTag) - 1;
    if (length < tagLength || std::memcmp(text, kSkinFileTag, tagLength) != 0)
        return false;
    return length == tagLength || text[tagLength] == '\r' || text[tagLength] == '\n';
}

}  // namespace korvane
