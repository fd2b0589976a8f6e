#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "catalogue/RecordingCatalogue.h"
#include "recordings/Paths.h"
#include "recordings/TelemetrySources.h"
#include "tests/support/Builders.h"
#include "tests/support/FakeViews.h"
#include "tests/support/TimeZone.h"

namespace lum {
namespace {

using namespace lum::test;

// A ".MOV" whose n per-second blocks lie where the audio chunk offsets plus the
// 32768-byte stride (1 channel, 16 bits, 8000 Hz) put them.
Bytes MovWithBlocks(int n, const std::function<BlockFields(int)>& fields,
                    std::uint32_t* lastOffset = nullptr) {
    auto build = [&](std::uint32_t base) {
        std::vector<std::uint32_t> offsets;
        for (int k = 0; k < n; ++k) {
            offsets.push_back(base + static_cast<std::uint32_t>(k) * 200);
        }
        return Cat(
            {Ftyp(), Box("moov", {VideoTrak(640, 360, 1000, static_cast<std::uint32_t>(n) * 1000),
                                  AudioTrak(1, 16, 8000, offsets)})});
    };
    const std::uint32_t base = static_cast<std::uint32_t>(build(0).size()) + 8;
    Bytes image = build(base);
    Bytes media;
    for (int k = 0; k < n; ++k) {
        PlaceAt(media, static_cast<std::uint64_t>(k) * 200 + 32768 + 16,
                TelemetryBlock(176, 20, fields(k)));
    }
    Append(image, Box("mdat", media));
    if (lastOffset != nullptr) {
        *lastOffset = base + static_cast<std::uint32_t>(n - 1) * 200 + 32768;
    }
    return image;
}

class CurrentTelemetryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetTimeZone("JST-9");
        catalogue.Bind(&views, &views, &views, &views);
    }
    // Loads one file as a single-file catalogue and makes it current.
    bool LoadOne(const std::string& name, const Bytes& bytes) {
        dir.Write(name, bytes);
        if (!catalogue.Load(FromFsPath(dir.path()), name) || catalogue.Entries().size() != 1) {
            return false;
        }
        views.curve.clear();
        views.mapCalls.clear();
        return catalogue.LoadCurrentTelemetry(0);
    }
    TempDir dir;
    FakeViews views;
    RecordingCatalogue catalogue;
};

TEST_F(CurrentTelemetryTest, MovBlocksBecomeSamplesTrackAndCurve) {
    const Bytes mov = MovWithBlocks(300, [](int k) {
        BlockFields f;
        f.second = k % 60;
        f.latitude = 3530.25f;
        f.longitude = 13945.5f;
        if (k == 1) {
            f.status = 'V';  // no fix: an empty sample, but acceleration still counts
        }
        if (k == 2) {
            f.ns = 'S';
            f.ew = 'W';
            f.latitude = 3350.5f;
            f.longitude = 7040.25f;
        }
        f.accel[0][0] = -24;
        f.accel[0][1] = 1000;
        f.accel[4][2] = 8;
        return f;
    });
    ASSERT_TRUE(LoadOne("FILE0001.MOV", mov));
    ASSERT_EQ(catalogue.GpsSamples().size(), 300u);
    ASSERT_EQ(catalogue.GSensorSamples().size(), 1500u);
    EXPECT_EQ(catalogue.RecordsPerSecond(), 1.0);
    const GpsSample& s0 = catalogue.GpsSamples()[0];
    EXPECT_EQ(s0.fixFlags, 1);
    EXPECT_EQ(s0.speedKmh, 42);  // 42.9 truncated
    EXPECT_EQ(s0.year, 14);
    EXPECT_EQ(s0.hour, 12);
    EXPECT_EQ(catalogue.GpsSamples()[1].fixFlags, 0);
    EXPECT_EQ(catalogue.GpsSamples()[1].latitude, 0.0);
    EXPECT_EQ(catalogue.GSensorSamples()[0].x, -3);
    EXPECT_EQ(catalogue.GSensorSamples()[0].y, 125);
    EXPECT_EQ(catalogue.GSensorSamples()[4].z, 1);
    EXPECT_EQ(catalogue.GSensorSamples()[5].x, -3);  // the next block's first sample

    EXPECT_EQ(views.curve,
              (std::vector<std::string>{"SetScale 8.000000 2.000000", "ClearSamples",
                                        "LoadSamples 1500", "SetSampleRate 0.005000"}));
    // The whole track in one call: 299 points, the one without a fix left out,
    // each with its speed in km/h for the track's colours.
    ASSERT_EQ(views.mapCalls.size(), 2u);
    EXPECT_EQ(views.mapCalls[0], "clear track");
    const std::string& track = views.mapCalls[1];
    EXPECT_TRUE(
        track.starts_with("track [35.504167,139.758333,42],[-33.841667,-70.670833,42],[35."
                          "504167,139.758333,42],"))
        << track.substr(0, 80);
    EXPECT_TRUE(track.ends_with("[35.504167,139.758333,42]"));
    EXPECT_EQ(std::count(track.begin(), track.end(), '['), 299);
}

