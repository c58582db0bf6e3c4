// A wave format as the window-free audio rules see it: the fields of a WAVEFORMATEX in
// integers of the same widths. wave_format_win.h fills it from the platform's record.
// Any thread.
#pragma once
#include <cstdint>

namespace korvane {

struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraBytes = 0;  // cbSize
};

}  // namespace korvane
