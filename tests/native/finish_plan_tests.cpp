// Finishing a recording: what is copied where for each merge result, what may be deleted,
// and that no deletion ever takes the last copy of a recording.
#include "ui/finish_plan.h"

#include <gtest/gtest.h>

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
        EXPECT_EQ(out.keptInScratch, c.kept) << c.result << " " << c.failing;
        EXPECT_TRUE(ops.files.count(c.kept)) << c.result << " " << c.failing;
        EXPECT_NE(KeptInScratchMessage(out.keptInScratch).find(c.kept), std::string::npos);
    }
    // A failed merged copy keeps the sources too.
    FakeOps ops = AfterMerge(true);
    ops.failingTargets = {kPaths.save};
    FinishAfterMerge(0, kPaths, ops);
    EXPECT_EQ(ops.files, (std::set<std::string>{kPaths.tempAvi, kPaths.tempWav, kPaths.mergedAvi}));
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
    EXPECT_EQ(PlayerCommandLine("C:\\prog", "C:\\my dir\\a b.avi"),
              "C:\\prog\\reelpane.exe C:\\my dir\\a b.avi");
}
