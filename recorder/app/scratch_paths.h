// Where a recording's temporary files go, and the choice of their names.
// Any thread; ChooseTempAviPath runs on the recording thread, ChooseTempWavPath on
// whichever thread prepares the audio capture.
#pragma once
#include <functional>
#include <string>
#include <vector>

// Both without a trailing backslash. The scratch folder is the user's own
// (LOCALAPPDATA\Korvane\Scratch, made when missing), where a standard user may both make
// files and list them, as the recovery must; it is chosen once per process. It may be set
// by the environment variable KORVANE_SCRATCH_FOLDER (tests use it to record onto a small
// drive).
std::string GetScratchFolder();
std::string GetExeFolder();
// The folder the first save dialog opens in: the user's Videos folder (made when
// missing), else their Documents, else the program's folder. Not the program's folder
// first: under Program Files a standard user may not write there.
std::string FirstSaveFolder();
// False when no candidate folder could be listed: recordings still work, but one cut
// short by a crash cannot be found again at the next start.
bool ScratchFolderListable();
// Where interrupted recordings are looked for: the scratch folder, then the Windows
// folder's "temp", where earlier versions kept their files.
std::vector<std::string> RecoveryFolders();

// Set tempAviPath / tempWavPath / mergedAviPath to a name in the scratch folder that
// was free, and keep the new empty file there: the name then belongs to this recording
// until its finish deletes it, whatever another recording or instance chooses meanwhile.
// False when no name could be reserved within the bounded number of tries; the path is
// then left empty.
bool ChooseTempAviPath();
bool ChooseTempWavPath();
bool ChooseMergedAviPath();
// The same for another file of the recording: `firstName` (with its leading backslash)
// when free, else a numbered name. Returns the reserved path, or "" when none could be had.
std::string ReserveScratchFile(const std::string& firstName, const std::string& extension);

// Creates the file only if no file of that name exists (never truncates one), and
// leaves it there, empty and closed.
bool ReserveNewFile(const std::string& path);

// Whether the user's chosen file can be written, without touching what it holds: an
// existing file is opened for writing and left as it was, a new one is created and
// deleted again; a read-only file is refused. On failure `error` gets the system's error
// code.
bool CanCreateFile(const std::string& path, unsigned long* error = nullptr);

namespace korvane {

// What this user may do in a folder.
struct FolderAccess {
    bool create = false;  // make a file there
    bool list = false;    // find it again by listing the folder
};

struct ScratchChoice {
    std::string folder;
    bool listable = false;
};

// The scratch-folder rule over candidates in order of preference (empty ones skipped):
// the first where files can be made and listed; failing that, the first where they can
// be made, not listable; failing that, the last candidate.
ScratchChoice ChooseScratchFolder(const std::vector<std::string>& candidates,
                                  const std::function<FolderAccess(const std::string&)>& check);

// The naming rule with the file system and the random source passed in: `first` under
// `folder`, then "~temp" + N + extension with N from `nextRandom`, at most `maxTries`
// names in all. Returns the first name `tryCreate` accepts, or "" when none was.
std::string ChooseTempName(const std::string& folder, const std::string& first,
                           const std::string& extension, int maxTries,
                           const std::function<bool(const std::string&)>& tryCreate,
                           const std::function<int()>& nextRandom);

constexpr int kTempNameTries = 100;

}  // namespace korvane
