// Saved compressor state of the stream options: none is kept yet.
#include "compressor_state_seam.h"

void AttachCompressorState(AVICOMPRESSOPTIONS&) {}
void DetachCompressorState(AVICOMPRESSOPTIONS&) {}
