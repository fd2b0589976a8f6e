#include "DrivingEvents.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace lum {

namespace {

constexpr double kEarthRadiusMetres = 6371000.0;
// Harsh driving lasts: looking at the readings over this window keeps a single
// jolt (an impact) from counting as braking or cornering.
constexpr double kSmoothingMs = 400.0;
constexpr std::size_t kMaxSmoothingHalfWidth = 8;
constexpr double kRestMs = 3000.0;
// A fix this many times in a row too far from the last good one is where the
// car really is (the first fix was the bad one).
constexpr int kRejectedFixesBeforeRestart = 3;

constexpr std::size_t kLateral = 0;       // x, to the right
constexpr std::size_t kLongitudinal = 1;  // y, forward
constexpr std::size_t kAxes = 3;

using Vec3 = std::array<double, kAxes>;

// Milliseconds of reading i when count readings spread evenly over the duration.
std::uint32_t ReadingMs(std::size_t i, std::size_t count, std::uint32_t durationMs) {
    if (count == 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(static_cast<double>(i) * durationMs /
                                      static_cast<double>(count));
}

std::uint32_t GpsMs(std::size_t i, double recordsPerSecond) {
    const double rate = recordsPerSecond > 0 ? recordsPerSecond : 1.0;
    return static_cast<std::uint32_t>(std::min(static_cast<double>(i) * 1000.0 / rate, 4.0e9));
}

// The duration the readings cover: the recording's, or, when it states none, the
// camera's usual ten readings a second.
std::uint32_t ReadingsDurationMs(const RecordingSamples& s) {
    if (s.durationMs > 0) {
        return s.durationMs;
    }
    return static_cast<std::uint32_t>(std::min<std::size_t>(s.gsensor.size() * 100, 4000000000u));
}

bool Standing(const RecordingSamples& s, std::uint32_t ms);

// Whether the car stands at each reading.
std::vector<bool> StandingAtReadings(const RecordingSamples& s, std::uint32_t durationMs) {
    const std::size_t n = s.gsensor.size();
    std::vector<bool> standing(n);
    for (std::size_t i = 0; i < n; ++i) {
        standing[i] = Standing(s, ReadingMs(i, n, durationMs));
    }
    return standing;
}

// The readings in g with the camera's rest taken out: a camera mounted askew
// puts part of gravity on every axis, which shows as the median reading while
// the car stands still. A recording with less standing than kRestMs (a stop
// at the lights is mostly braking and pulling away) is taken as level.
// The readings with the rest taken out, still in the camera's counts
// (-255 to 255), and in g.
struct Readings {
    std::vector<std::array<std::int16_t, kAxes>> counts;
    std::vector<Vec3> g;
    double scale = 0;  // g per count
};

Readings ReadingsInG(const RecordingSamples& s, std::uint32_t durationMs,
                     const std::vector<bool>& standing) {
    const double scale = s.gsensorFullScale / 128.0;
    const std::size_t n = s.gsensor.size();
    Readings out;
    out.scale = scale;
    out.counts.resize(n);
    std::vector<Vec3>& g = out.g;
    g.resize(n);
    std::vector<int> still;
    for (std::size_t a = 0; a < kAxes; ++a) {
        still.clear();
        const auto axis = [a](const GSensorSample& r) { return a == 0 ? r.x : a == 1 ? r.y : r.z; };
        for (std::size_t i = 0; i < n; ++i) {
            if (standing[i]) {
                still.push_back(axis(s.gsensor[i]));
            }
        }
        int rest = 0;
        if (!still.empty() &&
            static_cast<double>(still.size()) * durationMs >= kRestMs * static_cast<double>(n)) {
            const auto middle = still.begin() + static_cast<std::ptrdiff_t>(still.size() / 2);
            std::nth_element(still.begin(), middle, still.end());
            rest = *middle;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const int centred = axis(s.gsensor[i]) - rest;
            out.counts[i][a] = static_cast<std::int16_t>(centred);
            g[i][a] = centred * scale;
        }
    }
    return out;
}

// Each axis's median over the readings within the window around each reading:
// a sustained acceleration passes unchanged, a jolt of one or two readings
// (a pothole and its rebound) does not pass at all. The readings are whole
// counts from -255 to 255, so the window is kept as a histogram: a reading
// enters or leaves in one step, and the median moves only as far as the
// readings do. The median is taken on the counts and then scaled, which is the
// median in g since the scale is positive.
std::vector<Vec3> Smoothed(const Readings& r, std::uint32_t durationMs) {
    constexpr int kLowest = -255;
    constexpr std::size_t kBins = 511;
    const std::size_t n = r.counts.size();
    const double perMs = static_cast<double>(n) / std::max<double>(durationMs, 1.0);
    const auto half = static_cast<std::size_t>(
        std::min(kSmoothingMs / 2 * perMs, static_cast<double>(kMaxSmoothingHalfWidth)));
    std::vector<Vec3> out(n);
    std::array<std::uint8_t, kBins> histogram{};
    // Only the horizontal axes are smoothed: nothing looks at the vertical one.
    for (std::size_t a : {kLateral, kLongitudinal}) {
        histogram.fill(0);
        const auto bin = [&](std::size_t i) {
            return static_cast<std::size_t>(r.counts[i][a] - kLowest);
        };
        std::size_t width = 0, lo = 0, hi = 0;  // the histogram holds readings [lo, hi)
        std::size_t median = 0, below = 0;      // below: readings in bins under median
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t wantLo = i >= half ? i - half : 0;
            const std::size_t wantHi = std::min(n, i + half + 1);
            for (; hi < wantHi; ++hi, ++width) {
                ++histogram[bin(hi)];
                below += bin(hi) < median ? 1 : 0;
            }
            for (; lo < wantLo; ++lo, --width) {
                --histogram[bin(lo)];
                below -= bin(lo) < median ? 1 : 0;
            }
            // The median is the reading at rank width / 2: the bin where fewer
            // than that many lie below and more than that many lie at or below.
            const std::size_t rank = width / 2;
            while (below > rank) {
                --median;
                below -= histogram[median];
            }
            while (below + histogram[median] <= rank) {
                below += histogram[median];
                ++median;
            }
            out[i][a] = (static_cast<int>(median) + kLowest) * r.scale;
        }
    }
    return out;
}

// Runs of consecutive readings whose value is over the threshold, each one event.
template <class Value, class Time>
void AddRuns(std::vector<DrivingEvent>& events, DrivingEventKind kind, std::size_t count,
             double threshold, Value value, Time timeOf) {
    std::size_t i = 0;
    while (i < count) {
        if (!(value(i) > threshold)) {
            ++i;
            continue;
        }
        DrivingEvent e;
        e.kind = kind;
        e.startMs = timeOf(i);
        e.peak = value(i);
        e.peakMs = e.startMs;
        std::size_t j = i;
        while (j < count && value(j) > threshold) {
            if (value(j) > e.peak) {
                e.peak = value(j);
                e.peakMs = timeOf(j);
            }
            ++j;
        }
        e.endMs = timeOf(j - 1);
        events.push_back(e);
        i = j;
    }
}

bool Standing(const RecordingSamples& s, std::uint32_t ms) {
    if (s.kind == RecordingKind::Parking) {
        return true;
    }
    const double rate = s.recordsPerSecond > 0 ? s.recordsPerSecond : 1.0;
    const auto k = static_cast<std::size_t>(static_cast<double>(ms) * rate / 1000.0);
    return k < s.gps.size() && (s.gps[k].fixFlags & 1) != 0 && s.gps[k].speedKmh >= 0 &&
           s.gps[k].speedKmh < kStandingKmh;
}

// The position at a time: the record of that moment, else the nearest valid
// one within a second either side.
void PlaceEvent(const RecordingSamples& s, DrivingEvent& e) {
    if (s.gps.empty()) {
        return;
    }
    const double rate = s.recordsPerSecond > 0 ? s.recordsPerSecond : 1.0;
    const auto at = static_cast<std::int64_t>(static_cast<double>(e.startMs) * rate / 1000.0);
    const auto reach = static_cast<std::int64_t>(std::ceil(rate));
    const auto last = static_cast<std::int64_t>(s.gps.size()) - 1;
    for (std::int64_t d = 0; d <= reach; ++d) {
        for (const std::int64_t k : {at - d, at + d}) {
            if (k < 0 || k > last) {
                continue;
            }
            double lat = s.gps[static_cast<std::size_t>(k)].latitude / 100.0;
            double lon = s.gps[static_cast<std::size_t>(k)].longitude / 100.0;
            if (IsPlottable(s.gps[static_cast<std::size_t>(k)]) && NmeaPairToDegrees(lat, lon)) {
                e.hasPosition = true;
                e.latitude = lat;
                e.longitude = lon;
                return;
            }
        }
    }
}

void MergeClose(std::vector<DrivingEvent>& events) {
    std::stable_sort(events.begin(), events.end(), [](const auto& a, const auto& b) {
        return a.kind != b.kind ? a.kind < b.kind : a.startMs < b.startMs;
    });
    std::vector<DrivingEvent> merged;
    for (const DrivingEvent& e : events) {
        if (!merged.empty() && merged.back().kind == e.kind &&
            e.startMs < merged.back().endMs + kEventMergeMs) {
            DrivingEvent& m = merged.back();
            m.endMs = std::max(m.endMs, e.endMs);
            if (e.peak > m.peak) {
                m.peak = e.peak;
                m.peakMs = e.peakMs;
            }
        } else {
            merged.push_back(e);
        }
    }
    std::stable_sort(merged.begin(), merged.end(), [](const auto& a, const auto& b) {
        return a.startMs != b.startMs ? a.startMs < b.startMs : a.kind < b.kind;
    });
    events = std::move(merged);
}

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

}  // namespace

