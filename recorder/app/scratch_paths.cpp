// Scratch folder and temporary names. A name is reserved by creating its file new and
// keeping it: an earlier recording's leftovers, a file a message still points to, and
// another instance's files all exist, so they are skipped rather than truncated.
#include "scratch_paths.h"

#include "ansi_text.h"
#include "kernel_owners.h"
#include "recording_settings.h"
#include "recording_state.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <ctime>

namespace korvane {

ScratchChoice ChooseScratchFolder(const std::vector<std::string>& candidates,
                                  const std::function<FolderAccess(const std::string&)>& check)
{
    const std::string* creatable = nullptr;
    for (const std::string& folder : candidates) {
        if (folder.empty())
            continue;
        const FolderAccess access = check(folder);
        if (access.create && access.list)
            return ScratchChoice{folder, true};
        if (access.create && !creatable)
            creatable = &folder;
    }
    if (creatable)
        return ScratchChoice{*creatable, false};
    return ScratchChoice{candidates.empty() ? std::string() : candidates.back(), false};
}

std::string ChooseTempName(const std::string& folder, const std::string& first,
                           const std::string& extension, int maxTries,
                           const std::function<bool(const std::string&)>& tryCreate,
                           const std::function<int()>& nextRandom)
{
    std::string path = folder + first;
    for (int attempt = 0; attempt < maxTries; ++attempt) {
        if (tryCreate(path))
            return path;
        path = folder + "\\~temp" + std::to_string(nextRandom()) + extension;
    }
    return std::string();
}

}  // namespace korvane

// Not OpenFile: its 128-character path limit would reject every name in a deep folder.
bool ReserveNewFile(const std::string& path)
{
    return static_cast<bool>(korvane::KernelHandle(CreateFileA(
        path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

bool CanCreateFile(const std::string& path, unsigned long* error)
{
    // Never truncated here: until the new content is complete, the old one is the user's.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
    // Refused as the system refuses it, also where the file system would let it be
    // written (Wine running as root maps the attribute to write bits root ignores).
    if (existed && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        if (error)
            *error = ERROR_ACCESS_DENIED;
        return false;
    }
    {
        const korvane::KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                     existed ? OPEN_EXISTING : CREATE_NEW,
                                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            if (error)
                *error = GetLastError();
            return false;
        }
    }
    if (!existed)
        DeleteFileA(path.c_str());
    return true;
}

namespace {

bool IsFolder(const std::string& path)
{
    WIN32_FIND_DATAA found;
    const korvane::FindHandle find(FindFirstFileA(path.c_str(), &found));
    if (!find)
        return false;
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ChooseTempPath(const char* first, const char* extension)
{
    // Seeded once per choice, not per try: reseeding with the same second would give
    // the same number again and again.
    srand(static_cast<unsigned>(time(nullptr)) ^ GetTickCount() ^ GetCurrentThreadId());
    return korvane::ChooseTempName(GetScratchFolder(), first, extension, korvane::kTempNameTries,
                                   ReserveNewFile, [] { return rand(); });
}

}  // namespace

std::string GetExeFolder()
{
    const std::string path = korvane::ModuleFileName(nullptr);
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FirstSaveFolder()
{
    for (const int csidl : {CSIDL_MYVIDEO, CSIDL_PERSONAL}) {
        const std::string folder = korvane::ShellFolderPath(csidl, true);
        if (!folder.empty())
            return folder;
    }
    return GetExeFolder();
}

namespace {

std::string UserScratchFolder()
{
    const std::string appData = korvane::ShellFolderPath(CSIDL_LOCAL_APPDATA, true);
    if (appData.empty())
        return std::string();
    const std::string own = appData + "\\Korvane";
    CreateDirectoryA(own.c_str(), nullptr);
    const std::string scratch = own + "\\Scratch";
    CreateDirectoryA(scratch.c_str(), nullptr);
    return IsFolder(scratch) ? scratch : std::string();
}

std::string LegacyScratchFolder()
{
    char buffer[300] = {};
    GetWindowsDirectoryA(buffer, sizeof buffer);
    const std::string temp = std::string(buffer) + "\\temp";
    return IsFolder(temp) ? temp : std::string();
}

korvane::FolderAccess CheckFolderAccess(const std::string& folder)
{
    korvane::FolderAccess access;
    // A name of this process and moment, gone when the handle closes.
    const std::string probe = folder + "\\~korvane-probe-" + std::to_string(GetCurrentProcessId()) +
                              "-" + std::to_string(GetTickCount()) + ".tmp";
    const korvane::KernelHandle file(
        CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    access.create = static_cast<bool>(file);
    if (access.create) {
        // A pattern, not the bare name: only a listing of the folder finds it, and
        // listing is what a user may be refused where creating is allowed.
        WIN32_FIND_DATAA found;
        const korvane::FindHandle find(
            FindFirstFileA((probe.substr(0, probe.size() - 4) + "*").c_str(), &found));
        access.list = static_cast<bool>(find);
    }
    return access;
}

const korvane::ScratchChoice& Scratch()
{
    // Chosen once: every name of a recording, and the recovery, must look in one place.
    static const korvane::ScratchChoice choice = [] {
        const std::string configured = korvane::EnvironmentValue("KORVANE_SCRATCH_FOLDER");
        if (!configured.empty() && IsFolder(configured))
            return korvane::ScratchChoice{configured, true};
        return korvane::ChooseScratchFolder(
            {UserScratchFolder(), LegacyScratchFolder(), GetExeFolder()}, CheckFolderAccess);
    }();
    return choice;
}

}  // namespace

std::string GetScratchFolder() { return Scratch().folder; }

bool ScratchFolderListable() { return Scratch().listable; }

std::vector<std::string> RecoveryFolders()
{
    std::vector<std::string> folders{GetScratchFolder()};
    const std::string legacy = LegacyScratchFolder();
    if (!legacy.empty() && lstrcmpiA(legacy.c_str(), folders[0].c_str()) != 0)
        folders.push_back(legacy);
    return folders;
}

bool ChooseTempAviPath()
{
    tempAviPath = ChooseTempPath("\\~temp.avi", ".avi");
    return !tempAviPath.empty();
}

bool ChooseTempWavPath()
{
    tempWavPath = ChooseTempPath("\\~temp001.wav", ".wav");
    return !tempWavPath.empty();
}

std::string ReserveScratchFile(const std::string& firstName, const std::string& extension)
{
    return ChooseTempPath(firstName.c_str(), extension.c_str());
}

bool ChooseMergedAviPath()
{
    mergedAviPath = ChooseTempPath("\\tempaudiovideomerge.avi", ".avi");
    return !mergedAviPath.empty();
}
