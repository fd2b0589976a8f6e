// Files that replace other files: short temporary names beside the target, the
// removal of temporaries an interrupted run left behind, and flushing to the disk.
#pragma once

#include <chrono>
#include <filesystem>
#include <string_view>

namespace lum {

// A free name in folder for a temporary file: hidden, short (so any target name the
// file system accepts can be written through it) and recognisable as LUM's own.
std::filesystem::path TemporaryIn(const std::filesystem::path& folder);

// True for a name TemporaryIn gives.
bool IsLumTemporaryName(std::string_view fileName);

// Removes LUM's temporary files in folder that nobody has written to for `age`:
// what an export or copy left when it was killed, files and working folders alike.
// Others are left alone.
void RemoveStaleTemporaries(const std::filesystem::path& folder,
                            std::chrono::seconds age = std::chrono::minutes(10));

// Flushes a written file, or a folder's entries (after a rename), to the disk.
bool SyncFile(const std::filesystem::path& file);
bool SyncFolder(const std::filesystem::path& folder);

// Flushes temp, renames it over target and flushes the folder; the temporary
// file is removed on failure. True once the new content is on the disk.
bool ReplaceDurably(const std::filesystem::path& temp, const std::filesystem::path& target);

// Writes content to a temporary file beside target (with the given permissions when
// they are known; best effort, some file systems have none) and replaces target
// with it durably: a failed or killed write never leaves half a file, and any name
// the file system takes can be written. True once the new content is on the disk.
bool WriteFileDurably(const std::filesystem::path& target, std::string_view content,
                      std::filesystem::perms permissions = std::filesystem::perms::unknown);

}  // namespace lum
