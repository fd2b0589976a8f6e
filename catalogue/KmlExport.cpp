#include "catalogue/KmlExport.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "catalogue/TrackFormats.h"
#include "files/SafeFiles.h"
#include "recordings/LocalTime.h"
#include "recordings/Paths.h"

namespace lum {

namespace {

std::string FormatLocal(std::int64_t t, const char* pattern) {
    const auto dt = EpochToLocalDateTime(t);
    if (!dt) {
        return {};
    }
    char buf[64];
    const int n = std::snprintf(buf, sizeof buf, pattern, dt->year, dt->month, dt->day, dt->hour,
                                dt->minute, dt->second);
    return n > 0 && static_cast<std::size_t>(n) < sizeof buf
               ? std::string(buf, static_cast<std::size_t>(n))
               : std::string();
}

constexpr std::string_view kFooter =
    "\n        </coordinates>\n      </LineString>\n    </Placemark>\n  </Document>\n</kml>\n";
static_assert(kFooter.size() == 82);

}  // namespace

// Camera names never hold markup characters, but a single opened file may. A
// name that is not UTF-8, or holds a control character that XML does not allow,
// is written percent-encoded: the document stays well-formed, and the name can
// still be recovered from it.
std::string EscapeXml(std::string_view s) {
    const bool control = std::any_of(s.begin(), s.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
    });
    const std::string text = control || !IsValidUtf8(s) ? PercentEncode(s) : std::string(s);
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

KmlWriter::~KmlWriter() {
    Abandon();
}

void KmlWriter::Abandon() {
    if (out_.is_open()) {
        out_.close();
    }
    if (!temp_.empty()) {
        std::error_code ec;
        std::filesystem::remove(ToFsPath(temp_), ec);
        temp_.clear();
    }
}

bool KmlWriter::OpenFile(std::string_view path) {
    Abandon();
    failed_ = false;
    target_ = std::string(path);
    // A short name of LUM's own beside the target, so any target name the file
    // system takes can be written; what a killed export left there goes first.
    const std::filesystem::path folder = ToFsPath(target_).parent_path();
    RemoveStaleTemporaries(folder);
    temp_ = FromFsPath(TemporaryIn(folder));
    out_.open(ToFsPath(temp_), std::ios::binary | std::ios::trunc);
    if (!out_.is_open()) {
        temp_.clear();
        return false;
    }
    return true;
}

bool KmlWriter::Put(std::string_view text) {
    if (!out_.is_open()) {
        return false;
    }
    out_.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out_) {
        failed_ = true;
    }
    return !failed_;
}

std::string KmlHeaderText(std::string_view fileName, std::string_view subFolder,
                          std::int64_t startTime) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n  <Document>\n    <name>";
    text += EscapeXml(fileName);
    text += "</name>\n\t<description></description>\n";
    text +=
        "    <Style id=\"blueLine\">\n      <LineStyle>\n        <color>ffff0000</color>\n"
        "        <width>4</width>\n      </LineStyle>\n    </Style>\n    <Placemark>\n"
        "      <name>CAR PATH</name>\n      <description>GPS Path of Car DV ";
    const std::string where = "\"" + std::string(subFolder) + kPathSeparator +
                              std::string(fileName) + "\"" +
                              FormatLocal(startTime, " %04d/%02d/%02d %02d:%02d:%02d");
    text += EscapeXml(where);
    text +=
        "</description>\n      <styleUrl>#blueLine</styleUrl>\n      <LineString>\n"
        "        <altitudeMode>relative</altitudeMode>\n        <coordinates>\n";
    return text;
}

std::string KmlCoordinateText(double longitude, double latitude, std::int32_t altitude) {
    return FormatFixed6(longitude) + "," + FormatFixed6(latitude) + "," + std::to_string(altitude) +
           "\n";
}

std::string_view KmlFooterText() {
    return kFooter;
}

std::string KmlDocument(const RecordingEntry& entry, const std::vector<GpsSample>& samples) {
    std::string text = KmlHeaderText(entry.fileName, entry.subFolder, entry.telemetry.startTime);
    ForEachKmlFix(samples, [&](const GpsSample& s, double lat, double lon) {
        text += KmlCoordinateText(lon, lat, s.altitude);
    });
    text += kFooter;
    return text;
}

bool KmlWriter::WriteHeader(std::string_view fileName, std::string_view subFolder,
                            std::int64_t startTime) {
    return Put(KmlHeaderText(fileName, subFolder, startTime));
}

bool KmlWriter::WriteCoordinate(double longitude, double latitude, std::int32_t altitude) {
    if (!out_.is_open()) {
        return false;
    }
    return Put(KmlCoordinateText(longitude, latitude, altitude));
}

bool KmlWriter::WriteFooter() {
    if (!out_.is_open()) {
        return false;
    }
    Put(kFooter);
    out_.flush();
    out_.close();
    if (failed_ || out_.fail()) {
        Abandon();
        return false;
    }
    // On the disk before it takes the target's name, so a power loss leaves the
    // old file or the new one, never an empty one.
    const bool replaced = ReplaceDurably(ToFsPath(temp_), ToFsPath(target_));
    temp_.clear();
    return replaced;
}

KmlFolder GetKmlFolder(std::string_view documentsFolder) {
    KmlFolder folder;
    folder.path = std::string(documentsFolder);
    if (!EndsWithSeparator(folder.path)) {
        folder.path.push_back(kPathSeparator);
    }
    folder.path += std::string("LUM") + kPathSeparator + "KML" + kPathSeparator;
    CreateFolderPath(folder.path);
    std::error_code ec;
    folder.ready = std::filesystem::is_directory(ToFsPath(folder.path), ec);
    return folder;
}

std::string KmlFileName(const RecordingEntry& entry) {
    const std::string_view name = entry.fileName;
    const std::size_t chars = Utf8Length(name);
    std::string base;
    if (chars > 4) {
        base = std::string(name.substr(0, name.size() - Utf8Tail(name, 4).size()));
    }
    return base + FormatLocal(entry.telemetry.startTime, "_%04d_%02d_%02d_%02d-%02d-%02d") + ".KML";
}

std::optional<std::string> ExportKml(const RecordingCatalogue& catalogue, std::string_view folder) {
    const int index = catalogue.CurrentIndex();
    if (index < 0) {
        return std::nullopt;  // nothing is loaded for playback
    }
    const RecordingEntry& entry = catalogue.Entries()[index];
    const std::string path = std::string(folder) + KmlFileName(entry);
    KmlWriter writer;
    if (!writer.OpenFile(path) ||
        !writer.WriteHeader(entry.fileName, entry.subFolder, entry.telemetry.startTime)) {
        return std::nullopt;
    }
    bool written = true;
    ForEachKmlFix(catalogue.GpsSamples(), [&](const GpsSample& s, double lat, double lon) {
        written = written && writer.WriteCoordinate(lon, lat, s.altitude);
    });
    if (!written || !writer.WriteFooter()) {
        return std::nullopt;
    }
    return path;
}

}  // namespace lum