TEST_F(CurrentTelemetryTest, BlocksPastTheEndGiveNoTelemetryAndClearTheCurve) {
    std::uint32_t last = 0;
    Bytes mov = MovWithBlocks(
        3, [](int) { return BlockFields{}; }, &last);
    mov.resize(last + 16 + 100);  // the last block is cut short
    ASSERT_TRUE(LoadOne("FILE0002.MOV", mov));
    EXPECT_TRUE(catalogue.GpsSamples().empty());
    EXPECT_TRUE(catalogue.GSensorSamples().empty());
    // The curve must not go on showing the previous recording.
    EXPECT_EQ(views.curve, (std::vector<std::string>{"SetScale 8.000000 2.000000", "ClearSamples",
                                                     "LoadSamples 0", "SetSampleRate 0.000000"}));
    EXPECT_EQ(views.mapCalls, std::vector<std::string>{"clear track"});
}

TEST_F(CurrentTelemetryTest, GpsIndexBlocksUseTheShortStride) {
    // Index entries point at blocks inside an mdat; blocks are 136 bytes with 12-byte samples.
    const Bytes moov = Box("moov", {VideoTrak(640, 360, 1000, 2000)});
    const std::uint32_t indexBoxSize = 8 + 8 + 2 * 8;
    const std::uint32_t media =
        static_cast<std::uint32_t>(Ftyp().size() + indexBoxSize + moov.size() + 8);
    BlockFields f;
    f.accel[1][0] = 16;
    f.accel[2][2] = -16;
    Bytes blocks;
    PlaceAt(blocks, 16, TelemetryBlock(136, 12, f));
    PlaceAt(blocks, 300 + 16, TelemetryBlock(136, 12, f));
    const Bytes file = Cat({Ftyp(), GpsIndexBox({media, media + 300}), moov, Box("mdat", blocks)});
    ASSERT_TRUE(LoadOne("FILE0003.MP4", file));
    ASSERT_EQ(catalogue.GpsSamples().size(), 2u);
    ASSERT_EQ(catalogue.GSensorSamples().size(), 10u);
    EXPECT_EQ(catalogue.GSensorSamples()[1].x, 2);
    EXPECT_EQ(catalogue.GSensorSamples()[2].z, -2);
    EXPECT_EQ(views.curve.back(), "SetSampleRate 0.005000");
}

TEST_F(CurrentTelemetryTest, SideTextParsingRules) {
    const std::string text =
        "12,00,01,A,N,3539.511000,E,13944.729600,42.5,0.0,14,1,2,-40,16,5,x,4\r\n"
        // A short line runs on into the next one: its line feed is ignored.
        "12,00,02,A,S,3350.500000\n,W,7040.25,10.9,0,14,1,2,0,0,0,y,4\n"
        "12,00,03,V,N,3539.5,E,13944.7,5,0,14,1,2,0,0,0,z,4\n"
        "12,00,04,A,N,3539.5,E,13944.7,5,0,14,1,2,0,0,0,z,4";  // no final line feed: lost
    std::vector<GpsSample> gps;
    std::vector<GSensorSample> accel;
    ParseSideText(text, gps, accel);
    ASSERT_EQ(gps.size(), 3u);
    ASSERT_EQ(accel.size(), 3u);
    EXPECT_EQ(gps[0].second, 1);
    EXPECT_EQ(gps[0].fixFlags, 1);
    EXPECT_NEAR(gps[0].latitude, 3539.511, 1e-9);
    EXPECT_EQ(gps[0].speedKmh, 42);
    EXPECT_EQ(gps[0].year, 14);
    EXPECT_EQ(gps[0].day, 2);
    EXPECT_EQ(accel[0].x, -2);
    EXPECT_EQ(accel[0].y, 1);
    EXPECT_EQ(accel[0].z, 0);
    EXPECT_NEAR(gps[1].latitude, -3350.5, 1e-9);  // south and west are negative
    EXPECT_NEAR(gps[1].longitude, -7040.25, 1e-9);
    EXPECT_EQ(gps[1].speedKmh, 10);
    EXPECT_EQ(gps[2].fixFlags, 0);
}

