// Depth-first walk of a folder tree, visiting a folder's subtree as soon as the
// folder is met. Hidden entries are skipped, folders included.
#pragma once

#include <cstddef>
#include <functional>
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

enum class WalkResult { Done, RootMissing };

// Folders nested deeper than this below the root are not entered.
inline constexpr std::size_t kMaxWalkDepth = 40;

// Entries of each folder come in byte order of their names, so a walk is the
// same on every file system. A folder that cannot be read is passed over; a
// link back to a folder the walk is already inside is not followed.
WalkResult WalkFolder(std::string_view root, const WalkCallback& callback);

}  // namespace lum
