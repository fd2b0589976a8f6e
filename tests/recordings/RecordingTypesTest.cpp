#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "recordings/Paths.h"
#include "recordings/RecordingTypes.h"
#include "tests/support/Builders.h"

namespace lum {
namespace {

struct KindCase {
    const char* name;
    std::uint8_t flags;
    std::uint8_t side;
    RecordingKind want;
};

TEST(RecordingKindTest, PrefixesThenLockRule) {
    const KindCase cases[] = {
        {"EMER0001.MP4", 0, 0, RecordingKind::Emergency},
        {"MANU0001.MP4", 0, 0, RecordingKind::Manual},
        {"PARK0001.MP4", 0, 0, RecordingKind::Parking},
        {"FILE0001.MOV", EntryFlagReadOnly, 0, RecordingKind::Normal},
        {"SOS_0001.MOV", 0, 0, RecordingKind::Event},
        {"emer0001.MP4", 0, 0, RecordingKind::Normal},  // case-sensitive prefix
        {"emer0001.MP4", EntryFlagNameLocked, 0, RecordingKind::Event},
        {"XEMER001.MP4", 0, 0, RecordingKind::Normal},  // prefix must start the name
        {"ABC_0001.MOV", 0, 0, RecordingKind::Normal},
        {"ABC_0001.MOV", EntryFlagReadOnly, 0, RecordingKind::Event},
        {"S0000001.AVI", EntryFlagReadOnly, 1, RecordingKind::Normal},
    };
    for (const KindCase& c : cases) {
        EXPECT_EQ(KindOf(c.name, c.flags, c.side), c.want) << c.name << " flags " << int(c.flags);
    }
    EXPECT_EQ(KindStringId(RecordingKind::Parking), 159);
    EXPECT_EQ(KindStringId(RecordingKind::Event), 160);
}

TEST(CoordinatesTest, NmeaConversionAndBounds) {
    EXPECT_NEAR(NmeaToDegrees(37.3012), 37.502, 1e-9);
    EXPECT_NEAR(NmeaToDegrees(-122.15), -122.25, 1e-9);  // truncation keeps the sign

    double lat = 35.395111, lon = 139.447296;
    EXPECT_TRUE(NmeaPairToDegrees(lat, lon));
    EXPECT_NEAR(lat, 35.658518, 1e-6);
    EXPECT_NEAR(lon, 139.745493, 1e-6);

    double farLat = 200.0, someLon = 10.0;
    EXPECT_FALSE(NmeaPairToDegrees(farLat, someLon));
    double nanLat = std::nan(""), lon2 = 10.0;
    EXPECT_FALSE(NmeaPairToDegrees(nanLat, lon2));

    GpsSample s;
    s.fixFlags = 1;
    EXPECT_TRUE(IsPlottable(s));  // 0,0 with a fix is a real position
    s.latitude = 20000.0;
    EXPECT_FALSE(IsPlottable(s));
    s.latitude = -3350.0;
    s.longitude = -7040.0;
    EXPECT_TRUE(IsPlottable(s));
    s.fixFlags = 0;
    EXPECT_FALSE(IsPlottable(s));
}

TEST(RecordingEntryTest, AttributesAndGps) {
    RecordingEntry e;
    EXPECT_EQ(RecordsPerSecond(e), 1.0);
    EXPECT_EQ(GSensorFullScale(e), 8.0);
    EXPECT_FALSE(HasGps(e));
    e.telemetry.gpsAttributes = 0x00000005;
    e.telemetry.gsensorAttributes = 0x00000400;  // byte 1 = 4 g
    EXPECT_EQ(RecordsPerSecond(e), 5.0);
    EXPECT_EQ(GSensorFullScale(e), 4.0);
    e.telemetry.gpsDataOffset = 100;
    EXPECT_FALSE(HasGps(e));
    e.telemetry.gpsDataSize = 32;
    EXPECT_TRUE(HasGps(e));
}

TEST(RecordingEntryTest, FullPathJoinsWithOneSeparator) {
    const std::string sep(1, kPathSeparator);
    struct Case {
        std::string root, sub, name, want;
    } cases[] = {
        {"/card/", "", "FILE0001.MOV", "/card/FILE0001.MOV"},
        {"/card", "", "FILE0001.MOV", "/card" + sep + "FILE0001.MOV"},
        {"/card/", "DCIM/", "FILE0001.MOV", "/card/DCIM/FILE0001.MOV"},
        {"/card", "DCIM/100/", "A.MP4", "/card" + sep + "DCIM/100/A.MP4"},
        {"E:\\", "", "FILE0001.MOV", "E:\\FILE0001.MOV"},
    };
    for (const Case& c : cases) {
        RecordingEntry e;
        e.rootFolder = c.root;
        e.subFolder = c.sub;
        e.fileName = c.name;
        EXPECT_EQ(FullPath(e), c.want);
    }
}

TEST(GpsSampleTest, DecodesTheBindingLayout) {
    GpsSample s;
    s.latitude = -3350.25;
    s.longitude = 15112.5;
    s.altitude = -12;
    s.speedKmh = 101;
    s.year = 14;
    s.month = 1;
    s.day = 2;
    s.hour = 3;
    s.minute = 4;
    s.second = 5;
    s.headingHalfDegrees = 179;
    s.fixFlags = 1;
    const test::Bytes b = test::GpsRecord(s);
    ASSERT_EQ(b.size(), 32u);
    const GpsSample d = DecodeGpsSample(b.data());
    EXPECT_EQ(d.latitude, s.latitude);
    EXPECT_EQ(d.longitude, s.longitude);
    EXPECT_EQ(d.altitude, -12);
    EXPECT_EQ(d.speedKmh, 101);
    EXPECT_EQ(d.second, 5);
    EXPECT_EQ(d.headingHalfDegrees, 179);
    EXPECT_EQ(d.fixFlags, 1);
}

TEST(PathsTest, CharacterCountsAndTails) {
    EXPECT_EQ(Utf8Length("FILE"), 4u);
    EXPECT_EQ(Utf8Length("駐車0001.MP4"), 10u);
    EXPECT_EQ(Utf8Tail("/x/駐車0001.MP4", 10), "駐車0001.MP4");
    EXPECT_EQ(Utf8Tail("ab", 5), "ab");
}

TEST(PathsTest, CreateFolderPathCreatesEveryLevel) {
    test::TempDir dir;
    const std::string base = FromFsPath(dir.path());
    const std::string deep = base + "/LUM/KML/2014";
    EXPECT_TRUE(CreateFolderPath(deep));
    EXPECT_TRUE(std::filesystem::is_directory(ToFsPath(deep)));
    EXPECT_FALSE(CreateFolderPath(deep + "/"));  // the deepest folder already existed
    EXPECT_TRUE(CreateFolderPath(deep + "/more/"));
    EXPECT_FALSE(CreateFolderPath(""));
    // A file in the way makes the creation fail rather than report success.
    test::WriteFile(dir.path() / "blocker", {1});
    EXPECT_FALSE(CreateFolderPath(base + "/blocker/sub"));
}

}  // namespace
}  // namespace lum
