#include "catalogue/EvidenceExport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>
#include <fstream>
#include <system_error>

#include "catalogue/RecordingCatalogue.h"
#include "catalogue/Sha256.h"
#include "catalogue/TrackFormats.h"
#include "files/SafeFiles.h"
#include "recordings/AviParser.h"
#include "recordings/Paths.h"
#include "recordings/TelemetrySources.h"

namespace lum {

namespace fs = std::filesystem;

namespace {

// A number with a fixed count of decimals and a point whatever the locale says.
std::string Fixed(double v, int decimals) {
    if (!std::isfinite(v)) {
        return "0";
    }
    char text[64];
    const auto r = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, decimals);
    return std::string(text, r.ec == std::errc{} ? r.ptr : text);
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    for (const char c : text) {
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
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// "m:ss.s" from the recording's start.
std::string Offset(std::uint32_t ms) {
    const std::uint32_t tenths = ms / 100;
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u.%u", tenths / 600, tenths / 10 % 60, tenths % 10);
    return text;
}

std::string EventClock(const RecordingEntry& e, std::uint32_t ms) {
    return e.telemetry.startTime == 0 ? std::string("-")
                                      : LocalTimeText(e.telemetry.startTime + ms / 1000);
}

std::string PeakText(const DrivingEvent& e) {
    const std::string_view unit = EventPeakUnit(e.kind);
    if (unit.empty()) {
        return "-";
    }
    return Fixed(e.peak, unit == "g" ? 2 : 0) + " " + std::string(unit);
}

struct ListedFile {
    std::string name;
    std::uint64_t size = 0;
    std::string sha256;
};

// Copies source to target byte for byte, hashing what it reads, then reads the
// copy back from the disk: the two digests must agree.
EvidenceError CopyExact(const fs::path& source, const fs::path& target, ListedFile& listed) {
    std::ifstream in(source, std::ios::binary);
    if (!in) {
        return EvidenceError::CannotReadSource;
    }
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!out) {
        return EvidenceError::CannotWrite;
    }
    Sha256 hash;
    std::vector<char> chunk(1 << 16);
    std::uint64_t size = 0;
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        hash.Update(chunk.data(), got);
        out.write(chunk.data(), static_cast<std::streamsize>(got));
        size += got;
    }
    if (in.bad() || !in.eof()) {
        return EvidenceError::CannotReadSource;
    }
    out.close();
    if (!out || !SyncFile(target)) {
        return EvidenceError::CannotWrite;
    }
    listed.name = FromFsPath(target.filename());
    listed.size = size;
    listed.sha256 = hash.HexFinal();
    const std::optional<std::string> copy = Sha256OfFile(target);
    return copy && *copy == listed.sha256 ? EvidenceError::None : EvidenceError::CopyDiffers;
}

EvidenceError WriteText(const fs::path& target, const std::string& text,
                        std::vector<ListedFile>& files) {
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out || !SyncFile(target)) {
        return EvidenceError::CannotWrite;
    }
    files.push_back({FromFsPath(target.filename()), text.size(), Sha256Hex(text)});
    return EvidenceError::None;
}

bool Inside(const fs::path& path, const fs::path& folder) {
    std::error_code ec;
    const fs::path p = fs::weakly_canonical(path, ec);
    const fs::path f = fs::weakly_canonical(folder, ec);
    if (ec || f.empty()) {
        return false;
    }
    const fs::path relative = p.lexically_relative(f);
    return !relative.empty() && *relative.begin() != "..";
}

