// The check at the start of a recording that some compressor can make the movie: the
// one chosen, or the Microsoft Video 1 compressor every fall-back goes to. Without
// either the stream set-up would fail; the user is told what to do instead. UI thread.
#pragma once
#include <windows.h>

namespace korvane {

// True when a recording can be compressed; otherwise shows the message, owned by
// `owner`, and returns false.
bool CheckRecordingCompressor(HWND owner);

}  // namespace korvane