std::string_view EventKindKey(DrivingEventKind kind) {
    switch (kind) {
        case DrivingEventKind::HarshBraking:
            return "braking";
        case DrivingEventKind::HarshAcceleration:
            return "acceleration";
        case DrivingEventKind::HarshCornering:
            return "cornering";
        case DrivingEventKind::Impact:
            return "impact";
        case DrivingEventKind::Speeding:
            return "speeding";
        case DrivingEventKind::EmergencyRecording:
            return "emergency";
        case DrivingEventKind::EventRecording:
            return "event";
    }
    return "impact";
}

std::string_view EventKindEnglishName(DrivingEventKind kind) {
    switch (kind) {
        case DrivingEventKind::HarshBraking:
            return "Harsh braking";
        case DrivingEventKind::HarshAcceleration:
            return "Harsh acceleration";
        case DrivingEventKind::HarshCornering:
            return "Harsh cornering";
        case DrivingEventKind::Impact:
            return "Impact";
        case DrivingEventKind::Speeding:
            return "Speeding";
        case DrivingEventKind::EmergencyRecording:
            return "Emergency recording";
        case DrivingEventKind::EventRecording:
            return "Event recording";
    }
    return "Impact";
}

int EventKindStringId(DrivingEventKind kind) {
    return 260 + static_cast<int>(kind);
}

