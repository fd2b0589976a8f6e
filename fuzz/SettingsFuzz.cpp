// Fuzzes the settings file reader and writer in memory: any bytes parse and come back
// unchanged, a write of a storable key reads back, and the written text is stable
// under a second parse.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/IniFile.h"

namespace {

struct Key {
    std::string_view section;
    std::string_view key;
    std::string_view value;
};

// Names the viewer uses, in other spellings too, and one section it never writes.
constexpr Key kKeys[] = {
    {"UI", "MAP", "1"},           {"ui", "langid", "JPN"},  {"WINPOS", "LEFT", "-20"},
    {"winpos", "MAXSCREEN", "1"}, {"UI", "Folder", "/m n"}, {"New Section", "Key", ""},
};

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        x = (x >= 'A' && x <= 'Z') ? static_cast<char>(x - 'A' + 'a') : x;
        y = (y >= 'A' && y <= 'Z') ? static_cast<char>(y - 'A' + 'a') : y;
        if (x != y) {
            return false;
        }
    }
    return true;
}

void Check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    lum::IniFile file = lum::IniFile::Parse(text);
    Check(file.Serialise() == text);

    // The reads the viewer makes.
    (void)file.ReadText("UI", "LANGID", "ENG");
    (void)file.ReadText("UI", "Folder", "");
    (void)file.ReadInt("UI", "MAP", 0);
    (void)file.ReadInt("WINPOS", "RIGHT", 800);

    // A key whose names come from the input's first bytes: the writer must either refuse
    // it, changing nothing, or store it so that it reads back.
    const std::string_view section = text.substr(0, 8);
    const std::string_view key = text.size() > 8 ? text.substr(8, 8) : std::string_view{};
    const std::string_view value = text.size() > 16 ? text.substr(16, 8) : std::string_view{};
    const bool derivedWritten = file.Write(section, key, value);
    if (derivedWritten) {
        Check(file.Find(section, key) == std::string(lum::TrimIniBlanks(value)));
    } else {
        Check(file.Serialise() == text);
    }

    const Key& fixed = kKeys[size % (sizeof kKeys / sizeof kKeys[0])];
    Check(file.Write(fixed.section, fixed.key, fixed.value));
    Check(file.Find(fixed.section, fixed.key) == std::string(fixed.value));

    const std::string written = file.Serialise();
    const lum::IniFile again = lum::IniFile::Parse(written);
    Check(again.Serialise() == written);
    Check(again.Find(fixed.section, fixed.key) == std::string(fixed.value));
    if (derivedWritten && !(SameName(section, fixed.section) && SameName(key, fixed.key))) {
        Check(again.Find(section, key) == std::string(lum::TrimIniBlanks(value)));
    }
    return 0;
}
