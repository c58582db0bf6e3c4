// Finishing a recording: what is copied where for each merge result, what may be deleted,
// and that no deletion ever takes the last copy of a recording.
#include "app/recording_limits.h"
#include "ui/finish_plan.h"
#include "ui/save_path_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace korvane;

namespace {

// A file system of names only: a copy needs its source and may be told to fail.
class FakeOps : public FinishFileOps {
public:
    std::set<std::string> files;
    std::set<std::string> failingTargets;
    std::vector<std::string> log;
    bool mergedWhole = true;

    bool Copy(const std::string& from, const std::string& to) override
    {
        log.push_back("copy " + from + " -> " + to);
        if (!files.count(from) || failingTargets.count(to))
            return false;
        files.insert(to);
        return true;
    }
    bool Delete(const std::string& path) override
    {
        log.push_back("delete " + path);
        return files.erase(path) != 0;
    }
    bool Exists(const std::string& path) override { return files.count(path) != 0; }
    bool MergedIsWhole(const FinishPaths&) override { return mergedWhole; }
};

const FinishPaths kPaths{"T\\v.avi", "T\\a.wav", "T\\m.avi", "D\\my movie.avi"};

FakeOps AfterMerge(bool merged)
{
    FakeOps ops;
    ops.files = {kPaths.tempAvi, kPaths.tempWav};
    if (merged)
        ops.files.insert(kPaths.mergedAvi);
    return ops;
}

}  // namespace

TEST(FinishPlan, MergedFileIsSavedAndEveryTemporaryGoes)
{
    FakeOps ops = AfterMerge(true);
    const FinishOutcome out = FinishAfterMerge(0, kPaths, ops);
    EXPECT_TRUE(out.startPlayer);
    EXPECT_EQ(ops.files, std::set<std::string>{kPaths.save});
}

TEST(FinishPlan, NoUsableAudioSavesTheVideoAlone)
{
    for (int result : {2, 4}) {
        FakeOps ops = AfterMerge(false);
        const FinishOutcome out = FinishAfterMerge(result, kPaths, ops);
        EXPECT_TRUE(out.startPlayer) << result;
        EXPECT_EQ(ops.files, std::set<std::string>{kPaths.save}) << result;
    }
}

TEST(FinishPlan, FailedSaveStepGivesVideoAndWavBesideIt)
{
    FakeOps ops = AfterMerge(false);
    const FinishOutcome out = FinishAfterMerge(5, kPaths, ops);
    EXPECT_TRUE(out.startPlayer);
    EXPECT_EQ(ops.files, (std::set<std::string>{kPaths.save, "D\\my movie.avi.wav"}));
}

// A file the user already has beside the chosen name is never replaced by the sound, and
// the later parts' files that a save would replace are named before anything is written.
TEST(FinishPlan, NoFileOfTheUsersIsReplacedUnasked)
{
    for (int result : {1, 5}) {
        FakeOps ops = AfterMerge(false);
        ops.files.insert({"D\\my movie.avi.wav", "D\\my movie.avi (2).wav"});
        const FinishOutcome out = FinishAfterMerge(result, kPaths, ops);
        EXPECT_TRUE(out.startPlayer) << result;
        EXPECT_TRUE(ops.files.count("D\\my movie.avi (3).wav")) << result;
        EXPECT_EQ(
            std::count(ops.log.begin(), ops.log.end(), "copy T\\a.wav -> D\\my movie.avi.wav"), 0);
    }

    FakeOps disk;
    disk.files = {"D\\m.avi", "D\\m (3).avi", "D\\m (9).avi"};
    EXPECT_EQ(LaterPartsInTheWay("D\\m.avi", {1, 2, 3, 4}, disk),
              std::vector<std::string>{"D\\m (3).avi"});
    EXPECT_TRUE(LaterPartsInTheWay("D\\other.avi", {1, 2, 3}, disk).empty());
}