std::uint32_t EventKindColour(DrivingEventKind kind) {
    switch (kind) {
        case DrivingEventKind::HarshBraking:
            return 0xFF3030;
        case DrivingEventKind::HarshAcceleration:
            return 0x30D040;
        case DrivingEventKind::HarshCornering:
            return 0xFF9A20;
        case DrivingEventKind::Impact:
            return 0xFF40FF;
        case DrivingEventKind::Speeding:
            return 0x3C8CFF;
        case DrivingEventKind::EmergencyRecording:
            return 0xF4F4F4;
        case DrivingEventKind::EventRecording:
            return 0x40E8E8;
    }
    return 0xFFFFFF;
}

std::string_view EventPeakUnit(DrivingEventKind kind) {
    switch (kind) {
        case DrivingEventKind::Speeding:
            return "km/h";
        case DrivingEventKind::EmergencyRecording:
        case DrivingEventKind::EventRecording:
            return "";
        default:
            return "g";
    }
}

namespace {

// The events, from the readings in g and their smoothed values.
std::vector<DrivingEvent> EventsFrom(const RecordingSamples& s, const EventThresholds& t,
                                     const std::vector<Vec3>& g, const std::vector<Vec3>& smooth,
                                     const std::vector<bool>& standing, std::uint32_t duration) {
    std::vector<DrivingEvent> events;
    const auto readingTime = [&](std::size_t i) { return ReadingMs(i, g.size(), duration); };

    AddRuns(
        events, DrivingEventKind::HarshBraking, smooth.size(), t.brakingG,
        [&](std::size_t i) { return -smooth[i][kLongitudinal]; }, readingTime);
    AddRuns(
        events, DrivingEventKind::HarshAcceleration, smooth.size(), t.accelerationG,
        [&](std::size_t i) { return smooth[i][kLongitudinal]; }, readingTime);
    AddRuns(
        events, DrivingEventKind::HarshCornering, smooth.size(), t.corneringG,
        [&](std::size_t i) { return std::fabs(smooth[i][kLateral]); }, readingTime);

    // An impact: how far the vector moved from one reading to the next, measured
    // against the threshold for a moving or a standing car at that moment.
    // The sum of squares rules out most readings cheaply; the exact length is
    // taken only near or over the threshold.
    for (std::size_t i = 1; i < g.size(); ++i) {
        const double dx = g[i][0] - g[i - 1][0], dy = g[i][1] - g[i - 1][1],
                     dz = g[i][2] - g[i - 1][2];
        const double threshold = standing[i] ? t.parkedImpactG : t.impactG;
        if (threshold > 0 && dx * dx + dy * dy + dz * dz < threshold * threshold * (1 - 1e-9)) {
            continue;
        }
        const double jump = std::hypot(dx, dy, dz);
        if (jump > threshold) {
            const std::uint32_t ms = ReadingMs(i, g.size(), duration);
            events.push_back({DrivingEventKind::Impact, ms, ms, ms, jump, false, 0, 0});
        }
    }

    if (t.speedLimitKmh > 0) {
        AddRuns(
            events, DrivingEventKind::Speeding, s.gps.size(), t.speedLimitKmh,
            [&](std::size_t i) {
                const GpsSample& r = s.gps[i];
                return (r.fixFlags & 1) != 0 && r.speedKmh <= kMaxCarSpeedKmh
                           ? static_cast<double>(r.speedKmh)
                           : 0.0;
            },
            [&](std::size_t i) { return GpsMs(i, s.recordsPerSecond); });
    }

    MergeClose(events);
    if (s.kind == RecordingKind::Emergency || s.kind == RecordingKind::Event) {
        DrivingEvent e;
        e.kind = s.kind == RecordingKind::Emergency ? DrivingEventKind::EmergencyRecording
                                                    : DrivingEventKind::EventRecording;
        e.endMs = s.durationMs;
        events.insert(events.begin(), e);
    }
    for (DrivingEvent& e : events) {
        PlaceEvent(s, e);
    }
    return events;
}

// The figures that come from the GPS records alone.
TripSummary TripFromGps(const RecordingSamples& s);

double MaxHorizontalG(const std::vector<Vec3>& smooth) {
    double most = 0;
    for (const Vec3& v : smooth) {
        const double x = v[kLongitudinal], y = v[kLateral];
        if (!(x * x + y * y < most * most * (1 - 1e-9))) {  // else it cannot be the largest
            most = std::max(most, std::hypot(x, y));
        }
    }
    return most;
}

}  // namespace

