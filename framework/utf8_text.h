// Reading UTF-8 text, the programs' own code page since their manifests ask for it:
// whether bytes are UTF-8 at all, and how long they are in the UTF-16 units the system
// measures its limits in. Portable, header only; any thread.
#pragma once
#include <cstddef>
#include <string>

namespace korvane {

// The length of the UTF-8 sequence at `at`, or 0 when none starts there (a stray
// continuation byte, an overlong form, a surrogate, past U+10FFFF, or cut short).
inline std::size_t Utf8SequenceAt(const std::string& text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
    const unsigned char second = byte(at + 1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

inline bool IsUtf8(const std::string& text)
{
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceAt(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

// UTF-16 units of `text`; a byte that starts no UTF-8 sequence counts as one (text of
// a single-byte code page is measured by its bytes).
inline std::size_t Utf16Units(const std::string& text)
{
    std::size_t units = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceAt(text, at);
        units += length == 4 ? 2 : 1;
        at += length == 0 ? 1 : length;
    }
    return units;
}

}  // namespace korvane
