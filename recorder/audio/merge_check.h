// Reads back what a merge wrote, so the finish can tell a whole merged file from one the
// file system cut short while reporting success. UI thread (AVIFile).
#pragma once
#include <string>

namespace korvane {

struct MergeLengths {
    bool opened = false;  // both streams of the merged file could be read
    long sourceFrames = 0;
    long mergedFrames = 0;
    double sourceSoundSeconds = 0;
    double mergedSoundSeconds = 0;
    double soundToleranceSeconds = 0;  // how far the two sounds may differ: a block or two
};

MergeLengths MeasureMerge(const std::string& videoPath, const std::string& soundPath,
                          const std::string& mergedPath);

}  // namespace korvane
