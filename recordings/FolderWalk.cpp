#include "FolderWalk.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "Paths.h"

namespace lum {

namespace fs = std::filesystem;

namespace {

struct Listed {
    std::string name;
    bool isDirectory = false;
};

// The visible entries of one folder, sorted; empty when it cannot be read.
std::vector<Listed> ListFolder(const fs::path& dir) {
    std::vector<Listed> out;
    std::error_code ec;
    fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = FromFsPath(it->path().filename());
        if (name.empty() || name[0] == '.') {
            continue;  // hidden, and "." / ".."
        }
        std::error_code typeEc;
        const bool isDir = it->is_directory(typeEc);  // follows links, like the card's own folders
        out.push_back({std::move(name), isDir && !typeEc});
    }
    std::sort(out.begin(), out.end(),
              [](const Listed& a, const Listed& b) { return a.name < b.name; });
    return out;
}

fs::path Canonical(const fs::path& p) {
    std::error_code ec;
    fs::path c = fs::canonical(p, ec);
    return ec ? p : c;
}

}  // namespace

WalkResult WalkFolder(std::string_view rootIn, const WalkCallback& callback) {
    std::error_code ec;
    const fs::path rootPath = ToFsPath(rootIn);
    if (rootIn.empty() || !fs::exists(rootPath, ec)) {
        return WalkResult::RootMissing;
    }
    std::string root(rootIn);
    if (!EndsWithSeparator(root)) {
        root.push_back(kPathSeparator);
    }

    struct Level {
        std::vector<Listed> items;
        std::size_t next = 0;
        std::string relative;
        fs::path canonical;
    };
    std::vector<Level> stack;
    stack.push_back({ListFolder(rootPath), 0, "", Canonical(rootPath)});

    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next >= level.items.size()) {
            stack.pop_back();
            continue;
        }
        const Listed item = level.items[level.next++];
        const std::string relative = level.relative;
        callback(WalkItem{root, relative, item.name, item.isDirectory});
        if (!item.isDirectory || stack.size() >= kMaxWalkDepth) {
            continue;
        }
        const std::string childRelative = relative + item.name + kPathSeparator;
        const fs::path childPath = ToFsPath(root + childRelative);
        const fs::path canonical = Canonical(childPath);
        const bool loop = std::any_of(stack.begin(), stack.end(),
                                      [&](const Level& l) { return l.canonical == canonical; });
        if (loop) {
            continue;
        }
        stack.push_back({ListFolder(childPath), 0, childRelative, canonical});
    }
    return WalkResult::Done;
}

}  // namespace lum
