// The player's window-free rules: which path the command line names, whether a path
// may be handed to the MCI window at all, how big the frame should be, and when a movie
// has played to its end. Plain
// functions (FrameSizeFor asks user32 for frame metrics but needs no window); any thread.
#pragma once
#include <windows.h>

#include <string>

namespace reelpane {

// The path to play from the process's whole command line: everything after the program
// name, spaces and all, with no quote handling; any length is kept (whether it can be
// opened is decided later). The program name ends as the C start-up code ends it (at
// its closing quote, else at the first blank), except that an unquoted name equal to
// `modulePath` is skipped whole: the recorder starts us without quotes, so a program
// folder with spaces would otherwise cut the path in two.
std::string MoviePathFromCommandLine(const char* commandLine, const char* modulePath);

// A path the platform cannot hold (MAX_PATH characters with its terminator) is a file
// that cannot be opened; it is never handed to the MCI window, whose buffers are sized
// for platform paths.
bool IsOpenablePath(const std::string& path);

// Caption and menu bar only: 180 pixels wide.
SIZE EmptyFrameSize(int captionHeight, int menuHeight, int frameHeight);

// The frame's new outer size after the movie window changed, or false to leave the frame
// alone (it is minimised). With a movie the frame wraps `movieScreenRect` (the movie
// window in screen co-ordinates) for a frame of `frameStyle` with a menu bar.
bool FrameSizeFor(bool minimised, bool movieOpen, const RECT& movieScreenRect,
                  DWORD frameStyle, SIZE emptySize, SIZE* size);

// Whether playback has reached the end: the position is the end itself or, where the
// MCI window stops on the last frame (Wine), one before it.
bool IsAtMovieEnd(long position, long end);

}  // namespace reelpane
