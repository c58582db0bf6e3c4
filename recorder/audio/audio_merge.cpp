// The audio and video merge. UI thread.
//
// The audio format blocks are ours: AVISaveOptionsFree frees a record's format with its
// own allocator's rules, so each block is taken out of the options before their owner
// frees them, and freed once, unlocked, by its own owner.
#include "audio_merge.h"

#include "acm_convert.h"
#include "avi_key_flags.h"

#include "avifile_owners.h"
#include "app/main_title.h"
#include "app/recording_state.h"
#include "app/registered_messages.h"
#include "global_mem.h"
#include "kernel_owners.h"
#include "merge_options.h"

#include <cstring>
#include <vector>

namespace {

// The part of the progress bar the running step of the merge moves through, and the
// position last reported. A conversion and the save after it share the bar, and a
// retry goes on from where the bar stands, so the bar only ever moves forward. The
// merge and its reports run on the UI thread.
struct BarSpan {
    int from = 0;
    int to = 100;
};
BarSpan barSpan;
int barShown = 0;
// The share of the bar for converting the audio ahead of the save that copies both
// streams. With Wine's IMA ADPCM encoder the conversion is quick next to the save (tens
// of milliseconds against about a second for half a minute of 44.1 kHz stereo), but an
// encoder's speed is its own, so each step gets half.
constexpr int kConversionShare = 50;

// The options of one save attempt, with the audio format they point at.
struct SaveAttempt {
    SaveAttempt(const AVICOMPRESSOPTIONS& videoOptions, const AVICOMPRESSOPTIONS& audioOptions)
        : video(videoOptions), audio(audioOptions)
    {
    }
    ~SaveAttempt()
    {
        audio->lpFormat = nullptr;
        audio->cbFormat = 0;
    }