TEST(FinishPlan, NoUsableVideoStillKeepsTheSound)
{
    for (int result : {1, 3}) {
        FakeOps ops = AfterMerge(false);
        const FinishOutcome out = FinishAfterMerge(result, kPaths, ops);
        EXPECT_TRUE(out.startPlayer) << result;
        EXPECT_EQ(ops.files, std::set<std::string>{"D\\my movie.avi.wav"}) << result;
    }
}

TEST(FinishPlan, UnknownResultTouchesNothing)
{
    FakeOps ops = AfterMerge(true);
    const FinishOutcome out = FinishAfterMerge(7, kPaths, ops);
    EXPECT_TRUE(out.startPlayer);
    EXPECT_TRUE(ops.log.empty());
}

// Whatever copy fails, the file that could not be saved stays and is named to the user;
// the player is not started.
TEST(FinishPlan, FailedCopyKeepsTheOnlyCopyAndNamesIt)
{
    struct Case {
        int result;
        std::string failing;
        std::string kept;
    };
    const Case cases[] = {
        {0, kPaths.save, kPaths.mergedAvi},        {2, kPaths.save, kPaths.tempAvi},
        {4, kPaths.save, kPaths.tempAvi},          {5, kPaths.save, kPaths.tempAvi},
        {5, kPaths.save + ".wav", kPaths.tempWav}, {1, kPaths.save + ".wav", kPaths.tempWav},
    };
    for (const Case& c : cases) {
        FakeOps ops = AfterMerge(c.result == 0);
        ops.failingTargets = {c.failing};
        const FinishOutcome out = FinishAfterMerge(c.result, kPaths, ops);
        EXPECT_FALSE(out.startPlayer) << c.result << " " << c.failing;
        EXPECT_EQ(out.keptInScratch, std::vector<std::string>{c.kept}) << c.result << c.failing;
        EXPECT_EQ(out.failedTarget, c.failing);
        EXPECT_TRUE(ops.files.count(c.kept)) << c.result << " " << c.failing;
        EXPECT_NE(KeptInScratchMessage(out.keptInScratch).find(c.kept), std::string::npos);
    }
    // A sound file that is not there is not named as keeping anything.
    for (int result : {1, 3}) {
        FakeOps noWav;
        noWav.files = {kPaths.tempAvi};
        const FinishOutcome out = FinishAfterMerge(result, kPaths, noWav);
        EXPECT_FALSE(out.startPlayer);
        EXPECT_TRUE(out.keptInScratch.empty());
        EXPECT_EQ(KeptInScratchMessage(out.keptInScratch).find("T\\"), std::string::npos);
    }
    // A failed merged copy keeps the sources too.
    FakeOps ops = AfterMerge(true);
    ops.failingTargets = {kPaths.save};
    FinishAfterMerge(0, kPaths, ops);
    EXPECT_EQ(ops.files, (std::set<std::string>{kPaths.tempAvi, kPaths.tempWav, kPaths.mergedAvi}));
}

// A merge that said it succeeded but reads back short is not trusted with the recording.
TEST(FinishPlan, MergedFileThatDoesNotCheckOutKeepsTheSources)
{
    FakeOps ops = AfterMerge(true);
    ops.mergedWhole = false;
    const FinishOutcome out = FinishAfterMerge(0, kPaths, ops);
    EXPECT_FALSE(out.startPlayer);
    EXPECT_EQ(ops.files, (std::set<std::string>{kPaths.tempAvi, kPaths.tempWav}));
    EXPECT_EQ(out.keptInScratch, (std::vector<std::string>{kPaths.tempAvi, kPaths.tempWav}));
}

