// Where a compressor's saved state joins the stream options and is taken out again
// before the options are freed. The saved state itself is not kept yet: both do
// nothing. Recording thread.
#pragma once
#include <windows.h>
#include <vfw.h>

void AttachCompressorState(AVICOMPRESSOPTIONS& options);
void DetachCompressorState(AVICOMPRESSOPTIONS& options);
