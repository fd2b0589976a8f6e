// Path text helpers shared by the readers, the catalogue and the file operations.
// Paths are UTF-8 text; both "/" and "\" count as separators wherever a rule
// looks for one, and new separators are the platform's own.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace lum {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

inline bool IsPathSeparator(char c) {
    return c == '/' || c == '\\';
}
inline bool EndsWithSeparator(std::string_view s) {
    return !s.empty() && IsPathSeparator(s.back());
}

// UTF-8 text to a filesystem path, without the narrow code page getting involved on Windows.
std::filesystem::path ToFsPath(std::string_view utf8);
std::string FromFsPath(const std::filesystem::path& p);

// Number of characters (code points) in UTF-8 text; a stray byte counts as one.
std::size_t Utf8Length(std::string_view s);
// The last n characters (or the whole text when it is shorter).
std::string_view Utf8Tail(std::string_view s, std::size_t n);

// True when the last four bytes of s are exactly ext (case-sensitive).
inline bool EndsWith(std::string_view s, std::string_view ext) {
    return s.size() >= ext.size() && s.substr(s.size() - ext.size()) == ext;
}

// Creates every folder of the path from the shortest prefix on, treating an
// existing folder as no error. Returns whether the deepest folder was created
// now (false when it already existed) and false for an empty path.
bool CreateFolderPath(std::string_view path);

}  // namespace lum
