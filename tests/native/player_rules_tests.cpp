// The player's window-free rules: the movie path from the command line, the empty
// frame's size and the end of playback.
#include "player_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr char kModule[] = "C:\\Program Files\\Korvane\\reelpane.exe";

std::string PathFrom(const std::string& commandLine)
{
    return reelpane::MoviePathFromCommandLine(commandLine.c_str(), kModule);
}

TEST(PlayerPath, EverythingAfterTheProgramNameIsThePathWithoutItsQuotes)
{
    EXPECT_EQ(PathFrom("reelpane.exe C:\\my movies\\a b.avi"), "C:\\my movies\\a b.avi");
    EXPECT_EQ(PathFrom("\"C:\\Program Files\\Korvane\\reelpane.exe\"  \t C:\\a b.avi "),
              "C:\\a b.avi ");
    EXPECT_EQ(PathFrom("reelpane \"C:\\x.avi\""), "C:\\x.avi");
    EXPECT_EQ(PathFrom("\"C:\\Program Files\\K\\reelpane.exe\" \"C:\\my dir\\a b.avi\""),
              "C:\\my dir\\a b.avi");
    EXPECT_EQ(PathFrom("reelpane \"C:\\half"), "\"C:\\half");
    EXPECT_EQ(PathFrom("reelpane.exe"), "");
    EXPECT_EQ(PathFrom("reelpane.exe   "), "");
    EXPECT_EQ(PathFrom("\"C:\\Program Files\\Korvane\\reelpane.exe\""), "");
    EXPECT_EQ(PathFrom(""), "");
    EXPECT_EQ(reelpane::MoviePathFromCommandLine(nullptr, kModule), "");
    const std::string huge(40000, 'q');
    EXPECT_EQ(PathFrom("reelpane.exe " + huge), huge);
}

// The recorder starts us as its folder + "\reelpane.exe " + the path, unquoted.
TEST(PlayerPath, AnUnquotedProgramFolderWithSpacesIsSkippedWhole)
{
    EXPECT_EQ(PathFrom("C:\\Program Files\\Korvane\\reelpane.exe C:\\my movies\\a b.avi"),
              "C:\\my movies\\a b.avi");
    EXPECT_EQ(PathFrom("c:\\program files\\korvane\\REELPANE.EXE C:\\a.avi"), "C:\\a.avi");
    EXPECT_EQ(PathFrom("C:\\Program Files\\Korvane\\reelpane.exe"), "");
    // Only the name as a whole word: a longer name falls back to the first blank.
    EXPECT_EQ(PathFrom("C:\\Program Files\\Korvane\\reelpane.exe2 x"),
              "Files\\Korvane\\reelpane.exe2 x");
}

TEST(PlayerPath, OnlyPathsThePlatformCanHoldReachTheMovieWindow)
{
    EXPECT_TRUE(reelpane::IsOpenablePath("C:\\a.avi"));
    EXPECT_TRUE(reelpane::IsOpenablePath(std::string(reelpane::kMaxPath - 1, 'a')));
    EXPECT_FALSE(reelpane::IsOpenablePath(std::string(reelpane::kMaxPath, 'a')));
    EXPECT_FALSE(reelpane::IsOpenablePath(std::string(5000, 'a')));
    EXPECT_FALSE(reelpane::IsOpenablePath(""));
    // Measured in the system's units, not bytes: 259 Cyrillic letters are 518 bytes of
    // UTF-8 and still a path the platform holds; a character beyond U+FFFF takes two.
    std::string cyrillic;
    for (size_t i = 0; i < reelpane::kMaxPath - 1; ++i)
        cyrillic += "\xd0\x96";
    EXPECT_TRUE(reelpane::IsOpenablePath(cyrillic));
    EXPECT_FALSE(reelpane::IsOpenablePath(cyrillic + "\xd0\x96"));
    std::string astral;
    for (size_t i = 0; i < reelpane::kMaxPath / 2; ++i)
        astral += "\xf0\x9f\x8e\xac";
    EXPECT_FALSE(reelpane::IsOpenablePath(astral));
    EXPECT_TRUE(reelpane::IsOpenablePath(astral.substr(4)));
}

TEST(PlayerFrameSize, EmptyFrameIsCaptionMenuAndBorders)
{
    const korvane::Size size = reelpane::EmptyFrameSize(19, 20, 4);
    EXPECT_EQ(size.cx, 180);
    EXPECT_EQ(size.cy, 19 + 20 + 2 * 4);
}

TEST(PlayerEnd, TheLastFrameAndBeyondCountAsTheEnd)
{
    EXPECT_TRUE(reelpane::IsAtMovieEnd(39, 40));
    EXPECT_TRUE(reelpane::IsAtMovieEnd(40, 40));
    EXPECT_FALSE(reelpane::IsAtMovieEnd(38, 40));
    EXPECT_FALSE(reelpane::IsAtMovieEnd(0, 40));
    EXPECT_TRUE(reelpane::IsAtMovieEnd(0, 1));
    // Nothing open answers 0 for both: no rewinding then.
    EXPECT_FALSE(reelpane::IsAtMovieEnd(0, 0));
}

}  // namespace
