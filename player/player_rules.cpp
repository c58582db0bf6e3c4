// The player's window-free rules (any thread).
#include "player_rules.h"

namespace reelpane {

std::string MoviePathFromArgument(const char* argument)
{
    return argument ? std::string(argument) : std::string();
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
