// Reading back a merged file.
#include "merge_check.h"

#include "avifile_owners.h"

#include <windows.h>
#include <vfw.h>

namespace korvane {

namespace {

bool OpenFirst(const std::string& path, DWORD type, AviStream& stream)
{
    if (AVIStreamOpenFromFileA(stream.Receive(), path.c_str(), type, 0, OF_SHARE_DENY_NONE,
                               nullptr) != 0) {
        *stream.Receive() = nullptr;
        return false;
    }
    stream.NoteReceived();
    return true;
}

double SecondsOf(PAVISTREAM stream)
{
    const LONG end = AVIStreamStart(stream) + AVIStreamLength(stream);
    return AVIStreamSampleToTime(stream, end) / 1000.0;
}

}  // namespace

MergeLengths MeasureMerge(const std::string& videoPath, const std::string& soundPath,
                          const std::string& mergedPath)
{
    MergeLengths lengths;
    AviFileLibrary library;
    AviStream sourceVideo, sourceSound, mergedVideo, mergedSound;
    if (!OpenFirst(mergedPath, streamtypeVIDEO, mergedVideo) ||
        !OpenFirst(mergedPath, streamtypeAUDIO, mergedSound))
        return lengths;
    lengths.opened = true;
    lengths.mergedFrames = AVIStreamLength(mergedVideo.Get());
    lengths.mergedSoundSeconds = SecondsOf(mergedSound.Get());
    if (OpenFirst(videoPath, streamtypeVIDEO, sourceVideo))
        lengths.sourceFrames = AVIStreamLength(sourceVideo.Get());
    if (OpenFirst(soundPath, streamtypeAUDIO, sourceSound))
        lengths.sourceSoundSeconds = SecondsOf(sourceSound.Get());
    return lengths;
}

}  // namespace korvane
