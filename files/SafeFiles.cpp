// The one place of the core that talks to the operating system directly: the
// standard library has no way to flush a file or a folder to the disk.
#include "files/SafeFiles.h"

#include <fstream>
#include <random>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace lum {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = ".lum-";
constexpr std::string_view kSuffix = ".tmp";
constexpr std::size_t kRandomDigits = 16;

#ifndef _WIN32
bool SyncPath(const fs::path& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}
#endif

}  // namespace

fs::path TemporaryIn(const fs::path& folder) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::random_device device;
    std::mt19937_64 random((std::uint64_t{device()} << 32) ^ device());
    for (;;) {
        std::string name(kPrefix);
        std::uint64_t bits = random();
        for (std::size_t i = 0; i < kRandomDigits; ++i, bits >>= 4) {
            name += kHex[bits & 0xF];
        }
        name += kSuffix;
        fs::path candidate = folder / name;
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(candidate, ec))) {
            return candidate;
        }
    }
}

bool IsLumTemporaryName(std::string_view name) {
    if (name.size() != kPrefix.size() + kRandomDigits + kSuffix.size() ||
        !name.starts_with(kPrefix) || !name.ends_with(kSuffix)) {
        return false;
    }
    for (const char c : name.substr(kPrefix.size(), kRandomDigits)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

void RemoveStaleTemporaries(const fs::path& folder, std::chrono::seconds age) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    const auto now = fs::file_time_type::clock::now();
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code entryError;
        // A killed evidence export leaves a working folder of the same naming.
        const bool isFolder = it->is_directory(entryError);
        if (!IsLumTemporaryName(it->path().filename().string()) ||
            !(isFolder || it->is_regular_file(entryError))) {
            continue;
        }
        const auto written = fs::last_write_time(it->path(), entryError);
        if (!entryError && now - written > age) {
            if (isFolder) {
                fs::remove_all(it->path(), entryError);
            } else {
                fs::remove(it->path(), entryError);
            }
        }
    }
}

bool SyncFile(const fs::path& file) {
#ifdef _WIN32
    const HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool synced = FlushFileBuffers(h) != 0;
    CloseHandle(h);
    return synced;
#else
    return SyncPath(file, O_RDONLY);
#endif
}

bool SyncFolder(const fs::path& folder) {
#ifdef _WIN32
    (void)folder;  // NTFS journals the rename itself
    return true;
#else
    return SyncPath(folder.empty() ? fs::path(".") : folder, O_RDONLY | O_DIRECTORY);
#endif
}

bool ReplaceDurably(const fs::path& temp, const fs::path& target) {
    std::error_code ec;
    if (!SyncFile(temp)) {
        fs::remove(temp, ec);
        return false;
    }
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return SyncFolder(target.parent_path());
}

bool WriteFileDurably(const fs::path& target, std::string_view content, fs::perms permissions) {
    const fs::path temp = TemporaryIn(target.parent_path());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out) {
            std::error_code ec;
            fs::remove(temp, ec);
            return false;
        }
    }
    if (permissions != fs::perms::unknown) {
        std::error_code ignored;
        fs::permissions(temp, permissions, fs::perm_options::replace, ignored);
    }
    return ReplaceDurably(temp, target);
}

}  // namespace lum
