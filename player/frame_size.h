// The frame's outer size after the movie window changed. Asks user32 for the frame
// metrics of a style, so it stays with the window code, but needs no window; any thread.
#pragma once
#include <windows.h>

namespace reelpane {

// The frame's new outer size, or false to leave the frame alone (it is minimised). With
// a movie the frame wraps `movieScreenRect` (the movie window in screen co-ordinates)
// for a frame of `frameStyle` with a menu bar.
bool FrameSizeFor(bool minimised, bool movieOpen, const RECT& movieScreenRect, DWORD frameStyle,
                  SIZE emptySize, SIZE* size);

}  // namespace reelpane
