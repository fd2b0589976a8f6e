#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "recordings/Paths.h"
#include "settings/CLumSettings.h"
#include "settings/StringTables.h"
#include "tests/support/Builders.h"
#include "tests/support/FileHelpers.h"

namespace lum {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::ReadOnlyFolder;
using test::TempDir;
using test::Text;

// A folder holding "Lum.ini" with the given text, or no file at all.
struct SettingsDir {
    explicit SettingsDir(const std::optional<std::string>& ini = std::nullopt) {
        if (ini) {
            dir.Write("Lum.ini", Text(*ini));
        }
    }
    std::string Utf8() const { return FromFsPath(dir.path()); }
    fs::path Ini() const { return dir.path() / "Lum.ini"; }
    TempDir dir;
};

TEST(CLumSettings, DefaultsWithoutUsableSettings) {
    const std::optional<std::string> files[] = {std::nullopt, "", "[Other]\nMAP=1\nLANGID=JPN\n"};
    for (const auto& ini : files) {
        SettingsDir d(ini);
        CLumSettings s(d.Utf8());
        const std::string what = ini ? "file: " + *ini : "no file";
        EXPECT_EQ(s.LanguageIndex(), kLanguageEnglish) << what;
        EXPECT_EQ(s.LangId(), kLangIdEnglish) << what;
        EXPECT_EQ(s.ReadMapOption(), 0) << what;
        EXPECT_TRUE(s.ReadMapEnabled()) << what;
        EXPECT_TRUE(s.ReadGsensorEnabled()) << what;
        const WindowPlacement p = s.ReadWindowPlacement(1920, 1080);
        EXPECT_EQ(p.rect, (WindowRect{0, 0, 800, 560})) << what;
        EXPECT_FALSE(p.maximised) << what;
        EXPECT_EQ(s.ReadLastFolder(), "") << what;
        EXPECT_EQ(s.LoadUiString(104), "Select a media") << what;
    }
}

TEST(CLumSettings, EventThresholdsFromTheirOwnSection) {
    const EventThresholds defaults;
    {
        SettingsDir none;
        const EventThresholds t = CLumSettings(none.Utf8()).ReadEventThresholds();
        EXPECT_EQ(t.brakingG, defaults.brakingG);
        EXPECT_EQ(t.speedLimitKmh, 0);
    }
    SettingsDir d(
        "[UI]\nBRAKING_G=0.9\n[EVENTS]\nBRAKING_G = 0.30 \nACCELERATION_G=0.25\n"
        "CORNERING_G=0,4\nIMPACT_G=-1\nPARKED_IMPACT_G=0.7g\nSPEED_LIMIT_KMH=100\n");
    CLumSettings s(d.Utf8());
    const EventThresholds t = s.ReadEventThresholds();
    EXPECT_EQ(t.brakingG, 0.30);
    EXPECT_EQ(t.accelerationG, 0.25);
    // A comma, a negative value and trailing text keep the defaults.
    EXPECT_EQ(t.corneringG, defaults.corneringG);
    EXPECT_EQ(t.impactG, defaults.impactG);
    EXPECT_EQ(t.parkedImpactG, defaults.parkedImpactG);
    EXPECT_EQ(t.speedLimitKmh, 100);

    // The file is read again when it changes, like any other key.
    d.dir.Write("Lum.ini", Text("[EVENTS]\nSPEED_LIMIT_KMH=0\nBRAKING_G=20\n"));
    const EventThresholds changed = s.ReadEventThresholds();
    EXPECT_EQ(changed.speedLimitKmh, 0);
    EXPECT_EQ(changed.brakingG, defaults.brakingG);
}

#ifndef _WIN32
// A pipe or a folder named "Lum.ini" reads as no settings and is never written over;
// opening the pipe would block for ever.
TEST(CLumSettings, SpecialFileNamedLikeTheSettingsIsLeftAlone) {
    SettingsDir pipe, folder;
    ASSERT_EQ(mkfifo(pipe.Ini().c_str(), 0600), 0);
    std::filesystem::create_directory(folder.Ini());
    for (const SettingsDir* d : {&pipe, &folder}) {
        CLumSettings s(d->Utf8());
        EXPECT_EQ(s.LanguageIndex(), kLanguageEnglish);
        EXPECT_EQ(s.ReadMapOption(), 0);
        EXPECT_FALSE(s.WriteIntSetting("UI", "MAP", 1));
    }
    EXPECT_TRUE(std::filesystem::is_fifo(pipe.Ini()));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Ini()));
}
#endif