std::string Stem(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

// Removes the working folder unless the export got through.
class WorkingFolder {
  public:
    explicit WorkingFolder(fs::path path) : path_(std::move(path)) {}
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;
    ~WorkingFolder() {
        if (!kept_) {
            std::error_code ec;
            fs::remove_all(path_, ec);
        }
    }
    const fs::path& path() const { return path_; }
    void Keep() { kept_ = true; }

  private:
    fs::path path_;
    bool kept_ = false;
};

// ---- The report's picture of the track ----

constexpr double kSvgWidth = 640, kSvgHeight = 400, kSvgMargin = 24;
constexpr double kMetresPerDegree = 111194.93;

struct Projection {
    double minLon = 0, maxLat = 0, cosLat = 1, scale = 1, offsetX = 0, offsetY = 0;
    double X(double lon) const {
        return offsetX + (lon - minLon) * cosLat * kMetresPerDegree * scale;
    }
    double Y(double lat) const { return offsetY + (maxLat - lat) * kMetresPerDegree * scale; }
};

Projection Fit(const std::vector<TrackPoint>& points) {
    Projection p;
    if (points.empty()) {
        return p;
    }
    double minLat = points[0].latitude, maxLat = minLat;
    double minLon = points[0].longitude, maxLon = minLon;
    for (const TrackPoint& t : points) {
        minLat = std::min(minLat, t.latitude);
        maxLat = std::max(maxLat, t.latitude);
        minLon = std::min(minLon, t.longitude);
        maxLon = std::max(maxLon, t.longitude);
    }
    p.minLon = minLon;
    p.maxLat = maxLat;
    p.cosLat = std::cos((minLat + maxLat) / 2 * 3.14159265358979323846 / 180);
    const double width = (maxLon - minLon) * p.cosLat * kMetresPerDegree;
    const double height = (maxLat - minLat) * kMetresPerDegree;
    const double room = std::min((kSvgWidth - 2 * kSvgMargin) / std::max(width, 1.0),
                                 (kSvgHeight - 2 * kSvgMargin) / std::max(height, 1.0));
    // A standing car still gets a picture a few hundred metres across.
    p.scale = std::min(room, 1.0);
    p.offsetX = (kSvgWidth - width * p.scale) / 2;
    p.offsetY = (kSvgHeight - height * p.scale) / 2;
    return p;
}

// A round length (1, 2 or 5 times a power of ten metres) near a quarter of the width.
double ScaleBarMetres(double pixelsPerMetre) {
    const double wanted = kSvgWidth / 4 / pixelsPerMetre;
    const double power = std::pow(10.0, std::floor(std::log10(wanted)));
    for (const double step : {5.0, 2.0, 1.0}) {
        if (step * power <= wanted) {
            return step * power;
        }
    }
    return power;
}

std::string TrackSvg(const EvidenceRequest& r) {
    const std::vector<TrackPoint> points = TrackPoints(r.gps);
    const Projection p = Fit(points);
    std::string svg = "<svg id=\"track\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      Fixed(kSvgWidth, 0) + "\" height=\"" + Fixed(kSvgHeight, 0) +
                      "\" viewBox=\"0 0 " + Fixed(kSvgWidth, 0) + " " + Fixed(kSvgHeight, 0) +
                      "\">\n<rect width=\"100%\" height=\"100%\" fill=\"#f4f4f0\"/>\n";
    if (points.empty()) {
        svg +=
            "<text x=\"50%\" y=\"50%\" text-anchor=\"middle\">No position was recorded.</text>\n";
        return svg + "</svg>\n";
    }
    svg +=
        "<polyline class=\"track\" fill=\"none\" stroke=\"#3050c0\" stroke-width=\"3\" "
        "stroke-linejoin=\"round\" points=\"";
    for (std::size_t i = 0; i < points.size(); ++i) {
        svg += (i == 0 ? "" : " ") + Fixed(p.X(points[i].longitude), 1) + "," +
               Fixed(p.Y(points[i].latitude), 1);
    }
    svg += "\"/>\n";
    svg += "<circle class=\"start\" cx=\"" + Fixed(p.X(points.front().longitude), 1) + "\" cy=\"" +
           Fixed(p.Y(points.front().latitude), 1) +
           "\" r=\"5\" fill=\"#20a040\"><title>Start</title></circle>\n";
    int number = 0;
    std::vector<std::pair<double, double>> placed;  // label positions taken so far
    for (const DrivingEvent& e : r.events) {
        ++number;
        if (!e.hasPosition) {
            continue;
        }
        const double x = p.X(e.longitude), y = p.Y(e.latitude);
        // Events at the same spot get their numbers one under the other.
        const auto repeats = std::count_if(placed.begin(), placed.end(), [&](const auto& q) {
            return std::hypot(q.first - x, q.second - y) < 8;
        });
        placed.emplace_back(x, y);
        char colour[8];
        std::snprintf(colour, sizeof colour, "#%06X", EventKindColour(e.kind));
        svg += "<g class=\"event\"><circle cx=\"" + Fixed(x, 1) + "\" cy=\"" + Fixed(y, 1) +
               "\" r=\"6\" fill=\"" + colour + "\" stroke=\"#202020\"/><text x=\"" + Fixed(x, 1) +
               "\" y=\"" + Fixed(y, 1) + "\" dx=\"9\" dy=\"" + std::to_string(4 + 14 * repeats) +
               "\" font-size=\"12\">" + std::to_string(number) + "</text><title>" +
               std::to_string(number) + ". " + std::string(EventKindEnglishName(e.kind)) + " at " +
               Offset(e.startMs) + ", " + PeakText(e) + "</title></g>\n";
    }
    const double metres = ScaleBarMetres(p.scale);
    const double length = metres * p.scale;
    const std::string label =
        metres >= 1000 ? Fixed(metres / 1000, 0) + " km" : Fixed(metres, 0) + " m";
    const std::string y = Fixed(kSvgHeight - 12, 0);
    svg += "<g class=\"scale\"><line x1=\"12\" y1=\"" + y + "\" x2=\"" + Fixed(12 + length, 1) +
           "\" y2=\"" + y + "\" stroke=\"black\" stroke-width=\"2\"/><text x=\"12\" y=\"" +
           Fixed(kSvgHeight - 18, 0) + "\" font-size=\"12\">" + label + "</text></g>\n";
    return svg + "</svg>\n";
}

std::string Row(std::string_view name, const std::string& value) {
    return "<tr><th>" + EscapeHtml(name) + "</th><td>" + EscapeHtml(value) + "</td></tr>\n";
}

std::string ManifestJson(const EvidenceRequest& r, const std::vector<ListedFile>& files) {
    std::string out = "{\n  \"program\": \"LUM\",\n  \"version\": " + JsonString(r.programVersion) +
                      ",\n  \"recording\": " + JsonString(r.entry.fileName) +
                      ",\n  \"created\": " + JsonString(UtcTimeText(std::time(nullptr))) +
                      ",\n  \"files\": [";
    for (std::size_t i = 0; i < files.size(); ++i) {
        out += (i == 0 ? "\n    " : ",\n    ");
        out += "{\"name\": " + JsonString(files[i].name) +
               ", \"size\": " + std::to_string(files[i].size) + ", \"sha256\": \"" +
               files[i].sha256 + "\"}";
    }
    return out + "\n  ]\n}\n";
}

}  // namespace

