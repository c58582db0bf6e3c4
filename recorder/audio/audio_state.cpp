// AudioState with its start-up values.
#include "audio_state.h"

WAVEFORMATEX captureFormat = {};
WAVEFORMATEX* compressFormat = nullptr;
DWORD compressFormatSize = 0;
