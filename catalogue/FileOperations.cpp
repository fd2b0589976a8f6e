#include "catalogue/FileOperations.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <system_error>

#include "files/SafeFiles.h"
#include "recordings/Paths.h"

namespace lum {

namespace fs = std::filesystem;

bool SelectGroupsForOperation(RecordingCatalogue& catalogue, const std::vector<bool>& selected) {
    bool any = false;
    for (std::size_t i = 0; i < catalogue.Groups().size(); ++i) {
        const bool on = i < selected.size() && selected[i];
        catalogue.SetGroupSelected(i, on);
        any = any || on;
    }
    return any;
}

bool ClearReadOnly(std::string_view path) {
    std::error_code ec;
    fs::permissions(ToFsPath(path), fs::perms::owner_write, fs::perm_options::add, ec);
    return !ec;
}

namespace {

// The one walk over the groups that SelectGroupsForOperation marked: visit(group, its index).
template <typename Visit>
void ForEachSelectedGroup(const std::vector<GroupRecord>& groups, Visit visit) {
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (groups[i].selected != 0) {
            visit(groups[i], i);
        }
    }
}

// The one way an operation reaches the selected groups: marks the groups that
// selected names and runs run on their recordings in catalogue order. False,
// and run is not called, when no group is selected.
template <typename Run>
bool OnSelectedGroups(RecordingCatalogue& catalogue, const std::vector<bool>& selected, Run run) {
    if (!SelectGroupsForOperation(catalogue, selected)) {
        return false;
    }
    run(EntriesOfSelectedGroups(catalogue));
    return true;
}

}  // namespace

std::vector<int> EntriesOfSelectedGroups(const RecordingCatalogue& catalogue) {
    std::vector<int> entries;
    ForEachSelectedGroup(catalogue.Groups(), [&](const GroupRecord& g, std::size_t) {
        for (int k = 0; k < g.entryCount; ++k) {
            entries.push_back(g.firstEntry + k);
        }
    });
    return entries;
}

int DeleteEntries(RecordingCatalogue& catalogue, std::vector<int> entries,
                  std::vector<std::string>* failed) {
    // Each recording once, however often it was named.
    std::sort(entries.begin(), entries.end(), std::greater<>());
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    std::vector<std::size_t> removed;
    for (const int i : entries) {
        if (i < 0 || static_cast<std::size_t>(i) >= catalogue.Entries().size()) {
            continue;
        }
        const std::size_t index = static_cast<std::size_t>(i);
        const std::string path = FullPath(catalogue.Entries()[index]);
        const fs::path file = ToFsPath(path);
        std::error_code ec;
        // The mark is taken off for the delete and put back when the delete fails.
        const fs::perms before = fs::status(file, ec).permissions();
        const bool marked = !ec && (before & fs::perms::owner_write) == fs::perms::none;
        if (marked) {
            ClearReadOnly(path);
        }
        if (!fs::remove(file, ec) || ec) {
            if (marked) {
                std::error_code restoreError;
                fs::permissions(file, before, fs::perm_options::replace, restoreError);
            }
            if (failed != nullptr) {
                failed->push_back(path);
            }
        } else {
            removed.push_back(index);
        }
    }
    catalogue.RemoveEntries(removed);
    return static_cast<int>(removed.size());
}

bool DeleteSelected(RecordingCatalogue& catalogue, const std::vector<bool>& selected,
                    std::vector<std::string>* failed) {
    return OnSelectedGroups(catalogue, selected, [&](const std::vector<int>& entries) {
        DeleteEntries(catalogue, entries, failed);
    });
}

namespace {

// The name with its fourth character replaced by "_".
std::string UnlockedName(const std::string& name) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if ((static_cast<unsigned char>(name[i]) & 0xC0) == 0x80) {
            continue;
        }
        if (chars++ == 3) {
            std::size_t end = i + 1;
            while (end < name.size() && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) {
                ++end;
            }
            return name.substr(0, i) + "_" + name.substr(end);
        }
    }
    return name;
}

}  // namespace

