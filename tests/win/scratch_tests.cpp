// Scratch folder and temporary names: the rules with the file system passed in, and
// the real thing in the Wine prefix.
#include "app/recording_state.h"
#include "app/scratch_paths.h"
#include "kernel_owners.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include <string>
#include <vector>

using namespace korvane;

namespace {

// -1 when there is no such file.
long long FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string WindowsFolder()
{
    char buffer[300] = {};
    GetWindowsDirectoryA(buffer, sizeof buffer);
    return buffer;
}

}  // namespace

// A standard user may make files in the Windows temp folder but not list it: a folder
// that cannot be listed is taken only when none can, and then said to be unlisted.
TEST(ScratchRules, TheFirstFolderWhereFilesCanBeMadeAndListed)
{
    struct Case {
        std::vector<FolderAccess> access;  // of "A", "B", "C"
        std::string folder;
        bool listable;
    };
    const FolderAccess both{true, true}, createOnly{true, false}, none{};
    const std::vector<Case> cases = {
        {{both, both, both}, "A", true},       {{createOnly, both, both}, "B", true},
        {{none, createOnly, both}, "C", true}, {{none, createOnly, createOnly}, "B", false},
        {{none, none, none}, "C", false},
    };
    for (const Case& c : cases) {
        std::vector<std::string> asked;
        const ScratchChoice got =
            ChooseScratchFolder({"A", "", "B", "C"}, [&](const std::string& f) {
                asked.push_back(f);
                return c.access[static_cast<size_t>(f[0] - 'A')];
            });
        EXPECT_EQ(got.folder, c.folder);
        EXPECT_EQ(got.listable, c.listable) << c.folder;
        EXPECT_EQ(std::find(asked.begin(), asked.end(), ""), asked.end()) << "an empty name asked";
    }
}

TEST(ScratchRules, NamesAfterTheFirstAreRandomAndTheRetryIsBounded)
{
    std::vector<std::string> tried;
    int n = 41;
    const std::string name = ChooseTempName(
        "C:\\s", "\\~temp.avi", ".avi", 10,
        [&](const std::string& p) {
            tried.push_back(p);
            return tried.size() == 3;
        },
        [&] { return n++; });
    EXPECT_EQ(name, "C:\\s\\~temp42.avi");
    EXPECT_EQ(tried, (std::vector<std::string>{"C:\\s\\~temp.avi", "C:\\s\\~temp41.avi",
                                               "C:\\s\\~temp42.avi"}));

    int attempts = 0;
    EXPECT_EQ(ChooseTempName(
                  "C:\\s", "\\~temp001.wav", ".wav", 7,
                  [&](const std::string&) { return ++attempts, false; }, [] { return 5; }),
              "");
    EXPECT_EQ(attempts, 7);
}

// The user's own folder, made at the first use, listable; interrupted recordings are also
// looked for where earlier versions kept them.
TEST(ScratchFolder, IsTheUsersOwnAndTheOldPlaceIsStillSearched)
{
    char appData[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData),
              S_OK);
    const std::string own = std::string(appData) + "\\Korvane\\Scratch";
    EXPECT_EQ(GetScratchFolder(), own);
    EXPECT_TRUE(GetFileAttributesA(own.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(ScratchFolderListable());
    EXPECT_EQ(RecoveryFolders(), (std::vector<std::string>{own, WindowsFolder() + "\\temp"}));
    // The access probe leaves nothing behind.
    WIN32_FIND_DATAA found;
    EXPECT_FALSE(FindHandle(FindFirstFileA((own + "\\~korvane-probe-*").c_str(), &found)));

    char module[300] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    const std::string exeFolder = GetExeFolder();
    EXPECT_EQ(std::string(module).rfind('\\'), exeFolder.size());
    EXPECT_EQ(std::string(module).compare(0, exeFolder.size(), exeFolder), 0);

    // The first save goes to the user's Videos, where they may write, never to the
    // program's folder (read-only under Program Files).
    char videos[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_MYVIDEO, nullptr, SHGFP_TYPE_CURRENT, videos), S_OK);
    EXPECT_EQ(FirstSaveFolder(), videos);
    EXPECT_NE(FirstSaveFolder(), exeFolder);
    EXPECT_TRUE(CanCreateFile(FirstSaveFolder() + "\\first save.avi"));
}

