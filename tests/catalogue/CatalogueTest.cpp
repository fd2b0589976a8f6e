#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "catalogue/RecordingCatalogue.h"
#include "recordings/FolderWalk.h"
#include "recordings/Paths.h"
#include "tests/support/Builders.h"
#include "tests/support/FakeViews.h"
#include "tests/support/TimeZone.h"

namespace lum {
namespace {

using namespace lum::test;
namespace fs = std::filesystem;

TEST(FolderWalkTest, SubtreesFirstHiddenSkippedLoopsNotFollowed) {
    TempDir dir;
    for (const char* f :
         {"b.txt", "a/x.txt", "a/sub/y.txt", "c/z.txt", ".hidden/h.txt", "a/.h.txt"}) {
        dir.Write(f, {1});
    }
    fs::create_directory_symlink(dir.path(), dir.path() / "a" / "sub" / "loop");
    std::vector<std::string> seen;
    ASSERT_EQ(WalkFolder(FromFsPath(dir.path()),
                         [&](const WalkItem& i) {
                             seen.push_back(i.relativePath + i.name + (i.isDirectory ? "/" : ""));
                         }),
              WalkResult::Done);
    const std::vector<std::string> want = {"a/",      "a/sub/", "a/sub/loop/", "a/sub/y.txt",
                                           "a/x.txt", "b.txt",  "c/",          "c/z.txt"};
    EXPECT_EQ(seen, want);
    EXPECT_EQ(WalkFolder(FromFsPath(dir.path() / "missing"), [](const WalkItem&) {}),
              WalkResult::RootMissing);
}

TEST(FolderWalkTest, DeepTreesStopAtTheBound) {
    TempDir dir;
    fs::path p = dir.path();
    for (int i = 0; i < 45; ++i) {
        p /= "d";
    }
    fs::create_directories(p);
    std::size_t deepest = 0;
    WalkFolder(FromFsPath(dir.path()), [&](const WalkItem& i) {
        deepest = std::max(
            deepest, std::count(i.relativePath.begin(), i.relativePath.end(), kPathSeparator) +
                         std::size_t{1});
    });
    EXPECT_EQ(deepest, kMaxWalkDepth);
}

TEST(FolderWalkTest, UnreadableFolderDoesNotEndTheWalk) {
    TempDir dir;
    dir.Write("a/locked/x.txt", {1});
    dir.Write("b/y.txt", {1});
    fs::permissions(dir.path() / "a" / "locked", fs::perms::none);
    std::error_code ec;
    if (fs::directory_iterator(dir.path() / "a" / "locked", ec); !ec) {
        GTEST_SKIP() << "permissions are not enforced for this user";
    }
    std::vector<std::string> seen;
    WalkFolder(FromFsPath(dir.path()), [&](const WalkItem& i) { seen.push_back(i.name); });
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "locked", "b", "y.txt"}));
}

TEST(FolderWalkTest, StaysOnTheRootsFileSystemAndInsideItsTree) {
    TempDir dir, outside;
    dir.Write("card/DCIM/a.MP4", {1});
    dir.Write("card/mnt/other.MP4", {1});
    outside.Write("secret/s.MP4", {1});
    outside.Write("file.MP4", {1});
    fs::create_directory_symlink(outside.path() / "secret", dir.path() / "card" / "away");
    fs::create_symlink(outside.path() / "file.MP4", dir.path() / "card" / "link.MP4");
    fs::create_directory_symlink(dir.path() / "card" / "DCIM", dir.path() / "card" / "near");
    // "mnt" stands for another disk mounted inside the card's tree.
    WalkOptions options;
    options.deviceOf = [](const fs::path& p) -> std::optional<std::uint64_t> {
        return p.filename() == "mnt" ? 2 : 1;
    };
    std::vector<std::string> seen;
    ASSERT_EQ(WalkFolder(
                  FromFsPath(dir.path() / "card"),
                  [&](const WalkItem& i) { seen.push_back(i.relativePath + i.name); }, options),
              WalkResult::Done);
    EXPECT_EQ(seen, (std::vector<std::string>{"DCIM", "DCIM/a.MP4", "near", "near/a.MP4"}));
}