TEST(CLumSettings, SettingsPathIsTheFolderAndTheFileName) {
    TempDir dir;
    const std::string folder = FromFsPath(dir.path());
    const std::string expected = folder + kPathSeparator + "Lum.ini";
    EXPECT_EQ(CLumSettings(folder).SettingsPath(), expected);
    EXPECT_EQ(CLumSettings(folder + kPathSeparator).SettingsPath(), expected);
}

TEST(CLumSettings, LanguageTable) {
    EXPECT_EQ(LangIdOf(kLanguages[0]), 1033);
    EXPECT_EQ(LangIdOf(kLanguages[1]), 1041);
    EXPECT_EQ(LanguageIndexOf("ENG"), 0);
    EXPECT_EQ(LanguageIndexOf("JPN"), 1);
    EXPECT_EQ(LanguageIndexOf("jpn"), -1);
    EXPECT_EQ(LanguageIndexOf(""), -1);
    EXPECT_EQ(LanguageDisplayName("JPN"), "日本語");
    EXPECT_EQ(LanguageDisplayName("ENG"), "English");
    EXPECT_EQ(LanguageDisplayName("Eng"), "");
    EXPECT_EQ(LanguageCode(1), "JPN");
    EXPECT_EQ(LanguageCode(2), "");
    EXPECT_EQ(LanguageCode(-1), "");
}

TEST(CLumSettings, LanguageAtCreation) {
    struct Case {
        const char* ini;
        int index;
    };
    const Case cases[] = {
        {"[UI]\nLANGID=ENG\n", kLanguageEnglish},    {"[UI]\nLANGID=JPN\n", kLanguageJapanese},
        {"[ui]\nlangid = JPN\n", kLanguageJapanese}, {"[UI]\nLANGID=jpn\n", kLanguageJapanese},
        {"[UI]\nLANGID=FRA\n", kLanguageJapanese},   {"[UI]\nLANGID=eng\n", kLanguageJapanese},
        {"[UI]\nLANGID=\n", kLanguageJapanese},      {"[UI]\nMAP=1\n", kLanguageEnglish},
    };
    for (const Case& c : cases) {
        SettingsDir d(c.ini);
        CLumSettings s(d.Utf8());
        EXPECT_EQ(s.LanguageIndex(), c.index) << c.ini;
        EXPECT_EQ(s.LangId(), LangIdOf(kLanguages[static_cast<std::size_t>(c.index)])) << c.ini;
    }
}

TEST(CLumSettings, SetLanguageSelectsAndStoresOnlyTableEntries) {
    SettingsDir d("[UI]\nMAP=0\n");
    CLumSettings s(d.Utf8());
    for (int outside : {-1, 2}) {
        EXPECT_FALSE(s.SetLanguage(outside));
        EXPECT_EQ(s.LanguageIndex(), kLanguageEnglish);
        EXPECT_EQ(ReadAll(d.Ini()), "[UI]\nMAP=0\n");
    }
    EXPECT_TRUE(s.SetLanguage(kLanguageJapanese));
    EXPECT_EQ(s.LangId(), kLangIdJapanese);
    EXPECT_EQ(ReadAll(d.Ini()), "[UI]\nMAP=0\nLANGID=JPN\n");
    EXPECT_EQ(CLumSettings(d.Utf8()).LanguageIndex(), kLanguageJapanese);
    EXPECT_TRUE(s.SetLanguage(kLanguageEnglish));
    EXPECT_EQ(CLumSettings(d.Utf8()).LanguageIndex(), kLanguageEnglish);
}

TEST(CLumSettings, LoadUiStringFollowsTheSelectedLanguage) {
    SettingsDir d;
    CLumSettings s(d.Utf8());
    EXPECT_EQ(s.LoadUiString(101), "&About LUM...");
    ASSERT_TRUE(s.SetLanguage(kLanguageJapanese));
    EXPECT_EQ(s.LoadUiString(101), FindUiString(kLangIdJapanese, 101));
    EXPECT_NE(s.LoadUiString(101), "&About LUM...");
    for (int language : {kLanguageEnglish, kLanguageJapanese}) {
        s.SetLanguage(language);
        for (int id = 161; id <= 178; ++id) {
            EXPECT_EQ(s.LoadUiString(id), "") << language << " " << id;
        }
    }
}

