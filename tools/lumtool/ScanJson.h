// `lumtool scan --json`: the catalogue written to the output entry by entry,
// so a card of any size costs no more memory than its catalogue.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <vector>

#include "catalogue/RecordingCatalogue.h"
#include "recordings/DrivingEvents.h"

namespace lum {

// The trip figures of one recording and how many events it holds.
struct RecordingFigures {
    TripSummary trip;
    std::size_t events = 0;
};

// Writes {"entries": [...], "groups": [...]} indented by two spaces, keys in
// byte order, followed by a line break. figures holds one item per entry; each
// entry and each group gets a "summary" object of them.
void WriteCatalogueJson(std::ostream& out, const RecordingCatalogue& catalogue,
                        const std::vector<RecordingFigures>& figures);

// Writes {"events": [...]}: eventsOf(i) gives recording i's events, asked for
// one recording after the other while the document is written.
void WriteEventsJson(std::ostream& out, const RecordingCatalogue& catalogue,
                     const std::function<std::vector<DrivingEvent>(std::size_t)>& eventsOf);

}  // namespace lum