TEST_F(CurrentTelemetryTest, SideTextOnlyBesideShortNamedAvi) {
    const Bytes avi = Riff({AviHeaderList(40000, 50, 640, 360),
                            Chunk("gps0", GpsPayload(2, 0, {2014, 1, 1, 0, 0, 0})),
                            Chunk("gsen", GsensorPayload(5)), Movi(16)});
    const std::string line =
        "12,00,01,A,N,3539.511000,E,13944.729600,42.5,0.0,14,1,2,-40,16,5,x,4\n";
    dir.Write("S0000001.TXT", Text(line + line + line));
    ASSERT_TRUE(LoadOne("S0000001.AVI", avi));
    EXPECT_EQ(catalogue.GpsSamples().size(), 3u);
    EXPECT_EQ(views.curve[0], "SetScale 8.000000 2.000000");
    EXPECT_EQ(views.curve.back(), "SetSampleRate 0.001500");  // 3 samples over 2000 ms

    // A long name never looks for a side file, even when one exists.
    dir.Write("FILE140101-120000.TXT", Text(line));
    ASSERT_TRUE(LoadOne("FILE140101-120000.AVI", avi));
    EXPECT_EQ(catalogue.GpsSamples().size(), 2u);
    EXPECT_EQ(catalogue.GSensorSamples().size(), 5u);
}

TEST_F(CurrentTelemetryTest, PayloadsWithRateScaleAndBounds) {
    const Bytes mp4 =
        Cat({Ftyp(), Box("gpsa", Attributes(5, 0)), Box("gsea", Attributes(0, 4)),
             Box("gps0", GpsPayload(10, 0, {2014, 1, 1, 0, 0, 0})),
             Box("gsen", GsensorPayload(100)), Box("moov", {VideoTrak(640, 360, 1000, 2000)})});
    ASSERT_TRUE(LoadOne("FILE0004.MP4", mp4));
    EXPECT_EQ(catalogue.RecordsPerSecond(), 5.0);
    ASSERT_EQ(catalogue.GpsSamples().size(), 10u);
    EXPECT_EQ(catalogue.GSensorSamples().size(), 100u);
    EXPECT_EQ(views.curve, (std::vector<std::string>{"SetScale 4.000000 2.000000", "ClearSamples",
                                                     "LoadSamples 100", "SetSampleRate 0.050000"}));
    EXPECT_EQ(views.mapCalls.size(), 2u);

    // A payload that does not lie inside the file is not read.
    RecordingEntry outside = catalogue.Entries()[0];
    outside.telemetry.gpsDataOffset = 1u << 30;
    outside.telemetry.gsensorDataOffset = 1u << 30;
    catalogue.UpdateEntry(0, outside);
    views.curve.clear();
    ASSERT_TRUE(catalogue.LoadCurrentTelemetry(0));
    EXPECT_TRUE(catalogue.GpsSamples().empty());
    EXPECT_TRUE(catalogue.GSensorSamples().empty());
    EXPECT_EQ(views.curve, (std::vector<std::string>{"ClearSamples"}));
}

