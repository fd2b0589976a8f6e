#include "Manifest.h"

#include <nlohmann/json.hpp>

namespace lum::card {

namespace {

using nlohmann::json;

const char* ContainerName(Container c) {
    switch (c) {
        case Container::Mp4:
            return "mp4";
        case Container::Mov:
            return "mov";
        case Container::Avi:
            return "avi";
        case Container::ThreeGp:
            return "3gp";
    }
    return "";
}

const char* LayoutName(Layout l) {
    switch (l) {
        case Layout::None:
            return "none";
        case Layout::Payload:
            return "payload";
        case Layout::Blocks:
            return "blocks";
        case Layout::IndexBlocks:
            return "index";
        case Layout::AviChunks:
            return "avi-chunks";
        case Layout::SideText:
            return "side-text";
    }
    return "";
}

json StartJson(const CivilTime& t) {
    return {{"text", ClockText(t)}, {"year", t.year},     {"month", t.month},  {"day", t.day},
            {"hour", t.hour},       {"minute", t.minute}, {"second", t.second}};
}

}  // namespace

std::string ManifestJson(const CardOptions& o, const std::vector<PlannedFile>& files,
                         const std::string& fontFile) {
    json recordings = json::array();
    for (const PlannedFile& f : files) {
        json gps = json::array(), accel = json::array();
        // Each record as [latitude, longitude, altitude, speed, year, month, day,
        // hour, minute, second, heading/2, fix] in the readers' terms.
        for (const ReadGps& g : ExpectedGps(f)) {
            gps.push_back({g.latitude, g.longitude, g.altitude, g.speedKmh, g.year, g.month, g.day,
                           g.hour, g.minute, g.second, g.headingHalfDegrees, g.fixFlags});
        }
        for (const ReadAccel& a : ExpectedAccel(f)) {
            accel.push_back({a.x, a.y, a.z});
        }
        json r = {{"path", f.RelativePath()},
                  {"folder", f.folder},
                  {"fileName", f.name},
                  {"container", ContainerName(f.container)},
                  {"telemetry", LayoutName(f.layout)},
                  {"exercises", f.exercises},
                  {"listed", f.listed},
                  {"damage", f.damage == Damage::NoFtyp     ? "no-ftyp"
                             : f.damage == Damage::CutShort ? "cut-short"
                                                            : "none"},
                  {"readOnly", f.readOnly},
                  {"start", StartJson(f.start)},
                  {"seconds", f.seconds},
                  {"events", f.events}};
        if (f.listed) {
            r["kind"] = f.kind;
            r["flags"] = f.flags;
            r["group"] = f.group;
        }
        if (f.copyOf >= 0) {
            r["copyOf"] = files[static_cast<std::size_t>(f.copyOf)].RelativePath();
        }
        if (f.layout == Layout::SideText) {
            std::string side = f.RelativePath();
            side.replace(side.size() - 4, 4, ".TXT");
            r["sideText"] = side;
        }
        if (f.layout != Layout::None) {
            r["expected"] = {{"recordsPerSecond", ReadRecordsPerSecond(f)},
                             {"gsensorFullScale", ReadFullScale(f)},
                             {"gps", gps},
                             {"gsensor", accel}};
        }
        recordings.push_back(r);
    }
    json doc = {{"seed", o.seed},
                {"minutes", o.minutes},
                {"secondsPerRecording", o.secondsPerRecording},
                {"width", o.width},
                {"height", o.height},
                {"fps", o.fps},
                {"font", fontFile.empty() ? json() : json(fontFile)},
                {"recordings", recordings}};
    return doc.dump(1) + "\n";
}

}  // namespace lum::card
