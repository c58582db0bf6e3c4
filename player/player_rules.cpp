// The player's window-free rules (any thread).
#include "player_rules.h"

#include <cstring>

namespace reelpane {

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
    } else if (moduleLength && _strnicmp(p, modulePath, moduleLength) == 0 &&
               static_cast<unsigned char>(p[moduleLength]) <= ' ') {
        p += moduleLength;
    } else {
        while (static_cast<unsigned char>(*p) > ' ')
            ++p;
    }
    while (*p && static_cast<unsigned char>(*p) <= ' ')
        ++p;
    return std::string(p);
}

bool IsOpenablePath(const std::string& path)
{
    return !path.empty() && path.size() < MAX_PATH;
}

SIZE EmptyFrameSize(int captionHeight, int menuHeight, int frameHeight)
{
    return SIZE{180, captionHeight + menuHeight + 2 * frameHeight};
}

bool FrameSizeFor(bool minimised, bool movieOpen, const RECT& movieScreenRect,
                  DWORD frameStyle, SIZE emptySize, SIZE* size)
{
    if (minimised)
        return false;
    if (!movieOpen) {
        *size = emptySize;
        return true;
    }
    RECT rc = movieScreenRect;
    if (!AdjustWindowRect(&rc, frameStyle, TRUE))
        return false;
    *size = SIZE{rc.right - rc.left, rc.bottom - rc.top};
    return true;
}

bool IsAtMovieEnd(long position, long end)
{
    return end > 0 && position >= end - 1;
}

}  // namespace reelpane
