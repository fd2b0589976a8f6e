#include "catalogue/TrackExport.h"

#include <filesystem>
#include <system_error>

#include "catalogue/KmlExport.h"
#include "catalogue/TrackFormats.h"
#include "files/SafeFiles.h"
#include "recordings/Paths.h"

namespace lum {

namespace fs = std::filesystem;

std::optional<TrackFormat> TrackFormatNamed(std::string_view name) {
    if (name == "gpx") {
        return TrackFormat::kGpx;
    }
    if (name == "kml") {
        return TrackFormat::kKml;
    }
    if (name == "csv") {
        return TrackFormat::kCsv;
    }
    if (name == "geojson") {
        return TrackFormat::kGeoJson;
    }
    return std::nullopt;
}

std::string TrackDocument(TrackFormat format, const RecordingEntry& entry,
                          const std::vector<GpsSample>& samples) {
    switch (format) {
        case TrackFormat::kGpx:
            return GpxDocument(entry, samples);
        case TrackFormat::kKml:
            return KmlDocument(entry, samples);
        case TrackFormat::kCsv:
            return CsvDocument(samples);
        case TrackFormat::kGeoJson:
            return GeoJsonDocument(entry, samples);
    }
    return {};
}

std::string TrackFileName(TrackFormat format, const RecordingEntry& entry,
                          std::set<std::string>& used) {
    std::string stem;
    std::string ext;
    if (format == TrackFormat::kKml) {
        stem = KmlFileName(entry);
        ext = stem.substr(stem.size() - 4);  // ".KML"
        stem.resize(stem.size() - 4);
    } else {
        stem = entry.fileName;
        if (const auto dot = stem.rfind('.'); dot != std::string::npos && dot > 0) {
            stem.resize(dot);
        }
        ext = format == TrackFormat::kGpx   ? ".gpx"
              : format == TrackFormat::kCsv ? ".csv"
                                            : ".geojson";
    }
    // The same name in two folders of the card gets a number.
    std::string name = stem + ext;
    for (int n = 2; used.contains(name); ++n) {
        name = stem + "-" + std::to_string(n) + ext;
    }
    used.insert(name);
    return name;
}

TrackExportOutcome ExportTracks(const RecordingCatalogue& catalogue,
                                const std::vector<int>& entries, TrackFormat format,
                                std::string_view outDir) {
    TrackExportOutcome outcome;
    const fs::path folder = ToFsPath(outDir);
    std::error_code ec;
    fs::create_directories(folder, ec);
    const bool folderReady = fs::is_directory(folder, ec);
    if (folderReady) {
        RemoveStaleTemporaries(folder);
    }
    std::set<std::string> used;
    for (const int index : entries) {
        if (index < 0 || static_cast<std::size_t>(index) >= catalogue.Entries().size()) {
            continue;
        }
        const RecordingEntry& e = catalogue.Entries()[static_cast<std::size_t>(index)];
        const std::optional<DecodedTelemetry> telemetry = ReadTelemetry(e);
        const std::string name = TrackFileName(format, e, used);
        if (!folderReady || !telemetry ||
            !WriteFileDurably(folder / ToFsPath(name), TrackDocument(format, e, telemetry->gps))) {
            outcome.failed.push_back(FullPath(e));
            continue;
        }
        ++outcome.written;
    }
    return outcome;
}

}  // namespace lum
