// The process-wide settings object: the settings file "Lum.ini", the interface
// language and the loader of every interface text.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "recordings/DrivingEvents.h"
#include "settings/IniFile.h"

namespace lum {

struct LanguageEntry {
    std::string_view code;         // compared exactly, with case
    std::string_view displayName;  // shown in the language box of the configuration dialog
    std::uint16_t primaryId;
    std::uint16_t subId;
};

constexpr std::uint16_t LangIdOf(const LanguageEntry& e) {
    return static_cast<std::uint16_t>((e.subId << 10) | e.primaryId);
}

inline constexpr std::array<LanguageEntry, 2> kLanguages{{
    {"ENG", "English", 9, 1},
    {"JPN", "日本語", 17, 1},
}};
inline constexpr int kLanguageEnglish = 0;
inline constexpr int kLanguageJapanese = 1;

// Index of a code in the table (exact comparison), -1 when absent.
int LanguageIndexOf(std::string_view code);
// Display name of a code, empty when absent.
std::string_view LanguageDisplayName(std::string_view code);
// Code of an index, empty when outside the table.
std::string_view LanguageCode(int index);

inline constexpr std::string_view kSettingsFileName = "Lum.ini";

struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

struct WindowPlacement {
    WindowRect rect;
    bool maximised = false;
};

class CLumSettings {
  public:
    // Settings kept in `directory` (UTF-8); the interface language is decided here, once.
    explicit CLumSettings(std::string_view directory);
    CLumSettings(const CLumSettings&) = delete;
    CLumSettings& operator=(const CLumSettings&) = delete;

    // The single object of the process, made from the current directory on the first call.
    static CLumSettings& Instance();

    const std::string& SettingsPath() const { return path_; }
    int LanguageIndex() const { return languageIndex_; }
    std::uint16_t LangId() const { return langId_; }
    // The value of the last ReadMapOption.
    int MapOption() const { return mapOption_; }

    // Selects a language of the table and stores its code; an index outside the table
    // changes and writes nothing. True when the code was written.
    bool SetLanguage(int index);

    // The text with this id in the selected language, else in Japanese, else empty.
    std::string LoadUiString(int id);

    // "MAP" clamped to 0..1, kept as MapOption().
    int ReadMapOption();
    bool ReadMapEnabled() const;
    bool ReadGsensorEnabled() const;

    std::string ReadTextSetting(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const;
    int ReadIntSetting(std::string_view section, std::string_view key, int defaultValue) const;
    // Writes return false when the file could not be written; the program carries on.
    bool WriteIntSetting(std::string_view section, std::string_view key, int value);
    bool WriteTextSetting(std::string_view section, std::string_view key, std::string_view value);

    // The stored main-window rectangle fitted to a screen of the given size, and whether
    // the window was maximised.
    WindowPlacement ReadWindowPlacement(int screenWidth, int screenHeight) const;
    // Maximised: only the flag is written, so the last normal rectangle stays.
    bool WriteWindowPlacement(const WindowRect& rect, bool maximised);

    // What counts as a driving event, from the section "EVENTS": BRAKING_G,
    // ACCELERATION_G, CORNERING_G, IMPACT_G, PARKED_IMPACT_G (decimal numbers of g
    // above 0 and below 16) and SPEED_LIMIT_KMH (0 for none, below 400). A key that
    // is missing or holds anything else keeps its default.
    EventThresholds ReadEventThresholds() const;

    // The last folder of the media-open dialog, empty when it no longer exists.
    std::string ReadLastFolder() const;
    bool WriteLastFolder(std::string_view folder);

  private:
    void RecomputeLangId();
    // The settings file as last parsed; parsed again only when it changed on disk.
    const IniFile& Current() const;

    // What tells a changed file: its type, size and time of last write.
    struct FileStamp {
        std::filesystem::file_type type = std::filesystem::file_type::none;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type written{};
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };

    std::string path_;
    mutable IniFile parsed_;
    mutable std::optional<FileStamp> parsedStamp_;
    int languageIndex_ = kLanguageJapanese;
    std::uint16_t langId_ = 0;
    int mapOption_ = 0;
};

// LoadUiString of the process-wide settings object.
std::string LoadUiString(int id);

}  // namespace lum
