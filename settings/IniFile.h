// The profile-string file: a small INI reader and writer that keeps every line
// it was given, so that keys and comments the viewer does not know survive a write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lum {

// Blanks around names and values: space, tab and stray carriage-return, vertical-tab or
// form-feed characters.
bool IsIniBlank(char c);
std::string_view TrimIniBlanks(std::string_view s);

// Decimal text to an integer the way the Windows profile functions read it: optional
// leading blanks and one sign, then digits up to the first non-digit; no digits gives 0
// and overflow wraps around modulo 2^32.
std::int32_t ParseProfileInt(std::string_view text);

class IniFile {
  public:
    IniFile() = default;

    // Never fails: every byte sequence is some INI file.
    static IniFile Parse(std::string_view text);
    // The text again; unchanged lines come out byte for byte as they were read.
    std::string Serialise() const;

    // The trimmed value of the first matching key in the first matching section (names
    // match without regard to ASCII case); nothing when either is absent.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    // The value, possibly empty, or the default when the key is absent.
    std::string ReadText(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
    // The value read as decimal; the default when the key is absent or its value empty.
    std::int32_t ReadInt(std::string_view section, std::string_view key,
                         std::int32_t defaultValue) const;

    // Sets one key: its value is replaced in place, or the key is added after the last
    // non-blank line of its section, or the section is added at the end of the file.
    // Returns false and changes nothing when the names or the value cannot be stored
    // so that they read back (empty or blank-edged names, line breaks, "=" in a key,
    // "]" in a section, a key that would read as a comment or a section).
    bool Write(std::string_view section, std::string_view key, std::string_view value);

    // "\r\n" when the file's first line break is one, "\n" otherwise.
    std::string_view LineEnding() const { return eol_; }

  private:
    struct Line {
        std::string text;  // without its line break
        std::string eol;   // "\r\n", "\n" or "" for a last line without a break
    };
    std::optional<std::size_t> FindSection(std::string_view section) const;
    std::size_t SectionEnd(std::size_t header) const;
    std::optional<std::size_t> FindKey(std::size_t header, std::string_view key) const;
    void InsertLine(std::size_t at, std::string text);

    std::vector<Line> lines_;
    std::string eol_ = "\n";
};

// ---- The file on disk ----

enum class IniLoadStatus {
    kLoaded,      // read completely
    kMissing,     // no file: every key takes its default
    kUnreadable,  // something is there but could not be read
};

struct IniLoadResult {
    IniLoadStatus status = IniLoadStatus::kMissing;
    IniFile file;
};

IniLoadResult LoadIniFile(const std::filesystem::path& path);

struct IniEdit {
    std::string section;
    std::string key;
    std::string value;
};

// Applies the edits in order to the current file and replaces it through a temporary
// file in the same folder, so a crash leaves either the old or the new file. A symbolic
// link is followed to its target and the target's permissions are kept. Fails, changing
// nothing, when the existing file cannot be read or opened for writing, when an edit is
// not storable, or when the new file cannot be written or renamed into place.
bool WriteIniValues(const std::filesystem::path& path, const std::vector<IniEdit>& edits);
bool WriteIniValue(const std::filesystem::path& path, std::string_view section,
                   std::string_view key, std::string_view value);

}  // namespace lum
