// The decisions of finishing a recording, free of windows: which file is copied where,
// which temporary files may go, and whether the player starts. File work goes through
// FinishFileOps so tests can replace it. UI thread only (called by the main window).
#pragma once
#include <string>

namespace korvane {

struct FinishPaths {
    std::string tempAvi;
    std::string tempWav;
    std::string mergedAvi;
    std::string save;  // the user's chosen file
};

// Copy replaces an existing target; both report success.
class FinishFileOps {
public:
    virtual ~FinishFileOps() = default;
    virtual bool Copy(const std::string& from, const std::string& to) = 0;
    virtual bool Delete(const std::string& path) = 0;
};

struct FinishOutcome {
    bool startPlayer = false;
    // Non-empty when a copy failed: the scratch file that now holds the recording (or
    // the part of it that could not be saved), so the user can be told.
    std::string keptInScratch;
};

// After the merge returned `mergeResult` (a MergeResult; any other number copies and
// deletes nothing): copy what can be saved, delete only the
// temporary files whose content is safe elsewhere (or unusable).
FinishOutcome FinishAfterMerge(int mergeResult, const FinishPaths& paths, FinishFileOps& ops);

// Without audio: the video copied to the chosen name. False when the copy failed; the
// temporary file then stays and the save must be asked again.
bool FinishWithoutAudio(const FinishPaths& paths, FinishFileOps& ops);

// The folder part of a full path: up to, not including, its last backslash (empty when
// there is none).
std::string FolderOf(const std::string& path);

// The player's command line: the path goes unquoted; the player takes the whole rest.
std::string PlayerCommandLine(const std::string& exeFolder, const std::string& savePath);

// The text that tells the user where an unsaved recording stayed.
std::string KeptInScratchMessage(const std::string& keptPath);

}  // namespace korvane