std::vector<DrivingEvent> FindDrivingEvents(const RecordingSamples& s, const EventThresholds& t) {
    return AnalyseDrive(s, t).events;
}

TripSummary SummariseTrip(const RecordingSamples& s) {
    return AnalyseDrive(s, {}).trip;
}

DriveAnalysis AnalyseDrive(const RecordingSamples& s, const EventThresholds& t) {
    const std::uint32_t duration = ReadingsDurationMs(s);
    const std::vector<bool> standing = StandingAtReadings(s, duration);
    const Readings readings = ReadingsInG(s, duration, standing);
    const std::vector<Vec3>& g = readings.g;
    const std::vector<Vec3> smooth = Smoothed(readings, duration);
    DriveAnalysis out;
    out.events = EventsFrom(s, t, g, smooth, standing, duration);
    out.trip = TripFromGps(s);
    out.trip.maxAccelerationG = MaxHorizontalG(smooth);
    return out;
}

double GreatCircleMetres(double lat1, double lon1, double lat2, double lon2) {
    const double dLat = Radians(lat2 - lat1);
    const double dLon = Radians(lon2 - lon1);
    const double h =
        std::sin(dLat / 2) * std::sin(dLat / 2) +
        std::cos(Radians(lat1)) * std::cos(Radians(lat2)) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kEarthRadiusMetres * std::asin(std::min(1.0, std::sqrt(h)));
}

