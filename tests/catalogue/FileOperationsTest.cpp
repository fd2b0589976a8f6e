#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "catalogue/FileOperations.h"
#include "files/SafeFiles.h"
#include "recordings/Paths.h"
#include "tests/support/Builders.h"
#include "tests/support/FakeViews.h"
#include "tests/support/TimeZone.h"

namespace lum {
namespace {

using namespace lum::test;
namespace fs = std::filesystem;

bool ReadOnly(const fs::path& p) {
    return (fs::status(p).permissions() & fs::perms::owner_write) == fs::perms::none;
}

// Whether a folder without write permission really refuses new entries (not for root).
bool FolderPermissionsEnforced(const fs::path& folder) {
    std::error_code ec;
    const fs::path probe = folder / "probe";
    std::ofstream(probe).put('x');
    const bool refused = !fs::exists(probe, ec);
    fs::remove(probe, ec);
    return refused;
}

class FileOperationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetTimeZone("JST-9");
        catalogue.Bind(&views, &views, &views, &views);
    }
    // Three consecutive recordings in DCIM/ (one group) and one an hour later (a second group).
    void MakeCard() {
        dir.Write("card/DCIM/FILE140101-120000.MP4", MinuteMp4("2014-01-01 12:00:00"));
        dir.Write("card/DCIM/EMEG140101-120100.MP4", MinuteMp4("2014-01-01 12:01:00"));
        dir.Write("card/DCIM/FILE140101-120200.MP4", MinuteMp4("2014-01-01 12:02:00"));
        dir.Write("card/FILE140101-130000.MP4", MinuteMp4("2014-01-01 13:00:00"));
        fs::permissions(dir.path() / "card/DCIM/FILE140101-120200.MP4", fs::perms::owner_write,
                        fs::perm_options::remove);
        ASSERT_TRUE(catalogue.Load(FromFsPath(dir.path() / "card"), ""));
        ASSERT_EQ(catalogue.Groups().size(), 2u);
    }
    TempDir dir;
    FakeViews views;
    RecordingCatalogue catalogue;
};

TEST_F(FileOperationsTest, NothingSelectedIsReported) {
    MakeCard();
    EXPECT_FALSE(DeleteSelected(catalogue, {}));
    EXPECT_FALSE(UnlockSelected(catalogue, {false, false}));
    EXPECT_FALSE(CopySelected(catalogue, {}, FromFsPath(dir.path())).anySelected);
    EXPECT_EQ(catalogue.Entries().size(), 4u);
}

TEST_F(FileOperationsTest, DeleteRemovesFilesAndRegroups) {
    MakeCard();
    ASSERT_TRUE(DeleteSelected(catalogue, {true, false}));
    EXPECT_FALSE(fs::exists(dir.path() / "card/DCIM/FILE140101-120000.MP4"));
    EXPECT_FALSE(
        fs::exists(dir.path() / "card/DCIM/FILE140101-120200.MP4"));  // read-only, still deleted
    ASSERT_EQ(catalogue.Entries().size(), 1u);
    EXPECT_EQ(catalogue.Groups().size(), 1u);
    EXPECT_EQ(views.rows.size(), 1u);
    EXPECT_EQ(views.rows[0].fileName, "FILE140101-130000.MP4");
}

TEST_F(FileOperationsTest, UnlockClearsBothKindsOfLock) {
    MakeCard();
    ASSERT_TRUE(UnlockSelected(catalogue, {true, false}));
    EXPECT_TRUE(fs::exists(dir.path() / "card/DCIM/EME_140101-120100.MP4"));
    EXPECT_FALSE(fs::exists(dir.path() / "card/DCIM/EMEG140101-120100.MP4"));
    EXPECT_EQ(catalogue.Entries()[1].fileName, "EME_140101-120100.MP4");
    EXPECT_EQ(catalogue.Entries()[1].flags, 0);
    EXPECT_FALSE(ReadOnly(dir.path() / "card/DCIM/FILE140101-120200.MP4"));
    EXPECT_EQ(catalogue.Entries()[2].flags, 0);
    EXPECT_EQ(catalogue.Entries()[2].fileName, "FILE140101-120200.MP4");
    EXPECT_EQ(catalogue.Groups()[0].groupFlags, 0);
    ASSERT_EQ(views.rows.size(), 4u);
    EXPECT_EQ(views.rows[1].fileName, "EME_140101-120100.MP4");
}

TEST_F(FileOperationsTest, UnlockNeverRenamesOverAnotherFile) {
    MakeCard();
    dir.Write("card/DCIM/EME_140101-120100.MP4", {9});
    ASSERT_TRUE(UnlockSelected(catalogue, {true, false}));
    EXPECT_TRUE(fs::exists(dir.path() / "card/DCIM/EMEG140101-120100.MP4"));
    EXPECT_EQ(fs::file_size(dir.path() / "card/DCIM/EME_140101-120100.MP4"), 1u);
    EXPECT_EQ(catalogue.Entries()[1].flags, EntryFlagNameLocked);
}