int UnlockEntries(RecordingCatalogue& catalogue, const std::vector<int>& entries,
                  std::vector<std::string>* failed) {
    int unlocked = 0;
    for (const int i : entries) {
        if (i < 0 || static_cast<std::size_t>(i) >= catalogue.Entries().size()) {
            continue;
        }
        RecordingEntry e = catalogue.Entries()[static_cast<std::size_t>(i)];
        const std::uint8_t marks = e.flags & (EntryFlagReadOnly | EntryFlagNameLocked);
        bool handled = true;
        if ((e.flags & EntryFlagReadOnly) != 0) {
            if (ClearReadOnly(FullPath(e))) {
                e.flags &= static_cast<std::uint8_t>(~EntryFlagReadOnly);
            } else {
                handled = false;
            }
        }
        if ((e.flags & EntryFlagNameLocked) != 0) {
            RecordingEntry renamed = e;
            renamed.fileName = UnlockedName(e.fileName);
            const fs::path from = ToFsPath(FullPath(e));
            const fs::path to = ToFsPath(FullPath(renamed));
            std::error_code ec;
            // A rename here would silently replace another recording of that name.
            bool renamedNow = false;
            if (!fs::exists(to, ec) && !ec) {
                fs::rename(from, to, ec);
                renamedNow = !ec;
            }
            if (renamedNow) {
                e.fileName = renamed.fileName;
                e.flags &= static_cast<std::uint8_t>(~EntryFlagNameLocked);
            } else {
                handled = false;
            }
        }
        catalogue.UpdateEntry(static_cast<std::size_t>(i), e);
        if (!handled && failed != nullptr) {
            failed->push_back(FullPath(e));
        }
        if (handled && marks != 0) {
            ++unlocked;
        }
    }
    catalogue.ClearListViews();
    catalogue.FillList();
    return unlocked;
}

bool UnlockSelected(RecordingCatalogue& catalogue, const std::vector<bool>& selected,
                    std::vector<std::string>* failed) {
    return OnSelectedGroups(catalogue, selected, [&](const std::vector<int>& entries) {
        UnlockEntries(catalogue, entries, failed);
        // Also when a step failed.
        ForEachSelectedGroup(catalogue.Groups(), [&](const GroupRecord&, std::size_t g) {
            catalogue.SetGroupFlags(g, 0);
        });
    });
}

namespace {

std::string PercentText(int percent) {
    return std::to_string(percent) + " %";
}

// Copies beside the target first and renames it into place once it is on the
// disk, so an existing file is replaced only by a complete copy.
bool CopyWhole(const fs::path& from, const fs::path& to) {
    const fs::path temp = TemporaryIn(to.parent_path());
    std::error_code ec;
    fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return ReplaceDurably(temp, to);
}

}  // namespace

CopyOutcome CopyEntries(RecordingCatalogue& catalogue, const std::vector<int>& entries,
                        std::string_view destination) {
    CopyOutcome outcome;
    outcome.anySelected = !entries.empty();
    ICatalogueHost* host = catalogue.Host();
    const int total = static_cast<int>(entries.size());
    int done = 0;
    std::set<std::string> cleaned;  // folders already rid of an earlier run's temporaries
    if (host != nullptr) {
        host->ShowProgress(0, PercentText(0));
    }
    for (const int i : entries) {
        if (i < 0 || static_cast<std::size_t>(i) >= catalogue.Entries().size()) {
            continue;
        }
        const RecordingEntry& e = catalogue.Entries()[static_cast<std::size_t>(i)];
        RecordingEntry target;
        target.rootFolder = std::string(destination);
        target.subFolder = e.subFolder;
        target.fileName = e.fileName;
        std::string folder = target.rootFolder;
        if (!e.subFolder.empty()) {
            if (!EndsWithSeparator(folder)) {
                folder.push_back(kPathSeparator);
            }
            folder += e.subFolder;
        }
        std::error_code ec;
        if (!fs::is_directory(ToFsPath(folder), ec)) {
            CreateFolderPath(folder);
        }
        if (cleaned.insert(folder).second) {
            RemoveStaleTemporaries(ToFsPath(folder));
        }
        const std::string targetPath = FullPath(target);
        bool copy = true;
        if (fs::exists(ToFsPath(targetPath), ec)) {
            // Without anyone to ask, an existing file is kept.
            copy = host != nullptr && host->AskOverwrite(targetPath);
            if (!copy) {
                outcome.skipped.push_back(targetPath);
            }
        }
        if (copy) {
            if (CopyWhole(ToFsPath(FullPath(e)), ToFsPath(targetPath))) {
                ++outcome.copied;
            } else {
                outcome.failed.push_back(FullPath(e));
            }
        }
        ++done;
        const int percent = std::min(100, total > 0 ? done * 100 / total : 100);
        if (host != nullptr) {
            host->ShowProgress(percent, PercentText(percent));
        }
    }
    if (host != nullptr) {
        host->HideProgress();
    }
    return outcome;
}

CopyOutcome CopySelected(RecordingCatalogue& catalogue, const std::vector<bool>& selected,
                         std::string_view destination) {
    CopyOutcome outcome;
    OnSelectedGroups(catalogue, selected, [&](const std::vector<int>& entries) {
        outcome = CopyEntries(catalogue, entries, destination);
    });
    return outcome;
}

}  // namespace lum
