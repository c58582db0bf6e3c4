// The decisions of finishing a recording (see finish_plan.h). UI thread only.
#include "ui/finish_plan.h"

#include "app/recording_limits.h"
#include "audio/merge_result.h"

#include <cmath>
#include <initializer_list>

namespace korvane {

namespace {

// Copies `from` to `to`; when that fails, `from` is noted as the file that keeps the
// recording (if it is there at all) and nothing more may be deleted.
bool CopyOrKeep(FinishFileOps& ops, const std::string& from, const std::string& to,
                FinishOutcome& outcome)
{
    if (ops.Copy(from, to))
        return true;
    if (ops.Exists(from))
        outcome.keptInScratch.push_back(from);
    outcome.failedTarget = to;
    return false;
}

void DeleteAll(FinishFileOps& ops, std::initializer_list<const std::string*> paths)
{
    for (const std::string* path : paths)
        ops.Delete(*path);
}

void KeepExisting(FinishFileOps& ops, std::initializer_list<const std::string*> paths,
                  FinishOutcome& outcome)
{
    for (const std::string* path : paths)
        if (ops.Exists(*path))
            outcome.keptInScratch.push_back(*path);
}

}  // namespace

FinishOutcome FinishAfterMerge(int mergeResult, const FinishPaths& paths, FinishFileOps& ops)
{
    FinishOutcome outcome;
    switch (mergeResult) {
    case Merged:
        if (!ops.MergedIsWhole(paths)) {
            // A merge that reported success may still have been cut short (a full disk):
            // the sources are the recording until a good copy exists.
            ops.Delete(paths.mergedAvi);
            KeepExisting(ops, {&paths.tempAvi, &paths.tempWav}, outcome);
            return outcome;
        }
        if (!CopyOrKeep(ops, paths.mergedAvi, paths.save, outcome))
            return outcome;
        DeleteAll(ops, {&paths.tempAvi, &paths.tempWav, &paths.mergedAvi});
        break;
    case VideoNotOpened:
    case FirstStreamNotVideo:
        // No usable video, but the sound may still be the only copy of what was
        // recorded: it is saved beside the chosen name before anything goes.
        ops.Delete(paths.mergedAvi);
        if (!CopyOrKeep(ops, paths.tempWav, FreeSoundName(paths.save, ops), outcome))
            return outcome;
        DeleteAll(ops, {&paths.tempAvi, &paths.tempWav});
        break;
    case AudioNotOpened:
    case SecondStreamNotAudio:
        if (!CopyOrKeep(ops, paths.tempAvi, paths.save, outcome))
            return outcome;
        DeleteAll(ops, {&paths.tempAvi, &paths.tempWav, &paths.mergedAvi});
        break;
    case SaveFailed:
        if (!CopyOrKeep(ops, paths.tempAvi, paths.save, outcome))
            return outcome;
        ops.Delete(paths.tempAvi);
        if (!CopyOrKeep(ops, paths.tempWav, FreeSoundName(paths.save, ops), outcome))
            return outcome;
        DeleteAll(ops, {&paths.tempWav, &paths.mergedAvi});
        break;
    default: break;
    }
    outcome.startPlayer = true;
    return outcome;
}

std::string FreeSoundName(const std::string& save, FinishFileOps& ops)
{
    const std::string first = save + ".wav";
    for (int n = 1; n < 1000; ++n) {
        const std::string name = PartSavePath(first, n);
        if (!ops.Exists(name))
            return name;
    }
    // None free: the copy to no name fails, and the sound stays in the scratch folder.
    return std::string();
}

std::vector<std::string> LaterPartsInTheWay(const std::string& savePath,
                                            const std::vector<int>& partNumbers, FinishFileOps& ops)
{
    std::vector<std::string> found;
    for (int number : partNumbers) {
        const std::string target = PartSavePath(savePath, number);
        if (number > 1 && ops.Exists(target))
            found.push_back(target);
    }
    return found;
}

bool FinishWithoutAudio(const FinishPaths& paths, FinishFileOps& ops)
{
    if (!ops.Copy(paths.tempAvi, paths.save))
        return false;
    ops.Delete(paths.tempAvi);
    return true;
}

std::string FolderOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string PlayerCommandLine(const std::string& exeFolder, const std::string& savePath)
{
    return "\"" + exeFolder + "\\reelpane.exe\" \"" + savePath + "\"";
}

std::string KeptInScratchMessage(const std::vector<std::string>& keptPaths)
{
    if (keptPaths.empty())
        return "The recording could not be saved.";
    std::string text = "The recording could not be saved. It is kept in:";
    for (const std::string& path : keptPaths)
        text += "\n" + path;
    return text;
}

bool MergedLengthsAgree(long sourceFrames, long mergedFrames, double sourceSoundSeconds,
                        double mergedSoundSeconds, double soundToleranceSeconds)
{
    if (mergedFrames < sourceFrames)
        return false;
    if (sourceSoundSeconds <= 0)
        return true;
    const double apart = mergedSoundSeconds - sourceSoundSeconds;
    return apart <= soundToleranceSeconds && -apart <= soundToleranceSeconds;
}

std::string AudioTroubleLine(AudioTrouble trouble)
{
    switch (trouble) {
    case AudioTrouble::FileNotCreated: return "Sound: the sound file could not be created";
    case AudioTrouble::DeviceNotOpened: return "Sound: the sound device could not be opened";
    case AudioTrouble::WriteFailed: return "Sound: the sound file could not be written";
    case AudioTrouble::DeviceLost: return "Sound: the sound device stopped";
    case AudioTrouble::None: break;
    }
    return std::string();
}

namespace {

std::string StopReason(StopCause cause, const std::string& scratchFolder)
{
    switch (cause) {
    case StopCause::WriteFailed: return "the temporary movie file could not be written";
    case StopCause::FrameMemory: return "there was not enough memory for a frame";
    case StopCause::DiskLow:
        return "the drive of the temporary files (" + scratchFolder + ") is nearly full";
    case StopCause::NextPartFailed: return "the file for its next part could not be created";
    case StopCause::SoundFull: return "its sound file reached the largest size it can have (2 GB)";
    case StopCause::DisplayLost:
        return "the display changed (a new resolution, or a monitor gone) and the recorded area "
               "no longer fits on the screen";
    case StopCause::User: break;
    }
    return std::string();
}

std::string SoundSentence(AudioTrouble trouble, bool recorded)
{
    switch (trouble) {
    case AudioTrouble::FileNotCreated:
        return "The sound file could not be created, so the recording has no sound.";
    case AudioTrouble::DeviceNotOpened:
        return "The sound device could not be opened, so the recording has no sound.";
    case AudioTrouble::WriteFailed:
        return recorded ? "The sound file stopped taking data; the sound ends there."
                        : std::string();
    case AudioTrouble::DeviceLost:
        return "The sound device stopped delivering sound; from there on the sound is "
               "silence.";
    case AudioTrouble::None: break;
    }
    return std::string();
}

}  // namespace

std::string EndOfRecordingNotice(StopCause cause, AudioTrouble trouble, bool recorded,
                                 const std::string& scratchFolder, unsigned unreadGrabs)
{
    std::string text;
    const std::string reason = StopReason(cause, scratchFolder);
    if (!reason.empty())
        text = recorded ? "The recording stopped because " + reason +
                              ". What was recorded until then is saved next."
                        : "The recording could not start: " + reason + ".";
    if (recorded) {
        const std::string sound = SoundSentence(trouble, recorded);
        if (!sound.empty())
            text += (text.empty() ? "" : "\n\n") + sound;
        if (unreadGrabs > 0)
            text += (text.empty() ? "" : "\n\n") + std::to_string(unreadGrabs) +
                    (unreadGrabs == 1 ? " frame" : " frames") +
                    " could not be read from the screen (it was locked, or a secure desktop "
                    "was shown); the movie shows the last picture read before them.";
    }
    return text;
}

std::string SavedPartsMessage(const std::vector<std::string>& savedPaths)
{
    std::string text = "The recording was saved in " + std::to_string(savedPaths.size()) +
                       " parts, each a movie of its own:";
    for (const std::string& path : savedPaths)
        text += "\n" + path;
    return text;
}

}  // namespace korvane
