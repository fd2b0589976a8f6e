#include "FolderWalk.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "Paths.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace lum {

namespace fs = std::filesystem;

namespace {

struct Listed {
    std::string name;
    bool isDirectory = false;
    bool isLink = false;
};

// The visible entries of one folder, sorted; nothing when it cannot be read.
std::optional<std::vector<Listed>> ListFolder(const fs::path& dir) {
    std::vector<Listed> out;
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec) {
        return std::nullopt;
    }
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = FromFsPath(it->path().filename());
        if (name.empty() || name[0] == '.') {
            continue;  // hidden, and "." / ".."
        }
        std::error_code typeEc, linkEc;
        const bool isDir = it->is_directory(typeEc);  // follows links, like the card's own folders
        const bool isLink = it->is_symlink(linkEc);
        out.push_back({std::move(name), isDir && !typeEc, isLink && !linkEc});
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

// Whether path lies inside folder (or is it), both canonical.
bool Inside(const fs::path& path, const fs::path& folder) {
    auto f = folder.begin();
    auto p = path.begin();
    for (; f != folder.end(); ++f, ++p) {
        if (p == path.end() || *p != *f) {
            // A trailing empty element ("dir/") matches the end of path.
            return f->empty() && std::next(f) == folder.end();
        }
    }
    return true;
}

}  // namespace

std::optional<std::uint64_t> DeviceOf(const fs::path& folder) {
#ifdef _WIN32
    (void)folder;
    return std::nullopt;
#else
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(st.st_dev);
#endif
}

WalkResult WalkFolder(std::string_view rootIn, const WalkCallback& callback,
                      const WalkOptions& options) {
    std::error_code ec;
    const fs::path rootPath = ToFsPath(rootIn);
    if (rootIn.empty() || !fs::exists(rootPath, ec)) {
        return WalkResult::RootMissing;
    }
    std::string root(rootIn);
    if (!EndsWithSeparator(root)) {
        root.push_back(kPathSeparator);
    }
    std::optional<std::vector<Listed>> rootItems = ListFolder(rootPath);
    if (!rootItems) {
        return fs::is_directory(rootPath, ec) ? WalkResult::RootUnreadable : WalkResult::Done;
    }
    const fs::path rootCanonical = Canonical(rootPath);
    const std::optional<std::uint64_t> rootDevice =
        options.deviceOf ? options.deviceOf(rootPath) : std::nullopt;
    const auto cancelled = [&] {
        return options.cancel != nullptr && options.cancel->load(std::memory_order_relaxed);
    };

    struct Level {
        std::vector<Listed> items;
        std::size_t next = 0;
        std::string relative;
        fs::path canonical;
    };
    std::vector<Level> stack;
    stack.push_back({std::move(*rootItems), 0, "", rootCanonical});

    while (!stack.empty()) {
        if (cancelled()) {
            return WalkResult::Cancelled;
        }
        Level& level = stack.back();
        if (level.next >= level.items.size()) {
            stack.pop_back();
            continue;
        }
        const Listed item = level.items[level.next++];
        const std::string relative = level.relative;
        const fs::path itemPath = ToFsPath(root + relative + item.name);
        fs::path canonical;
        if (item.isLink || item.isDirectory) {
            canonical = Canonical(itemPath);
            if (item.isLink && !Inside(canonical, rootCanonical)) {
                continue;  // a link out of the card's tree is not the card's
            }
        }
        if (item.isDirectory && rootDevice && options.deviceOf) {
            const std::optional<std::uint64_t> device = options.deviceOf(itemPath);
            if (!device || *device != *rootDevice) {
                continue;  // another file system mounted inside the tree
            }
        }
        callback(WalkItem{root, relative, item.name, item.isDirectory});
        if (!item.isDirectory || stack.size() >= kMaxWalkDepth) {
            continue;
        }
        const bool loop = std::any_of(stack.begin(), stack.end(),
                                      [&](const Level& l) { return l.canonical == canonical; });
        if (loop) {
            continue;
        }
        std::optional<std::vector<Listed>> items = ListFolder(itemPath);
        if (!items) {
            continue;  // unreadable: passed over
        }
        stack.push_back({std::move(*items), 0, relative + item.name + kPathSeparator, canonical});
    }
    return WalkResult::Done;
}

}  // namespace lum
