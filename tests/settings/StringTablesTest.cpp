#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "settings/StringTables.h"

namespace lum {
namespace {

std::vector<int> DefinedIds() {
    std::vector<int> ids;
    for (int id = 101; id <= 160; ++id) {
        ids.push_back(id);
    }
    for (int id = 179; id <= 199; ++id) {
        ids.push_back(id);
    }
    // The messages of the window's dead ends and of the scan.
    for (int id = 201; id <= 208; ++id) {
        ids.push_back(id);
    }
    // The list of keys, the recording list's context menu and its reports.
    for (int id = 220; id <= 246; ++id) {
        ids.push_back(id);
    }
    // Driving events and trip figures.
    for (int id : {260, 261, 262, 263, 264, 265, 266, 267, 268, 269, 273, 274}) {
        ids.push_back(id);
    }
    // Export evidence: the menu, the folder question, the progress and the reports.
    for (int id = 275; id <= 290; ++id) {
        ids.push_back(id);
    }
    return ids;
}

std::size_t Count(std::string_view text, std::string_view what) {
    std::size_t n = 0;
    for (std::size_t pos = text.find(what); pos != std::string_view::npos;
         pos = text.find(what, pos + what.size())) {
        ++n;
    }
    return n;
}

TEST(StringTables, BothLanguagesHoldExactlyTheDefinedIds) {
    for (std::uint16_t lang : {kLangIdEnglish, kLangIdJapanese}) {
        EXPECT_EQ(UiStringTable(lang).size(), DefinedIds().size()) << lang;
        for (int id : DefinedIds()) {
            EXPECT_FALSE(FindUiString(lang, id).empty()) << lang << " " << id;
        }
        for (int id = 161; id <= 178; ++id) {
            EXPECT_TRUE(FindUiString(lang, id).empty()) << lang << " " << id;
        }
        for (int id : {0, 100, 200, -1}) {
            EXPECT_TRUE(FindUiString(lang, id).empty()) << lang << " " << id;
        }
    }
    EXPECT_TRUE(UiStringTable(1036).empty());
    EXPECT_TRUE(FindUiString(1036, 101).empty());
}

TEST(StringTables, TranslationsKeepPlaceholdersAndAccelerators) {
    for (int id : DefinedIds()) {
        const std::string_view en = FindUiString(kLangIdEnglish, id);
        const std::string_view ja = FindUiString(kLangIdJapanese, id);
        EXPECT_EQ(Count(en, "%s"), Count(ja, "%s")) << id;
        EXPECT_EQ(Count(en, "%"), Count(ja, "%")) << id;
        EXPECT_EQ(Count(en, "&"), Count(ja, "&")) << id;
    }
    EXPECT_EQ(Count(FindUiString(kLangIdEnglish, 125), "%s"), 1u);
    EXPECT_EQ(Count(FindUiString(kLangIdEnglish, 126), "%s"), 1u);
    EXPECT_EQ(Count(FindUiString(kLangIdEnglish, 141), "%s"), 1u);
}

TEST(StringTables, EnglishTextsKeepTheirExactWording) {
    // Texts other parts quote, with the escapes and spellings that are easy to lose.
    EXPECT_EQ(FindUiString(kLangIdEnglish, 101), "&About LUM...");
    EXPECT_EQ(FindUiString(kLangIdEnglish, 102), "Media player encountered a error.");
    EXPECT_EQ(FindUiString(kLangIdEnglish, 126), "Save KML file:%s Failed.");
    EXPECT_EQ(FindUiString(kLangIdEnglish, 135),
              "No seletected files. Please select some files and try this operation again.");
    EXPECT_EQ(FindUiString(kLangIdEnglish, 141),
              "File \"%s\" is already exist. Are you sure to overwrite it?");
    EXPECT_EQ(FindUiString(kLangIdEnglish, 199), "Change Speed Unit KPH/MPH.");
}

// Two small tables of our own, so that a text present in one language only is visible.
std::string_view FakeLookup(std::uint16_t langId, int id) {
    if (langId == kLangIdEnglish && id == 1) {
        return "one";
    }
    if (langId == kLangIdJapanese) {
        if (id == 1) {
            return "ichi";
        }
        if (id == 2) {
            return "ni";
        }
    }
    return {};
}

TEST(StringTables, MissingTextsComeFromTheJapaneseTable) {
    EXPECT_EQ(LookUpWithFallback(kLangIdEnglish, 1, FakeLookup), "one");
    EXPECT_EQ(LookUpWithFallback(kLangIdEnglish, 2, FakeLookup), "ni");
    EXPECT_EQ(LookUpWithFallback(kLangIdJapanese, 1, FakeLookup), "ichi");
    EXPECT_EQ(LookUpWithFallback(1036, 1, FakeLookup), "ichi");
    EXPECT_EQ(LookUpWithFallback(kLangIdEnglish, 3, FakeLookup), "");
    // With the compiled tables: a language without a table reads Japanese.
    EXPECT_EQ(LookUpWithFallback(1036, 104), FindUiString(kLangIdJapanese, 104));
    EXPECT_EQ(LookUpWithFallback(kLangIdEnglish, 170), "");
}

}  // namespace
}  // namespace lum
