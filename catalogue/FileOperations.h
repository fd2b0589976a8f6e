// Delete, unlock and copy the recordings of the selected groups, on real files.
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
    std::vector<std::string> failed;   // source paths whose copy did not succeed
    std::vector<std::string> skipped;  // targets the user chose not to overwrite
};

// Copies into destination, keeping the card's folders below it. Progress and
// the overwrite question go through the catalogue's host. Each copy goes through
// a temporary file that is flushed to the disk before it takes the target's name.
CopyOutcome CopySelected(RecordingCatalogue& catalogue, const std::vector<bool>& selected,
                         std::string_view destination);

// Clears the read-only mark the way the platform knows it; false on failure.
bool ClearReadOnly(std::string_view path);

}  // namespace lum
