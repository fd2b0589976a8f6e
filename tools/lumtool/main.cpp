// lumtool: the catalogue and the telemetry of a card, folder or recording,
// without opening a window.
//   lumtool scan PATH [--json]
//   lumtool telemetry FILE [--format json|csv|gpx|kml|geojson]
//   lumtool export PATH --format gpx|kml|csv|geojson --out DIR
//   lumtool events PATH [--json]
//   lumtool evidence FILE --out DIR
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/EvidenceExport.h"
#include "catalogue/KmlExport.h"
#include "catalogue/RecordingCatalogue.h"
#include "catalogue/TrackExport.h"
#include "catalogue/TrackFormats.h"
#include "files/SafeFiles.h"
#include "recordings/Paths.h"
#include "settings/CLumSettings.h"
#include "settings/StringTables.h"
#include "tools/lumtool/ScanJson.h"

#ifdef _WIN32
#include <io.h>
#define LUM_ISATTY _isatty
#define LUM_FILENO _fileno
#else
#include <unistd.h>
#define LUM_ISATTY isatty
#define LUM_FILENO fileno
#endif

namespace fs = std::filesystem;
using nlohmann::json;

namespace lum {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char* kUsage =
    "usage: lumtool scan PATH [--json]\n"
    "       lumtool telemetry FILE [--format json|csv|gpx|kml|geojson]\n"
    "       lumtool export PATH --format gpx|kml|csv|geojson --out DIR\n"
    "       lumtool events PATH [--json]\n"
    "       lumtool evidence FILE --out DIR\n";

int Usage(const std::string& why = {}) {
    if (!why.empty()) {
        std::cerr << "lumtool: " << why << "\n";
    }
    std::cerr << kUsage;
    return kExitUsage;
}

std::string English(int id) {
    return std::string(FindUiString(kLangIdEnglish, id));
}

// Standard output, checked after every write: a full disk or a closed pipe ends
// the command with a message instead of a silently cut document.
bool OutputFailed() {
    std::cout.flush();
    return !std::cout || std::ferror(stdout) != 0;
}

bool Emit(std::string_view text) {
    std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
    return !OutputFailed();
}

// The exit code once standard output is flushed and closed; 1 with a message when
// anything written could not be.
int CloseOutput(int code) {
    errno = 0;
    const bool failed = OutputFailed() | (std::fflush(stdout) != 0) | (std::fclose(stdout) != 0);
    if (failed) {
        std::cerr << "lumtool: cannot write the output"
                  << (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string())
                  << "\n";
        return code == kExitOk ? kExitFailure : code;
    }
    return code;
}

// A path as given, or, when nothing has that name, the bytes it percent-encodes
// (the form the JSON output gives for a name that is not UTF-8).
std::string InputPath(const std::string& given) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(ToFsPath(given), ec)) ||
        given.find('%') == std::string::npos) {
        return given;
    }
    const std::optional<std::string> decoded = PercentDecode(given);
    return decoded && fs::exists(fs::symlink_status(ToFsPath(*decoded), ec)) ? *decoded : given;
}

// Loads PATH the way the open dialog does: a folder tree, or one file of its folder.
// Driving events are found with the thresholds of the "Lum.ini" in the current
// folder, as the viewer started there finds them.
// Prints the missing-folder message and returns false when PATH does not exist.
// An unreadable folder is reported, never taken for an empty card.
bool LoadPath(RecordingCatalogue& catalogue, const std::string& path, bool& single) {
    std::error_code ec;
    const fs::path p = ToFsPath(path);
    catalogue.SetThresholds(CLumSettings::Instance().ReadEventThresholds());
    single = fs::exists(p, ec) && !fs::is_directory(p, ec);
    LoadStatus status;
    if (single) {
        status = catalogue.LoadWithStatus(
            FromFsPath(p.parent_path().empty() ? fs::path(".") : p.parent_path()),
            FromFsPath(p.filename()));
    } else {
        status = catalogue.LoadWithStatus(path, "");
    }
    if (status == LoadStatus::Missing) {
        std::cerr << English(132) << "\n";
    } else if (status != LoadStatus::Loaded) {
        std::cerr << path << ": cannot be read\n";
    }
    return status == LoadStatus::Loaded;
}

