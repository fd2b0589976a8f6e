#include "settings/CLumSettings.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "recordings/Paths.h"
#include "settings/IniFile.h"
#include "settings/StringTables.h"

namespace lum {

namespace {

constexpr std::string_view kUi = "UI";
constexpr std::string_view kWinPos = "WINPOS";
constexpr int kMinWindowWidth = 800;
constexpr int kMinWindowHeight = 560;

std::string JoinSettingsPath(std::string_view directory) {
    if (directory.empty()) {
        return std::string(kSettingsFileName);
    }
    std::string path(directory);
    if (!EndsWithSeparator(path)) {
        path.push_back(kPathSeparator);
    }
    path += kSettingsFileName;
    return path;
}

// One axis of the window: returns the fitted start and size.
std::pair<std::int64_t, std::int64_t> FitSpan(std::int64_t start, std::int64_t end,
                                              std::int64_t minimum, std::int64_t screen) {
    std::int64_t size = std::max(end - start, minimum);
    size = std::min(size, screen);
    if (start > screen - size) {
        start = screen - size;
    } else if (start < 0) {
        start = 0;
    }
    return {start, size};
}

}  // namespace

int LanguageIndexOf(std::string_view code) {
    for (std::size_t i = 0; i < kLanguages.size(); ++i) {
        if (kLanguages[i].code == code) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string_view LanguageDisplayName(std::string_view code) {
    const int index = LanguageIndexOf(code);
    return index < 0 ? std::string_view{} : kLanguages[static_cast<std::size_t>(index)].displayName;
}

std::string_view LanguageCode(int index) {
    if (index < 0 || index >= static_cast<int>(kLanguages.size())) {
        return {};
    }
    return kLanguages[static_cast<std::size_t>(index)].code;
}

CLumSettings::CLumSettings(std::string_view directory) : path_(JoinSettingsPath(directory)) {
    // Preset to Japanese: a code the table does not know keeps it.
    languageIndex_ = kLanguageJapanese;
    const int found = LanguageIndexOf(ReadTextSetting(kUi, "LANGID", "ENG"));
    if (found >= 0) {
        languageIndex_ = found;
    }
    RecomputeLangId();
}

CLumSettings& CLumSettings::Instance() {
    static CLumSettings instance([] {
        std::error_code ec;
        const std::filesystem::path cwd = std::filesystem::current_path(ec);
        return ec ? std::string() : FromFsPath(cwd);
    }());
    return instance;
}

void CLumSettings::RecomputeLangId() {
    langId_ = LangIdOf(kLanguages[static_cast<std::size_t>(languageIndex_)]);
}

bool CLumSettings::SetLanguage(int index) {
    if (index < 0 || index >= static_cast<int>(kLanguages.size())) {
        return false;
    }
    languageIndex_ = index;
    RecomputeLangId();
    return WriteTextSetting(kUi, "LANGID", LanguageCode(index));
}

std::string CLumSettings::LoadUiString(int id) {
    RecomputeLangId();
    return std::string(LookUpWithFallback(langId_, id));
}

int CLumSettings::ReadMapOption() {
    mapOption_ = std::clamp(ReadIntSetting(kUi, "MAP", 0), 0, 1);
    return mapOption_;
}

namespace {
constexpr std::string_view kEvents = "EVENTS";

// A decimal number with a point, whatever the process locale says; nullopt for
// anything else (trailing text included).
std::optional<double> ParseDecimal(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    double v = 0;
    const auto r =
        std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
    if (text.empty() || r.ec != std::errc{} || r.ptr != text.data() + text.size() ||
        !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}
}  // namespace

EventThresholds CLumSettings::ReadEventThresholds() const {
    EventThresholds t;
    const auto read = [this](std::string_view key, double& value, double low, double high) {
        const std::optional<double> v = ParseDecimal(ReadTextSetting(kEvents, key, ""));
        if (v && *v >= low && *v < high) {
            value = *v;
        }
    };
    // A threshold of 0 g would flag every reading.
    constexpr double kSmallestG = 0.01, kLargestG = 16.0;
    read("BRAKING_G", t.brakingG, kSmallestG, kLargestG);
    read("ACCELERATION_G", t.accelerationG, kSmallestG, kLargestG);
    read("CORNERING_G", t.corneringG, kSmallestG, kLargestG);
    read("IMPACT_G", t.impactG, kSmallestG, kLargestG);
    read("PARKED_IMPACT_G", t.parkedImpactG, kSmallestG, kLargestG);
    read("SPEED_LIMIT_KMH", t.speedLimitKmh, 0.0, kMaxCarSpeedKmh);
    return t;
}

bool CLumSettings::ReadMapEnabled() const {
    return ReadIntSetting(kUi, "MAP_ENABLE", 1) != 0;
}

bool CLumSettings::ReadGsensorEnabled() const {
    return ReadIntSetting(kUi, "GSNR_ENABLE", 1) != 0;
}

const IniFile& CLumSettings::Current() const {
    const std::filesystem::path path = ToFsPath(path_);
    std::error_code ec;
    FileStamp stamp;
    stamp.type = std::filesystem::status(path, ec).type();
    if (stamp.type == std::filesystem::file_type::regular) {
        stamp.size = std::filesystem::file_size(path, ec);
        stamp.written = std::filesystem::last_write_time(path, ec);
    }
    // A file written in the last second may change again within the file system's
    // clock tick without its stamp changing, so it is parsed again until it settles.
    const bool settled =
        std::filesystem::file_time_type::clock::now() - stamp.written > std::chrono::seconds(1);
    if (ec || parsedStamp_ != stamp || !settled) {
        // A missing or unreadable file reads as an empty one: every key takes its default.
        parsed_ = LoadIniFile(path).file;
        parsedStamp_ = ec ? std::nullopt : std::optional<FileStamp>(stamp);
    }
    return parsed_;
}

std::string CLumSettings::ReadTextSetting(std::string_view section, std::string_view key,
                                          std::string_view defaultValue) const {
    return Current().ReadText(section, key, defaultValue);
}

int CLumSettings::ReadIntSetting(std::string_view section, std::string_view key,
                                 int defaultValue) const {
    return Current().ReadInt(section, key, defaultValue);
}

bool CLumSettings::WriteIntSetting(std::string_view section, std::string_view key, int value) {
    return WriteTextSetting(section, key, std::to_string(value));
}

bool CLumSettings::WriteTextSetting(std::string_view section, std::string_view key,
                                    std::string_view value) {
    parsedStamp_.reset();  // read the file as written, whatever happened to the write
    return WriteIniValue(ToFsPath(path_), section, key, value);
}

WindowPlacement CLumSettings::ReadWindowPlacement(int screenWidth, int screenHeight) const {
    const IniFile& file = Current();
    WindowPlacement placement;
    placement.maximised = file.ReadInt(kWinPos, "MAXSCREEN", 0) == 1;
    // 64-bit arithmetic: the stored numbers can be anything a 32-bit integer holds.
    const auto [left, width] =
        FitSpan(file.ReadInt(kWinPos, "LEFT", 0), file.ReadInt(kWinPos, "RIGHT", 800),
                kMinWindowWidth, screenWidth);
    const auto [top, height] =
        FitSpan(file.ReadInt(kWinPos, "TOP", 0), file.ReadInt(kWinPos, "BOTTOM", 560),
                kMinWindowHeight, screenHeight);
    placement.rect = WindowRect{static_cast<int>(left), static_cast<int>(top),
                                static_cast<int>(left + width), static_cast<int>(top + height)};
    return placement;
}

bool CLumSettings::WriteWindowPlacement(const WindowRect& rect, bool maximised) {
    if (maximised) {
        return WriteIntSetting(kWinPos, "MAXSCREEN", 1);
    }
    // One replacement of the file for all five keys, in this order.
    const auto edit = [](std::string_view key, int value) {
        return IniEdit{std::string(kWinPos), std::string(key), std::to_string(value)};
    };
    parsedStamp_.reset();
    return WriteIniValues(ToFsPath(path_),
                          {edit("MAXSCREEN", 0), edit("LEFT", rect.left), edit("TOP", rect.top),
                           edit("RIGHT", rect.right), edit("BOTTOM", rect.bottom)});
}

std::string CLumSettings::ReadLastFolder() const {
    std::string folder = ReadTextSetting(kUi, "Folder", "");
    if (folder.empty()) {
        return folder;
    }
    std::error_code ec;
    return std::filesystem::is_directory(ToFsPath(folder), ec) ? folder : std::string();
}

bool CLumSettings::WriteLastFolder(std::string_view folder) {
    return WriteTextSetting(kUi, "Folder", folder);
}

std::string LoadUiString(int id) {
    return CLumSettings::Instance().LoadUiString(id);
}

}  // namespace lum