std::string EvidenceErrorText(EvidenceError error) {
    switch (error) {
        case EvidenceError::None:
            return "done";
        case EvidenceError::OnTheCard:
            return "the evidence folder must not be on the card or in the opened folder";
        case EvidenceError::CannotCreateFolder:
            return "cannot create the folder";
        case EvidenceError::CannotReadSource:
            return "cannot read";
        case EvidenceError::CopyDiffers:
            return "the copy does not read back as the original";
        case EvidenceError::CannotWrite:
            return "cannot be written";
        case EvidenceError::CannotFinish:
            return "cannot give the finished folder its name";
    }
    return "failed";
}

std::string EventsJson(const RecordingEntry& entry, const std::vector<DrivingEvent>& events) {
    std::string out = "{\n  \"recording\": " + JsonString(entry.fileName) +
                      ",\n  \"startTime\": " + std::to_string(entry.telemetry.startTime) +
                      ",\n  \"events\": [";
    for (std::size_t i = 0; i < events.size(); ++i) {
        const DrivingEvent& e = events[i];
        out += (i == 0 ? "\n    " : ",\n    ");
        out += "{\"kind\": \"" + std::string(EventKindKey(e.kind)) + "\", \"name\": \"" +
               std::string(EventKindEnglishName(e.kind)) +
               "\", \"startMs\": " + std::to_string(e.startMs) +
               ", \"endMs\": " + std::to_string(e.endMs) +
               ", \"peakMs\": " + std::to_string(e.peakMs) + ", \"peak\": " + Fixed(e.peak, 3) +
               ", \"unit\": \"" + std::string(EventPeakUnit(e.kind)) +
               "\", \"time\": " + JsonString(EventClock(entry, e.startMs));
        if (e.hasPosition) {
            out += ", \"latitude\": " + FormatFixed6(e.latitude) +
                   ", \"longitude\": " + FormatFixed6(e.longitude);
        }
        out += "}";
    }
    return out + "\n  ]\n}\n";
}

