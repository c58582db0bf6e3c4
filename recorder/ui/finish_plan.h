// The decisions of finishing a recording, free of windows: which file is copied where,
// which temporary files may go, whether the player starts, and what the user is told.
// File work goes through FinishFileOps so tests can replace it. UI thread only (called
// by the main window).
#pragma once
#include "app/stop_cause.h"

#include <string>
#include <vector>

namespace korvane {

struct FinishPaths {
    std::string tempAvi;
    std::string tempWav;
    std::string mergedAvi;
    std::string save;  // the user's chosen file
};

class FinishFileOps {
public:
    virtual ~FinishFileOps() = default;
    // Replaces an existing target; true only when the whole file arrived.
    virtual bool Copy(const std::string& from, const std::string& to) = 0;
    virtual bool Delete(const std::string& path) = 0;
    virtual bool Exists(const std::string& path) = 0;
    // Whether the merged file opens and its streams last as long as the sources'.
    virtual bool MergedIsWhole(const FinishPaths& paths) = 0;
};

struct FinishOutcome {
    bool startPlayer = false;
    // When something could not be saved: the scratch files that still hold the recording
    // (only files that exist), so the user can be told.
    std::vector<std::string> keptInScratch;
    // The target a copy failed to write, if any.
    std::string failedTarget;
};

// After the merge returned `mergeResult` (a MergeResult; any other number copies and
// deletes nothing): copy what can be saved, delete only the temporary files whose content
// is safe elsewhere (or unusable). A merged file that does not check out is not trusted:
// the sources stay.
FinishOutcome FinishAfterMerge(int mergeResult, const FinishPaths& paths, FinishFileOps& ops);

// Where the sound goes beside `save` when a merge could not hold it: "save.wav", else the
// first of "save (2).wav", "save (3).wav", ... not there yet; no file of the user's is
// replaced by it.
std::string FreeSoundName(const std::string& save, FinishFileOps& ops);

// The files of the later parts (numbers above 1) that a save to `savePath` would replace:
// the save dialog asks only about the name chosen.
std::vector<std::string> LaterPartsInTheWay(const std::string& savePath,
                                            const std::vector<int>& partNumbers,
                                            FinishFileOps& ops);

// Without audio: the video copied to the chosen name. False when the copy failed; the
// temporary file then stays and the save must be asked again.
bool FinishWithoutAudio(const FinishPaths& paths, FinishFileOps& ops);

// The folder part of a full path: up to, not including, its last backslash (empty when
// there is none).
std::string FolderOf(const std::string& path);

// The player's command line: program and movie each in quotes, as either may hold blanks.
std::string PlayerCommandLine(const std::string& exeFolder, const std::string& savePath);

// The text that tells the user where an unsaved recording stayed.
std::string KeptInScratchMessage(const std::vector<std::string>& keptPaths);

// Whether a merged file's streams hold their sources: every video frame, and when the
// source had sound, as much of it, give or take `soundToleranceSeconds`.
bool MergedLengthsAgree(long sourceFrames, long mergedFrames, double sourceSoundSeconds,
                        double mergedSoundSeconds, double soundToleranceSeconds);

// What the user is told at the end of a recording that stopped by itself or lost its
// sound, before its finish; empty when there is nothing to tell. `recorded` says
// whether any frame was written (the finish follows) or the recording never started;
// `unreadGrabs` counts the frames the screen refused to give (a locked screen).
std::string EndOfRecordingNotice(StopCause cause, AudioTrouble trouble, bool recorded,
                                 const std::string& scratchFolder, unsigned unreadGrabs = 0);

// The short line shown in the main window while a recording goes on without its sound.
std::string AudioTroubleLine(AudioTrouble trouble);

// The message that lists every file a recording in several parts was saved as.
std::string SavedPartsMessage(const std::vector<std::string>& savedPaths);

}  // namespace korvane
