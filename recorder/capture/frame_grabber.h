// GrabRegionFrame: one rectangle of the screen, with the cursor drawn in, as a packed
// frame in locked global memory. Recording thread (frames) and UI thread (test
// pictures); the caller releases the frame with ReleaseFrameDib or a PackedFrame.
#pragma once
#include <windows.h>

// Null when the frame memory (or the bitmap) cannot be had; the caller ends the
// recording as a failed write does. quiet: leave the border alone (test frames).
BITMAPINFOHEADER* GrabRegionFrame(int width, int height, int left, int top, bool quiet);
