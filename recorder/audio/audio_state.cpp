// AudioState with its start-up values.
#include "audio_state.h"

#include "sound_file.h"

WAVEFORMATEX captureFormat = {};
korvane::WaveInDevice waveIn;
long queuedBufferCount = 0;
std::unique_ptr<CSoundFile> soundFile;
WAVEFORMATEX* compressFormat = nullptr;
DWORD compressFormatSize = 0;
