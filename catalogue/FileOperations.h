// Delete, unlock and copy the recordings of the selected groups, or of chosen
// recordings, on real files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/RecordingCatalogue.h"

namespace lum {

// selected[i] marks group i for the next operation; true when any group is marked.
bool SelectGroupsForOperation(RecordingCatalogue& catalogue, const std::vector<bool>& selected);

// Each returns false exactly when no group is selected. Single files that
// cannot be changed keep their state, read-only mark included, and the loop goes
// on; their paths are added to `failed` when it is given.
bool DeleteSelected(RecordingCatalogue& catalogue, const std::vector<bool>& selected,
                    std::vector<std::string>* failed = nullptr);
bool UnlockSelected(RecordingCatalogue& catalogue, const std::vector<bool>& selected,
                    std::vector<std::string>* failed = nullptr);

struct CopyOutcome {
    bool anySelected = false;
    int copied = 0;
    std::vector<std::string> failed;   // source paths whose copy did not succeed
    std::vector<std::string> skipped;  // targets the user chose not to overwrite
};

// Copies into destination, keeping the card's folders below it. Progress and
// the overwrite question go through the catalogue's host. Each copy goes through
// a temporary file that is flushed to the disk before it takes the target's name.
CopyOutcome CopySelected(RecordingCatalogue& catalogue, const std::vector<bool>& selected,
                         std::string_view destination);

// The same operations on chosen catalogue entries (the rows selected in the list);
// indices outside the catalogue are passed over. Delete returns how many recordings
// it deleted and unlock how many lost a lock mark; both refill the list.
int DeleteEntries(RecordingCatalogue& catalogue, std::vector<int> entries,
                  std::vector<std::string>* failed = nullptr);
int UnlockEntries(RecordingCatalogue& catalogue, const std::vector<int>& entries,
                  std::vector<std::string>* failed = nullptr);
CopyOutcome CopyEntries(RecordingCatalogue& catalogue, const std::vector<int>& entries,
                        std::string_view destination);
// The recordings of the groups marked by SelectGroupsForOperation, in catalogue order.
std::vector<int> EntriesOfSelectedGroups(const RecordingCatalogue& catalogue);

// Clears the read-only mark the way the platform knows it; false on failure.
bool ClearReadOnly(std::string_view path);

}  // namespace lum
