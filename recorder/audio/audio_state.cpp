// AudioState with its start-up values.
#include "audio_state.h"

WAVEFORMATEX captureFormat = {};
HWAVEIN waveIn = nullptr;
long queuedBufferCount = 0;
CSoundFile* soundFile = nullptr;
WAVEFORMATEX* compressFormat = nullptr;
DWORD compressFormatSize = 0;
