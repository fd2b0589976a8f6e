#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "recordings/BoundedFile.h"
#include "recordings/LocalTime.h"
#include "recordings/Paths.h"
#include "recordings/RecordingTypes.h"
#include "tests/support/Builders.h"
#include "tests/support/TimeZone.h"

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

TEST(BoundedFileTest, ReadsWholeOrNothingAcrossItsWindow) {
    test::TempDir dir;
    constexpr std::size_t kSize = 20000;
    test::Bytes bytes(kSize);
    for (std::size_t i = 0; i < kSize; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    }
    const std::string path = dir.Write("FILE0001.MP4", bytes);
    BoundedFile f;
    ASSERT_TRUE(f.Open(path));
    EXPECT_EQ(f.Size(), kSize);
    constexpr std::size_t w = BoundedFile::kWindowSize;
    // In this order: hits and misses of the window, reads across its edge,
    // reads larger than it, and the file's end.
    const struct {
        std::uint64_t offset;
        std::size_t n;
        bool ok;
    } cases[] = {
        {0, 8, true},
        {w - 4, 8, true},
        {w + 4, 16, true},
        {4, 8, true},
        {100, w + 900, true},
        {kSize - 4, 4, true},
        {kSize - 3, 4, false},
        {kSize, 0, true},
        {kSize + 1, 0, false},
        {5, 2 * w, true},
        {~0ull, 1, false},
        {kSize - w, w, true},
        {kSize - w - 1, 1, true},
    };
    for (const auto& c : cases) {
        test::Bytes out(c.n + 1, 0xEE);
        ASSERT_EQ(f.ReadAt(c.offset, out.data(), c.n), c.ok) << c.offset << " + " << c.n;
        if (c.ok) {
            EXPECT_TRUE(std::equal(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(c.n),
                                   bytes.begin() + static_cast<std::ptrdiff_t>(c.offset)))
                << c.offset << " + " << c.n;
        }
        EXPECT_EQ(out[c.n], 0xEE) << "nothing written past the asked length";
    }

    // A file that shrinks after the open gives a failed read, not stale bytes.
    std::filesystem::resize_file(ToFsPath(path), 100);
    std::uint8_t b[4];
    EXPECT_FALSE(f.ReadAt(kSize - 4, b, sizeof b));
}

TEST(BoundedFileTest, OpensRegularFilesOnlyAndReportsTheirStatus) {
    test::TempDir dir;
    const std::string path = dir.Write("FILE0001.MP4", test::Bytes(10, 1));
    std::filesystem::permissions(ToFsPath(path), std::filesystem::perms::owner_read);
    BoundedFile f;
    ASSERT_TRUE(f.Open(path));
    EXPECT_TRUE(f.ReadOnly());
    EXPECT_GT(f.ModificationTime(), 0);
    std::filesystem::permissions(ToFsPath(path), std::filesystem::perms::owner_all);
    ASSERT_TRUE(f.Open(path));
    EXPECT_FALSE(f.ReadOnly());

    EXPECT_FALSE(f.Open(FromFsPath(dir.path())));
    EXPECT_FALSE(f.IsOpen());
    EXPECT_FALSE(f.Open(FromFsPath(dir.path() / "missing.MP4")));
    std::uint8_t b[1];
    EXPECT_FALSE(f.ReadAt(0, b, 1));
}

TEST(LocalClockTest, AgreesWithTheCLibraryAcrossDaylightSavingChanges) {
    test::SetTimeZone("CET-1CEST,M3.5.0,M10.5.0/3");
    LocalClock clock;  // one clock for every reading, as in a scan
    for (const int month : {3, 10}) {
        for (int day = 24; day <= 31; ++day) {
            for (int hour = 0; hour < 24; ++hour) {
                // The hour that happens twice when the clocks go back has no one answer.
                if (month == 10 && day == 26 && hour == 2) {
                    continue;
                }
                for (const int minute : {0, 1, 30, 59}) {
                    for (const int second : {0, 59}) {
                        const auto want =
                            LocalDateTimeToEpoch(2014, month, day, hour, minute, second);
                        EXPECT_EQ(clock.ToEpoch(2014, month, day, hour, minute, second), want)
                            << month << "-" << day << " " << hour << ":" << minute;
                    }
                }
            }
        }
    }
    // A day past the month's end is carried into the next month, as the C library does.
    EXPECT_EQ(clock.ToEpoch(2014, 2, 30, 12, 0, 0), LocalDateTimeToEpoch(2014, 3, 2, 12, 0, 0));
    EXPECT_EQ(clock.ToEpoch(2014, 7, 1, 12, 0, 0), test::UtcEpoch(2014, 7, 1, 10, 0, 0));
}

}  // namespace
}  // namespace lum
