// card-manifest.json: every file of the card with what it exercises and what
// the viewer's readers should find in it.
#pragma once

#include <string>
#include <vector>

#include "Card.h"

namespace lum::card {

std::string ManifestJson(const CardOptions& options, const std::vector<PlannedFile>& files,
                         const std::string& fontFile);

}  // namespace lum::card