    korvane::CompressOptions video;
    korvane::CompressOptions audio;
    korvane::LockedGlobal format;  // zero-filled, locked while the save reads it
};

// The audio stream's own format, read at its start.
void UseStreamFormat(SaveAttempt& attempt, PAVISTREAM audio)
{
    LONG size = 0;
    const LONG start = AVIStreamStart(audio);
    AVIStreamReadFormat(audio, start, nullptr, &size);
    attempt.audio->cbFormat = size;
    if (size != 0) {
        attempt.format = korvane::AllocateLockedGlobal(static_cast<SIZE_T>(size));
        attempt.audio->lpFormat = attempt.format.Get();
        if (attempt.audio->lpFormat)
            AVIStreamReadFormat(audio, start, attempt.audio->lpFormat, &size);
    }
}

HRESULT Save(const std::string& outputPath, PAVISTREAM video, PAVISTREAM audio,
             SaveAttempt& attempt, AVISAVECALLBACK progress)
{
    PAVISTREAM streams[2] = {video, audio};
    LPAVICOMPRESSOPTIONS options[2] = {attempt.video.Get(), attempt.audio.Get()};
    return AVISaveVA(outputPath.c_str(), nullptr, progress, 2, streams, options);
}

// Opens stream 0 of `type` in `path`.
bool OpenStream(const std::string& path, DWORD type, korvane::AviStream& opened)
{
    if (AVIStreamOpenFromFileA(opened.Receive(), path.c_str(), type, 0, OF_SHARE_DENY_NONE,
                               nullptr) != 0) {
        opened.Discard();
        return false;
    }
    opened.NoteReceived();
    return true;
}

// Opens stream 0 of `type` in `path` and returns an editable copy of it.
bool OpenEditable(const std::string& path, DWORD type, korvane::AviStream& editable)
{
    korvane::AviStream opened;
    if (!OpenStream(path, type, opened))
        return false;
    if (CreateEditableStream(editable.Receive(), opened.Get()) != 0) {
        editable.Discard();
        return false;
    }
    editable.NoteReceived();
    return true;
}

// Which positions of the recorded video are key frames, asked of the file's own stream:
// an editable copy answers "all of them" on Wine.
std::vector<bool> RecordedKeyFrames(const std::string& path)
{
    std::vector<bool> keys;
    korvane::AviStream stream;
    if (!OpenStream(path, streamtypeVIDEO, stream))
        return keys;
    const LONG start = AVIStreamStart(stream.Get());
    const LONG end = AVIStreamEnd(stream.Get());
    for (LONG position = start; position < end; ++position)
        keys.push_back(AVIStreamIsKeyFrame(stream.Get(), position) != FALSE);
    return keys;
}

// Puts the recorded key-frame flags into a merged file's index, and where the file says
// chunk types tell key frames apart, into the chunks' types; and the index in the order
// of the file. A file that cannot be
// mended stays as it is: it plays from the start, only seeking shows black.
void RestoreKeyFrames(const std::string& path, const std::vector<bool>& keys)
{
    if (keys.empty())
        return;
    korvane::KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.Get(), &size))
        return;
    const HANDLE h = file.Get();
    auto seek = [h](uint64_t offset) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(h, at, nullptr, FILE_BEGIN) != FALSE;
    };
    const korvane::ReadAt read = [h, &seek](uint64_t offset, void* to, size_t bytes) -> size_t {
        DWORD got = 0;
        if (!seek(offset) || !ReadFile(h, to, static_cast<DWORD>(bytes), &got, nullptr))
            return 0;
        return got;
    };
    auto write = [h, &seek](uint64_t offset, const void* from, DWORD bytes) {
        DWORD written = 0;
        return seek(offset) && WriteFile(h, from, bytes, &written, nullptr) && written == bytes;
    };
    korvane::AviIndexPlace place;
    if (!korvane::FindAviIndex(read, static_cast<uint64_t>(size.QuadPart), place))
        return;
    std::vector<uint8_t> index(place.indexBytes);
    std::vector<korvane::ChunkTypeChange> changes;
    if (read(place.indexOffset, index.data(), index.size()) != index.size() ||
        !korvane::SetVideoKeyFlags(index.data(), index.size(), keys, place.trustChunkType, changes))
        return;
    korvane::OrderIndexByOffset(index.data(), index.size());
    // Index offsets count from the "movi" form type; a few writers give file offsets.
    // Each chunk is checked to be the frame before its type is touched.
    auto frameAt = [&read](uint64_t offset) {
        char id[4] = {};
        return read(offset, id, 4) == 4 && id[0] == '0' && id[1] == '0' && id[2] == 'd';
    };
    uint64_t base = place.moviOffset;
    if (!changes.empty() && !frameAt(base + changes.front().entryOffset))
        base = 0;
    for (const auto& change : changes)
        if (!frameAt(base + change.entryOffset))
            return;
    for (const auto& change : changes)
        if (!write(base + change.entryOffset + 2, change.type, 2))
            return;
    write(place.indexOffset, index.data(), static_cast<DWORD>(index.size()));
}

// Converts the sound to `format` first and copies it as it is: AVIFile's own conversion
// to some formats never returns. The converted file goes again either way.
bool SaveConverted(const std::string& outputPath, PAVISTREAM video, PAVISTREAM audio,
                   const WAVEFORMATEX* format, int formatSize, SaveAttempt& attempt)
{
    const std::string convertedPath = outputPath + ".audio.wav";
    bool saved = false;
    {
        korvane::AviStream converted;
        barSpan = BarSpan{0, kConversionShare};
        if (korvane::ConvertAudioToFile(audio, format, formatSize, convertedPath,
                                        ReportMergeProgress) &&
            OpenStream(convertedPath, streamtypeAUDIO, converted)) {
            // No format in the options: AVIFile would look for an encoder from the
            // stream's format to itself, and there is none.
            barSpan = BarSpan{kConversionShare, 100};
            saved = Save(outputPath, video, converted.Get(), attempt, ReportMergeProgress) == 0;
        }
    }
    DeleteFileA(convertedPath.c_str());
    return saved;
}

}  // namespace

