// Opening the system's own control of the recording level, for the options dialog's
// Volume button: the Sound control panel at its Recording page, else the volume mixer,
// else (before Vista) the old volume control. UI thread only.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace korvane {

// A program to start: its full path, the whole command line, and a file it is of no
// use without (the control panel's page; empty: none).
struct LevelProgram {
    std::string program;
    std::string command;
    std::string needs;
};
// Starts one; true when it started.
using ProgramStarter = std::function<bool(const LevelProgram&)>;

// What to try, in order, from the system folder (System32) and the Windows folder; each
// names its program by full path, so nothing beside the recorder or in the current
// folder is started in its place.
std::vector<LevelProgram> RecordingLevelPrograms(const std::string& systemFolder,
                                                 const std::string& windowsFolder);

// Tries them in order until one starts; false when none did.
bool OpenRecordingLevel(const ProgramStarter& start);

// CreateProcess with the program named by its path, not searched for; false without
// the file it needs.
bool StartProgram(const LevelProgram& program);

// What the Volume button says when nothing could be started.
extern const char kRecordingLevelFailure[];

}  // namespace korvane
