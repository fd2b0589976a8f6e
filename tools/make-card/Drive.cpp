#include "Drive.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace lum::card {

namespace {

constexpr double kStep = 0.05;  // seconds per step of the distance table
constexpr double kEarthRadius = 6371000.0;
constexpr double kGravity = 9.80665;
// Everyday driving stays within these; only a hard braking goes past.
constexpr double kEverydayLongitudinal = 0.4;
constexpr double kHardLongitudinal = 1.0;
constexpr double kMaxLateral = 0.5;

double Radians(double d) {
    return d * std::numbers::pi / 180.0;
}

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool Within(const std::vector<std::pair<double, double>>& spans, double t) {
    return std::any_of(spans.begin(), spans.end(),
                       [t](const auto& s) { return t >= s.first && t < s.second; });
}

}  // namespace

std::int64_t ClockSeconds(const CivilTime& t) {
    return DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) *
               86400 +
           t.hour * 3600 + t.minute * 60 + t.second;
}

CivilTime FromClockSeconds(std::int64_t s) {
    std::int64_t days = s / 86400;
    std::int64_t rest = s % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    CivilTime t;
    t.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
    t.month = static_cast<int>(m);
    t.day = static_cast<int>(d);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

CivilTime AddSeconds(const CivilTime& t, std::int64_t seconds) {
    return FromClockSeconds(ClockSeconds(t) + seconds);
}

std::string ClockText(const CivilTime& t) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

std::string NameStamp(const CivilTime& t) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d-%02d%02d%02d", t.year % 100, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buf;
}

double ToNmea(double degrees) {
    const double magnitude = std::fabs(degrees);
    const double whole = std::floor(magnitude);
    const double nmea =
        std::round((whole * 100.0 + (magnitude - whole) * 60.0) * 10000.0) / 10000.0;
    return degrees < 0 ? -nmea : nmea;
}

double DistanceMetres(const LatLon& a, const LatLon& b) {
    const double dLat = Radians(b.lat - a.lat);
    const double dLon = Radians(b.lon - a.lon);
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(Radians(a.lat)) * std::cos(Radians(b.lat)) * std::sin(dLon / 2) *
                         std::sin(dLon / 2);
    return 2 * kEarthRadius * std::asin(std::min(1.0, std::sqrt(h)));
}

double BearingDegrees(const LatLon& a, const LatLon& b) {
    const double dLon = Radians(b.lon - a.lon);
    const double y = std::sin(dLon) * std::cos(Radians(b.lat));
    const double x = std::cos(Radians(a.lat)) * std::sin(Radians(b.lat)) -
                     std::sin(Radians(a.lat)) * std::cos(Radians(b.lat)) * std::cos(dLon);
    const double deg = std::atan2(y, x) * 180.0 / std::numbers::pi;
    return std::fmod(deg + 360.0, 360.0);
}

Drive::Drive(std::vector<LatLon> route, std::vector<SpeedKey> profile)
    : route_(std::move(route)), profile_(std::move(profile)) {
    routeMetres_.push_back(0);
    for (std::size_t i = 1; i < route_.size(); ++i) {
        routeMetres_.push_back(routeMetres_.back() + DistanceMetres(route_[i - 1], route_[i]));
    }
    const double duration = Duration();
    travelled_.push_back(0);
    for (double t = kStep; t <= duration + kStep; t += kStep) {
        const double v = (SpeedAt(t - kStep) + SpeedAt(t)) / 2 / 3.6;
        travelled_.push_back(travelled_.back() + v * kStep);
    }
}

void Drive::LoseFix(double from, double to) {
    fixLoss_.emplace_back(from, to);
}

void Drive::HardBraking(double from, double to) {
    braking_.emplace_back(from, to);
}

void Drive::Jolt(double t, double up) {
    jolts_.emplace_back(t, up);
}

double Drive::Duration() const {
    return profile_.empty() ? 0 : profile_.back().t;
}

double Drive::SpeedAt(double t) const {
    if (profile_.empty()) {
        return 0;
    }
    if (t <= profile_.front().t) {
        return profile_.front().kmh;
    }
    for (std::size_t i = 1; i < profile_.size(); ++i) {
        const SpeedKey& a = profile_[i - 1];
        const SpeedKey& b = profile_[i];
        if (t <= b.t) {
            const double span = b.t - a.t;
            return span <= 0 ? b.kmh : a.kmh + (b.kmh - a.kmh) * (t - a.t) / span;
        }
    }
    return profile_.back().kmh;
}

double Drive::DistanceAt(double t) const {
    if (travelled_.size() < 2) {
        return 0;
    }
    const double pos = std::clamp(t / kStep, 0.0, static_cast<double>(travelled_.size() - 1));
    const auto i = static_cast<std::size_t>(pos);
    const std::size_t j = std::min(i + 1, travelled_.size() - 1);
    return travelled_[i] + (travelled_[j] - travelled_[i]) * (pos - static_cast<double>(i));
}

LatLon Drive::PointAt(double metres, double& heading) const {
    heading = route_.size() > 1 ? BearingDegrees(route_[0], route_[1]) : 0;
    if (route_.size() < 2) {
        return route_.empty() ? LatLon{} : route_[0];
    }
    for (std::size_t i = 1; i < route_.size(); ++i) {
        if (metres <= routeMetres_[i] || i + 1 == route_.size()) {
            const double span = routeMetres_[i] - routeMetres_[i - 1];
            const double f =
                span <= 0 ? 0 : std::clamp((metres - routeMetres_[i - 1]) / span, 0.0, 1.0);
            heading = BearingDegrees(route_[i - 1], route_[i]);
            return {route_[i - 1].lat + (route_[i].lat - route_[i - 1].lat) * f,
                    route_[i - 1].lon + (route_[i].lon - route_[i - 1].lon) * f};
        }
    }
    return route_.back();
}

double Drive::HeadingAt(double t) const {
    const double total = travelled_.empty() ? 0 : DistanceAt(Duration());
    const double along = total <= 0 ? 0 : DistanceAt(t) / total * routeMetres_.back();
    double heading = 0;
    PointAt(along, heading);
    return heading;
}

DriveState Drive::At(double t, double sampleSpacing) const {
    DriveState s;
    const double total = DistanceAt(Duration());
    const double along = total <= 0 ? 0 : DistanceAt(t) / total * routeMetres_.back();
    s.position = PointAt(along, s.headingDegrees);
    s.speedKmh = SpeedAt(t);
    s.fix = !Within(fixLoss_, t);

    // Forward acceleration from the change of speed, limited to what a car
    // does outside a hard braking.
    const double dv = (SpeedAt(t + 0.25) - SpeedAt(t - 0.25)) / 3.6 / 0.5;
    const double limit = Within(braking_, t) ? kHardLongitudinal : kEverydayLongitudinal;
    s.y = std::clamp(dv / kGravity, -limit, limit);

    // Sideways acceleration from the turn rate: speed times the change of heading.
    double turn = HeadingAt(t + 0.5) - HeadingAt(t - 0.5);
    turn = std::remainder(turn, 360.0);
    s.x = std::clamp(s.speedKmh / 3.6 * Radians(turn) / kGravity, -kMaxLateral, kMaxLateral);

    s.z = 1.0;
    for (const auto& [when, up] : jolts_) {
        const double since = t - when;
        if (since >= -sampleSpacing / 2 && since < sampleSpacing / 2) {
            s.z += up;
            s.x += up / 4;
        } else if (since >= sampleSpacing / 2 && since < sampleSpacing * 1.5) {
            s.z -= up / 2;
        }
    }
    return s;
}

}  // namespace lum::card
