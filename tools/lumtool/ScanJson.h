// `lumtool scan --json`: the catalogue written to the output entry by entry,
// so a card of any size costs no more memory than its catalogue.
#pragma once

#include <ostream>

#include "catalogue/RecordingCatalogue.h"

namespace lum {

// Writes {"entries": [...], "groups": [...]} indented by two spaces, keys in
// byte order, followed by a line break.
void WriteCatalogueJson(std::ostream& out, const RecordingCatalogue& catalogue);

}  // namespace lum
