// The merge's save options.
#include "merge_options.h"

namespace korvane {

int InterleaveStep(int framesPerSecond, int interleavePeriod, bool periodInFrames)
{
    if (periodInFrames)
        return interleavePeriod;
    const int step = static_cast<int>(framesPerSecond * 100.0 / 1000.0);
    return step > 0 ? step : 1;
}

AVICOMPRESSOPTIONS VideoSaveOptions(bool interleave, int step)
{
    AVICOMPRESSOPTIONS o = {};
    o.fccType = streamtypeVIDEO;
    o.dwKeyFrameEvery = 0xFFFFFFFF;
    o.dwQuality = 0xFFFFFFFF;
    o.dwFlags = AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_DATARATE | AVICOMPRESSF_VALID;
    if (interleave)
        o.dwFlags |= AVICOMPRESSF_INTERLEAVE;
    o.dwInterleaveEvery = step;
    return o;
}

AVICOMPRESSOPTIONS AudioSaveOptions(bool interleave, int step, void* format, DWORD formatBytes)
{
    AVICOMPRESSOPTIONS o = {};
    o.fccType = streamtypeAUDIO;
    o.dwFlags = AVICOMPRESSF_VALID;
    if (interleave)
        o.dwFlags |= AVICOMPRESSF_INTERLEAVE;
    o.lpFormat = format;
    o.cbFormat = formatBytes;
    o.dwInterleaveEvery = step;
    return o;
}

}  // namespace korvane