TEST(FinishPlan, MergedLengthsAgreeWithinABlockOrTwo)
{
    const struct {
        const char* what;
        long frames, mergedFrames;
        double sound, mergedSound, tolerance;
        bool agree;
    } cases[] = {
        {"whole", 250, 250, 10.0, 10.0, 0.002, true},
        {"a frame missing", 250, 249, 10.0, 10.0, 0.002, false},
        {"the sound lost", 250, 250, 10.0, 0.0, 0.002, false},
        {"there was no sound", 250, 250, 0.0, 0.0, 0.002, true},
        {"compressed: padded to a whole block", 250, 250, 10.0, 10.04, 0.094, true},
        {"compressed: the last part block dropped", 250, 250, 10.0, 9.96, 0.094, true},
        {"the sound's last second lost", 250, 250, 10.0, 9.0, 0.094, false},
        {"a short sound lost", 5, 5, 0.3, 0.0, 0.094, false},
        {"more sound than recorded", 250, 250, 10.0, 11.0, 0.094, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MergedLengthsAgree(c.frames, c.mergedFrames, c.sound, c.mergedSound, c.tolerance),
                  c.agree)
            << c.what;
}

TEST(FinishPlan, WithoutAudioTheTemporaryGoesOnlyAfterACopy)
{
    FakeOps ops;
    ops.files = {kPaths.tempAvi};
    ops.failingTargets = {kPaths.save};
    EXPECT_FALSE(FinishWithoutAudio(kPaths, ops));
    EXPECT_EQ(ops.files, std::set<std::string>{kPaths.tempAvi});
    ops.failingTargets.clear();
    EXPECT_TRUE(FinishWithoutAudio(kPaths, ops));
    EXPECT_EQ(ops.files, std::set<std::string>{kPaths.save});
}

TEST(FinishPlan, PathsAndCommandLine)
{
    EXPECT_EQ(FolderOf("C:\\some dir\\a b.avi"), "C:\\some dir");
    EXPECT_EQ(FolderOf("C:\\a.avi"), "C:");
    EXPECT_EQ(FolderOf("a.avi"), "");
    EXPECT_EQ(PlayerCommandLine("C:\\Program Files\\K", "C:\\my dir\\a b.avi"),
              "\"C:\\Program Files\\K\\reelpane.exe\" \"C:\\my dir\\a b.avi\"");
}

TEST(RecordingParts, NamesAndSoundRanges)
{
    EXPECT_EQ(PartSavePath("D:\\a b\\movie.avi", 1), "D:\\a b\\movie.avi");
    EXPECT_EQ(PartSavePath("D:\\a b\\movie.avi", 2), "D:\\a b\\movie (2).avi");
    EXPECT_EQ(PartSavePath("D:\\v1.0\\movie", 3), "D:\\v1.0\\movie (3)");
    EXPECT_EQ(PartSavePath("D:\\x\\.avi", 2), "D:\\x\\.avi (2)");

    // 25 fps, 22050 Hz 16-bit stereo (88200 bytes a second, blocks of 4): parts starting at
    // frames 0, 100 and 250 share the sound without a gap or an overlap.
    const uint64_t total = 88200ull * 13;
    const ByteRange first = PartSoundRange(0, 100, 25, 88200, 4, total);
    const ByteRange second = PartSoundRange(100, 250, 25, 88200, 4, total);
    const ByteRange last = PartSoundRange(250, 0, 25, 88200, 4, total);
    EXPECT_EQ(first.begin, 0u);
    EXPECT_EQ(first.end, 88200u * 4);
    EXPECT_EQ(second.begin, first.end);
    EXPECT_EQ(second.end, last.begin);
    EXPECT_EQ(last.end, total);
    // 11025 Hz mono 8-bit at 30 fps: frame 7 is 2572.5 bytes in, cut at a whole sample.
    EXPECT_EQ(PartSoundRange(7, 0, 30, 11025, 1, 100000).begin, 2572u);
    // Sound shorter than the video: the late parts are empty, never past the end.
    const ByteRange beyond = PartSoundRange(500, 600, 25, 88200, 4, 1000);
    EXPECT_EQ(beyond.begin, 1000u);
    EXPECT_EQ(beyond.end, 1000u);
}

TEST(RecordingLimits, CeilingSettingAndSpaceFloor)
{
    EXPECT_EQ(PartCeilingFrom(nullptr), kPartCeilingBytes);
    EXPECT_EQ(PartCeilingFrom("300000"), 300000u);
    for (const char* bad : {"", "12", "-5", "1e9", "300000x", "99999999999999"}) {
        EXPECT_EQ(PartCeilingFrom(bad), kPartCeilingBytes) << bad;
        EXPECT_EQ(SoundCeilingFrom(bad), kSoundCeilingBytes) << bad;
    }
    EXPECT_EQ(SoundCeilingFrom("600000"), 600000u);
    // The sound file's ceiling leaves room below the 2 GB its 31-bit offsets reach.
    EXPECT_LE(kSoundCeilingBytes + 64ull * 1024 * 1024, 0x7FFFFFFFull + 1);
    EXPECT_FALSE(SpaceIsLow(kScratchMarginBytes + 300, 200, 100));
    EXPECT_TRUE(SpaceIsLow(kScratchMarginBytes + 299, 200, 100));
}

TEST(FinishPlan, WhatTheUserIsToldAtTheEnd)
{
    EXPECT_EQ(EndOfRecordingNotice(StopCause::User, AudioTrouble::None, true, "C:\\t"), "");
    const std::string low =
        EndOfRecordingNotice(StopCause::DiskLow, AudioTrouble::None, true, "C:\\t");
    EXPECT_NE(low.find("C:\\t"), std::string::npos);
    EXPECT_NE(low.find("saved next"), std::string::npos);
    const std::string never =
        EndOfRecordingNotice(StopCause::WriteFailed, AudioTrouble::None, false, "C:\\t");
    EXPECT_NE(never.find("could not start"), std::string::npos);
    const std::string both =
        EndOfRecordingNotice(StopCause::User, AudioTrouble::DeviceLost, true, "C:\\t");
    EXPECT_NE(both.find("silence"), std::string::npos);
    const std::string locked =
        EndOfRecordingNotice(StopCause::User, AudioTrouble::None, true, "C:\\t", 250);
    EXPECT_EQ(locked.find("250 frames could not be read from the screen"), 0u);
    EXPECT_FALSE(AudioTroubleLine(AudioTrouble::DeviceNotOpened).empty());
}

static std::string Repeat(const std::string& text, int times)
{
    std::string out;
    while (times-- > 0)
        out += text;
    return out;
}

TEST(SavePath, WhatTheSystemWouldRefuseIsNamed)
{
    const struct {
        std::string path;
        const char* reason;  // a piece of the reason; null: accepted
    } cases[] = {
        {"C:"
         "\\users\\Public\\\xd0\x97\xd0\xb0\xd0\xbf\xd0\xb8\xd1\x81\xd0\xb8\\\xe9\x8c\xb2\xe7\x94"
         "\xbb 1.avi",
         nullptr},
        {"\\\\server\\share\\movie.avi", nullptr},
        {"C:\\movies\\..\\console.avi", nullptr},
        {"C:\\movies\\COM10.avi", nullptr},
        {"C:\\movies\\CON.avi", "\"CON.avi\" is a name Windows keeps for a device"},
        {"C:\\movies\\nul", "keeps for a device"},
        {"C:\\movies\\Lpt1 .x.avi", "keeps for a device"},
        {"C:\\aux\\movie.avi", "\"aux\" is a name"},
        {"C:\\movies\\what?.avi", "no file name may have"},
        {"C:\\movies\\a:b.avi", "no file name may have"},
        {"C:\\movies\\tab\t.avi", "no file name may have"},
        {"C:\\movies\\name.", "ends in a dot or a blank"},
        {"C:\\movies \\name.avi", "ends in a dot or a blank"},
        {"C:\\" + std::string(252, 'a') + ".avi", nullptr},
        {"C:\\" + Repeat("\xd0\x96", 200) + ".avi", nullptr},  // 407 bytes, 207 characters
        {"C:\\" + std::string(253, 'a') + ".avi", "is 260 characters long"},
    };
    for (const auto& c : cases) {
        const std::string reason = SavePathRefusal(c.path);
        if (!c.reason)
            EXPECT_EQ(reason, "") << c.path;
        else
            EXPECT_NE(reason.find(c.reason), std::string::npos) << c.path << ": " << reason;
    }
}
