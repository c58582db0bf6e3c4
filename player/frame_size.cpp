// The frame's outer size for the movie window (any thread).
#include "frame_size.h"

namespace reelpane {

bool FrameSizeFor(bool minimised, bool movieOpen, const RECT& movieScreenRect, DWORD frameStyle,
                  SIZE emptySize, SIZE* size)
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

}  // namespace reelpane