TEST_F(CurrentTelemetryTest, FailuresLeaveNothingBehind) {
    ASSERT_TRUE(
        LoadOne("FILE0005.MP4", Cat({Ftyp(), Box("gps0", GpsPayload(3, 0, {2014, 1, 1, 0, 0, 0})),
                                     Box("moov", {VideoTrak(640, 360, 1000, 2000)})})));
    EXPECT_EQ(catalogue.GpsSamples().size(), 3u);
    EXPECT_FALSE(catalogue.LoadCurrentTelemetry(1));
    EXPECT_FALSE(catalogue.LoadCurrentTelemetry(-1));
    EXPECT_EQ(catalogue.GpsSamples().size(), 3u);  // out of range changes nothing

    std::filesystem::remove(dir.path() / "FILE0005.MP4");
    views.mapCalls.clear();
    EXPECT_FALSE(catalogue.LoadCurrentTelemetry(0));
    EXPECT_TRUE(catalogue.GpsSamples().empty());
    EXPECT_EQ(views.mapCalls, std::vector<std::string>{"clear track"});
    EXPECT_EQ(catalogue.CurrentIndex(), 0);
}

// Coordinates no writer can put down as a finite number in range are no fix.
TEST_F(CurrentTelemetryTest, HostileCoordinatesNeverReachTheTrack) {
    struct Case {
        double latitude, longitude;
        const char* plotted;  // the point in the map call, or nullptr when it must be left out
    };
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {-1e300, 13944.7296, nullptr},
        {3539.511, 1e300, nullptr},
        {nan, 13944.7296, nullptr},
        {3539.511, -nan, nullptr},
        {inf, 13944.7296, nullptr},
        {-inf, 13944.7296, nullptr},
        {3539.511, -inf, nullptr},
        {20000.0, 0.0, nullptr},
        {-20000.0, 0.0, nullptr},
        {-0.0, -0.0, "[0.000000,0.000000]"},
        {1e-300, -1e-300, "[0.000000,0.000000]"},
        {-1e-7, 0.0, "[0.000000,0.000000]"},
        {-19959.0, 19959.0, "[-199.983333,199.983333]"},
    };
    Bytes payload;
    std::string track;
    std::size_t plottedCount = 0;
    for (const Case& c : cases) {
        GpsSample s;
        s.latitude = c.latitude;
        s.longitude = c.longitude;
        s.fixFlags = 1;
        Append(payload, GpsRecord(s));
        if (c.plotted != nullptr) {
            // Every record here drives at 0 km/h, the third number of each point.
            track += (track.empty() ? "" : ",") +
                     std::string(c.plotted).insert(std::strlen(c.plotted) - 1, ",0");
            ++plottedCount;
        }
    }
    const std::vector<std::string> expected = {"clear track", "track " + track};
    const Bytes mp4 =
        Cat({Ftyp(), Box("gps0", payload), Box("moov", {VideoTrak(640, 360, 1000, 20000)})});
    ASSERT_TRUE(LoadOne("FILE0006.MP4", mp4));
    ASSERT_EQ(catalogue.GpsSamples().size(), std::size(cases));
    EXPECT_EQ(views.mapCalls, expected);

    // The marker and the driven path apply the same rule.
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        views.moves.clear();
        catalogue.SetLastGpsIndex(-1);
        catalogue.FeedGauges(static_cast<std::uint32_t>(k * 1000), false, true);
        EXPECT_EQ(views.moves.size(), cases[k].plotted != nullptr ? 1u : 0u) << k;
    }
    views.mapCalls.clear();
    catalogue.RedrawDrivenPath(1'000'000);
    EXPECT_EQ(views.mapCalls, std::vector<std::string>{"driven " + std::to_string(plottedCount)});
}

