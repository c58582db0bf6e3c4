// The saved state of the compressor the user configured in the options dialog, and the
// copy of it handed to the compressed stream of a recording. Not written to disk.
// Written on the UI thread (options dialog); the recording thread makes its copy, which
// is safe because the options dialog is refused while a recording runs.
#pragma once
#include <windows.h>
#include <vfw.h>

extern void* savedStateBytes;  // locked GMEM_MOVEABLE | GMEM_ZEROINIT block, or null
extern int savedStateSize;
extern DWORD savedStateFourCC;  // compressor the state belongs to; 0 = none
extern void* stateCopyForRecording;

// After the compressor's configuration dialog: keeps its ICM_GETSTATE bytes. A
// compressor without state (size 0 or an error code) leaves the old state as it is.
void SaveCompressorState(HIC compressor, DWORD fccHandler);
// Replaces savedStateBytes by a new zero-filled block; 1, or 0 after a warning (the
// old state is gone then, and no state is kept).
int AllocStateBuffer(int bytes);
// Replaces stateCopyForRecording by a copy of savedStateBytes; 1, or 0 without memory
// or without a saved state.
int CopyStateForOptions();
