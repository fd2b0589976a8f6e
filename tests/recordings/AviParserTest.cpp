#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "recordings/AviParser.h"
#include "recordings/Mp4Parser.h"
#include "recordings/Paths.h"
#include "tests/support/Builders.h"
#include "tests/support/TimeZone.h"

namespace lum {
namespace {

using namespace lum::test;

class AviParserTest : public ::testing::Test {
  protected:
    void SetUp() override { SetTimeZone("JST-9"); }

    int Parse(const std::string& name, const Bytes& bytes, TelemetryIndex& out) {
        lastPath_ = dir_.Write(name, bytes);
        CLumAviParser parser;
        parser.SetTarget(&out);
        return parser.Parse(lastPath_);
    }

    static Bytes Headers() { return AviHeaderList(40000, 1500, 1280, 720); }

    TempDir dir_;
    std::string lastPath_;
};

TEST_F(AviParserTest, ReadsHeadersTelemetryAndLength) {
    const Bytes head = Cat({Text("RIFF"), Le32(0), Text("AVI "), Headers(),
                            Chunk("gpsa", Attributes(1, 0)), Chunk("gsea", Attributes(0, 2))});
    const Bytes file =
        Cat({head, Chunk("IDIT", Text("2014-01-01 12:00:00\n")),
             Chunk("gps0", GpsPayload(3, 0, {2013, 1, 1, 0, 0, 0})),
             Chunk("gsen", GsensorPayload(15)), Movi(100), Chunk("idx1", Zeros(16))});
    TelemetryIndex t;
    FileStatus status;
    lastPath_ = dir_.Write("FILE140101-120000.AVI", file);
    CLumAviParser parser;
    parser.SetTarget(&t);
    parser.SetStatusTarget(&status);
    ASSERT_EQ(parser.Parse(lastPath_), 0);
    EXPECT_EQ(t.width, 1280);
    EXPECT_EQ(t.height, 720);
    EXPECT_EQ(t.durationMs, 60000u);  // 1500 frames of 40 ms
    EXPECT_EQ(t.lengthSeconds, 60);
    EXPECT_EQ(t.fileSize, file.size());
    EXPECT_EQ(status.size, file.size());
    EXPECT_EQ(t.startTime, UtcEpoch(2014, 1, 1, 3, 0, 0));  // IDIT came first
    const std::uint64_t gpsAt =
        head.size() + (8 + 20) + 8;  // after the IDIT chunk and the gps0 header
    EXPECT_EQ(t.gpsDataOffset, gpsAt);
    EXPECT_EQ(t.gpsDataSize, 96u);
    EXPECT_EQ(t.gsensorDataOffset, gpsAt + 96 + 8);
    EXPECT_EQ(t.gsensorDataSize, 45u);
    EXPECT_EQ(GSensorFullScale(RecordingEntry{0, 0, "", "", "", t}), 2.0);
    EXPECT_EQ(t.hasSideText, 0);
}

TEST_F(AviParserTest, ModificationTimeWhenTheFileCarriesNoDate) {
    const Bytes avi = Riff({Headers(), Movi(10)});
    const Bytes mp4 = Cat({Ftyp(), Box("moov", {VideoTrak(320, 240, 1000, 1000)})});
    const auto stamp = std::chrono::sys_seconds{std::chrono::seconds{1400000000}};
    TelemetryIndex t;
    lastPath_ = dir_.Write("A.AVI", avi);
    std::filesystem::last_write_time(ToFsPath(lastPath_), std::chrono::file_clock::from_sys(stamp));
    CLumAviParser aviParser;
    aviParser.SetTarget(&t);
    ASSERT_EQ(aviParser.Parse(lastPath_), 0);
    EXPECT_EQ(t.startTime, 1400000000);

    // The MP4-family reader in the same situation reports no time at all.
    const std::string mp4Path = dir_.Write("A.MP4", mp4);
    std::filesystem::last_write_time(ToFsPath(mp4Path), std::chrono::file_clock::from_sys(stamp));
    CLum3gpParser mp4Parser;
    mp4Parser.SetTarget(&t);
    ASSERT_EQ(mp4Parser.Parse(mp4Path), 0);
    EXPECT_EQ(t.startTime, 0);
}

TEST_F(AviParserTest, SideTextMarkForEitherSeparator) {
    struct Case {
        const char* path;
        bool mark;
    } cases[] = {
        {"E:\\DCIM\\S0000123.AVI", true},
        {"/media/card/DCIM/S0000123.AVI", true},
        {"/media/card/DCIM/12345678.AVI", true},
        {"/media/card/DCIM/12345678.avi", true},
        {"E:\\DCIM\\A0000123.AVI", false},
        {"E:\\DCIM\\FILE140101-120000.AVI", false},
        {"/card/S0000123.MP4", false},
        {"S0000123.AVI", false},         // no folder separator before the name
        {"/card/駐0000123.AVI", false},  // characters, not bytes, are counted
        {"/card/s0000123.AVI", false},   // only a capital S
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HasSideTextName(c.path), c.mark) << c.path;
    }
    TelemetryIndex t;
    ASSERT_EQ(Parse("S0000001.AVI", Riff({Headers(), Movi(10)}), t), 0);
    EXPECT_EQ(t.hasSideText, 1);
}

TEST_F(AviParserTest, WalkRules) {
    TelemetryIndex t;
    // A movi list claiming 10 MB more than the file holds: cut short, left out.
    EXPECT_EQ(Parse("A.AVI", Riff({Headers(), ChunkWithSize("LIST", 10u << 20, Text("movi"))}), t),
              -1);
    // Sizes are literal: an odd JUNK without a pad byte is followed directly by the next chunk.
    EXPECT_EQ(Parse("B.AVI", Riff({Headers(), Chunk("JUNK", Zeros(3)), Movi(10)}), t), 0);
    // ...and with a pad byte the next identifier starts one byte early and is not printable.
    EXPECT_EQ(Parse("C.AVI", Riff({Headers(), Chunk("JUNK", Zeros(3)), Bytes{0}, Movi(10)}), t),
              -1);
    // Once both telemetry chunks are known, anything unknown ends the walk.
    const Bytes both = Cat(
        {Chunk("gps0", GpsPayload(1, 0, {2014, 1, 1, 0, 0, 0})), Chunk("gsen", GsensorPayload(2))});
    EXPECT_EQ(Parse("D.AVI", Riff({Headers(), both, Zeros(8), Movi(10)}), t), 0);
    // An unknown printable identifier consumes only its four bytes.
    EXPECT_EQ(Parse("E.AVI", Riff({Headers(), Text("abcd"), Movi(10)}), t), 0);
    // No video stream format: no frame size.
    EXPECT_EQ(Parse("F.AVI", Riff({List("hdrl", {Avih(40000, 1500)}), Movi(10)}), t), -1);
    EXPECT_EQ(Parse("G.AVI", Cat({Text("RIFX"), Le32(4), Text("AVI ")}), t), -1);
}

TEST_F(AviParserTest, DamagedChunksEndTheWalkSafely) {
    const Bytes strl = List("strl", {Strh("vids"), VideoStrf(640, 480)});
    struct Case {
        const char* what;
        Bytes file;
        int result;
        std::uint32_t durationMs;
    } cases[] = {
        {"LIST too small for its type",
         Riff({ChunkWithSize("LIST", 2, Text("hdrl")), Headers(), Movi(4)}), -1, 0},
        {"avih shorter than its fields",
         Riff({List("hdrl", {Chunk("avih", Le32(40000)), strl}), Movi(4)}), -1, 0},
        {"strf shorter than the height",
         Riff({List("hdrl",
                    {Avih(40000, 25),
                     List("strl", {Strh("vids"), Chunk("strf", Cat({Le32(40), Le32(640)}))})}),
               Movi(4)}),
         -1, 0},
        {"chunk past end of file",
         Riff({Headers(), Movi(4), ChunkWithSize("JUNK", 1u << 30, Zeros(4))}), 0, 60000},
        {"gps0 past end of file",
         Riff({Headers(), Movi(4), ChunkWithSize("gps0", 1u << 20, Zeros(64))}), 0, 60000},
        {"long strf is passed whole",
         Riff({List("hdrl",
                    {Avih(40000, 25),
                     List("strl", {Strh("vids"), Chunk("strf", Cat({Le32(40), Le32(640), Le32(480),
                                                                    Zeros(60)}))})}),
               Movi(4)}),
         0, 1000},
        {"long IDIT",
         Riff({Headers(), Chunk("IDIT", Text("2014-01-01 12:00:00" + std::string(500, '\x01'))),
               Movi(4)}),
         0, 60000},
        {"truncated header", Cat({Text("RIFF"), Le32(100), Text("AVI "), Text("LIST"), Le32(100)}),
         -1, 0},
    };
    for (const Case& c : cases) {
        TelemetryIndex t;
        EXPECT_EQ(Parse("X.AVI", c.file, t), c.result) << c.what;
        EXPECT_EQ(t.durationMs, c.durationMs) << c.what;
        EXPECT_EQ(t.gpsDataSize, 0u) << c.what;
    }
}

}  // namespace
}  // namespace lum