TEST_F(FileOperationsTest, FailedDeleteAndUnlockAreReportedAndChangeNothing) {
    MakeCard();
    const fs::path dcim = dir.path() / "card/DCIM";
    fs::permissions(dcim, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (!FolderPermissionsEnforced(dcim)) {
        fs::permissions(dcim, fs::perms::owner_write, fs::perm_options::add);
        GTEST_SKIP() << "this user writes into read-only folders";
    }
    std::vector<std::string> failed;
    EXPECT_TRUE(DeleteSelected(catalogue, {true, true}, &failed));
    // The three in DCIM stay, the read-only one still read-only; the fourth is gone.
    EXPECT_EQ(failed.size(), 3u);
    EXPECT_TRUE(ReadOnly(dcim / "FILE140101-120200.MP4"));
    EXPECT_FALSE(ReadOnly(dcim / "FILE140101-120000.MP4"));
    EXPECT_FALSE(fs::exists(dir.path() / "card/FILE140101-130000.MP4"));
    ASSERT_EQ(catalogue.Entries().size(), 3u);

    failed.clear();
    EXPECT_TRUE(UnlockSelected(catalogue, {true}, &failed));
    // The rename of the name-locked one fails; the read-only mark comes off.
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_NE(failed[0].find("EMEG140101-120100.MP4"), std::string::npos);
    EXPECT_TRUE(fs::exists(dcim / "EMEG140101-120100.MP4"));
    EXPECT_EQ(catalogue.Entries()[1].flags, EntryFlagNameLocked);
    EXPECT_FALSE(ReadOnly(dcim / "FILE140101-120200.MP4"));
    fs::permissions(dcim, fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(FileOperationsTest, TemporariesLeftByAKilledRunGoWithTheNextOne) {
    MakeCard();
    const fs::path out = dir.path() / "out/DCIM";
    fs::create_directories(out);
    const fs::path stale = TemporaryIn(out), fresh = TemporaryIn(out);
    ASSERT_TRUE(IsLumTemporaryName(stale.filename().string()));
    ASSERT_LE(stale.filename().string().size(), 32u);  // any target name still fits beside it
    dir.Write("out/DCIM/" + stale.filename().string(), {1});
    dir.Write("out/DCIM/" + fresh.filename().string(), {1});
    dir.Write("out/DCIM/.lum-someone-else.tmp", {1});
    fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(1));
    fs::last_write_time(out / ".lum-someone-else.tmp",
                        fs::file_time_type::clock::now() - std::chrono::hours(1));
    ASSERT_TRUE(CopySelected(catalogue, {true, false}, FromFsPath(dir.path() / "out")).anySelected);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(fresh));  // perhaps another copy still writing it
    EXPECT_TRUE(fs::exists(out / ".lum-someone-else.tmp"));
    EXPECT_TRUE(fs::exists(out / "FILE140101-120000.MP4"));
}

TEST_F(FileOperationsTest, CopyKeepsFoldersAsksBeforeOverwritingAndReportsFailures) {
    MakeCard();
    const fs::path out = dir.path() / "out";
    dir.Write("out/DCIM/FILE140101-120000.MP4", {7});
    dir.Write("out/FILE140101-130000.MP4", {7});
    views.overwriteAnswer = false;
    // The third recording vanishes before the copy: that one must be reported.
    fs::remove(dir.path() / "card/DCIM/FILE140101-120200.MP4");
    const CopyOutcome result = CopySelected(catalogue, {true, true}, FromFsPath(out));
    ASSERT_TRUE(result.anySelected);
    EXPECT_EQ(views.questions.size(), 2u);
    EXPECT_EQ(result.skipped.size(), 2u);
    ASSERT_EQ(result.failed.size(), 1u);
    EXPECT_NE(result.failed[0].find("FILE140101-120200.MP4"), std::string::npos);
    EXPECT_EQ(fs::file_size(out / "DCIM/FILE140101-120000.MP4"), 1u);  // kept
    EXPECT_TRUE(fs::exists(out / "DCIM/EMEG140101-120100.MP4"));
    for (const fs::directory_entry& e : fs::directory_iterator(out / "DCIM")) {
        EXPECT_FALSE(IsLumTemporaryName(e.path().filename().string())) << e.path();
    }
    EXPECT_EQ(views.progress, (std::vector<std::string>{"0:0 %", "25:25 %", "50:50 %", "75:75 %",
                                                        "100:100 %", "hide"}));

    views.overwriteAnswer = true;
    views.questions.clear();
    const CopyOutcome again = CopySelected(catalogue, {false, true}, FromFsPath(out));
    EXPECT_TRUE(again.failed.empty());
    EXPECT_EQ(views.questions.size(), 1u);
    EXPECT_GT(fs::file_size(out / "FILE140101-130000.MP4"), 1u);  // overwritten with the recording
}

}  // namespace
}  // namespace lum
