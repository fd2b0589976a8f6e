// Delete, unlock and copy the recordings of the selected groups, on real files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "recordings/RecordingCatalogue.h"

namespace lum {

// selected[i] marks group i for the next operation; true when any group is marked.
bool SelectGroupsForOperation(RecordingCatalogue& catalogue, const std::vector<bool>& selected);

// Each returns false exactly when no group is selected. Single files that
// cannot be changed keep their state and the loop goes on.
bool DeleteSelected(RecordingCatalogue& catalogue, const std::vector<bool>& selected);
bool UnlockSelected(RecordingCatalogue& catalogue, const std::vector<bool>& selected);

struct CopyOutcome {
    bool anySelected = false;
    std::vector<std::string> failed;   // source paths whose copy did not succeed
    std::vector<std::string> skipped;  // targets the user chose not to overwrite
};

// Copies into destination, keeping the card's folders below it. Progress and
// the overwrite question go through the catalogue's host.
CopyOutcome CopySelected(RecordingCatalogue& catalogue, const std::vector<bool>& selected,
                         std::string_view destination);

// Clears the read-only mark the way the platform knows it; false on failure.
bool ClearReadOnly(std::string_view path);

}  // namespace lum
