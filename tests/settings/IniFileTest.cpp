#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "settings/IniFile.h"
#include "tests/support/Builders.h"
#include "tests/support/FileHelpers.h"

namespace lum {
namespace {

namespace fs = std::filesystem;
using test::Names;
using test::ReadAll;
using test::ReadOnlyFolder;
using test::TempDir;
using test::Text;

TEST(IniFile, SerialisesUnchangedTextByteForByte) {
    const std::string texts[] = {
        "",
        "\n",
        "[UI]\nMAP=1\n",
        "[UI]\r\nMAP=1\r\n",
        "[UI]\nMAP=1",
        "; comment\n# other\n\n  [ Odd ]  tail\nno equals here\n=no key\n[unterminated\r\r\n",
        "mixed\r\nline\nends\r\n\r\n",
        std::string("nul\0inside=1\n", 13),
    };
    for (const std::string& text : texts) {
        EXPECT_EQ(IniFile::Parse(text).Serialise(), text) << text;
    }
}

TEST(IniFile, LineEndingFollowsTheFirstLineBreak) {
    EXPECT_EQ(IniFile::Parse("").LineEnding(), "\n");
    EXPECT_EQ(IniFile::Parse("[UI]").LineEnding(), "\n");
    EXPECT_EQ(IniFile::Parse("[UI]\r\nA=1\n").LineEnding(), "\r\n");
    EXPECT_EQ(IniFile::Parse("[UI]\nA=1\r\n").LineEnding(), "\n");
}

TEST(IniFile, FindsKeysOfTheFirstMatchingSectionWithoutRegardToCase) {
    struct Case {
        const char* text;
        const char* section;
        const char* key;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"[ui]\nlangId = JPN \t\n", "UI", "LANGID", "JPN"},
        {"[UI]\r\nMAP=1\r\n", "ui", "map", "1"},
        {"[ UI ] trailing text\nMAP=1\n", "UI", "MAP", "1"},
        {"[UI]\nMAP=\n", "UI", "MAP", ""},
        {"[UI]\nMAP = a = b\n", "UI", "MAP", "a = b"},
        {"[UI]\nMAP=0\nMAP=1\n[UI]\nMAP=2\nGSNR=3\n", "UI", "MAP", "0"},
        {"[UI]\nMAP=0\n[UI]\nGSNR=3\n", "UI", "GSNR", std::nullopt},
        {"MAP=1\n[UI]\n", "UI", "MAP", std::nullopt},
        {"[UI]\n; MAP=1\n#MAP=1\nMAP\n", "UI", "MAP", std::nullopt},
        {"[UI\nMAP=1\n", "UI", "MAP", std::nullopt},
        {"[WINPOS]\nMAP=1\n", "UI", "MAP", std::nullopt},
        {"[UI]\n[WINPOS]\nMAP=1\n", "UI", "MAP", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IniFile::Parse(c.text).Find(c.section, c.key), c.expected) << c.text;
    }
    const IniFile file = IniFile::Parse("[UI]\nMAP=\n");
    EXPECT_EQ(file.ReadText("UI", "MAP", "dflt"), "");
    EXPECT_EQ(file.ReadText("UI", "LANGID", "ENG"), "ENG");
}

TEST(IniFile, ReadsIntegersLikeTheProfileFunctions) {
    struct Case {
        const char* value;
        int expected;
    };
    const Case cases[] = {
        {"42", 42},
        {"-7", -7},
        {"+3", 3},
        {"12abc", 12},
        {"abc", 0},
        {"-", 0},
        {"- 5", 0},
        {"0x10", 0},
        {"", 77},
        {"007", 7},
        {"1.9", 1},
        {"4294967297", 1},
        {"-2147483648", -2147483647 - 1},
    };
    for (const Case& c : cases) {
        const IniFile file = IniFile::Parse(std::string("[S]\nk=") + c.value + "\n");
        EXPECT_EQ(file.ReadInt("S", "K", 77), c.expected) << c.value;
    }
    EXPECT_EQ(IniFile::Parse("[S]\n").ReadInt("S", "k", 77), 77);
}

TEST(IniFile, WriteChangesOnlyWhatItMust) {
    struct Case {
        const char* what;
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    };
    const Case cases[] = {
        {"value replaced in place, spelling and the rest kept",
         "; LUM\n[ui]\n  Map = 3\nweird line\n\n[Other]\nx=1\n", "UI", "MAP", "1",
         "; LUM\n[ui]\n  Map =1\nweird line\n\n[Other]\nx=1\n"},
        {"new key after the section's last non-blank line",
         "[UI]\nA=1\n# note\n\n\n[WINPOS]\nL=0\n", "UI", "MAP", "0",
         "[UI]\nA=1\n# note\nMAP=0\n\n\n[WINPOS]\nL=0\n"},
        {"new key in the last section", "[A]\nx=1\n[UI]\nA=1\n\n", "UI", "MAP", "0",
         "[A]\nx=1\n[UI]\nA=1\nMAP=0\n\n"},
        {"new key in an empty section", "[UI]\n[WINPOS]\n", "ui", "MAP", "1",
         "[UI]\nMAP=1\n[WINPOS]\n"},
        {"new section at the end", "[UI]\nMAP=0\n", "WINPOS", "LEFT", "5",
         "[UI]\nMAP=0\n\n[WINPOS]\nLEFT=5\n"},
        {"new section after a blank line", "[UI]\nMAP=0\n\n", "WINPOS", "LEFT", "5",
         "[UI]\nMAP=0\n\n[WINPOS]\nLEFT=5\n"},
        {"first write into an empty file", "", "UI", "LANGID", "JPN", "[UI]\nLANGID=JPN\n"},
        {"last line without a break", "[UI]\nMAP=0", "UI", "Folder", "/x y",
         "[UI]\nMAP=0\nFolder=/x y\n"},
        {"CRLF kept for a new key", "[UI]\r\nMAP=0\r\n", "UI", "LANGID", "ENG",
         "[UI]\r\nMAP=0\r\nLANGID=ENG\r\n"},
        {"CRLF kept for a new section", "[UI]\r\nMAP=0\r\n", "WINPOS", "TOP", "1",
         "[UI]\r\nMAP=0\r\n\r\n[WINPOS]\r\nTOP=1\r\n"},
        {"CRLF kept for a replaced value", "[UI]\r\nMAP=0\r\nX=1\r\n", "UI", "MAP", "1",
         "[UI]\r\nMAP=1\r\nX=1\r\n"},
        {"first of duplicate keys and sections", "[UI]\nMAP=0\nMAP=1\n[UI]\nMAP=2\n", "UI", "MAP",
         "5", "[UI]\nMAP=5\nMAP=1\n[UI]\nMAP=2\n"},
        {"a key before any section belongs to none", "MAP=3\n", "UI", "MAP", "1",
         "MAP=3\n\n[UI]\nMAP=1\n"},
        {"header with trailing text", "[ UI ] ; main\nMAP=0\n", "UI", "MAP", "1",
         "[ UI ] ; main\nMAP=1\n"},
        {"empty value", "[UI]\nFolder=/a\n", "UI", "Folder", "", "[UI]\nFolder=\n"},
    };
    for (const Case& c : cases) {
        IniFile file = IniFile::Parse(c.before);
        ASSERT_TRUE(file.Write(c.section, c.key, c.value)) << c.what;
        EXPECT_EQ(file.Serialise(), c.after) << c.what;
        EXPECT_EQ(file.Find(c.section, c.key), c.value) << c.what;
    }
}

TEST(IniFile, RefusesNamesAndValuesThatWouldNotReadBack) {
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"UI", "a=b", "1"},   {"UI", "", "1"},     {"UI", " MAP", "1"},     {"UI", "MAP\t", "1"},
        {"U]I", "MAP", "1"},  {"", "MAP", "1"},    {" UI", "MAP", "1"},     {"UI", ";MAP", "1"},
        {"UI", "#MAP", "1"},  {"UI", "[MAP", "1"}, {"UI", "MAP", "1\n[X]"}, {"UI", "MA\rP", "1"},
        {"U\nI", "MAP", "1"},
    };
    const std::string before = "[UI]\nMAP=0\n";
    for (const Case& c : cases) {
        IniFile file = IniFile::Parse(before);
        EXPECT_FALSE(file.Write(c.section, c.key, c.value)) << c.section << "/" << c.key;
        EXPECT_EQ(file.Serialise(), before) << c.section << "/" << c.key;
    }
}

