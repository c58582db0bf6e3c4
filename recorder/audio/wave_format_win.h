// A WAVEFORMATEX handed to the window-free audio rules. Windows only; any thread.
#pragma once
#include "wave_format.h"

#include <windows.h>
#include <mmsystem.h>

namespace korvane {

inline WaveFormat ToWaveFormat(const WAVEFORMATEX& f)
{
    return WaveFormat{f.wFormatTag,  f.nChannels,      f.nSamplesPerSec, f.nAvgBytesPerSec,
                      f.nBlockAlign, f.wBitsPerSample, f.cbSize};
}

}  // namespace korvane
