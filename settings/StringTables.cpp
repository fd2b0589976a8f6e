#include "settings/StringTables.h"

#include <algorithm>

namespace lum {

namespace {

constexpr UiStringEntry kEnglish[] = {
#include "resources/strings/strings_1033.inc"
};

constexpr UiStringEntry kJapanese[] = {
#include "resources/strings/strings_1041.inc"
};

constexpr bool SortedById(std::span<const UiStringEntry> table) {
    for (std::size_t i = 1; i < table.size(); ++i) {
        if (table[i - 1].id >= table[i].id) {
            return false;
        }
    }
    return true;
}

// The lookup below relies on the id order of the data files.
static_assert(SortedById(kEnglish), "strings_1033.inc must be sorted by id");
static_assert(SortedById(kJapanese), "strings_1041.inc must be sorted by id");

}  // namespace

std::span<const UiStringEntry> UiStringTable(std::uint16_t langId) {
    switch (langId) {
        case kLangIdEnglish:
            return kEnglish;
        case kLangIdJapanese:
            return kJapanese;
        default:
            return {};
    }
}

std::string_view FindUiString(std::uint16_t langId, int id) {
    const std::span<const UiStringEntry> table = UiStringTable(langId);
    const auto it =
        std::lower_bound(table.begin(), table.end(), id,
                         [](const UiStringEntry& e, int wanted) { return e.id < wanted; });
    return (it != table.end() && it->id == id) ? it->text : std::string_view{};
}

std::string_view LookUpWithFallback(std::uint16_t langId, int id, UiStringLookup lookup) {
    const std::string_view text = lookup(langId, id);
    return text.empty() ? lookup(kFallbackLangId, id) : text;
}

}  // namespace lum