// Each chosen name is kept as an empty file, so a second recording (or instance)
// choosing meanwhile gets other names.
TEST(ScratchFolder, ChosenNamesAreReservedAndNotReused)
{
    ASSERT_TRUE(ChooseTempAviPath());
    ASSERT_TRUE(ChooseTempWavPath());
    const std::string folder = GetScratchFolder();
    // Another run may hold "~temp.avi" at this moment; then a random name is fine.
    EXPECT_EQ(tempAviPath.compare(0, folder.size() + 6, folder + "\\~temp"), 0);
    EXPECT_EQ(tempAviPath.substr(tempAviPath.size() - 4), ".avi");
    EXPECT_EQ(tempWavPath.substr(tempWavPath.size() - 4), ".wav");
    EXPECT_EQ(FileSize(tempAviPath), 0);
    EXPECT_EQ(FileSize(tempWavPath), 0);
    const std::string firstAvi = tempAviPath, firstWav = tempWavPath;
    ASSERT_TRUE(ChooseTempAviPath());
    ASSERT_TRUE(ChooseTempWavPath());
    EXPECT_NE(tempAviPath, firstAvi);
    EXPECT_NE(tempWavPath, firstWav);
    for (const std::string& p : {firstAvi, firstWav, tempAviPath, tempWavPath})
        DeleteFileA(p.c_str());
}

namespace {

// Checks that the chosen name is "~temp" + a decimal number + ".avi" in the scratch
// folder, reserved empty; then gives it up.
void ExpectRandomAviName()
{
    const std::string prefix = GetScratchFolder() + "\\~temp";
    ASSERT_EQ(tempAviPath.compare(0, prefix.size(), prefix), 0) << tempAviPath;
    ASSERT_GT(tempAviPath.size(), prefix.size() + 4);
    const std::string number =
        tempAviPath.substr(prefix.size(), tempAviPath.size() - prefix.size() - 4);
    EXPECT_FALSE(number.empty()) << tempAviPath;
    EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos) << tempAviPath;
    EXPECT_EQ(tempAviPath.substr(tempAviPath.size() - 4), ".avi");
    EXPECT_EQ(FileSize(tempAviPath), 0);
    DeleteFileA(tempAviPath.c_str());
}

}  // namespace

TEST(ScratchFolder, FirstNameHeldByAnotherGivesARandomName)
{
    const std::string first = GetScratchFolder() + "\\~temp.avi";
    korvane::KernelHandle held(CreateFileA(first.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    const bool chosen = ChooseTempAviPath();
    held.Reset();
    DeleteFileA(first.c_str());
    ASSERT_TRUE(chosen);
    ExpectRandomAviName();
}

// A file at the first name may be what a message told the user to fetch, or another
// instance's recording: it is skipped, never truncated.
TEST(ScratchFolder, ExistingFirstNameKeepsItsContent)
{
    const std::string first = GetScratchFolder() + "\\~temp.avi";
    // A file another run left there serves as well; only one made here is removed.
    const bool made = FileSize(first) < 0;
    if (made) {
        korvane::KernelHandle file(CreateFileA(first.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.Get(), "kept", 4, &written, nullptr));
    }
    const long long before = FileSize(first);
    const bool chosen = ChooseTempAviPath();
    const long long after = FileSize(first);
    if (made)
        DeleteFileA(first.c_str());
    ASSERT_TRUE(chosen);
    EXPECT_EQ(after, before);
    ExpectRandomAviName();
}

TEST(ScratchFolder, ReadOnlyFirstNameGivesARandomName)
{
    const std::string first = GetScratchFolder() + "\\~temp.avi";
    ASSERT_TRUE(
        korvane::KernelHandle(CreateFileA(first.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_READONLY, nullptr)));
    // Wine maps read-only to the Unix write bits, which do not stop root: there the
    // rule cannot be seen, and the held-open case above stands in for it.
    const bool honoured = !korvane::KernelHandle(CreateFileA(
        first.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool chosen = honoured && ChooseTempAviPath();
    SetFileAttributesA(first.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(first.c_str());
    if (!honoured)
        GTEST_SKIP() << "read-only files are writable here (running as root)";
    ASSERT_TRUE(chosen);
    ExpectRandomAviName();
}

// The user's file is checked before anything is written to it, and never changed by the
// check; a read-only one is refused even where root could write it.
TEST(ScratchFolder, SaveTargetCheckLeavesTheFileAsItWas)
{
    const std::string path = GetScratchFolder() + "\\korvane target check.avi";
    const struct {
        const char* what;
        DWORD attributes;  // 0: no file there
        bool writable;
    } cases[] = {
        {"a new file", 0, true},
        {"an existing file", FILE_ATTRIBUTE_NORMAL, true},
        {"a read-only file", FILE_ATTRIBUTE_READONLY, false},
    };
    for (const auto& c : cases) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        if (c.attributes) {
            korvane::KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                   CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD written = 0;
            ASSERT_TRUE(file && WriteFile(file.Get(), "mine", 4, &written, nullptr)) << c.what;
        }
        if (c.attributes)
            SetFileAttributesA(path.c_str(), c.attributes);
        unsigned long error = 0;
        EXPECT_EQ(CanCreateFile(path, &error), c.writable) << c.what;
        EXPECT_EQ(error, c.writable ? 0ul : static_cast<unsigned long>(ERROR_ACCESS_DENIED))
            << c.what;
        EXPECT_EQ(FileSize(path), c.attributes ? 4 : -1) << c.what;
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}