std::string TelemetryKind(const TelemetryIndex& t) {
    if (t.blockCount > 0) {
        return "blocks";
    }
    if (t.gpsIndexCount > 0) {
        return "index";
    }
    if (t.hasSideText != 0) {
        return "side-text";
    }
    if (t.gpsDataSize > 0 || t.gsensorDataSize > 0) {
        return "payload";
    }
    return "-";
}

// "h:mm:ss" of a number of milliseconds.
std::string Clock(std::uint64_t ms) {
    const std::uint64_t seconds = ms / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02llu:%02llu",
                  static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned long long>(seconds / 60 % 60),
                  static_cast<unsigned long long>(seconds % 60));
    return text;
}

// The trip figures as the table shows them: km, driving time, max and average km/h, max g.
std::string FiguresText(const RecordingFigures& f) {
    char text[96];
    std::snprintf(text, sizeof text, "%8.2f  %8s  %5.0f  %5.0f  %5.2f  %6zu",
                  f.trip.distanceMetres / 1000.0, Clock(f.trip.drivingMs).c_str(),
                  f.trip.maxSpeedKmh, f.trip.averageSpeedKmh, f.trip.maxAccelerationG, f.events);
    return text;
}

void PrintTable(const RecordingCatalogue& c, const std::vector<RecordingFigures>& figures) {
    std::printf("%5s  %-9s  %-19s  %8s  %10s  %-9s  %5s  %-9s  %8s  %8s  %5s  %5s  %5s  %6s  %s\n",
                "INDEX", "KIND", "START (LOCAL)", "LENGTH", "SIZE", "FRAME", "GROUP", "TELEMETRY",
                "KM", "DRIVING", "MAX", "AVG", "MAX G", "EVENTS", "PATH");
    for (std::size_t i = 0; i < c.Entries().size(); ++i) {
        const RecordingEntry& e = c.Entries()[i];
        const TelemetryIndex& t = e.telemetry;
        const std::string start = t.startTime == 0 ? "-" : LocalTimeText(t.startTime);
        const std::string frame = std::to_string(t.width) + "x" + std::to_string(t.height);
        std::printf("%5zu  %-9s  %-19s  %7.1fs  %10llu  %-9s  %5d  %-9s  %s  %s\n", i,
                    std::string(KindEnglishName(KindOf(e))).c_str(), start.c_str(),
                    t.durationMs / 1000.0, static_cast<unsigned long long>(t.fileSize),
                    frame.c_str(), c.Rows()[i].groupNumber, TelemetryKind(t).c_str(),
                    FiguresText(figures[i]).c_str(), FullPath(e).c_str());
    }
    for (const GroupRecord& g : c.Groups()) {
        RecordingFigures group;
        for (std::int32_t k = 0; k < g.entryCount; ++k) {
            const RecordingFigures& f = figures[static_cast<std::size_t>(g.firstEntry + k)];
            group.trip = CombineTrips(group.trip, f.trip);
            group.events += f.events;
        }
        std::printf(
            "group %d: %d recordings, %.2f km, driving %s, max %.0f km/h, average %.0f "
            "km/h, max %.2f g, %zu events\n",
            g.groupNumber, g.entryCount, group.trip.distanceMetres / 1000.0,
            Clock(group.trip.drivingMs).c_str(), group.trip.maxSpeedKmh, group.trip.averageSpeedKmh,
            group.trip.maxAccelerationG, group.events);
    }
    std::printf("%zu recordings in %zu groups\n", c.Entries().size(), c.Groups().size());
}

