// The interface texts of each language, compiled in and keyed by LANGID and string id.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace lum {

inline constexpr std::uint16_t kLangIdEnglish = 1033;
inline constexpr std::uint16_t kLangIdJapanese = 1041;
// The table a text missing in the selected language is taken from.
inline constexpr std::uint16_t kFallbackLangId = kLangIdJapanese;

struct UiStringEntry {
    int id;
    std::string_view text;
};

// The table of one language, in id order; empty for a language without one.
std::span<const UiStringEntry> UiStringTable(std::uint16_t langId);

// The text with this id in that language's table, or empty text when it has none.
std::string_view FindUiString(std::uint16_t langId, int id);

// Any lookup of one table, so the fallback can be exercised with tables of one's own.
using UiStringLookup = std::string_view (*)(std::uint16_t langId, int id);

// The text in the given language, else in the fallback language, else empty text.
std::string_view LookUpWithFallback(std::uint16_t langId, int id,
                                    UiStringLookup lookup = FindUiString);

}  // namespace lum