TEST_F(CurrentTelemetryTest, TinyAndHugePayloads) {
    // 1 and 2 bytes hold no whole sample: nothing decoded, the curve still told.
    int n = 0;
    for (const char* box : {"gsen", "gps0"}) {
        for (const std::size_t size : {std::size_t{1}, std::size_t{2}}) {
            // Last in the file: the walk stops at the stub a short payload leaves.
            const Bytes mp4 = Cat(
                {Ftyp(), Box("moov", {VideoTrak(640, 360, 1000, 2000)}), Box(box, Zeros(size))});
            ASSERT_TRUE(LoadOne("FILE000" + std::to_string(++n) + ".MP4", mp4)) << box << size;
            EXPECT_TRUE(catalogue.GSensorSamples().empty());
            EXPECT_TRUE(catalogue.GpsSamples().empty());
            EXPECT_EQ(views.curve.back(),
                      box == std::string_view("gsen") ? "SetSampleRate 0.000000" : "ClearSamples");
        }
    }

    // A payload far larger than a 2-second recording can carry is cut to what it can.
    const Bytes big =
        Cat({Ftyp(), Box("gpsa", Attributes(10, 0)),
             Box("gps0", GpsPayload(20000, 0, {2014, 1, 1, 0, 0, 0})),
             Box("gsen", GsensorPayload(200000)), Box("moov", {VideoTrak(640, 360, 1000, 2000)})});
    ASSERT_TRUE(LoadOne("FILE0009.MP4", big));
    EXPECT_EQ(catalogue.GpsSamples().size(), MaxGpsSamples(2000, 10.0));
    EXPECT_EQ(catalogue.GSensorSamples().size(), MaxGSensorSamples(2000));
    EXPECT_GE(MaxGpsSamples(2000, 10.0), 40u);  // still every sample a camera writes
    EXPECT_LT(MaxGpsSamples(2000, 10.0), 200u);
    EXPECT_EQ(MaxGpsSamples(0xFFFFFFFF, 255.0), kGpsSampleCeiling);
    EXPECT_EQ(MaxGSensorSamples(0xFFFFFFFF), kGSensorSampleCeiling);

    // The side text stops at twice the lines its recording's seconds can hold.
    std::string lines;
    for (int k = 0; k < 1000; ++k) {
        lines += "12,00,01,A,N,3539.511000,E,13944.729600,42.5,0.0,14,1,2,-40,16,5,x,4\n";
    }
    dir.Write("S0000002.TXT", Text(lines));
    ASSERT_TRUE(LoadOne("S0000002.AVI", Riff({AviHeaderList(40000, 50, 640, 360), Movi(16)})));
    EXPECT_EQ(catalogue.GpsSamples().size(), MaxGpsSamples(2000, 1.0));
}

TEST_F(CurrentTelemetryTest, SideTextThatIsNoRegularFileGivesWayToTheAvi) {
    const Bytes avi = Riff(
        {AviHeaderList(40000, 50, 640, 360), Chunk("gps0", GpsPayload(2, 0, {2014, 1, 1, 0, 0, 0})),
         Chunk("gsea", Attributes(0, 2)), Chunk("gsen", GsensorPayload(5)), Movi(16)});
    std::filesystem::create_directory(dir.path() / "S0000003.TXT");
    ASSERT_TRUE(LoadOne("S0000003.AVI", avi));
    EXPECT_EQ(catalogue.GpsSamples().size(), 2u);
    EXPECT_EQ(catalogue.GSensorSamples().size(), 5u);
    EXPECT_EQ(catalogue.GSensorFullScale(), 2.0);
#ifndef _WIN32
    // A pipe would block the open for ever.
    ASSERT_EQ(mkfifo((dir.path() / "S0000004.TXT").c_str(), 0600), 0);
    ASSERT_TRUE(LoadOne("S0000004.AVI", avi));
    EXPECT_EQ(catalogue.GpsSamples().size(), 2u);

    // With a real side text the samples are meant at 8 g whatever the AVI says.
    dir.Write("S0000005.TXT",
              Text("12,00,01,A,N,3539.511000,E,13944.729600,42.5,0.0,14,1,2,-40,16,5,x,4\n"));
    ASSERT_TRUE(LoadOne("S0000005.AVI", avi));
    EXPECT_EQ(catalogue.GpsSamples().size(), 1u);
    EXPECT_EQ(catalogue.GSensorFullScale(), 8.0);
#endif
}

TEST(SideTextPathTest, OnlyTheExtensionChanges) {
    EXPECT_EQ(SideTextPath("/m/x.AVI.d/S0000001.AVI"), "/m/x.AVI.d/S0000001.TXT");
    EXPECT_EQ(SideTextPath("/m/S0000001.avi"), "/m/S0000001.txt");
    EXPECT_EQ(SideTextPath("/m/S0000001.MP4"), "");
}

}  // namespace
}  // namespace lum