namespace {

TripSummary TripFromGps(const RecordingSamples& s) {
    TripSummary trip;
    const double rate = s.recordsPerSecond > 0 ? s.recordsPerSecond : 1.0;
    const double recordMs = 1000.0 / rate;
    double movingSpeedSum = 0;
    std::size_t moving = 0;
    bool haveLast = false;
    double lastLat = 0, lastLon = 0;
    std::size_t lastIndex = 0;
    int rejected = 0;
    for (std::size_t k = 0; k < s.gps.size(); ++k) {
        const GpsSample& r = s.gps[k];
        double lat = r.latitude / 100.0, lon = r.longitude / 100.0;
        if (!IsPlottable(r) || !NmeaPairToDegrees(lat, lon)) {
            continue;
        }
        ++trip.validFixes;
        if (r.speedKmh >= 0 && r.speedKmh <= kMaxCarSpeedKmh) {
            trip.maxSpeedKmh = std::max<double>(trip.maxSpeedKmh, r.speedKmh);
            if (r.speedKmh >= kStandingKmh) {
                ++moving;
                movingSpeedSum += r.speedKmh;
            }
        }
        if (haveLast) {
            const double metres = GreatCircleMetres(lastLat, lastLon, lat, lon);
            const double seconds = static_cast<double>(k - lastIndex) / rate;
            if (metres / seconds * 3.6 > kMaxCarSpeedKmh) {
                // A jump no car can make: the fix is wrong, unless it keeps saying so.
                if (++rejected < kRejectedFixesBeforeRestart) {
                    continue;
                }
            } else {
                trip.distanceMetres += metres;
            }
        }
        rejected = 0;
        haveLast = true;
        lastLat = lat;
        lastLon = lon;
        lastIndex = k;
    }
    trip.drivingMs = static_cast<std::uint64_t>(static_cast<double>(moving) * recordMs);
    trip.averageSpeedKmh = moving == 0 ? 0 : movingSpeedSum / static_cast<double>(moving);
    return trip;
}

}  // namespace

TripSummary CombineTrips(const TripSummary& a, const TripSummary& b) {
    TripSummary t;
    t.distanceMetres = a.distanceMetres + b.distanceMetres;
    t.drivingMs = a.drivingMs + b.drivingMs;
    t.maxSpeedKmh = std::max(a.maxSpeedKmh, b.maxSpeedKmh);
    t.averageSpeedKmh = t.drivingMs == 0 ? 0
                                         : (a.averageSpeedKmh * static_cast<double>(a.drivingMs) +
                                            b.averageSpeedKmh * static_cast<double>(b.drivingMs)) /
                                               static_cast<double>(t.drivingMs);
    t.maxAccelerationG = std::max(a.maxAccelerationG, b.maxAccelerationG);
    t.validFixes = a.validFixes + b.validFixes;
    return t;
}

}  // namespace lum
