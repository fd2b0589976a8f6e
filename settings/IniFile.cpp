#include "settings/IniFile.h"

#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "files/SafeFiles.h"

namespace lum {

namespace fs = std::filesystem;

bool IsIniBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view TrimIniBlanks(std::string_view s) {
    while (!s.empty() && IsIniBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsIniBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::int32_t ParseProfileInt(std::string_view text) {
    std::size_t i = 0;
    // The profile functions skip every control character and space before the number.
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Unsigned arithmetic: an overlong number wraps instead of overflowing.
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<std::int32_t>(value);
}

namespace {

enum class LineKind { kBlank, kComment, kSection, kKey, kOther };

struct LineView {
    LineKind kind = LineKind::kOther;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // key value, trimmed
    std::size_t equals = 0;  // position of "=" in a key line
};

LineView Classify(std::string_view text) {
    LineView v;
    std::string_view s = text;
    while (!s.empty() && IsIniBlank(s.front())) {
        s.remove_prefix(1);
    }
    if (s.empty()) {
        v.kind = LineKind::kBlank;
        return v;
    }
    if (s.front() == ';' || s.front() == '#') {
        v.kind = LineKind::kComment;
        return v;
    }
    if (s.front() == '[') {
        const std::size_t close = s.find(']');
        if (close != std::string_view::npos) {
            v.kind = LineKind::kSection;
            v.name = TrimIniBlanks(s.substr(1, close - 1));
        }
        return v;
    }
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
        return v;
    }
    v.name = TrimIniBlanks(text.substr(0, eq));
    if (v.name.empty()) {
        return v;
    }
    v.kind = LineKind::kKey;
    v.value = TrimIniBlanks(text.substr(eq + 1));
    v.equals = eq;
    return v;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

bool StorableName(std::string_view name) {
    return !name.empty() && TrimIniBlanks(name).size() == name.size() && !HasLineBreak(name);
}

bool StorableSection(std::string_view section) {
    return StorableName(section) && section.find(']') == std::string_view::npos;
}

bool StorableKey(std::string_view key) {
    return StorableName(key) && key.find('=') == std::string_view::npos && key.front() != '[' &&
           key.front() != ';' && key.front() != '#';
}

}  // namespace

IniFile IniFile::Parse(std::string_view text) {
    IniFile file;
    bool eolKnown = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) {
            file.lines_.push_back({std::string(text.substr(pos)), ""});
            break;
        }
        std::size_t end = nl;
        std::string eol = "\n";
        if (end > pos && text[end - 1] == '\r') {
            --end;
            eol = "\r\n";
        }
        if (!eolKnown) {
            file.eol_ = eol;
            eolKnown = true;
        }
        file.lines_.push_back({std::string(text.substr(pos, end - pos)), std::move(eol)});
        pos = nl + 1;
    }
    return file;
}

std::string IniFile::Serialise() const {
    std::string out;
    for (const Line& line : lines_) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

std::optional<std::size_t> IniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const LineView v = Classify(lines_[i].text);
        if (v.kind == LineKind::kSection && SameName(v.name, section)) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t IniFile::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && Classify(lines_[i].text).kind != LineKind::kSection) {
        ++i;
    }
    return i;
}

std::optional<std::size_t> IniFile::FindKey(std::size_t header, std::string_view key) const {
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const LineView v = Classify(lines_[i].text);
        if (v.kind == LineKind::kKey && SameName(v.name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
    const std::optional<std::size_t> header = FindSection(section);
    if (!header) {
        return std::nullopt;
    }
    const std::optional<std::size_t> line = FindKey(*header, key);
    if (!line) {
        return std::nullopt;
    }
    return std::string(Classify(lines_[*line].text).value);
}

std::string IniFile::ReadText(std::string_view section, std::string_view key,
                              std::string_view defaultValue) const {
    std::optional<std::string> value = Find(section, key);
    return value ? std::move(*value) : std::string(defaultValue);
}

std::int32_t IniFile::ReadInt(std::string_view section, std::string_view key,
                              std::int32_t defaultValue) const {
    const std::optional<std::string> value = Find(section, key);
    // An empty value counts as absent, as with the profile functions.
    if (!value || value->empty()) {
        return defaultValue;
    }
    return ParseProfileInt(*value);
}

void IniFile::InsertLine(std::size_t at, std::string text) {
    // A last line without a break needs one before anything can follow it.
    if (at > 0 && lines_[at - 1].eol.empty()) {
        lines_[at - 1].eol = eol_;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), eol_});
}

