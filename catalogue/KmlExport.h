// The current recording's GPS track as a KML 2.2 document below the documents folder.
#pragma once

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/RecordingCatalogue.h"

namespace lum {

// Writes one KML file. The text goes to a temporary file beside the target and
// replaces the target only once the footer is written and the file is on the
// disk, so a failed export leaves no partial file behind.
class KmlWriter {
  public:
    KmlWriter() = default;
    KmlWriter(const KmlWriter&) = delete;
    KmlWriter& operator=(const KmlWriter&) = delete;
    ~KmlWriter();

    bool OpenFile(std::string_view path);
    bool WriteHeader(std::string_view fileName, std::string_view subFolder, std::int64_t startTime);
    // Longitude first, in decimal degrees. Does nothing when no file is open.
    bool WriteCoordinate(double longitude, double latitude, std::int32_t altitude);
    // Writes the footer, closes the file and puts it in place; false on any write error.
    bool WriteFooter();

  private:
    bool Put(std::string_view text);
    void Abandon();

    std::ofstream out_;
    std::string target_;
    std::string temp_;
    bool failed_ = false;
};

struct KmlFolder {
    std::string path;    // ends with a separator
    bool ready = false;  // exists or was created
};

// documentsFolder + "LUM/KML/", created with every missing level.
KmlFolder GetKmlFolder(std::string_view documentsFolder);

// "<name without its last 4 characters>_YYYY_MM_DD_hh-mm-ss.KML"
std::string KmlFileName(const RecordingEntry& entry);

// Element text with "&", "<" and ">" escaped.
std::string EscapeXml(std::string_view text);

// The pieces of the document, shared by the writer and the command line.
std::string KmlHeaderText(std::string_view fileName, std::string_view subFolder,
                          std::int64_t startTime);
std::string KmlCoordinateText(double longitude, double latitude, std::int32_t altitude);
std::string_view KmlFooterText();
// The fixes that go into a track: plottable, converted to decimal degrees, inside the bound.
template <class Visit>
void ForEachKmlFix(const std::vector<GpsSample>& samples, Visit visit) {
    for (const GpsSample& s : samples) {
        double lat = s.latitude / 100.0, lon = s.longitude / 100.0;
        if (IsPlottable(s) && NmeaPairToDegrees(lat, lon)) {
            visit(s, lat, lon);
        }
    }
}
// The whole document for a recording and its samples.
std::string KmlDocument(const RecordingEntry& entry, const std::vector<GpsSample>& samples);

// Exports the current recording's loaded GPS samples; the written file's path,
// or nullopt when there is no current recording or the file cannot be written.
std::optional<std::string> ExportKml(const RecordingCatalogue& catalogue, std::string_view folder);

}  // namespace lum