std::string EvidenceReportHtml(const EvidenceRequest& r) {
    const RecordingEntry& e = r.entry;
    const TelemetryIndex& t = e.telemetry;
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<title>" +
        EscapeHtml(e.fileName) +
        "</title>\n<style>\n"
        "body{font-family:sans-serif;margin:2em;color:#202020;max-width:60em}\n"
        "table{border-collapse:collapse;margin:0.5em 0 1.5em}\n"
        "th,td{border:1px solid #c0c0c0;padding:0.25em 0.6em;text-align:left;"
        "white-space:nowrap}\n"
        "th{background:#ececec}\nsvg{border:1px solid #c0c0c0}\n"
        "</style>\n</head>\n<body>\n<h1>" +
        EscapeHtml(e.fileName) + "</h1>\n<h2>Recording</h2>\n<table>\n";
    html += Row("Name", e.fileName);
    html += Row("Folder", e.subFolder.empty() ? std::string("-") : e.subFolder);
    html += Row("Size", std::to_string(t.fileSize) + " bytes");
    html += Row("Start (local time)", t.startTime == 0 ? "-" : LocalTimeText(t.startTime));
    html += Row("Length", Offset(t.durationMs));
    html += Row("Kind", std::string(KindEnglishName(KindOf(e))));
    html += "</table>\n<h2>Trip</h2>\n<table>\n";
    html += Row("Distance", Fixed(r.trip.distanceMetres / 1000, 2) + " km");
    html += Row(
        "Driving time",
        Offset(static_cast<std::uint32_t>(std::min<std::uint64_t>(r.trip.drivingMs, 4000000000u))));
    html += Row("Maximum speed", Fixed(r.trip.maxSpeedKmh, 0) + " km/h");
    html += Row("Average speed", Fixed(r.trip.averageSpeedKmh, 0) + " km/h");
    html += Row("Maximum acceleration", Fixed(r.trip.maxAccelerationG, 2) + " g");
    html += "</table>\n<h2>Events</h2>\n";
    if (r.events.empty()) {
        html += "<p>No driving events.</p>\n";
    } else {
        html +=
            "<table id=\"events\">\n<tr><th>#</th><th>Event</th><th>In the recording</th>"
            "<th>Time (local)</th><th>Peak</th><th>Position</th></tr>\n";
        int number = 0;
        for (const DrivingEvent& ev : r.events) {
            html += "<tr><td>" + std::to_string(++number) + "</td><td>" +
                    EscapeHtml(EventKindEnglishName(ev.kind)) + "</td><td>" + Offset(ev.startMs) +
                    "</td><td>" + EscapeHtml(EventClock(e, ev.startMs)) + "</td><td>" +
                    EscapeHtml(PeakText(ev)) + "</td><td>" +
                    (ev.hasPosition ? FormatFixed6(ev.latitude) + ", " + FormatFixed6(ev.longitude)
                                    : std::string("-")) +
                    "</td></tr>\n";
        }
        html += "</table>\n";
    }
    html += "<h2>Track</h2>\n" + TrackSvg(r);
    html +=
        "<p>Written by LUM " + EscapeHtml(r.programVersion) +
        ". manifest.json lists the SHA-256 of every file of this folder.</p>\n</body>\n</html>\n";
    return html;
}