// The figures of every recording, each read once; a recording that cannot be
// opened has none. Each recording is read and analysed on its own, so the work
// is shared among the processor's cores: thread k takes recordings k, k + n, ...
std::vector<RecordingFigures> AllFigures(const RecordingCatalogue& c) {
    std::vector<RecordingFigures> figures(c.Entries().size());
    const auto work = [&](std::size_t first, std::size_t step) {
        for (std::size_t i = first; i < c.Entries().size(); i += step) {
            if (std::optional<DriveAnalysis> a =
                    ReadDriveAnalysis(c.Entries()[i], c.Thresholds())) {
                figures[i] = {a->trip, a->events.size()};
            }
        }
    };
    const std::size_t threads = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    {
        std::vector<std::jthread> helpers;  // joined at the end of this block
        for (std::size_t k = 1; k < threads && k < c.Entries().size(); ++k) {
            helpers.emplace_back(work, k, threads);
        }
        work(0, threads);
    }
    return figures;
}

// ---- Track formats ----

// A JSON number; a value that is not finite has none and is written as null
// (its record says it is not plottable).
void AppendNumber(std::string& out, double v) {
    if (!std::isfinite(v)) {
        out += "null";
        return;
    }
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ec == std::errc{} ? r.ptr : buf);
}

template <class Int>
void AppendField(std::string& out, std::string_view name, Int v) {
    out += ", \"";
    out += name;
    out += "\": ";
    out += std::to_string(v);
}

// The telemetry document, written piece by piece: memory stays flat however many
// samples there are, and a failed write stops it at once.
bool WriteTelemetryDocument(const RecordingCatalogue& c) {
    constexpr std::size_t kChunk = 1 << 16;
    std::string out = "{\n  \"recordsPerSecond\": ";
    AppendNumber(out, c.RecordsPerSecond());
    out += ",\n  \"gsensorFullScale\": ";
    AppendNumber(out, c.GSensorFullScale());
    out += ",\n  \"gps\": [";
    const auto flush = [&](bool always) {
        if (!always && out.size() < kChunk) {
            return true;
        }
        const bool written = Emit(out);
        out.clear();
        return written;
    };
    const char* separator = "\n    ";
    for (const GpsSample& s : c.GpsSamples()) {
        out += separator;
        separator = ",\n    ";
        out += "{\"latitude\": ";
        AppendNumber(out, s.latitude);
        out += ", \"longitude\": ";
        AppendNumber(out, s.longitude);
        AppendField(out, "altitude", s.altitude);
        AppendField(out, "speedKmh", s.speedKmh);
        AppendField(out, "year", s.year);
        AppendField(out, "month", s.month);
        AppendField(out, "day", s.day);
        AppendField(out, "hour", s.hour);
        AppendField(out, "minute", s.minute);
        AppendField(out, "second", s.second);
        AppendField(out, "headingHalfDegrees", s.headingHalfDegrees);
        AppendField(out, "fixFlags", s.fixFlags);
        AppendField(out, "reserved2", s.reserved2);
        AppendField(out, "reserved3", s.reserved3);
        out += IsPlottable(s) ? ", \"plottable\": true}" : ", \"plottable\": false}";
        if (!flush(false)) {
            return false;
        }
    }
    out += "\n  ],\n  \"gsensor\": [";
    separator = "\n    ";
    for (const GSensorSample& a : c.GSensorSamples()) {
        out += separator;
        separator = ",\n    ";
        out += "[" + std::to_string(a.x) + ", " + std::to_string(a.y) + ", " + std::to_string(a.z) +
               "]";
        if (!flush(false)) {
            return false;
        }
    }
    out += "\n  ],\n  \"track\": [";
    separator = "\n    ";
    for (const TrackPoint& p : TrackPoints(c.GpsSamples())) {
        out += separator;
        separator = ",\n    ";
        out += "[";
        AppendNumber(out, p.latitude);
        out += ", ";
        AppendNumber(out, p.longitude);
        out += "]";
        if (!flush(false)) {
            return false;
        }
    }
    out += "\n  ]\n}\n";
    return flush(true);
}

