// Where a compressor's saved state joins the stream options of a recording, and is
// taken out again before the options are freed (the state copy is ours, not the
// library's). Recording thread.
#pragma once
#include <windows.h>
#include <vfw.h>

// Hands the saved state to the options when it belongs to compressorFourCC.
void AttachCompressorState(AVICOMPRESSOPTIONS& options);
// Takes our copy out of the options again; call before AVISaveOptionsFree.
void DetachCompressorState(AVICOMPRESSOPTIONS& options);
