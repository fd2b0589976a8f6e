// The drives the sample card tells: a route, a speed profile and the events on
// the way, sampled into the camera's GPS fixes and acceleration readings.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lum::card {

// The camera's wall clock. It has no time zone: the viewer reads it as local time.
struct CivilTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Seconds since 1970 counting the clock as if it were UTC, so that adding seconds
// never depends on the zone of the machine that makes the card.
std::int64_t ClockSeconds(const CivilTime& t);
CivilTime FromClockSeconds(std::int64_t s);
CivilTime AddSeconds(const CivilTime& t, std::int64_t seconds);
std::string ClockText(const CivilTime& t);  // 2024-05-18 09:30:00
std::string NameStamp(const CivilTime& t);  // 240518-093000

struct LatLon {
    double lat = 0;  // decimal degrees, negative for south
    double lon = 0;  // decimal degrees, negative for west
};

// Decimal degrees to the receiver's ddmm.mmmm form, rounded to four decimals of
// a minute as NMEA sentences carry them; the sign is kept.
double ToNmea(double degrees);

double DistanceMetres(const LatLon& a, const LatLon& b);
// Initial bearing from a to b, degrees clockwise from north, 0 <= result < 360.
double BearingDegrees(const LatLon& a, const LatLon& b);

// A speed the profile passes through at a time (seconds from the drive's start).
struct SpeedKey {
    double t = 0;
    double kmh = 0;
};

// What the car does at one moment.
struct DriveState {
    LatLon position;
    double speedKmh = 0;
    double headingDegrees = 0;
    bool fix = true;
    // Acceleration in g: x to the right, y forward, z up (gravity included).
    double x = 0, y = 0, z = 1;
};

class Drive {
  public:
    // The car covers the whole route while the profile runs, so that the map
    // shows the same streets however long the recordings are made.
    Drive(std::vector<LatLon> route, std::vector<SpeedKey> profile);

    // The receiver loses its fix for times in [from, to).
    void LoseFix(double from, double to);
    // A deceleration window where the G-sensor may report more than everyday braking.
    void HardBraking(double from, double to);
    // A vertical jolt at time t (a pothole, a door shut while parked): z gets
    // up then down by half, x a little sideways.
    void Jolt(double t, double up);

    double Duration() const;
    // The state at time t; sampleSpacing is the spacing of the readings being
    // taken, so a jolt shows in exactly one reading and its rebound in the next.
    DriveState At(double t, double sampleSpacing) const;

  private:
    double SpeedAt(double t) const;
    double DistanceAt(double t) const;
    LatLon PointAt(double metres, double& heading) const;
    double HeadingAt(double t) const;

    std::vector<LatLon> route_;
    std::vector<double> routeMetres_;  // distance from the start to each point
    std::vector<SpeedKey> profile_;
    std::vector<double> travelled_;  // metres at each step of kStep seconds
    std::vector<std::pair<double, double>> fixLoss_, braking_;
    std::vector<std::pair<double, double>> jolts_;
};

}  // namespace lum::card