std::optional<std::string> TrackText(const std::string& format, const RecordingCatalogue& c) {
    const RecordingEntry& e = c.Entries()[static_cast<std::size_t>(c.CurrentIndex())];
    if (format == "gpx")
        return GpxDocument(e, c.GpsSamples());
    if (format == "csv")
        return CsvDocument(c.GpsSamples());
    if (format == "kml")
        return KmlDocument(e, c.GpsSamples());
    if (format == "geojson")
        return GeoJsonDocument(e, c.GpsSamples());
    return std::nullopt;
}

// ---- Commands ----

// The arguments "[--json] PATH" of scan and events: loads PATH into catalogue. The exit code to
// end with when the arguments are wrong or PATH holds nothing LUM can read, else nothing.
std::optional<int> LoadJsonOrTable(const std::vector<std::string>& args, std::string_view command,
                                   RecordingCatalogue& catalogue, bool& asJson) {
    std::string path;
    for (const std::string& a : args) {
        if (a == "--json") {
            asJson = true;
        } else if (path.empty() && !a.starts_with("--")) {
            path = a;
        } else {
            return Usage("unexpected argument " + a);
        }
    }
    if (path.empty()) {
        return Usage(std::string(command) + " needs a PATH");
    }
    path = InputPath(path);
    bool single = false;
    if (!LoadPath(catalogue, path, single)) {
        return kExitFailure;
    }
    if (single && catalogue.Entries().empty()) {
        std::cerr << path << ": not a recording that LUM can read\n";
        return kExitFailure;
    }
    return std::nullopt;
}

// The FILE of telemetry and evidence: loads that one recording and its telemetry into
// catalogue. The exit code to end with when it is a folder or cannot be read, else nothing.
std::optional<int> LoadOneRecording(const std::string& file, std::string_view command,
                                    RecordingCatalogue& catalogue) {
    const std::string path = InputPath(file);
    std::error_code ec;
    if (fs::is_directory(ToFsPath(path), ec)) {
        return Usage(std::string(command) + " needs a FILE, not a folder");
    }
    bool single = false;
    if (!LoadPath(catalogue, path, single)) {
        return kExitFailure;
    }
    if (catalogue.Entries().empty()) {
        std::cerr << path << ": not a recording that LUM can read\n";
        return kExitFailure;
    }
    if (!catalogue.LoadCurrentTelemetry(0)) {
        std::cerr << path << ": cannot be opened\n";
        return kExitFailure;
    }
    return std::nullopt;
}

int Scan(const std::vector<std::string>& args) {
    RecordingCatalogue catalogue;
    bool asJson = false;
    if (const std::optional<int> failed = LoadJsonOrTable(args, "scan", catalogue, asJson)) {
        return *failed;
    }
    const std::vector<RecordingFigures> figures = AllFigures(catalogue);
    if (asJson) {
        WriteCatalogueJson(std::cout, catalogue, figures);
    } else {
        PrintTable(catalogue, figures);
    }
    return kExitOk;
}

// The peak as the table shows it: "0.62 g", "112 km/h", or "-" for a recording's kind.
std::string PeakText(const DrivingEvent& e) {
    const std::string_view unit = EventPeakUnit(e.kind);
    if (unit.empty()) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == "g" ? "%.2f %s" : "%.0f %s", e.peak,
                  std::string(unit).c_str());
    return text;
}

