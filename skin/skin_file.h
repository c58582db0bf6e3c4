// What makes a skin file valid (the first line is the format tag), and where a program
// finds its skin file. Pure; any thread.
#pragma once
#include <cstddef>
#include <cstring>
#include <string>

namespace korvane {

inline constexpr char kSkinFileTag[] = "KORVANE-SKIN 1";
// How much of a skin file is read to check it.
inline constexpr std::size_t kSkinHeadBytes = 64;

inline bool IsValidSkinText(const char* text, std::size_t length)
{
    std::size_t tagLength = sizeof(kSkinFileTag) - 1;
    if (length < tagLength || std::memcmp(text, kSkinFileTag, tagLength) != 0)
        return false;
    return length == tagLength || text[tagLength] == '\r' || text[tagLength] == '\n';
}

// The skin file beside the program at `modulePath`: the folder is the text before the
// last backslash (empty if none), with a backslash appended when missing.
inline std::string SkinFilePathFor(const std::string& modulePath)
{
    const std::size_t slash = modulePath.rfind('\\');
    std::string folder = slash == std::string::npos ? std::string() : modulePath.substr(0, slash);
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder + "xplus.smf";
}

}  // namespace korvane
