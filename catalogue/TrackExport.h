// The GPS tracks of chosen recordings, one file per recording in GPX, KML, CSV or
// GeoJSON, read without touching the catalogue's current recording.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/RecordingCatalogue.h"
#include "recordings/TelemetrySources.h"

namespace lum {

enum class TrackFormat { kGpx, kKml, kCsv, kGeoJson };

// "gpx", "kml", "csv" or "geojson"; nullopt for anything else.
std::optional<TrackFormat> TrackFormatNamed(std::string_view name);

// The document of one recording's fixes in that format.
std::string TrackDocument(TrackFormat format, const RecordingEntry& entry,
                          const std::vector<GpsSample>& samples);

// The file name of a recording's track: the KML name for KML, otherwise the
// recording's name with the format's extension; a name already in `used` gets
// "-2", "-3", ... before the extension. The name returned is added to `used`.
std::string TrackFileName(TrackFormat format, const RecordingEntry& entry,
                          std::set<std::string>& used);

struct TrackExportOutcome {
    int written = 0;
    std::vector<std::string> failed;  // recordings that could not be read or written
};

// Writes the tracks of the given catalogue entries into outDir (created when
// missing), each through a temporary file flushed to the disk before it takes its
// name. Indices outside the catalogue are passed over.
TrackExportOutcome ExportTracks(const RecordingCatalogue& catalogue,
                                const std::vector<int>& entries, TrackFormat format,
                                std::string_view outDir);

}  // namespace lum