int Events(const std::vector<std::string>& args) {
    RecordingCatalogue catalogue;
    bool asJson = false;
    if (const std::optional<int> failed = LoadJsonOrTable(args, "events", catalogue, asJson)) {
        return *failed;
    }
    int failures = 0;
    const auto eventsOf = [&](std::size_t i) {
        if (!catalogue.LoadCurrentTelemetry(static_cast<int>(i))) {
            std::cerr << FullPath(catalogue.Entries()[i]) << ": cannot be opened\n";
            ++failures;
            return std::vector<DrivingEvent>{};
        }
        return catalogue.CurrentEvents();
    };
    if (asJson) {
        WriteEventsJson(std::cout, catalogue, eventsOf);
    } else {
        std::printf("%5s  %-24s  %-19s  %8s  %-19s  %9s  %s\n", "INDEX", "RECORDING",
                    "TIME (LOCAL)", "AT", "EVENT", "PEAK", "POSITION");
        std::size_t count = 0;
        for (std::size_t i = 0; i < catalogue.Entries().size(); ++i) {
            const RecordingEntry& e = catalogue.Entries()[i];
            for (const DrivingEvent& ev : eventsOf(i)) {
                const std::string when =
                    e.telemetry.startTime == 0
                        ? "-"
                        : LocalTimeText(e.telemetry.startTime + ev.startMs / 1000);
                char at[32], position[64] = "-";
                std::snprintf(at, sizeof at, "%7.1fs", ev.startMs / 1000.0);
                if (ev.hasPosition) {
                    std::snprintf(position, sizeof position, "%.6f,%.6f", ev.latitude,
                                  ev.longitude);
                }
                std::printf("%5zu  %-24s  %-19s  %8s  %-19s  %9s  %s\n", i, e.fileName.c_str(),
                            when.c_str(), at, std::string(EventKindEnglishName(ev.kind)).c_str(),
                            PeakText(ev).c_str(), position);
                ++count;
            }
        }
        std::printf("%zu events in %zu recordings\n", count, catalogue.Entries().size());
    }
    return failures == 0 ? kExitOk : kExitFailure;
}

bool ParseFormat(const std::vector<std::string>& args, std::size_t& i, std::string& format) {
    if (i + 1 >= args.size()) {
        return false;
    }
    format = args[++i];
    return true;
}

int Telemetry(const std::vector<std::string>& args) {
    std::string path, format = "json";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--format") {
            if (!ParseFormat(args, i, format)) {
                return Usage("--format needs a value");
            }
        } else if (path.empty() && !args[i].starts_with("--")) {
            path = args[i];
        } else {
            return Usage("unexpected argument " + args[i]);
        }
    }
    static const std::set<std::string> formats = {"json", "csv", "gpx", "kml", "geojson"};
    if (path.empty() || !formats.contains(format)) {
        return Usage(path.empty() ? "telemetry needs a FILE" : "unknown format " + format);
    }
    RecordingCatalogue catalogue;
    if (const std::optional<int> failed = LoadOneRecording(path, "telemetry", catalogue)) {
        return *failed;
    }
    if (format == "json") {
        WriteTelemetryDocument(catalogue);
    } else {
        Emit(*TrackText(format, catalogue));
    }
    return kExitOk;
}

void Progress(std::size_t done, std::size_t total) {
    if (!LUM_ISATTY(LUM_FILENO(stderr))) {
        return;
    }
    constexpr int kWidth = 30;
    const int filled = total == 0 ? kWidth : static_cast<int>(done * kWidth / total);
    std::fprintf(stderr, "\r[%s%s] %zu/%zu",
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kWidth - filled), ' ').c_str(), done, total);
    if (done == total) {
        std::fprintf(stderr, "\n");
    }
}