TEST(FolderWalkTest, CancelEndsTheWalkAndUnreadableRootIsTold) {
    TempDir dir;
    for (int i = 0; i < 5; ++i) {
        dir.Write("f" + std::to_string(i), {1});
    }
    std::atomic<bool> cancel{false};
    WalkOptions options;
    options.cancel = &cancel;
    int calls = 0;
    EXPECT_EQ(WalkFolder(
                  FromFsPath(dir.path()),
                  [&](const WalkItem&) {
                      if (++calls == 2) {
                          cancel = true;
                      }
                  },
                  options),
              WalkResult::Cancelled);
    EXPECT_EQ(calls, 2);

    fs::permissions(dir.path(), fs::perms::none);
    std::error_code ec;
    if (fs::directory_iterator(dir.path(), ec); !ec) {
        fs::permissions(dir.path(), fs::perms::owner_all);
        GTEST_SKIP() << "permissions are not enforced for this user";
    }
    RecordingCatalogue catalogue;
    EXPECT_EQ(catalogue.LoadWithStatus(FromFsPath(dir.path()), ""), LoadStatus::Unreadable);
    fs::permissions(dir.path(), fs::perms::owner_all);
}

TEST(CatalogueNamesTest, FilterAndSortKey) {
    for (const char* ok : {"FILE0001.MOV", "EMER140101-120000.MP4", "ab-_1.AVI"}) {
        EXPECT_TRUE(IsRecordingName(ok)) << ok;
    }
    for (const char* bad :
         {"FILE0001.mov", "FI.E0001.MOV", "FILE0001.3GP", "駐車0001.MP4", ".MOV"}) {
        EXPECT_FALSE(IsRecordingName(bad)) << bad;
    }
    EXPECT_EQ(NameSortKey("FILE140101-123456.MOV"), "140101-123456");
    EXPECT_EQ(NameSortKey("FILE"), "");
    EXPECT_EQ(NameSortKey("駐車場の動画0001.MP4"), "動画0001.MP4");  // characters, not bytes
    // UTF-16 code-unit order: U+FF5E sorts after a character outside the basic plane.
    EXPECT_EQ(CompareUtf16("\xEF\xBD\x9E", "\xF0\x9F\x9A\x97"), 1);
    EXPECT_EQ(CompareUtf16("A", "a"), -1);
}

class CatalogueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetTimeZone("JST-9");
        catalogue.Bind(&views, &views, &views, &views);
        catalogue.BindVideoSurface(&views);
    }
    TempDir dir;
    FakeViews views;
    RecordingCatalogue catalogue;
};

TEST_F(CatalogueTest, LoadsSortsFlagsAndListsACard) {
    dir.Write("DCIM/FILE140101-120100.MOV", MinuteMp4("2014-01-01 12:01:00"));
    dir.Write("DCIM/EMER140101-120000.MP4", MinuteMp4("2014-01-01 12:00:00"));
    dir.Write("DCIM/MANG140101-120200.MP4", MinuteMp4("2014-01-01 12:02:00"));
    dir.Write("PARK140101-130000.MP4", MinuteMp4("2014-01-01 13:00:00"));
    dir.Write("FILE0001.mov", MinuteMp4("2014-01-01 12:00:00"));   // lower-case: not offered
    dir.Write("FILE0002.MP4", Text("not a recording"));            // rejected by its reader
    dir.Write(".FILE0003.MP4", MinuteMp4("2014-01-01 12:00:00"));  // hidden: not even counted
    const std::string ro =
        dir.Write("DCIM/SOS_140101-125900.MP4", MinuteMp4("2014-01-01 12:59:00"));
    fs::permissions(ToFsPath(ro),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);

    ASSERT_TRUE(catalogue.Load(FromFsPath(dir.path()), ""));
    std::vector<std::string> names;
    for (const RecordingEntry& e : catalogue.Entries()) {
        names.push_back(e.fileName);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"EMER140101-120000.MP4", "FILE140101-120100.MOV",
                                               "MANG140101-120200.MP4", "SOS_140101-125900.MP4",
                                               "PARK140101-130000.MP4"}));
    EXPECT_EQ(catalogue.ScanCount(), 7);
    EXPECT_EQ(views.scanCounts.front(), 0);
    EXPECT_EQ(views.scanCounts.back(), 6);
    EXPECT_EQ(catalogue.Entries()[2].flags, EntryFlagNameLocked);
    EXPECT_EQ(catalogue.Entries()[3].flags, EntryFlagReadOnly);
    EXPECT_EQ(catalogue.Entries()[1].subFolder, std::string("DCIM") + kPathSeparator);
    EXPECT_TRUE(EndsWithSeparator(catalogue.Entries()[1].rootFolder));

    // One-minute recordings a minute apart group; after the 56-minute gap a new group
    // starts, which the recording of 13:00 joins (it follows 12:59 + 60 s).
    ASSERT_EQ(catalogue.Groups().size(), 2u);
    EXPECT_EQ(catalogue.Groups()[0].entryCount, 3);
    EXPECT_EQ(catalogue.Groups()[0].groupFlags, EntryFlagNameLocked);
    EXPECT_EQ(catalogue.Groups()[0].totalDurationMs, 180000u);
    ASSERT_EQ(views.rows.size(), 5u);
    EXPECT_EQ(views.rows[1].fileName, "FILE140101-120100.MOV");
    EXPECT_EQ(views.rows[1].folder,
              catalogue.Entries()[1].rootFolder + catalogue.Entries()[1].subFolder);
    EXPECT_EQ(catalogue.Rows()[4].groupNumber, 1);
    EXPECT_EQ(catalogue.Rows()[4].indexInGroup, 1);

    // A header click on the size column sorts by file name.
    catalogue.SortCatalogue(2, false);
    EXPECT_EQ(catalogue.Entries()[0].fileName, "EMER140101-120000.MP4");
    EXPECT_EQ(catalogue.Entries()[2].fileName, "MANG140101-120200.MP4");
    EXPECT_EQ(catalogue.Entries()[3].fileName, "PARK140101-130000.MP4");
    EXPECT_EQ(catalogue.CurrentIndex(), -1);

    EXPECT_FALSE(catalogue.Load(FromFsPath(dir.path() / "gone"), ""));
    EXPECT_TRUE(catalogue.Entries().empty());
}

