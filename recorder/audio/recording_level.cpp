// The system's recording level control (see recording_level.h). UI thread only.
#include "recording_level.h"

#include "kernel_owners.h"

#include <windows.h>

namespace korvane {

const char kRecordingLevelFailure[] =
    "Error launching Volume Control!\n\nNeither the Sound control panel (its Recording page) "
    "nor the volume mixer could be started. The recording level is also set in Settings, "
    "System, Sound, Input.";

std::vector<LevelProgram> RecordingLevelPrograms(const std::string& systemFolder,
                                                 const std::string& windowsFolder)
{
    const auto program = [](const std::string& path, const std::string& arguments,
                            const std::string& needs) {
        // Quoted: the folders may hold blanks.
        return LevelProgram{path, "\"" + path + "\"" + arguments, needs};
    };
    // The control panel starts (and says nothing) even where the Sound page is missing.
    return {
        program(systemFolder + "\\control.exe", " mmsys.cpl,,1", systemFolder + "\\mmsys.cpl"),
        program(systemFolder + "\\SndVol.exe", "", ""),
        program(windowsFolder + "\\sndvol32.exe", " /r /rec /record", ""),
        program(systemFolder + "\\sndvol32.exe", " /r /rec /record", ""),
    };
}

namespace {

std::string FolderFrom(UINT(WINAPI* get)(LPSTR, UINT))
{
    char folder[3 * MAX_PATH] = {};
    const UINT length = get(folder, sizeof folder);
    return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}

}  // namespace

bool OpenRecordingLevel(const ProgramStarter& start)
{
    const std::string system = FolderFrom(GetSystemDirectoryA);
    const std::string windows = FolderFrom(GetWindowsDirectoryA);
    if (system.empty() || windows.empty())
        return false;
    for (const LevelProgram& program : RecordingLevelPrograms(system, windows))
        if (start(program))
            return true;
    return false;
}

bool StartProgram(const LevelProgram& program)
{
    if (!program.needs.empty() &&
        GetFileAttributesA(program.needs.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION started = {};
    std::string line = program.command;  // the call may write into it
    if (!CreateProcessA(program.program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started))
        return false;
    const KernelHandle process(started.hProcess);
    const KernelHandle thread(started.hThread);
    return true;
}

}  // namespace korvane