int Export(const std::vector<std::string>& args) {
    std::string path, format, outDir;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--format") {
            if (!ParseFormat(args, i, format)) {
                return Usage("--format needs a value");
            }
        } else if (args[i] == "--out") {
            if (i + 1 >= args.size()) {
                return Usage("--out needs a folder");
            }
            outDir = args[++i];
        } else if (path.empty() && !args[i].starts_with("--")) {
            path = args[i];
        } else {
            return Usage("unexpected argument " + args[i]);
        }
    }
    static const std::map<std::string, std::string> extension = {
        {"gpx", ".gpx"}, {"kml", ".KML"}, {"csv", ".csv"}, {"geojson", ".geojson"}};
    if (path.empty() || outDir.empty() || !extension.contains(format)) {
        return Usage("export needs PATH, --format gpx|kml|csv|geojson and --out DIR");
    }
    path = InputPath(path);
    RecordingCatalogue catalogue;
    bool single = false;
    if (!LoadPath(catalogue, path, single)) {
        return kExitFailure;
    }
    std::error_code ec;
    fs::create_directories(ToFsPath(outDir), ec);
    if (!fs::is_directory(ToFsPath(outDir), ec)) {
        std::cerr << outDir << ": cannot create the folder\n";
        return kExitFailure;
    }
    RemoveStaleTemporaries(ToFsPath(outDir));
    std::set<std::string> used;
    int failures = 0;
    const std::size_t total = catalogue.Entries().size();
    for (std::size_t i = 0; i < total; ++i) {
        const RecordingEntry& e = catalogue.Entries()[i];
        if (!catalogue.LoadCurrentTelemetry(static_cast<int>(i))) {
            std::cerr << "\n" << FullPath(e) << ": cannot be opened\n";
            ++failures;
            continue;
        }
        // One file per recording, named as the viewer's export names it.
        const std::string name = TrackFileName(*TrackFormatNamed(format), e, used);
        if (!WriteFileDurably(ToFsPath(outDir) / ToFsPath(name), *TrackText(format, catalogue))) {
            std::cerr << "\n" << name << ": cannot be written\n";
            ++failures;
        }
        Progress(i + 1, total);
    }
    std::cout << (total - static_cast<std::size_t>(failures)) << " of " << total
              << " recordings exported to " << outDir << "\n";
    return failures == 0 ? kExitOk : kExitFailure;
}

int Evidence(const std::vector<std::string>& args) {
    std::string path, outDir;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--out") {
            if (i + 1 >= args.size()) {
                return Usage("--out needs a folder");
            }
            outDir = args[++i];
        } else if (path.empty() && !args[i].starts_with("--")) {
            path = args[i];
        } else {
            return Usage("unexpected argument " + args[i]);
        }
    }
    if (path.empty() || outDir.empty()) {
        return Usage("evidence needs a FILE and --out DIR");
    }
    RecordingCatalogue catalogue;
    if (const std::optional<int> failed = LoadOneRecording(path, "evidence", catalogue)) {
        return *failed;
    }
    const EvidenceRequest request{catalogue.Entries()[0],
                                  catalogue.GpsSamples(),
                                  catalogue.CurrentEvents(),
                                  catalogue.CurrentTrip(),
                                  LUM_VERSION,
                                  {}};
    const EvidenceResult result = ExportEvidence(request, ToFsPath(outDir));
    if (!result.ok()) {
        std::cerr << "lumtool: " << FromFsPath(result.folder) << ": "
                  << EvidenceErrorText(result.error)
                  << "; the evidence folder was not written and nothing of it is left\n";
        return kExitFailure;
    }
    std::cout << FromFsPath(result.folder) << "\n";
    return kExitOk;
}

}  // namespace
}  // namespace lum

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        return lum::Usage();
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "scan") {
        return lum::CloseOutput(lum::Scan(args));
    }
    if (command == "telemetry") {
        return lum::CloseOutput(lum::Telemetry(args));
    }
    if (command == "export") {
        return lum::CloseOutput(lum::Export(args));
    }
    if (command == "events") {
        return lum::CloseOutput(lum::Events(args));
    }
    if (command == "evidence") {
        return lum::CloseOutput(lum::Evidence(args));
    }
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << lum::kUsage;
        return lum::CloseOutput(lum::kExitOk);
    }
    return lum::Usage("unknown command " + command);
}
