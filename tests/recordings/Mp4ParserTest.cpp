#include <gtest/gtest.h>

#include "recordings/Mp4Parser.h"
#include "recordings/Paths.h"
#include "tests/support/Builders.h"
#include "tests/support/TimeZone.h"

namespace lum {
namespace {

using namespace lum::test;

class Mp4ParserTest : public ::testing::Test {
  protected:
    void SetUp() override { SetTimeZone("JST-9"); }

    // Parses bytes written under name; returns Parse's result, the index in out.
    int Parse(const std::string& name, const Bytes& bytes, TelemetryIndex& out) {
        const std::string path = dir_.Write(name, bytes);
        CLum3gpParser parser;
        parser.SetTarget(&out);
        return parser.Parse(path);
    }

    static Bytes Moov() {
        return Box("moov", {Box("mvhd", Zeros(100)), VideoTrak(1920, 1080, 90000, 5400000)});
    }

    TempDir dir_;
};

TEST_F(Mp4ParserTest, ReadsSizeDurationAndTelemetryPositions) {
    const Bytes gps = GpsPayload(3, 0, {2014, 1, 1, 12, 0, 0});
    const Bytes head = Cat({Ftyp(), Box("gpsa", Attributes(1, 0)), Box("gsea", Attributes(0, 4))});
    const Bytes file = Cat(
        {head, Box("gps0", gps), Box("gsen", GsensorPayload(30)), Moov(), Box("mdat", Zeros(64))});
    TelemetryIndex t;
    ASSERT_EQ(Parse("FILE140101-120000.MP4", file, t), 0);
    EXPECT_EQ(t.width, 1920);
    EXPECT_EQ(t.height, 1080);
    EXPECT_EQ(t.durationMs, 60000u);  // 5400000 / 90000 s
    EXPECT_EQ(t.fileSize, file.size());
    EXPECT_EQ(t.lengthSeconds, 0);
    EXPECT_EQ(t.gpsDataOffset, head.size() + 8);
    EXPECT_EQ(t.gpsDataSize, 96u);
    EXPECT_EQ(t.gsensorDataOffset, head.size() + 8 + 96 + 8);
    EXPECT_EQ(t.gsensorDataSize, 90u);
    EXPECT_EQ(t.gpsAttributes & 0xFF, 1u);
    EXPECT_EQ((t.gsensorAttributes >> 8) & 0xFF, 4u);
    EXPECT_EQ(t.startTime, UtcEpoch(2014, 1, 1, 3, 0, 0));  // 12:00 in UTC+9
    EXPECT_EQ(t.blockCount, 0u);
}

TEST_F(Mp4ParserTest, StartTimeStepsBackToTheFirstRecord) {
    struct Case {
        std::uint8_t perSecond;
        bool attributesFirst;
        std::int64_t back;
    } cases[] = {
        {5, true, 2},    // record 10 at 5 per second is 2 s in
        {0, true, 10},   // 0 means one per second
        {5, false, 10},  // attributes met after the records are not known yet
    };
    for (const Case& c : cases) {
        const Bytes attrs = Box("gpsa", Attributes(c.perSecond, 0));
        const Bytes gps = Box("gps0", GpsPayload(20, 10, {2014, 6, 1, 8, 30, 0}));
        const Bytes file = c.attributesFirst ? Cat({Ftyp(), attrs, gps, Moov()})
                                             : Cat({Ftyp(), gps, attrs, Moov()});
        TelemetryIndex t;
        ASSERT_EQ(Parse("A.MP4", file, t), 0);
        EXPECT_EQ(t.startTime, UtcEpoch(2014, 5, 31, 23, 30, 0) - c.back)
            << int(c.perSecond) << " " << c.attributesFirst;
    }
}

TEST_F(Mp4ParserTest, IditSetsOrClearsTheStartTime) {
    const Bytes gps = Box("gps0", GpsPayload(2, 0, {2014, 1, 1, 12, 0, 0}));
    const Bytes good = Box("IDIT", Text("2015-02-03 04:05:06"));
    const Bytes bad = Box("IDIT", Text("2014-13-01 10:00:00"));
    TelemetryIndex t;
    ASSERT_EQ(Parse("A.MP4", Cat({Ftyp(), good, Moov()}), t), 0);
    EXPECT_EQ(t.startTime, UtcEpoch(2015, 2, 2, 19, 5, 6));

    ASSERT_EQ(Parse("B.MP4", Cat({Ftyp(), gps, bad, Moov()}), t), 0);
    EXPECT_EQ(t.startTime, 0);  // the invalid text undoes the earlier time

    ASSERT_EQ(Parse("C.MP4", Cat({Ftyp(), bad, gps, Moov()}), t), 0);
    EXPECT_EQ(t.startTime, UtcEpoch(2014, 1, 1, 3, 0, 0));  // a later record supplies one

    ASSERT_EQ(Parse("D.MP4", Cat({Ftyp(), good, gps, Moov()}), t), 0);
    EXPECT_EQ(t.startTime, UtcEpoch(2015, 2, 2, 19, 5, 6));  // a known time is kept

    // A long text: only its first 63 characters are looked at.
    ASSERT_EQ(Parse("E.MP4",
                    Cat({Ftyp(), Box("IDIT", Text("2015-02-03 04:05:06" + std::string(300, 'x'))),
                         Moov()}),
                    t),
              0);
    EXPECT_EQ(t.startTime, UtcEpoch(2015, 2, 2, 19, 5, 6));
}

TEST_F(Mp4ParserTest, BlockOffsetsOnlyForUpperCaseMov) {
    struct Case {
        std::uint16_t channels, bits, rate;
        std::uint32_t stride;
    } cases[] = {
        {1, 16, 8000, 32768},    // 16000 bytes a second
        {2, 16, 48000, 196608},  // 192000 bytes a second
        {0, 16, 8000, 32768},    // silence still has a stride
    };
    for (const Case& c : cases) {
        const Bytes moov =
            Box("moov", {VideoTrak(1280, 720, 1000, 60000),
                         AudioTrak(c.channels, c.bits, c.rate, {1000, 70000, 140000})});
        const Bytes file = Cat({Ftyp(), moov, Box("mdat", Zeros(16))});
        TelemetryIndex upper, lower;
        ASSERT_EQ(Parse("FILE0001.MOV", file, upper), 0);
        ASSERT_EQ(upper.blockCount, 3u);
        EXPECT_EQ(upper.blockOffsets[0], 1000u + c.stride);
        EXPECT_EQ(upper.blockOffsets[2], 140000u + c.stride);
        EXPECT_EQ(upper.blockOffsets.size(), 3u);
        ASSERT_EQ(Parse("FILE0001.mov", file, lower), 0);
        EXPECT_EQ(lower.blockCount, 0u);
        EXPECT_TRUE(lower.blockOffsets.empty());
    }
}

TEST_F(Mp4ParserTest, ListLimits) {
    std::vector<std::uint32_t> many(900);
    for (std::uint32_t i = 0; i < many.size(); ++i) {
        many[i] = i * 100000;
    }
    const Bytes moov = Box("moov", {VideoTrak(640, 480, 1000, 1000), AudioTrak(1, 16, 8000, many)});
    const std::vector<std::uint32_t> index75(many.begin(), many.begin() + 75);
    TelemetryIndex t;
    ASSERT_EQ(Parse("B.MOV", Cat({Ftyp(), GpsIndexBox(index75), moov}), t), 0);
    EXPECT_EQ(t.blockCount, 700u);
    EXPECT_EQ(t.blockOffsets[699], 699u * 100000 + 32768);
    EXPECT_EQ(t.gpsIndexCount, 60u);
    EXPECT_EQ(t.gpsIndexOffsets[59], 59u * 100000);
    EXPECT_EQ(t.blockOffsets.size(), 700u);
    EXPECT_EQ(t.gpsIndexOffsets.size(), 60u);
}

TEST_F(Mp4ParserTest, WalkStopsAfterBothTelemetryPayloads) {
    const Bytes telemetry =
        Cat({Box("gps0", GpsPayload(1, 0, {2014, 1, 1, 0, 0, 0})), Box("gsen", GsensorPayload(3))});
    TelemetryIndex t;
    // Once both are found, an unlisted box ends the walk, so a later moov is never seen.
    EXPECT_EQ(Parse("A.MP4", Cat({Ftyp(), telemetry, Box("free", Zeros(4)), Moov()}), t), -1);
    // Before that, a printable unlisted box is passed over...
    EXPECT_EQ(Parse("B.MP4", Cat({Ftyp(), Box("free", Zeros(4)), Moov()}), t), 0);
    // ...and one with a non-printable type rejects the file.
    EXPECT_EQ(Parse("C.MP4", Cat({Ftyp(), Box("fr\x01e", Zeros(4)), Moov()}), t), -1);
    // A payload that is not a whole number of records: the next header is read
    // right after the last whole record.
    const Bytes ragged = Cat({GpsRecord(DatedSample({2014, 1, 1, 0, 0, 0})), Box("skip", {})});
    EXPECT_EQ(Parse("D.MP4", Cat({Ftyp(), Box("gps0", ragged), Moov()}), t), 0);
    EXPECT_EQ(t.gpsDataSize, 40u);
}

TEST_F(Mp4ParserTest, RejectsWhatIsNotARecording) {
    TelemetryIndex t;
    t.width = 7;                                       // a failed parse leaves the target alone
    EXPECT_EQ(Parse("A.MP4", Moov(), t), -1);          // no leading ftyp
    EXPECT_EQ(Parse("B.MP4", Bytes{0, 0, 0}, t), -1);  // shorter than a header
    EXPECT_EQ(Parse("C.MP4", Ftyp(), t), -1);          // no moov
    EXPECT_EQ(Parse("D.MP4", Cat({Ftyp(), Box("moov", {VideoTrak(0, 0, 1000, 1000)})}), t), -1);
    EXPECT_EQ(t.width, 7);
    CLum3gpParser parser;
    parser.SetTarget(&t);
    EXPECT_EQ(parser.Parse(FromFsPath(dir_.path() / "missing.MP4")), -1);
}

// Damaged files: each must end without a hang or a read outside its box, and
// no value may come from outside the box it belongs to.
TEST_F(Mp4ParserTest, DamagedBoxesEndTheWalkSafely) {
    const Bytes trak = VideoTrak(1920, 1080, 90000, 5400000);
    struct Case {
        const char* what;
        Bytes file;
        int result;
    } cases[] = {
        {"top-level size 0", Cat({Ftyp(), Moov(), BoxWithSize("mdat", 0, Zeros(32))}), 0},
        {"top-level size 1", Cat({Ftyp(), BoxWithSize("free", 1, Zeros(32)), Moov()}), -1},
        {"size below header", Cat({Ftyp(), BoxWithSize("free", 7, Zeros(32)), Moov()}), -1},
        {"box past end of file", Cat({Ftyp(), Moov(), BoxWithSize("mdat", 1u << 30, Zeros(32))}),
         0},
        {"moov past end of file", Cat({Ftyp(), BoxWithSize("moov", 1u << 30, trak)}), -1},
        {"ftyp size 0", BoxWithSize("ftyp", 0, Zeros(64)), -1},
        {"trak size 0 inside moov",
         Cat({Ftyp(), Box("moov", {BoxWithSize("trak", 0, Zeros(8)), trak})}), -1},
        {"trak larger than moov",
         Cat({Ftyp(), Box("moov", {BoxWithSize("trak", 5000, Zeros(8))}), trak,
              Box("mdat", Zeros(5000))}),
         -1},
        {"gps0 past end of file", Cat({Ftyp(), Moov(), BoxWithSize("gps0", 1u << 20, Zeros(64))}),
         0},
    };
    for (const Case& c : cases) {
        TelemetryIndex t;
        EXPECT_EQ(Parse("X.MOV", c.file, t), c.result) << c.what;
        EXPECT_EQ(t.gpsDataSize, 0u) << c.what;
    }
}

TEST_F(Mp4ParserTest, ShortMoovPayloadsGiveNoValues) {
    auto withMdhd = [](const Bytes& mdhd) {
        return Cat({Ftyp(),
                    Box("moov",
                        {Box("trak",
                             {Box("mdia",
                                  {mdhd, Box("minf", {Box("stbl", {Stsd(Avc1(320, 240))})})})})})});
    };
    TelemetryIndex t;
    EXPECT_EQ(Parse("A.MP4", withMdhd(Box("mdhd", Zeros(16))), t), -1);  // too short for a duration
    EXPECT_EQ(Parse("B.MP4", withMdhd(Mdhd(0, 5400000)), t), -1);        // timescale 0: no duration
    // Version 1: 64-bit times move the timescale to 20 and the duration to 24.
    const Bytes v1 =
        Box("mdhd", Cat({Be32(0x01000000), Zeros(16), Be32(1000), Be32(0), Be32(65000), Be32(0)}));
    ASSERT_EQ(Parse("C.MP4", withMdhd(v1), t), 0);
    EXPECT_EQ(t.durationMs, 65000u);

    // avc1 shorter than 28 bytes: no frame size.
    const Bytes shortAvc1 = Box(
        "moov",
        {Box("trak", {Box("mdia", {Mdhd(1000, 1000),
                                   Box("minf", {Box("stbl", {Stsd(Box("avc1", Zeros(20)))})})})})});
    EXPECT_EQ(Parse("D.MP4", Cat({Ftyp(), shortAvc1}), t), -1);

    // An stsd whose entry count is 0 is not searched.
    const Bytes noEntries = Box(
        "moov",
        {Box("trak",
             {Box("mdia", {Mdhd(1000, 1000),
                           Box("minf", {Box("stbl", {Box("stsd", Cat({Be32(0), Be32(0),
                                                                      Avc1(320, 240)}))})})})})});
    EXPECT_EQ(Parse("E.MP4", Cat({Ftyp(), noEntries}), t), -1);

    // A sound description cut short gives no stride and so no blocks.
    const Bytes shortSound = Box(
        "trak",
        {Box("mdia", {Box("minf", {Box("stbl", {Box("stsd", Zeros(30)), Stco({100, 200})})})})});
    ASSERT_EQ(Parse("F.MOV",
                    Cat({Ftyp(), Box("moov", {VideoTrak(320, 240, 1000, 1000), shortSound})}), t),
              0);
    EXPECT_EQ(t.blockCount, 0u);

    // An stco claiming more entries than it holds gives only those it holds.
    const Bytes liar = Box("stco", Cat({Be32(0), Be32(500), Be32(100), Be32(200)}));
    const Bytes audio = Box(
        "trak", {Box("mdia", {Box("minf", {Box("stbl", {Stsd(SoundEntry(1, 16, 8000)), liar})})})});
    ASSERT_EQ(
        Parse("G.MOV", Cat({Ftyp(), Box("moov", {VideoTrak(320, 240, 1000, 1000), audio})}), t), 0);
    ASSERT_EQ(t.blockCount, 2u);
    EXPECT_EQ(t.blockOffsets.size(), 2u);
    EXPECT_EQ(t.blockOffsets[1], 200u + 32768);

    // Attribute and index boxes shorter than their fields.
    ASSERT_EQ(Parse("H.MP4",
                    Cat({Ftyp(), Box("gpsa", Bytes{5}),
                         Box("gps ", Cat({Be32(0), Be32(9), Be32(1234)})), Moov()}),
                    t),
              0);
    EXPECT_EQ(t.gpsAttributes, 5u);
    EXPECT_EQ(t.gpsIndexCount, 0u);
}

}  // namespace
}  // namespace lum