// ---- On disk ----

TEST(IniFileOnDisk, FirstWriteCreatesTheFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    const fs::path ini = dir.path() / "Lum.ini";
    EXPECT_EQ(LoadIniFile(ini).status, IniLoadStatus::kMissing);
    ASSERT_TRUE(WriteIniValue(ini, "UI", "MAP", "1"));
    ASSERT_TRUE(WriteIniValues(ini, {{"WINPOS", "LEFT", "3"}, {"WINPOS", "TOP", "4"}}));
    EXPECT_EQ(ReadAll(ini), "[UI]\nMAP=1\n\n[WINPOS]\nLEFT=3\nTOP=4\n");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"Lum.ini"});
    const IniLoadResult loaded = LoadIniFile(ini);
    EXPECT_EQ(loaded.status, IniLoadStatus::kLoaded);
    EXPECT_EQ(loaded.file.ReadInt("winpos", "top", 0), 4);
}

TEST(IniFileOnDisk, KeepsForeignContentByteForByte) {
    TempDir dir;
    const std::string before =
        "; written by hand\r\n[Vendor]\r\nSerial=ABC\r\n\r\n[ui]\r\nmap=0\r\n  junk line\r\n";
    const fs::path ini = dir.Write("Lum.ini", Text(before));
    ASSERT_TRUE(WriteIniValue(ini, "UI", "MAP", "1"));
    ASSERT_TRUE(WriteIniValue(ini, "UI", "LANGID", "JPN"));
    EXPECT_EQ(ReadAll(ini),
              "; written by hand\r\n[Vendor]\r\nSerial=ABC\r\n\r\n[ui]\r\nmap=1\r\n  junk line\r\n"
              "LANGID=JPN\r\n");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"Lum.ini"});
}