EvidenceResult ExportEvidence(const EvidenceRequest& r, const fs::path& outDir) {
    const fs::path source = ToFsPath(FullPath(r.entry));
    if (!r.entry.rootFolder.empty() && Inside(outDir, ToFsPath(r.entry.rootFolder))) {
        return {EvidenceError::OnTheCard, outDir};
    }
    std::error_code ec;
    fs::create_directories(outDir, ec);
    if (!fs::is_directory(outDir, ec)) {
        return {EvidenceError::CannotCreateFolder, outDir};
    }
    RemoveStaleTemporaries(outDir);
    WorkingFolder work(TemporaryIn(outDir));
    if (!fs::create_directory(work.path(), ec)) {
        return {EvidenceError::CannotCreateFolder, work.path()};
    }

    std::vector<ListedFile> files;
    const auto copy = [&](const fs::path& from) {
        ListedFile listed;
        const EvidenceError error = CopyExact(from, work.path() / from.filename(), listed);
        if (error == EvidenceError::None) {
            files.push_back(listed);
        }
        return error;
    };
    if (const EvidenceError error = copy(source); error != EvidenceError::None) {
        return {error, source};
    }
    const std::string sidePath = SideTextPath(FullPath(r.entry));
    if (!sidePath.empty() && HasSideTextName(FullPath(r.entry)) &&
        fs::is_regular_file(ToFsPath(sidePath), ec)) {
        if (const EvidenceError error = copy(ToFsPath(sidePath)); error != EvidenceError::None) {
            return {error, ToFsPath(sidePath)};
        }
    }
    for (const fs::path& extra : r.extraFiles) {
        if (const EvidenceError error = copy(extra); error != EvidenceError::None) {
            return {error, extra};
        }
    }
    const std::pair<const char*, std::string> documents[] = {
        {"track.gpx", GpxDocument(r.entry, r.gps)},
        {"track.csv", CsvDocument(r.gps)},
        {"events.json", EventsJson(r.entry, r.events)},
        {"report.html", EvidenceReportHtml(r)},
    };
    for (const auto& [name, text] : documents) {
        if (WriteText(work.path() / name, text, files) != EvidenceError::None) {
            return {EvidenceError::CannotWrite, work.path() / name};
        }
    }
    std::vector<ListedFile> unused;
    if (WriteText(work.path() / "manifest.json", ManifestJson(r, files), unused) !=
            EvidenceError::None ||
        !SyncFolder(work.path())) {
        return {EvidenceError::CannotWrite, work.path() / "manifest.json"};
    }

    const std::string stem = Stem(r.entry.fileName);
    fs::path target = outDir / ToFsPath(stem);
    for (int n = 2; fs::exists(fs::symlink_status(target, ec)); ++n) {
        target = outDir / ToFsPath(stem + "-" + std::to_string(n));
    }
    fs::rename(work.path(), target, ec);
    if (ec) {
        return {EvidenceError::CannotFinish, target};
    }
    if (!SyncFolder(outDir)) {
        fs::remove_all(target, ec);
        return {EvidenceError::CannotFinish, target};
    }
    work.Keep();
    return {EvidenceError::None, target};
}

}  // namespace lum
