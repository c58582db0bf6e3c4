// The saved state of the compressor the user configured in the options dialog, and the
// copy of it handed to the compressed stream of a recording. Not written to disk.
#pragma once
#include <windows.h>
#include <vfw.h>

extern void* savedStateBytes;  // locked GMEM_MOVEABLE | GMEM_ZEROINIT block, or null
extern int savedStateSize;
extern DWORD savedStateFourCC;  // compressor the state belongs to; 0 = none
extern void* stateCopyForRecording;

// After the compressor's configuration dialog: keeps its ICM_GETSTATE bytes.
void SaveCompressorState(HIC compressor, DWORD fccHandler);
// Replaces savedStateBytes by a new zero-filled block; 1, or 0 after a warning.
int AllocStateBuffer(int bytes);
// Replaces stateCopyForRecording by a copy of savedStateBytes; 1, or 0 without memory.
int CopyStateForOptions();
