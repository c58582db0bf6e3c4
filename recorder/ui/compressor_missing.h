// The check at the start of a recording that some compressor can make the movie: the
// one chosen, or the Microsoft Video 1 compressor every fall-back goes to. Without
// either the stream set-up would fail; the user is told what to do instead. UI thread.
#pragma once
#include <windows.h>

namespace korvane {

// At start-up: finds out whether Microsoft Video 1 compresses here. Opening a compressor
// loads its driver, which takes too long to do on every press of the record key.
void NoteVideo1Compressor();
// True when a recording can be compressed (Video 1 was there at start-up, or the chosen
// compressor or Video 1 is there now); otherwise shows the message, owned by `owner`,
// and returns false.
bool CheckRecordingCompressor(HWND owner);

}  // namespace korvane