TEST_F(CatalogueTest, SingleFileSkipsTheNameRules) {
    const std::string folder = FromFsPath(dir.path());
    dir.Write("clip.mov", MinuteMp4("2014-01-01 12:00:00"));
    ASSERT_TRUE(catalogue.Load(folder, "clip.mov"));
    ASSERT_EQ(catalogue.Entries().size(), 1u);
    EXPECT_EQ(catalogue.Entries()[0].rootFolder, folder);
    EXPECT_EQ(catalogue.Entries()[0].subFolder, "");
    EXPECT_FALSE(catalogue.Load(folder, "missing.MP4"));
    dir.Write("junk.MP4", Text("junk"));
    EXPECT_TRUE(catalogue.Load(folder, "junk.MP4"));  // exists, but no reader accepts it
    EXPECT_TRUE(catalogue.Entries().empty());
}

TEST_F(CatalogueTest, GroupsJoinWithinTwoSeconds) {
    auto entry = [](const char* name, std::int64_t start, std::int64_t length) {
        RecordingEntry e;
        e.fileName = name;
        e.telemetry.startTime = start;
        e.telemetry.lengthSeconds = length;
        e.telemetry.durationMs = static_cast<std::uint32_t>(length * 1000);
        return e;
    };
    const std::int64_t ten = 36000;
    for (const RecordingEntry& e : {entry("R1", ten, 60), entry("R2", ten + 61, 60),
                                    entry("R3", ten + 65, 60), entry("R4", ten + 127, 60)}) {
        catalogue.AddEntry(e);
    }
    catalogue.BuildGroups();
    ASSERT_EQ(catalogue.Groups().size(), 2u);
    EXPECT_EQ(catalogue.Groups()[0].entryCount, 2);  // R2 starts 1 s after R1 ends
    EXPECT_EQ(catalogue.Groups()[1].firstEntry, 2);  // R3 overlaps R2 by 56 s
    EXPECT_EQ(catalogue.Groups()[1].entryCount, 2);  // R4 starts 2 s after R3 ends
    EXPECT_EQ(catalogue.Rows()[3].indexInGroup, 1);
    EXPECT_EQ(catalogue.Groups()[1].totalDurationMs, 120000u);
}

TEST_F(CatalogueTest, SelectionAndCurrentIndex) {
    EXPECT_EQ(catalogue.CurrentIndex(), -1);
    for (int i = 0; i < 3; ++i) {
        RecordingEntry e;
        e.fileName = "F" + std::to_string(i);
        e.telemetry.width = 1280;
        e.telemetry.height = 720;
        e.telemetry.startTime = i * 1000;
        catalogue.AddEntry(e);
    }
    catalogue.BuildGroups();
    EXPECT_FALSE(catalogue.Select(3));
    ASSERT_TRUE(catalogue.Select(2));
    EXPECT_EQ(catalogue.CurrentGroup(), 2);
    int w = 0, h = 0;
    ASSERT_TRUE(catalogue.VideoSize(w, h));
    EXPECT_EQ(w, 1280);
    catalogue.SetCurrentIndex(7);  // stale: lowered to the last recording
    EXPECT_EQ(catalogue.CurrentIndex(), 2);
    EXPECT_EQ(catalogue.GroupOf(), -1);  // asking changed nothing
    catalogue.KeepCurrentInRange();
    EXPECT_EQ(catalogue.GroupOf(), 2);
    ASSERT_TRUE(catalogue.SelectGroup(1));
    EXPECT_EQ(catalogue.CurrentIndex(), 1);
    EXPECT_FALSE(catalogue.SelectGroup(5));
}

}  // namespace
}  // namespace lum