namespace lum {
namespace {

using namespace lum::test;

class FeedGaugesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        catalogue.Bind(&views, &views, &views, &views);
        catalogue.BindGauges(&views);
    }
    // n records, one a second unless set otherwise, heading 90 degrees, speed = index.
    void Records(int n, double perSecond) {
        gps.clear();
        for (int k = 0; k < n; ++k) {
            GpsSample s;
            s.latitude = 3539.511;
            s.longitude = 13944.7296;
            s.speedKmh = static_cast<std::int16_t>(k);
            s.headingHalfDegrees = 45;
            s.fixFlags = 1;
            gps.push_back(s);
        }
        rate = perSecond;
        Use();
    }
    // Makes gps (with ten G-sensor samples) the current recording's telemetry.
    void Use() { catalogue.SetCurrentSamples(gps, std::vector<GSensorSample>(10), rate); }
    std::vector<GpsSample> gps;
    double rate = 1.0;
    FakeViews views;
    RecordingCatalogue catalogue;
};

TEST_F(FeedGaugesTest, PlayTimeSelectsTheRecord) {
    Records(3000, 5.0);
    EXPECT_EQ(catalogue.FeedGauges(2400, true, true), 1);
    EXPECT_EQ(views.speed, 12);  // 2.4 s at 5 records a second
    // The car moves in decimal degrees: 35 deg 39.511 min is 35.658517 deg.
    EXPECT_EQ(views.moves, (std::vector<std::string>{"35.658517,139.745493,90"}));
    EXPECT_EQ(views.curve, (std::vector<std::string>{"Show", "SetPosition 2400"}));
    EXPECT_EQ(catalogue.FeedGauges(2450, true, true), 1);  // the same record is not pushed again
    EXPECT_EQ(views.moves.size(), 1u);
    rate = 1000.0;
    Use();
    catalogue.FeedGauges(2400, true, true);
    EXPECT_EQ(views.speed, 2400 % 32768);

    // Past the last record nothing changes; with the curve off its cursor stays.
    views.curve.clear();
    views.gauges.clear();
    EXPECT_EQ(catalogue.FeedGauges(10'000'000, false, true), 0);
    EXPECT_TRUE(views.curve.empty());
    EXPECT_TRUE(views.gauges.empty());
}

TEST_F(FeedGaugesTest, InvalidFarAndSouthernRecords) {
    Records(4, 1.0);
    gps[1].fixFlags = 0;
    gps[2].latitude = 20000.0;
    gps[3].latitude = -3350.5;
    gps[3].longitude = -7040.25;
    Use();
    EXPECT_EQ(catalogue.FeedGauges(1000, true, true), 0);
    EXPECT_FALSE(views.speedValid);
    EXPECT_EQ(views.gauges.back(), "speed invalid 0");
    EXPECT_EQ(catalogue.FeedGauges(2000, true, true), 0);  // gauges follow, the marker does not
    EXPECT_EQ(views.speed, 2);
    EXPECT_TRUE(views.moves.empty());
    EXPECT_EQ(catalogue.FeedGauges(3000, true, false), 1);  // map off: no marker move
    EXPECT_TRUE(views.moves.empty());
    catalogue.SetLastGpsIndex(0);
    EXPECT_EQ(catalogue.FeedGauges(3000, true, true), 1);
    EXPECT_EQ(views.moves.back(), "-33.841667,-70.670833,90");  // south and west keep their sign

    gps.clear();  // no GPS at all: blank compass, invalid speed once
    Use();
    views.gauges.clear();
    EXPECT_EQ(catalogue.FeedGauges(0, true, true), 0);
    EXPECT_EQ(views.gauges,
              (std::vector<std::string>{"values", "compass blank", "speed invalid 0"}));
}

TEST_F(FeedGaugesTest, DrivenPathAfterASeek) {
    Records(120, 1.0);
    gps[5].fixFlags = 0;
    Use();
    catalogue.RedrawDrivenPath(90'000);
    // Records 0 to 89 less the one without fix: the first 89 points of the track.
    EXPECT_EQ(views.mapCalls, std::vector<std::string>{"driven 89"});
    views.mapCalls.clear();
    catalogue.RedrawDrivenPath(1'000'000);  // lowered to the record count
    EXPECT_EQ(views.mapCalls, std::vector<std::string>{"driven 119"});
}

}  // namespace
}  // namespace lum
