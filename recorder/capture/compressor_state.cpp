// The saved compressor state (placeholder: nothing is kept until it lands).
#include "compressor_state.h"

void* savedStateBytes = nullptr;
int savedStateSize = 0;
DWORD savedStateFourCC = 0;
void* stateCopyForRecording = nullptr;

void SaveCompressorState(HIC, DWORD) {}
int AllocStateBuffer(int) { return 0; }
int CopyStateForOptions() { return 0; }
