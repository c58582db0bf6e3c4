// The player's window-free rules: which path the command line names, whether a path
// may be handed to the MCI window at all, how big the empty frame is, and when a movie
// has played to its end. Plain functions; any thread.
#pragma once
#include "geometry.h"

#include <string>

namespace reelpane {

// The path to play from the process's whole command line: everything after the program
// name, spaces and all; a path in quotes is taken without them. Any length is kept
// (whether it can be opened is decided later). The program name ends as the C start-up
// code ends it (at its closing quote, else at the first blank), except that an unquoted
// name equal to `modulePath` is skipped whole: older recorders start us without quotes,
// so a program folder with spaces would otherwise cut the path in two.
std::string MoviePathFromCommandLine(const char* commandLine, const char* modulePath);

// MAX_PATH: the longest path the platform holds, its terminator included, in UTF-16
// units.
constexpr std::size_t kMaxPath = 260;

// A path the platform cannot hold is a file that cannot be opened; it is never handed
// to the MCI window, whose buffers are sized for platform paths.
bool IsOpenablePath(const std::string& path);

// Caption and menu bar only: 180 pixels wide.
korvane::Size EmptyFrameSize(int captionHeight, int menuHeight, int frameHeight);

// Whether playback has reached the end: the position is the end itself or, where the
// MCI window stops on the last frame (Wine), one before it.
bool IsAtMovieEnd(long position, long end);

}  // namespace reelpane