TEST(CLumSettings, MapOptionIsClampedOnEveryRead) {
    struct Case {
        const char* value;
        int expected;
    };
    const Case cases[] = {{"5", 1}, {"-3", 0}, {"1", 1}, {"0", 0}, {"abc", 0}, {"", 0}};
    SettingsDir d;
    CLumSettings s(d.Utf8());
    for (const Case& c : cases) {
        test::WriteFile(d.Ini(), Text(std::string("[UI]\nMAP=") + c.value + "\n"));
        EXPECT_EQ(s.ReadMapOption(), c.expected) << c.value;
        EXPECT_EQ(s.MapOption(), c.expected) << c.value;
    }
}

TEST(CLumSettings, TheFileIsParsedAgainOnlyWhenItChanged) {
    SettingsDir d;
    const auto hourAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    test::WriteFile(d.Ini(), Text("[UI]\nMAP=1\n"));
    std::filesystem::last_write_time(d.Ini(), hourAgo);
    CLumSettings s(d.Utf8());
    EXPECT_EQ(s.ReadMapOption(), 1);
    // Same size, same time of last write: taken for the same file, not read again.
    test::WriteFile(d.Ini(), Text("[UI]\nMAP=0\n"));
    std::filesystem::last_write_time(d.Ini(), hourAgo);
    EXPECT_EQ(s.ReadMapOption(), 1);
    std::filesystem::last_write_time(d.Ini(), hourAgo + std::chrono::seconds(1));
    EXPECT_EQ(s.ReadMapOption(), 0);
    // A write of the program's own is read back at once.
    ASSERT_TRUE(s.WriteIntSetting("UI", "MAP", 1));
    EXPECT_EQ(s.ReadMapOption(), 1);
    std::filesystem::remove(d.Ini());
    EXPECT_EQ(s.ReadMapOption(), 0);
}

TEST(CLumSettings, PanelSwitchesReadNonZeroAsShown) {
    struct Case {
        const char* value;
        bool shown;
    };
    const Case cases[] = {{"0", false}, {"1", true},    {"2", true},
                          {"-1", true}, {"off", false}, {"", true}};
    for (const Case& c : cases) {
        SettingsDir d(std::string("[UI]\nMAP_ENABLE=") + c.value + "\nGSNR_ENABLE=" + c.value +
                      "\n");
        const CLumSettings s(d.Utf8());
        EXPECT_EQ(s.ReadMapEnabled(), c.shown) << c.value;
        EXPECT_EQ(s.ReadGsensorEnabled(), c.shown) << c.value;
    }
}

TEST(CLumSettings, IntegersAreWrittenAsDecimalText) {
    SettingsDir d;
    CLumSettings s(d.Utf8());
    ASSERT_TRUE(s.WriteIntSetting("UI", "MAP", -3));
    ASSERT_TRUE(s.WriteIntSetting("UI", "GSNR_ENABLE", 0));
    ASSERT_TRUE(s.WriteTextSetting("Extra", "Note", "a b"));
    EXPECT_EQ(ReadAll(d.Ini()), "[UI]\nMAP=-3\nGSNR_ENABLE=0\n\n[Extra]\nNote=a b\n");
    EXPECT_EQ(s.ReadMapOption(), 0);
    EXPECT_FALSE(s.ReadGsensorEnabled());
}

TEST(CLumSettings, WindowPlacementIsFittedToTheScreen) {
    struct Case {
        const char* what;
        const char* winpos;
        int screenWidth, screenHeight;
        WindowRect expected;
    };
    const Case cases[] = {
        {"defaults", "", 1920, 1080, {0, 0, 800, 560}},
        {"too narrow is widened",
         "LEFT=100\nTOP=0\nRIGHT=300\nBOTTOM=560\n",
         1920,
         1080,
         {100, 0, 900, 560}},
        {"widened and moved left",
         "LEFT=1500\nTOP=50\nRIGHT=1700\nBOTTOM=100\n",
         1920,
         1080,
         {1120, 50, 1920, 610}},
        {"larger than the screen",
         "LEFT=100\nTOP=40\nRIGHT=2500\nBOTTOM=1500\n",
         1920,
         1080,
         {0, 0, 1920, 1080}},
        {"off-screen right and below",
         "LEFT=2500\nTOP=900\nRIGHT=3500\nBOTTOM=1600\n",
         1920,
         1080,
         {920, 380, 1920, 1080}},
        {"negative position",
         "LEFT=-300\nTOP=-100\nRIGHT=700\nBOTTOM=500\n",
         1920,
         1080,
         {0, 0, 1000, 600}},
        {"inverted rectangle",
         "LEFT=500\nTOP=300\nRIGHT=100\nBOTTOM=200\n",
         1920,
         1080,
         {500, 300, 1300, 860}},
        {"screen below the minimum", "", 640, 480, {0, 0, 640, 480}},
        {"extreme numbers",
         "LEFT=-2147483648\nTOP=2147483647\nRIGHT=2147483647\nBOTTOM=0\n",
         1920,
         1080,
         {0, 520, 1920, 1080}},
    };
    for (const Case& c : cases) {
        SettingsDir d(std::string("[WINPOS]\n") + c.winpos);
        const CLumSettings s(d.Utf8());
        EXPECT_EQ(s.ReadWindowPlacement(c.screenWidth, c.screenHeight).rect, c.expected) << c.what;
    }
}

