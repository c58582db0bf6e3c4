// Where a recording's temporary files go, and the choice of their names.
// Any thread; ChooseTempAviPath runs on the recording thread, ChooseTempWavPath on
// whichever thread prepares the audio capture.
#pragma once
#include <functional>
#include <string>

// Both without a trailing backslash. The scratch folder may be set by the environment
// variable KORVANE_SCRATCH_FOLDER (tests use it to record onto a small drive).
std::string GetScratchFolder();
std::string GetExeFolder();

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

// The scratch-folder rule: the Windows folder's "temp" when that is a folder, else the
// program folder.
std::string ScratchFolderFor(const std::string& windowsFolder, const std::string& exeFolder,
                             const std::function<bool(const std::string&)>& isFolder);

// The naming rule with the file system and the random source passed in: `first` under
// `folder`, then "~temp" + N + extension with N from `nextRandom`, at most `maxTries`
// names in all. Returns the first name `tryCreate` accepts, or "" when none was.
std::string ChooseTempName(const std::string& folder, const std::string& first,
                           const std::string& extension, int maxTries,
                           const std::function<bool(const std::string&)>& tryCreate,
                           const std::function<int()>& nextRandom);

constexpr int kTempNameTries = 100;

}  // namespace korvane
