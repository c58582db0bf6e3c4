// The skin library as the programs call it (by ordinal), and where they look for the
// skin file: a missing or invalid file is remembered but changes nothing.
#include "skin_api.h"
#include "skin_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

struct State {
    bool loaded;
    std::string path, scheme;
};

State Query()
{
    char path[MAX_PATH] = "x", scheme[64] = "x";
    int loaded =
        SkinQueryState(path, scheme, sizeof scheme < sizeof path ? sizeof scheme : sizeof path);
    return {loaded == 1, path, scheme};
}

std::string WriteTemp(const char* name, const char* text)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs(text, f);
    std::fclose(f);
    return path;
}

}  // namespace

TEST(ShellSkin, PathBesideTheProgram)
{
    EXPECT_EQ(korvane::SkinFilePathFor("C:\\Program Files\\Korvane\\korvane.exe"),
              "C:\\Program Files\\Korvane\\xplus.smf");
    EXPECT_EQ(korvane::SkinFilePathFor("C:\\korvane.exe"), "C:\\xplus.smf");
    EXPECT_EQ(korvane::SkinFilePathFor("korvane.exe"), "\\xplus.smf");
}

TEST(ShellSkin, MissingAndInvalidFilesAreRememberedButNotLoaded)
{
    SkinInitialize(GetModuleHandleA(nullptr), "test", nullptr, 0);
    EXPECT_EQ(SkinLoadFile("C:\\no\\such\\folder\\xplus.smf"), 0);
    SkinSetDialogScheme("Dialog");
    State s = Query();
    EXPECT_FALSE(s.loaded);
    EXPECT_EQ(s.path, "C:\\no\\such\\folder\\xplus.smf");
    EXPECT_EQ(s.scheme, "Dialog");
    EXPECT_EQ(SkinApplyToWindow(GetDesktopWindow(), "Frame"), 0);

    std::string invalid = WriteTemp("korvane_invalid.smf", "KORVANE-SKIN 10\n");
    EXPECT_EQ(SkinLoadFile(invalid.c_str()), 0);
    EXPECT_FALSE(Query().loaded);
    SkinExit();
    DeleteFileA(invalid.c_str());
}

TEST(ShellSkin, ValidFileLoadsAndExitForgetsIt)
{
    SkinInitialize(GetModuleHandleA(nullptr), "test", nullptr, 0);
    std::string valid = WriteTemp("korvane_valid.smf", "KORVANE-SKIN 1\r\nscheme Dialog\r\n");
    EXPECT_EQ(SkinLoadFile(valid.c_str()), 1);
    EXPECT_EQ(SkinSetDialogScheme("Dialog"), 1);
    State s = Query();
    EXPECT_TRUE(s.loaded);
    EXPECT_EQ(s.path, valid);
    EXPECT_EQ(s.scheme, "Dialog");
    SkinExit();
    s = Query();
    EXPECT_FALSE(s.loaded);
    EXPECT_EQ(s.path, "");
    DeleteFileA(valid.c_str());
}

// The build copies the shipped skin file beside this test, as it ships beside the programs.
TEST(ShellSkin, ShippedSkinFileBesideTheProgramIsValid)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    SkinInitialize(GetModuleHandleA(nullptr), "test", nullptr, 0);
    EXPECT_EQ(SkinLoadFile(korvane::SkinFilePathFor(exe).c_str()), 1);
    SkinExit();
}
