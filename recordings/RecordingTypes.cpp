#include "RecordingTypes.h"

#include <cmath>
#include <cstring>

#include "Paths.h"

namespace lum {

namespace {
std::uint64_t LoadLe(const std::uint8_t* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | p[i];
    }
    return v;
}

double LoadLeDouble(const std::uint8_t* p) {
    std::uint64_t bits = LoadLe(p, 8);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}
}  // namespace

GpsSample DecodeGpsSample(const std::uint8_t* r) {
    GpsSample s;
    s.latitude = LoadLeDouble(r);
    s.longitude = LoadLeDouble(r + 8);
    s.altitude = static_cast<std::int32_t>(static_cast<std::uint32_t>(LoadLe(r + 16, 4)));
    s.speedKmh = static_cast<std::int16_t>(static_cast<std::uint16_t>(LoadLe(r + 20, 2)));
    s.year = r[22];
    s.month = r[23];
    s.day = r[24];
    s.hour = r[25];
    s.minute = r[26];
    s.second = r[27];
    s.headingHalfDegrees = r[28];
    s.fixFlags = r[29];
    s.reserved2 = r[30];
    s.reserved3 = r[31];
    return s;
}

int KindStringId(RecordingKind kind) {
    switch (kind) {
        case RecordingKind::Emergency:
            return 153;
        case RecordingKind::Manual:
            return 154;
        case RecordingKind::Parking:
            return 159;
        case RecordingKind::Normal:
            return 155;
        case RecordingKind::Event:
            return 160;
    }
    return 155;
}

std::string_view KindEnglishName(RecordingKind kind) {
    switch (kind) {
        case RecordingKind::Emergency:
            return "Emergency";
        case RecordingKind::Manual:
            return "Manual";
        case RecordingKind::Parking:
            return "Parking";
        case RecordingKind::Normal:
            return "Normal";
        case RecordingKind::Event:
            return "Event";
    }
    return "Normal";
}

RecordingKind KindOf(std::string_view name, std::uint8_t flags, std::uint8_t hasSideText) {
    if (name.starts_with("EMER")) {
        return RecordingKind::Emergency;
    }
    if (name.starts_with("MANU")) {
        return RecordingKind::Manual;
    }
    if (name.starts_with("PARK")) {
        return RecordingKind::Parking;
    }
    if (name.starts_with("FILE")) {
        return RecordingKind::Normal;
    }
    if (name.starts_with("SOS")) {
        return RecordingKind::Event;
    }
    // A locked recording without a kind prefix counts as an event.
    return (flags == 0 || hasSideText == 1) ? RecordingKind::Normal : RecordingKind::Event;
}

std::string FullPath(const RecordingEntry& e) {
    std::string path = e.rootFolder;
    for (const std::string* part : {&e.subFolder, &e.fileName}) {
        if (part->empty()) {
            continue;
        }
        std::string_view p = *part;
        // Separators are inserted between parts; doubled ones are folded into one.
        if (!path.empty() && !EndsWithSeparator(path)) {
            path.push_back(kPathSeparator);
        }
        if (!path.empty()) {
            while (!p.empty() && IsPathSeparator(p.front())) {
                p.remove_prefix(1);
            }
        }
        path.append(p);
    }
    return path;
}

bool HasGps(const RecordingEntry& e) {
    return e.telemetry.gpsDataOffset != 0 && e.telemetry.gpsDataSize != 0;
}

double RecordsPerSecond(const RecordingEntry& e) {
    const std::uint32_t r = e.telemetry.gpsAttributes & 0xFF;
    return r == 0 ? 1.0 : static_cast<double>(r);
}

double GSensorFullScale(const RecordingEntry& e) {
    const std::uint32_t g = (e.telemetry.gsensorAttributes >> 8) & 0xFF;
    return g == 0 ? 8.0 : static_cast<double>(g);
}

double NmeaToDegrees(double v) {
    const double d = std::trunc(v);
    return d + (v - d) * 100.0 / 60.0;
}

bool NmeaPairToDegrees(double& latitude, double& longitude) {
    latitude = NmeaToDegrees(latitude);
    longitude = NmeaToDegrees(longitude);
    // A NaN from a damaged record is as unshowable as a value past the bound.
    return std::isfinite(latitude) && std::isfinite(longitude) && latitude < 200.0 &&
           longitude < 200.0;
}

bool IsPlottable(const GpsSample& s) {
    // A coordinate that is not a finite number inside the bound (either side) is
    // no fix: nothing downstream could write or draw it.
    const double lat = s.latitude / 100.0, lon = s.longitude / 100.0;
    return (s.fixFlags & 1) != 0 && lat < 200.0 && lat > -200.0 && lon < 200.0 && lon > -200.0;
}

}  // namespace lum