bool IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
    if (!StorableSection(section) || !StorableKey(key) || HasLineBreak(value)) {
        return false;
    }
    std::string keyLine = std::string(key) + "=" + std::string(value);
    const std::optional<std::size_t> header = FindSection(section);
    if (!header) {
        if (!lines_.empty() && Classify(lines_.back().text).kind != LineKind::kBlank) {
            InsertLine(lines_.size(), "");
        }
        InsertLine(lines_.size(), "[" + std::string(section) + "]");
        InsertLine(lines_.size(), std::move(keyLine));
        return true;
    }
    if (const std::optional<std::size_t> line = FindKey(*header, key)) {
        // Keep everything up to the "=" so the key keeps its spelling and indentation.
        std::string& text = lines_[*line].text;
        text = text.substr(0, Classify(text).equals + 1) + std::string(value);
        return true;
    }
    std::size_t at = *header + 1;
    const std::size_t end = SectionEnd(*header);
    for (std::size_t i = end; i > *header + 1; --i) {
        if (Classify(lines_[i - 1].text).kind != LineKind::kBlank) {
            at = i;
            break;
        }
    }
    InsertLine(at, std::move(keyLine));
    return true;
}

// ---- The file on disk ----

IniLoadResult LoadIniFile(const fs::path& path) {
    IniLoadResult result;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (st.type() == fs::file_type::not_found) {
        result.status = IniLoadStatus::kMissing;
        return result;
    }
    result.status = IniLoadStatus::kUnreadable;
    if (ec || st.type() != fs::file_type::regular) {
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return result;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return result;
    }
    result.file = IniFile::Parse(text);
    result.status = IniLoadStatus::kLoaded;
    return result;
}

namespace {

// The file a write must replace: a symbolic link is followed to its final target, so the
// link itself stays in place.
std::optional<fs::path> ResolveLinks(fs::path p) {
    constexpr int kMaxLinks = 40;
    for (int i = 0; i < kMaxLinks; ++i) {
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(p, ec);
        if (st.type() != fs::file_type::symlink) {
            return p;
        }
        const fs::path target = fs::read_symlink(p, ec);
        if (ec) {
            return std::nullopt;
        }
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return std::nullopt;
}

}  // namespace

bool WriteIniValues(const fs::path& path, const std::vector<IniEdit>& edits) {
    const std::optional<fs::path> target = ResolveLinks(path);
    if (!target) {
        return false;
    }
    IniLoadResult current = LoadIniFile(*target);
    if (current.status == IniLoadStatus::kUnreadable) {
        return false;
    }
    std::error_code ec;
    fs::perms keepPerms = fs::perms::unknown;
    if (current.status == IniLoadStatus::kLoaded) {
        // A file made read-only stays as it is, as it would if it were rewritten in place.
        std::ofstream probe(*target, std::ios::binary | std::ios::app);
        if (!probe) {
            return false;
        }
        keepPerms = fs::status(*target, ec).permissions();
    }
    IniFile file = std::move(current.file);
    for (const IniEdit& edit : edits) {
        if (!file.Write(edit.section, edit.key, edit.value)) {
            return false;
        }
    }
    // On the disk before it takes the name: a power loss leaves the old file or the new one.
    return WriteFileDurably(*target, file.Serialise(), keepPerms);
}

bool WriteIniValue(const fs::path& path, std::string_view section, std::string_view key,
                   std::string_view value) {
    return WriteIniValues(path,
                          {IniEdit{std::string(section), std::string(key), std::string(value)}});
}

}  // namespace lum