namespace korvane {

MergeResult SaveMergedStreams(PAVISTREAM video, PAVISTREAM audio, const std::string& outputPath,
                              bool useCompressFormat, const WAVEFORMATEX* compressFormat,
                              int compressFormatSize, bool interleave, int interleavePeriod,
                              bool periodInFrames)
{
    AVISTREAMINFOA videoInfo = {};
    AVISTREAMINFOA audioInfo = {};
    AVIStreamInfoA(video, &videoInfo, sizeof videoInfo);
    AVIStreamInfoA(audio, &audioInfo, sizeof audioInfo);
    barSpan = BarSpan{};
    barShown = 0;
    if (videoInfo.fccType != streamtypeVIDEO)
        return FirstStreamNotVideo;
    if (audioInfo.fccType != streamtypeAUDIO)
        return SecondStreamNotAudio;

    {
        // The recording's own rate, from its stream: a recovered recording's may not be
        // the one the settings hold now.
        const int framesPerSecond =
            videoInfo.dwScale ? static_cast<int>(videoInfo.dwRate / videoInfo.dwScale) : 0;
        const int step = InterleaveStep(framesPerSecond, interleavePeriod, periodInFrames);
        SaveAttempt first(VideoSaveOptions(interleave, step),
                          AudioSaveOptions(interleave, step, nullptr, 0));
        // With no format chosen yet the save would "succeed" with an unreadable audio
        // stream, so the recorded format is kept instead.
        if (useCompressFormat && (!compressFormat || compressFormatSize <= 0))
            useCompressFormat = false;
        if (useCompressFormat) {
            if (SaveConverted(outputPath, video, audio, compressFormat, compressFormatSize,
                              first)) {
                SetMainTitle(kPlainMainTitle);
                return Merged;
            }
        } else {
            UseStreamFormat(first, audio);
            if (Save(outputPath, video, audio, first, ReportMergeProgress) == 0) {
                SetMainTitle(kPlainMainTitle);
                return Merged;
            }
        }
        if (!useCompressFormat)
            return SaveFailed;
    }
    // The chosen compression failed: keep the recorded PCM, in coarser steps. The copy
    // takes as long as the first save would have, so it reports too, from where the
    // bar stands: a bar at rest would look hung, and the pumping keeps the windows and
    // the key hook answering.
    SaveAttempt retry(VideoSaveOptions(interleave, interleavePeriod),
                      AudioSaveOptions(interleave, interleavePeriod, nullptr, 0));
    UseStreamFormat(retry, audio);
    barSpan = BarSpan{barShown, 100};
    if (Save(outputPath, video, audio, retry, ReportMergeProgress) != 0)
        return SaveFailed;
    SetMainTitle(kPlainMainTitle);
    return Merged;
}

}  // namespace korvane

korvane::MergeResult MuxAudioIntoAvi(std::string videoPath, std::string audioPath,
                                     std::string outputPath, int useCompressFormat,
                                     WAVEFORMATEX* compressFormat, int compressFormatSize,
                                     int interleave, int interleavePeriod, int periodInFrames)
{
    // Declared first so the streams are released before the library's use ends.
    korvane::AviFileLibrary library;
    korvane::AviStream video;
    if (!OpenEditable(videoPath, streamtypeVIDEO, video))
        return korvane::VideoNotOpened;
    korvane::AviStream audio;
    if (!OpenEditable(audioPath, streamtypeAUDIO, audio))
        return korvane::AudioNotOpened;
    const std::vector<bool> keys = RecordedKeyFrames(videoPath);
    const korvane::MergeResult result = korvane::SaveMergedStreams(
        video.Get(), audio.Get(), outputPath, useCompressFormat != 0, compressFormat,
        compressFormatSize, interleave != 0, interleavePeriod, periodInFrames != 0);
    if (result == korvane::Merged)
        RestoreKeyFrames(outputPath, keys);
    return result;
}

BOOL CALLBACK ReportMergeProgress(int percent)
{
    const int done = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    const int position = barSpan.from + (barSpan.to - barSpan.from) * done / 100;
    // Only news is posted: the conversion reports many times per percent.
    if (position > barShown && mainWindow) {
        barShown = position;
        PostMessageA(mainWindow, MergeProgress, static_cast<WPARAM>(position), 0);
    }
    PumpPendingMessages();
    return FALSE;
}

int PumpPendingMessages()
{
    for (int round = 0; round < 3; ++round) {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return 0;
}