TEST(IniFileOnDisk, RefusedEditLeavesTheFileAlone) {
    TempDir dir;
    const fs::path ini = dir.Write("Lum.ini", Text("[UI]\nMAP=0\n"));
    EXPECT_FALSE(WriteIniValues(ini, {{"UI", "MAP", "1"}, {"UI", "bad=key", "1"}}));
    EXPECT_EQ(ReadAll(ini), "[UI]\nMAP=0\n");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"Lum.ini"});
}

TEST(IniFileOnDisk, AFolderNamedLikeTheFileIsNeitherReadNorReplaced) {
    TempDir dir;
    const fs::path ini = dir.path() / "Lum.ini";
    fs::create_directory(ini);
    EXPECT_EQ(LoadIniFile(ini).status, IniLoadStatus::kUnreadable);
    EXPECT_FALSE(WriteIniValue(ini, "UI", "MAP", "1"));
    EXPECT_TRUE(fs::is_directory(ini));
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"Lum.ini"});
}

TEST(IniFileOnDisk, FollowsASymbolicLinkAndKeepsIt) {
    TempDir dir;
    const fs::path real = dir.Write("real/settings.ini", Text("[UI]\nMAP=0\n"));
    const fs::path ini = dir.path() / "Lum.ini";
    std::error_code ec;
    fs::create_symlink(fs::path("real") / "settings.ini", ini, ec);
    if (ec) {
        GTEST_SKIP() << "no symbolic links here: " << ec.message();
    }
    ASSERT_TRUE(WriteIniValue(ini, "UI", "MAP", "1"));
    EXPECT_TRUE(fs::is_symlink(ini));
    EXPECT_EQ(ReadAll(real), "[UI]\nMAP=1\n");
    EXPECT_EQ(Names(dir.path() / "real"), std::vector<std::string>{"settings.ini"});
}

TEST(IniFileOnDisk, KeepsThePermissionsOfTheFile) {
    TempDir dir;
    const fs::path ini = dir.Write("Lum.ini", Text("[UI]\nMAP=0\n"));
    const fs::perms chosen = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(ini, chosen, fs::perm_options::replace);
    ASSERT_TRUE(WriteIniValue(ini, "UI", "MAP", "1"));
    EXPECT_EQ(fs::status(ini).permissions() & fs::perms::mask, chosen);
    EXPECT_EQ(ReadAll(ini), "[UI]\nMAP=1\n");
}

// Permission tests need a user that permissions stop; root reads and writes everything,
// so each test first checks that the restriction really holds.

TEST(IniFileOnDisk, WriteIntoAReadOnlyFolderFailsAndKeepsTheOldFile) {
    TempDir dir;
    const fs::path ini = dir.Write("Lum.ini", Text("[UI]\nMAP=0\n"));
    const ReadOnlyFolder readOnly(dir.path());
    if (!readOnly.Holds()) {
        GTEST_SKIP() << "this user writes into read-only folders";
    }
    EXPECT_FALSE(WriteIniValue(ini, "UI", "MAP", "1"));
    EXPECT_EQ(ReadAll(ini), "[UI]\nMAP=0\n");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"Lum.ini"});
}

TEST(IniFileOnDisk, AnUnreadableFileIsNotReplaced) {
    TempDir dir;
    const fs::path ini = dir.Write("Lum.ini", Text("[UI]\nMAP=0\nLANGID=JPN\n"));
    fs::permissions(ini, fs::perms::none, fs::perm_options::replace);
    if (std::ifstream(ini)) {
        GTEST_SKIP() << "this user reads unreadable files";
    }
    EXPECT_EQ(LoadIniFile(ini).status, IniLoadStatus::kUnreadable);
    EXPECT_FALSE(WriteIniValue(ini, "UI", "MAP", "1"));
    fs::permissions(ini, fs::perms::owner_read, fs::perm_options::add);
    EXPECT_EQ(ReadAll(ini), "[UI]\nMAP=0\nLANGID=JPN\n");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"Lum.ini"});
}

TEST(IniFileOnDisk, AReadOnlyFileIsNotReplaced) {
    TempDir dir;
    const fs::path ini = dir.Write("Lum.ini", Text("[UI]\nMAP=0\n"));
    fs::permissions(ini, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read,
                    fs::perm_options::replace);
    if (std::ofstream(ini, std::ios::app)) {
        GTEST_SKIP() << "this user writes read-only files";
    }
    EXPECT_FALSE(WriteIniValue(ini, "UI", "MAP", "1"));
    EXPECT_EQ(ReadAll(ini), "[UI]\nMAP=0\n");
}

}  // namespace
}  // namespace lum
