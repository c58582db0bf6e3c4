// Opening the system's own control of the recording level, for the options dialog's
// Volume button: the Sound control panel at its Recording page, else the volume mixer,
// else (before Vista) the old volume control. UI thread only.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace korvane {

// Starts a program: its full path and the whole command line. True when it started.
using ProgramStarter = std::function<bool(const std::string& program, const std::string& command)>;

// The command lines to try, in order, from the system folder (System32) and the
// Windows folder; each names its program by full path, so nothing beside the recorder
// or in the current folder is started in its place.
std::vector<std::string> RecordingLevelCommands(const std::string& systemFolder,
                                                const std::string& windowsFolder);

// Tries them in order until one starts; false when none did.
bool OpenRecordingLevel(const ProgramStarter& start);

// CreateProcess with the program named by its path, not searched for.
bool StartProgram(const std::string& program, const std::string& command);

// What the Volume button says when nothing could be started.
extern const char kRecordingLevelFailure[];

}  // namespace korvane
