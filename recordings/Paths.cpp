#include "Paths.h"

#include <system_error>

namespace lum {

std::filesystem::path ToFsPath(std::string_view utf8) {
    std::u8string u8(utf8.begin(), utf8.end());
    return std::filesystem::path(u8);
}

std::string FromFsPath(const std::filesystem::path& p) {
    std::u8string u8 = p.u8string();
    return std::string(u8.begin(), u8.end());
}

namespace {
bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}
}  // namespace

std::size_t Utf8Length(std::string_view s) {
    std::size_t n = 0;
    for (unsigned char c : s) {
        if (!IsContinuation(c)) {
            ++n;
        }
    }
    return n;
}

std::string_view Utf8Tail(std::string_view s, std::size_t n) {
    std::size_t pos = s.size();
    std::size_t count = 0;
    while (pos > 0 && count < n) {
        --pos;
        while (pos > 0 && IsContinuation(static_cast<unsigned char>(s[pos]))) {
            --pos;
        }
        ++count;
    }
    return s.substr(pos);
}

bool CreateFolderPath(std::string_view path) {
    if (path.empty()) {
        return false;
    }
    std::string full(path);
    if (!EndsWithSeparator(full)) {
        full.push_back(kPathSeparator);
    }
    bool last = false;
    for (std::size_t i = 0; i < full.size(); ++i) {
        if (!IsPathSeparator(full[i]) || i == 0) {
            continue;
        }
        // Only prefixes that end just before a separator, e.g. "/a" and "/a/b" of "/a/b/".
        if (IsPathSeparator(full[i - 1])) {
            continue;
        }
        std::error_code ec;
        last = std::filesystem::create_directory(ToFsPath(std::string_view(full).substr(0, i)), ec);
        if (ec) {
            last = false;
        }
    }
    return last;
}

}  // namespace lum
