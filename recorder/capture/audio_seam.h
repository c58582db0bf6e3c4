// The recording thread's calls into the microphone capture. The wave-in capture is not
// part of this build yet: these do nothing and report failure, so a recording runs as
// video only. Its own files will replace this one. Recording thread.
#pragma once

// Creates the WAV file on a fresh tempWavPath.
bool PrepareAudioCapture();
// Opens and starts the wave-in device.
bool OpenWaveInput();
// Stops and closes the device, then closes the WAV file.
void CloseWaveInput();
