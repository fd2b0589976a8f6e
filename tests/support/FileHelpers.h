// Small file helpers shared by the tests: read a file whole, list a folder, a read-only folder.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace lum::test {

inline std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> Names(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    return names;
}

// Takes the write permission away from a folder for the guard's lifetime; the folder
// must be writable again before its TempDir can remove it.
class ReadOnlyFolder {
  public:
    explicit ReadOnlyFolder(std::filesystem::path dir) : dir_(std::move(dir)) {
        namespace fs = std::filesystem;
        fs::permissions(dir_,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }
    ~ReadOnlyFolder() {
        std::error_code ec;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // False for a user such as root whom permissions do not stop.
    bool Holds() const {
        const std::filesystem::path probe = dir_ / "probe";
        const bool created = static_cast<bool>(std::ofstream(probe));
        std::error_code ec;
        std::filesystem::remove(probe, ec);
        return !created;
    }

  private:
    std::filesystem::path dir_;
};

}  // namespace lum::test
