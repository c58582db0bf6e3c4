// What the audio and video merge ended with. The numbers are the ones the merge has
// always returned and callers may keep, so they stay fixed; unscoped so that a result
// still reads as an int. Any thread.
#pragma once

namespace korvane {

enum MergeResult : int {
    Merged = 0,
    VideoNotOpened = 1,
    AudioNotOpened = 2,
    FirstStreamNotVideo = 3,
    SecondStreamNotAudio = 4,
    SaveFailed = 5,  // also after the retry without compression
};

}  // namespace korvane
