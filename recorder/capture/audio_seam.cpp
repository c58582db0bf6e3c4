// No microphone capture yet.
#include "audio_seam.h"

bool PrepareAudioCapture() { return false; }
bool OpenWaveInput() { return false; }
void CloseWaveInput() {}
