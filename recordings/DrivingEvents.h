// Driving events and trip figures of one recording, found in its G-sensor and
// GPS samples: where a user who opens a card after something happened should look.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "RecordingTypes.h"

namespace lum {

// When a moment counts as an event. Fleet-telematics services flag harsh
// driving at about 0.3 to 0.45 g of sustained acceleration: everyday braking
// and pulling away stay below 0.3 g, a panic stop reaches 0.6 g and more. We
// take the upper end for braking and cornering so that brisk but ordinary
// driving is not flagged, and a little less for acceleration, which few cars
// can push much past 0.4 g. An impact is a jump of the acceleration vector
// between two neighbouring readings: a pothole or a collision jolts the car
// by well over 1 g within one reading, while a standing car feels a knock or a
// door at half that.
struct EventThresholds {
    double brakingG = 0.45;
    double accelerationG = 0.35;
    double corneringG = 0.45;
    double impactG = 1.0;
    double parkedImpactG = 0.5;
    // Speeding is off unless a limit is set: the camera does not know the road's.
    double speedLimitKmh = 0;
};

// Events of the same kind closer than this are one event.
inline constexpr std::uint32_t kEventMergeMs = 2000;
// A car below this speed is standing (GPS speed noise stays under it).
inline constexpr double kStandingKmh = 5.0;
// No car on a road goes faster; a faster speed or jump between fixes is a bad fix.
inline constexpr double kMaxCarSpeedKmh = 400.0;

enum class DrivingEventKind {
    HarshBraking,
    HarshAcceleration,
    HarshCornering,
    Impact,
    Speeding,
    EmergencyRecording,
    EventRecording,
};

// "braking", "acceleration", "cornering", "impact", "speeding", "emergency", "event".
std::string_view EventKindKey(DrivingEventKind kind);
// English name for the command line and the report: "Harsh braking", ...
std::string_view EventKindEnglishName(DrivingEventKind kind);
// String-table id of the kind's display name.
int EventKindStringId(DrivingEventKind kind);
// The colour the views mark the kind with, 0xRRGGBB: one of its own per kind.
std::uint32_t EventKindColour(DrivingEventKind kind);
// "g", "km/h", or empty for the recording's own kind.
std::string_view EventPeakUnit(DrivingEventKind kind);

struct DrivingEvent {
    DrivingEventKind kind = DrivingEventKind::Impact;
    // Milliseconds from the recording's start.
    std::uint32_t startMs = 0;
    std::uint32_t endMs = 0;
    std::uint32_t peakMs = 0;
    // In g for harsh driving and impacts, km/h for speeding, 0 for the recording's kind.
    double peak = 0;
    bool hasPosition = false;
    double latitude = 0;  // decimal degrees
    double longitude = 0;
};

struct TripSummary {
    double distanceMetres = 0;
    std::uint64_t drivingMs = 0;  // time moving, counted by valid fixes
    double maxSpeedKmh = 0;
    double averageSpeedKmh = 0;   // over the time moving
    double maxAccelerationG = 0;  // horizontal, gravity and the mounting taken out
    std::size_t validFixes = 0;
};

// The samples of one recording as the catalogue holds them.
struct RecordingSamples {
    const std::vector<GpsSample>& gps;
    const std::vector<GSensorSample>& gsensor;
    double gsensorFullScale = 8.0;  // g per 128 counts
    double recordsPerSecond = 1.0;  // GPS records per second
    std::uint32_t durationMs = 0;   // the G-sensor readings spread evenly over it
    RecordingKind kind = RecordingKind::Normal;
};

// Every event of the recording, ordered by start time. The camera's x axis
// points to the right, y forward and z up.
std::vector<DrivingEvent> FindDrivingEvents(const RecordingSamples& samples,
                                            const EventThresholds& thresholds = {});

TripSummary SummariseTrip(const RecordingSamples& samples);

// Both at once: the readings are turned into g and smoothed only once.
struct DriveAnalysis {
    std::vector<DrivingEvent> events;
    TripSummary trip;
};
DriveAnalysis AnalyseDrive(const RecordingSamples& samples, const EventThresholds& thresholds);
// The figures of two trips driven one after the other (a group).
TripSummary CombineTrips(const TripSummary& a, const TripSummary& b);

// Great-circle distance in metres between two points in decimal degrees.
double GreatCircleMetres(double lat1, double lon1, double lat2, double lon2);

}  // namespace lum
