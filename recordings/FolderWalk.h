// Depth-first walk of a folder tree, visiting a folder's subtree as soon as the
// folder is met. Hidden entries are skipped, folders included.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lum {

struct WalkItem {
    const std::string& root;          // ends with a separator
    const std::string& relativePath;  // "" or "DCIM/100/" (each level followed by a separator)
    const std::string& name;
    bool isDirectory;
};

using WalkCallback = std::function<void(const WalkItem&)>;

enum class WalkResult { Done, RootMissing, RootUnreadable, Cancelled };

// Folders nested deeper than this below the root are not entered.
inline constexpr std::size_t kMaxWalkDepth = 40;

// The file system a folder lives on (its device number), or nothing when it
// cannot be told. Tests replace it to stand for a mount point.
using DeviceOfFolder = std::function<std::optional<std::uint64_t>(const std::filesystem::path&)>;
std::optional<std::uint64_t> DeviceOf(const std::filesystem::path& folder);

struct WalkOptions {
    // Checked before every entry; once set, the walk ends with Cancelled.
    const std::atomic<bool>* cancel = nullptr;
    DeviceOfFolder deviceOf = DeviceOf;
};

// Entries of each folder come in byte order of their names, so a walk is the
// same on every file system. A folder that cannot be read is passed over; a
// link back to a folder the walk is already inside is not followed. The walk
// stays on the root's file system (a card's mount point never leads into the
// system's /proc or another disk) and never follows a link out of the root's
// tree. A root that exists but cannot be listed gives RootUnreadable.
WalkResult WalkFolder(std::string_view root, const WalkCallback& callback,
                      const WalkOptions& options = {});

}  // namespace lum
