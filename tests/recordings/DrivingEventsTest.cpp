// Driving events and trip figures from hand-built sample series and from the
// sample card's drive as its planner lays it out.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "recordings/DrivingEvents.h"
#include "tools/make-card/Card.h"

namespace lum {
namespace {

constexpr int kPerSecond = 10;        // readings a second
constexpr double kCountsPerG = 16.0;  // full scale 8 g
constexpr int kSeconds = 60;

// A minute of a car at rest on its wheels: z reads 1 g, GPS fixes every second
// at the given speed along the equator (about 20 m a second at 72 km/h).
struct Series {
    std::vector<GSensorSample> accel =
        std::vector<GSensorSample>(kSeconds * kPerSecond, GSensorSample{0, 0, 16});
    std::vector<GpsSample> gps;
    RecordingKind kind = RecordingKind::Normal;

    explicit Series(int kmh = 72) {
        for (int s = 0; s < kSeconds; ++s) {
            GpsSample g;
            g.fixFlags = 1;
            g.speedKmh = static_cast<std::int16_t>(kmh);
            // ddmm.mmmm: minutes of longitude east of 0, at 20 m a second.
            const double degrees = s * 20.0 / 111194.93;
            g.longitude = std::floor(degrees) * 100 + (degrees - std::floor(degrees)) * 60;
            gps.push_back(g);
        }
    }
    // Sets axis (0 x, 1 y, 2 z) to g from second `from` for `seconds`.
    Series& Hold(int axis, double from, double seconds, double g) {
        for (int i = static_cast<int>(from * kPerSecond);
             i < static_cast<int>((from + seconds) * kPerSecond); ++i) {
            Set(i, axis, g);
        }
        return *this;
    }
    Series& Set(int i, int axis, double g) {
        GSensorSample& a = accel.at(static_cast<std::size_t>(i));
        const auto counts = static_cast<std::int8_t>(std::lround(g * kCountsPerG));
        (axis == 0 ? a.x : axis == 1 ? a.y : a.z) = counts;
        return *this;
    }
    Series& NoFix(int from, int to) {
        for (int s = from; s < to; ++s) {
            gps[static_cast<std::size_t>(s)] = GpsSample{};
        }
        return *this;
    }
    RecordingSamples Samples() const { return {gps, accel, 8.0, 1.0, kSeconds * 1000, kind}; }
};

struct Expected {
    DrivingEventKind kind;
    std::uint32_t startMs;
    double peak;
    bool hasPosition;
};

struct Case {
    const char* name;
    std::function<Series()> build;
    std::vector<Expected> events;
    double speedLimitKmh = 0;
};

std::uint32_t Ms(double seconds) {
    return static_cast<std::uint32_t>(seconds * 1000);
}

TEST(DrivingEventsTest, FindsEachKindOfEventInHandBuiltSeries) {
    using K = DrivingEventKind;
    const std::vector<Case> cases = {
        {"braking ramp: 0 to -0.6 g over a second, held, then released",
         [] {
             Series s;
             for (int i = 0; i < 10; ++i) {
                 s.Set(200 + i, 1, -0.06 * (i + 1));  // reaches -0.45 g after 0.7 s
             }
             return s.Hold(1, 21, 1.5, -0.6);
         },
         {{K::HarshBraking, Ms(20.8), 0.6, true}}},
        {"acceleration and cornering either way",
         [] { return Series().Hold(1, 10, 2, 0.4).Hold(0, 30, 2, -0.5).Hold(0, 50, 2, 0.5); },
         {{K::HarshAcceleration, Ms(10), 0.4, true},
          {K::HarshCornering, Ms(30), 0.5, true},
          {K::HarshCornering, Ms(50), 0.5, true}}},
        {"a spike of one reading is an impact, not a braking",
         [] { return Series().Set(300, 1, -2.5).Set(301, 2, 0.5); },
         {{K::Impact, Ms(30), 2.5, true}}},
        {"noise under every threshold",
         [] {
             Series s;
             std::uint32_t r = 12345;
             for (int i = 0; i < kSeconds * kPerSecond; ++i) {
                 for (int axis = 0; axis < 2; ++axis) {
                     r = r * 1103515245u + 12345u;
                     s.Set(i, axis, ((r >> 16) % 11 - 5.0) / kCountsPerG);  // within 0.31 g
                 }
             }
             return s;
         },
         {}},
        {"a camera mounted askew: its rest shows while the car stands",
         [] {
             Series s;
             for (int k = 0; k < 10; ++k) {
                 s.gps[static_cast<std::size_t>(k)].speedKmh = 0;
             }
             return s.Hold(1, 0, kSeconds, 0.25).Hold(1, 40, 1, 0.25 - 0.5);
         },
         {{K::HarshBraking, Ms(40), 0.5, true}}},
        {"a gap without fix: the event inside it has no position",
         [] { return Series().NoFix(10, 20).Hold(1, 5, 1, -0.5).Hold(1, 15, 1, -0.5); },
         {{K::HarshBraking, Ms(5), 0.5, true}, {K::HarshBraking, Ms(15), 0.5, false}}},
        {"brakings 1 s apart merge, 3 s apart do not",
         [] { return Series().Hold(1, 10, 1, -0.5).Hold(1, 12, 1, -0.7).Hold(1, 16, 1, -0.5); },
         {{K::HarshBraking, Ms(10), 0.7, true}, {K::HarshBraking, Ms(16), 0.5, true}}},
        {"a pothole: the jolt and its rebound are one impact",
         [] { return Series().Set(400, 2, 1 + 1.6).Set(400, 0, 0.4).Set(401, 2, 1 - 0.8); },
         {{K::Impact, Ms(40), 2.45, true}}},
        {"a knock of 0.7 g counts while standing, not while driving",
         [] {
             Series s(0);
             for (int k = 30; k < kSeconds; ++k) {
                 s.gps[static_cast<std::size_t>(k)].speedKmh = 60;
             }
             return s.Set(100, 0, 0.7).Set(400, 0, 0.7);
         },
         {{K::Impact, Ms(10), 0.7, true}}},
        {"speeding over a limit, in two stretches split by a gap",
         [] {
             Series s(90);
             return s.NoFix(20, 30);
         },
         {{K::Speeding, 0, 90, true}, {K::Speeding, Ms(30), 90, true}},
         80},
        {"an emergency recording is an event from its start",
         [] {
             Series s;
             s.kind = RecordingKind::Emergency;
             return s.NoFix(0, 1);  // the position is the fix a second later
         },
         {{K::EmergencyRecording, 0, 0, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Series s = c.build();
        EventThresholds t;
        t.speedLimitKmh = c.speedLimitKmh;
        const std::vector<DrivingEvent> found = FindDrivingEvents(s.Samples(), t);
        ASSERT_EQ(found.size(), c.events.size());
        for (std::size_t i = 0; i < found.size(); ++i) {
            const DrivingEvent& e = found[i];
            EXPECT_EQ(EventKindKey(e.kind), EventKindKey(c.events[i].kind)) << i;
            EXPECT_NEAR(e.startMs, c.events[i].startMs, 250) << i;
            EXPECT_LE(e.startMs, e.peakMs);
            EXPECT_LE(e.peakMs, e.endMs);
            EXPECT_NEAR(e.peak, c.events[i].peak, 0.07) << i;
            EXPECT_EQ(e.hasPosition, c.events[i].hasPosition) << i;
        }
    }
}

TEST(DrivingEventsTest, EventPositionIsTheFixOfThatSecond) {
    Series s;
    s.Hold(1, 25, 1, -0.6);
    const std::vector<DrivingEvent> found = FindDrivingEvents(s.Samples());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_DOUBLE_EQ(found[0].latitude, 0.0);
    EXPECT_NEAR(found[0].longitude, 25 * 20.0 / 111194.93, 1e-6);
}

TEST(DrivingEventsTest, GreatCircleDistanceOfKnownPairs) {
    // A degree along the equator or a meridian is 2 pi R / 360 on a 6371 km sphere.
    EXPECT_NEAR(GreatCircleMetres(0, 0, 0, 1), 111194.93, 0.01);
    EXPECT_NEAR(GreatCircleMetres(0, 0, 1, 0), 111194.93, 0.01);
    EXPECT_NEAR(GreatCircleMetres(0, 0, 90, 0), 10007543.4, 0.1);
    // Across the date line and across the equator the short way round.
    EXPECT_NEAR(GreatCircleMetres(0, 179.5, 0, -179.5), 111194.93, 0.01);
    EXPECT_NEAR(GreatCircleMetres(-0.5, 0, 0.5, 0), 111194.93, 0.01);
    EXPECT_DOUBLE_EQ(GreatCircleMetres(35.658517, 139.745493, 35.658517, 139.745493), 0.0);
}

TEST(DrivingEventsTest, TripFiguresSkipBadFixesAndGaps) {
    Series s;                    // 60 fixes, 20 m apart, 72 km/h
    s.gps[40].longitude += 3;    // one fix 5.5 km off the road
    s.gps[41].speedKmh = 30000;  // a speed no car reaches
    s.NoFix(10, 15);             // a tunnel: the distance across it still counts
    for (int k = 50; k < kSeconds; ++k) {
        s.gps[static_cast<std::size_t>(k)].speedKmh = 2;  // standing at the end
    }
    s.Hold(1, 5, 1, -0.6).Hold(0, 5, 1, 0.8);
    const TripSummary t = SummariseTrip(s.Samples());
    EXPECT_NEAR(t.distanceMetres, 59 * 20.0, 0.5);
    EXPECT_EQ(t.validFixes, 55u);
    EXPECT_EQ(t.drivingMs, 44000u);  // the valid fixes less the absurd speed and the standing
    EXPECT_DOUBLE_EQ(t.maxSpeedKmh, 72);
    EXPECT_NEAR(t.averageSpeedKmh, 72, 1e-9);
    EXPECT_NEAR(t.maxAccelerationG, 1.0, 0.07);

    const TripSummary both = CombineTrips(t, SummariseTrip(Series(36).Samples()));
    EXPECT_NEAR(both.distanceMetres, 2 * 59 * 20.0, 1);
    EXPECT_EQ(both.drivingMs, 44000u + 60000u);
    EXPECT_NEAR(both.averageSpeedKmh, (72.0 * 44 + 36.0 * 60) / 104, 1e-9);
    EXPECT_DOUBLE_EQ(both.maxSpeedKmh, 72);
}

TEST(DrivingEventsTest, NoSamplesNoEventsNoFigures) {
    const std::vector<GpsSample> gps;
    const std::vector<GSensorSample> accel;
    const RecordingSamples none{gps, accel, 8.0, 1.0, 60000, RecordingKind::Normal};
    EXPECT_TRUE(FindDrivingEvents(none).empty());
    const TripSummary t = SummariseTrip(none);
    EXPECT_EQ(t.distanceMetres, 0);
    EXPECT_EQ(t.drivingMs, 0u);
    EXPECT_EQ(t.maxAccelerationG, 0);
}

// The sample card's drive as lum-make-card plans it, read back as the readers
// return it: the hard braking is found in the emergency recording and the
// pothole in the AVI recording, each within a second of where the drive has it.
TEST(DrivingEventsTest, SampleCardDriveHasItsBrakingAndPothole) {
    for (const int seconds : {60, 4}) {
        SCOPED_TRACE("seconds per recording " + std::to_string(seconds));
        card::CardOptions options;
        options.minutes = seconds == 60 ? 10 : 9;
        options.secondsPerRecording = seconds;
        options.seed = seconds == 60 ? 1 : 7;
        const std::vector<card::PlannedFile> plan = card::PlanCard(options);
        std::vector<std::string> brakings, impacts;
        for (const card::PlannedFile& f : plan) {
            if (!f.listed || f.group != "drive") {
                continue;
            }
            std::vector<GpsSample> gps;
            for (const card::ReadGps& r : card::ExpectedGps(f)) {
                GpsSample g;
                g.latitude = r.latitude;
                g.longitude = r.longitude;
                g.speedKmh = static_cast<std::int16_t>(r.speedKmh);
                g.fixFlags = static_cast<std::uint8_t>(r.fixFlags);
                gps.push_back(g);
            }
            std::vector<GSensorSample> accel;
            for (const card::ReadAccel& a : card::ExpectedAccel(f)) {
                accel.push_back({static_cast<std::int8_t>(a.x), static_cast<std::int8_t>(a.y),
                                 static_cast<std::int8_t>(a.z)});
            }
            const RecordingSamples samples{gps,
                                           accel,
                                           static_cast<double>(card::ReadFullScale(f)),
                                           card::ReadRecordsPerSecond(f),
                                           static_cast<std::uint32_t>(f.seconds * 1000),
                                           KindOf(f.name, f.flags, 0)};
            for (const DrivingEvent& e : FindDrivingEvents(samples)) {
                const std::string at =
                    f.name + "@" + std::to_string(e.startMs) + "/" + std::to_string(e.peak);
                if (e.kind == DrivingEventKind::HarshBraking) {
                    brakings.push_back(at);
                    EXPECT_EQ(f.name.substr(0, 4), "EMER");
                    EXPECT_NEAR(e.startMs, 0.45 * seconds * 1000, 1000);
                    EXPECT_GT(e.peak, 0.5);
                    EXPECT_TRUE(e.hasPosition);
                } else if (e.kind == DrivingEventKind::Impact) {
                    impacts.push_back(at);
                    EXPECT_EQ(f.name.substr(f.name.size() - 4), ".AVI");
                    EXPECT_NEAR(e.startMs, 0.5 * seconds * 1000, 1000);
                    EXPECT_GT(e.peak, 1.5);
                }
            }
        }
        EXPECT_EQ(brakings.size(), 1u) << ::testing::PrintToString(brakings);
        EXPECT_EQ(impacts.size(), 1u) << ::testing::PrintToString(impacts);
    }
}

}  // namespace
}  // namespace lum
