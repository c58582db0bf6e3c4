// The player's window-free rules (any thread).
#include "player_rules.h"

#include "utf8_text.h"

#include <cstring>

namespace reelpane {

namespace {

// Whether `text` begins with the `length` characters of `prefix`, ignoring ASCII case as
// the C runtime's case-blind comparison does in the "C" locale. A shorter `text` differs
// at its terminator, so it is never read past.
bool StartsWithIgnoringCase(const char* text, const char* prefix, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        unsigned char a = static_cast<unsigned char>(text[i]);
        unsigned char b = static_cast<unsigned char>(prefix[i]);
        if (a >= 'A' && a <= 'Z')
            a = static_cast<unsigned char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<unsigned char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

}  // namespace

std::string MoviePathFromCommandLine(const char* commandLine, const char* modulePath)
{
    if (!commandLine)
        return std::string();
    const char* p = commandLine;
    const std::size_t moduleLength = modulePath ? std::strlen(modulePath) : 0;
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {
        }
        if (*p == '"')
            ++p;
    } else if (moduleLength && StartsWithIgnoringCase(p, modulePath, moduleLength) &&
               static_cast<unsigned char>(p[moduleLength]) <= ' ') {
        p += moduleLength;
    } else {
        while (static_cast<unsigned char>(*p) > ' ')
            ++p;
    }
    while (*p && static_cast<unsigned char>(*p) <= ' ')
        ++p;
    // A quoted path (the recorder quotes it, as paths may hold blanks) is taken without
    // its quotes; an unclosed quote leaves the rest as it is.
    if (*p == '"') {
        const char* close = std::strchr(p + 1, '"');
        if (close)
            return std::string(p + 1, close);
    }
    return std::string(p);
}

bool IsOpenablePath(const std::string& path)
{
    // The limit counts the system's UTF-16 units: a UTF-8 path has more bytes than that.
    return !path.empty() && korvane::Utf16Units(path) < kMaxPath;
}

korvane::Size EmptyFrameSize(int captionHeight, int menuHeight, int frameHeight)
{
    return korvane::Size{180, captionHeight + menuHeight + 2 * frameHeight};
}

bool IsAtMovieEnd(long position, long end) { return end > 0 && position >= end - 1; }

}  // namespace reelpane