TEST(CLumSettings, OnlyMaxscreenOneMeansMaximised) {
    struct Case {
        const char* value;
        bool maximised;
    };
    const Case cases[] = {{"1", true},  {" 1 ", true}, {"1x", true}, {"2", false},
                          {"0", false}, {"-1", false}, {"", false}};
    for (const Case& c : cases) {
        SettingsDir d(std::string("[WINPOS]\nMAXSCREEN=") + c.value + "\n");
        EXPECT_EQ(CLumSettings(d.Utf8()).ReadWindowPlacement(1920, 1080).maximised, c.maximised)
            << c.value;
    }
}

TEST(CLumSettings, ClosingMaximisedKeepsTheLastNormalRectangle) {
    SettingsDir d("[UI]\nMAP=0\n");
    CLumSettings s(d.Utf8());
    ASSERT_TRUE(s.WriteWindowPlacement({10, 20, 1010, 720}, false));
    EXPECT_EQ(ReadAll(d.Ini()),
              "[UI]\nMAP=0\n\n[WINPOS]\nMAXSCREEN=0\nLEFT=10\nTOP=20\nRIGHT=1010\nBOTTOM=720\n");
    ASSERT_TRUE(s.WriteWindowPlacement({0, 0, 1920, 1080}, true));
    EXPECT_EQ(ReadAll(d.Ini()),
              "[UI]\nMAP=0\n\n[WINPOS]\nMAXSCREEN=1\nLEFT=10\nTOP=20\nRIGHT=1010\nBOTTOM=720\n");
    const WindowPlacement p = CLumSettings(d.Utf8()).ReadWindowPlacement(1920, 1080);
    EXPECT_TRUE(p.maximised);
    EXPECT_EQ(p.rect, (WindowRect{10, 20, 1010, 720}));
}

TEST(CLumSettings, LastFolderOnlyWhileItExists) {
    SettingsDir d;
    CLumSettings s(d.Utf8());
    const fs::path folder = d.dir.path() / fs::path(u8"録画 2024");
    fs::create_directory(folder);
    ASSERT_TRUE(s.WriteLastFolder(FromFsPath(folder)));
    EXPECT_EQ(s.ReadLastFolder(), FromFsPath(folder));
    fs::remove(folder);
    EXPECT_EQ(s.ReadLastFolder(), "");
    EXPECT_EQ(s.ReadTextSetting("UI", "Folder", ""), FromFsPath(folder));
}

TEST(CLumSettings, FailedWriteKeepsTheFileAndTheInMemoryLanguage) {
    SettingsDir d("[UI]\nLANGID=ENG\n");
    CLumSettings s(d.Utf8());
    const ReadOnlyFolder readOnly(d.dir.path());
    if (!readOnly.Holds()) {
        GTEST_SKIP() << "this user writes into read-only folders";
    }
    EXPECT_FALSE(s.WriteIntSetting("UI", "MAP", 1));
    EXPECT_FALSE(s.WriteWindowPlacement({1, 2, 803, 564}, false));
    EXPECT_FALSE(s.SetLanguage(kLanguageJapanese));
    EXPECT_EQ(s.LanguageIndex(), kLanguageJapanese);
    EXPECT_EQ(s.LoadUiString(101), FindUiString(kLangIdJapanese, 101));
    EXPECT_EQ(ReadAll(d.Ini()), "[UI]\nLANGID=ENG\n");
}

TEST(CLumSettings, InstanceIsOneObjectInTheCurrentFolder) {
    CLumSettings& first = CLumSettings::Instance();
    EXPECT_EQ(&first, &CLumSettings::Instance());
    EXPECT_EQ(first.SettingsPath(),
              FromFsPath(fs::current_path()) + kPathSeparator + std::string(kSettingsFileName));
    EXPECT_EQ(LoadUiString(101), first.LoadUiString(101));
    EXPECT_FALSE(LoadUiString(101).empty());
}

}  // namespace
}  // namespace lum
