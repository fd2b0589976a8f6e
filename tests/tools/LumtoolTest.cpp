// lumtool end to end on a card built in code.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "recordings/Paths.h"
#include "tests/support/Builders.h"
#include "tests/support/Shell.h"
#include "tests/support/TimeZone.h"

namespace lum {
namespace {

using namespace lum::test;
using nlohmann::json;
namespace fs = std::filesystem;

class LumtoolTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { SetTimeZone("JST-9"); }

    // Runs lumtool with a time limit, so a hang fails the test instead of stalling it.
    ShellRun Lumtool(const std::string& args, const std::string& stdoutPath = {}) {
        return Shell("timeout 20 " + std::string(LUMTOOL_PATH) + " " + args, dir.path(),
                     stdoutPath);
    }

    // A small card: MP4 with payloads (5 records a second), a ".MOV" with
    // blocks, a short-named AVI with its side text, and things to leave out.
    void MakeCard() {
        const Bytes mp4 = Cat(
            {Ftyp(), Box("gpsa", Attributes(5, 0)), Box("IDIT", Text("2014-01-01 12:00:00")),
             Box("gps0", GpsPayload(10, 0, {2014, 1, 1, 12, 0, 0})),
             Box("gsen", GsensorPayload(20)), Box("moov", {VideoTrak(1920, 1080, 1000, 2000)})});
        dir.Write("card/DCIM/FILE140101-120000.MP4", mp4);
        dir.Write("card/DCIM/EMER140101-120002.MP4", mp4);
        std::vector<std::uint32_t> offsets = {0, 0};
        auto mov = [&] {
            return Cat({Ftyp(), Box("moov", {VideoTrak(1280, 720, 1000, 2000),
                                             AudioTrak(1, 16, 8000, offsets)})});
        };
        const std::uint32_t base = static_cast<std::uint32_t>(mov().size()) + 8;
        offsets = {base, base + 200};
        Bytes media;
        PlaceAt(media, 32768 + 16, TelemetryBlock(176, 20, BlockFields{}));
        PlaceAt(media, 200 + 32768 + 16, TelemetryBlock(176, 20, BlockFields{}));
        Bytes movFile = mov();
        Append(movFile, Box("mdat", media));
        dir.Write("card/DCIM/PARK140101-130000.MOV", movFile);
        dir.Write("card/S0000001.AVI", Riff({AviHeaderList(40000, 50, 640, 360), Movi(16)}));
        dir.Write("card/S0000001.TXT",
                  Text("12,00,01,A,S,3350.500000,W,7040.250000,42.5,0.0,14,1,2,-40,16,5,x,4\n"));
        dir.Write("card/.hidden/FILE140101-140000.MP4", mp4);
        dir.Write("card/DCIM/FILE140101-150000.mov", mp4);
        dir.Write("card/DCIM/FILE140101-160000.MP4", Text("no box here"));
    }

    TempDir dir;
};

TEST_F(LumtoolTest, ScanListsTheCardAsTheViewerWould) {
    MakeCard();
    const ShellRun r = Lumtool("scan " + ShellQuote((dir.path() / "card").string()) + " --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json doc = json::parse(r.out);
    const json& entries = doc["entries"];
    ASSERT_EQ(entries.size(), 4u);
    // By name key: "0001.AVI" of the short name sorts before the dated names.
    EXPECT_EQ(entries[0]["fileName"], "S0000001.AVI");
    EXPECT_EQ(entries[0]["telemetry"]["hasSideText"], 1);
    EXPECT_EQ(entries[1]["fileName"], "FILE140101-120000.MP4");
    EXPECT_EQ(entries[2]["fileName"], "EMER140101-120002.MP4");
    EXPECT_EQ(entries[2]["kind"], "Emergency");
    EXPECT_EQ(entries[3]["kind"], "Parking");
    EXPECT_EQ(entries[3]["telemetry"]["blockCount"], 2);
    EXPECT_EQ(entries[3]["telemetry"]["blockOffsets"].size(), 2u);
    EXPECT_EQ(entries[1]["telemetry"]["width"], 1920);
    EXPECT_EQ(entries[1]["telemetry"]["durationMs"], 2000);
    EXPECT_EQ(entries[1]["telemetry"]["gpsAttributes"], 5);
    EXPECT_EQ(entries[2]["groupNumber"], 1);  // starts as the one before ends
    EXPECT_EQ(entries[2]["indexInGroup"], 1);
    ASSERT_EQ(doc["groups"].size(), 3u);
    EXPECT_EQ(doc["groups"][1]["entryCount"], 2);

    const ShellRun table = Lumtool("scan " + ShellQuote((dir.path() / "card").string()));
    EXPECT_EQ(table.exitCode, 0);
    EXPECT_NE(table.out.find("4 recordings in 3 groups"), std::string::npos);
    EXPECT_NE(table.out.find("2014-01-01 12:00:00"), std::string::npos);  // local time
}

TEST_F(LumtoolTest, TelemetryInEveryFormat) {
    MakeCard();
    const std::string mp4 = ShellQuote((dir.path() / "card/DCIM/FILE140101-120000.MP4").string());
    const ShellRun r = Lumtool("telemetry " + mp4);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json doc = json::parse(r.out);
    EXPECT_EQ(doc["recordsPerSecond"], 5.0);
    EXPECT_EQ(doc["gsensorFullScale"], 8.0);
    ASSERT_EQ(doc["gps"].size(), 10u);
    EXPECT_EQ(doc["gps"][0]["speedKmh"], 42);
    EXPECT_EQ(doc["gsensor"].size(), 20u);
    ASSERT_EQ(doc["track"].size(), 10u);
    EXPECT_NEAR(doc["track"][0][0].get<double>(), 35.658517, 1e-6);
    EXPECT_NEAR(doc["track"][0][1].get<double>(), 139.745493, 1e-6);

    const ShellRun gpx = Lumtool("telemetry " + mp4 + " --format gpx");
    EXPECT_NE(gpx.out.find("<time>2014-01-01T03:00:00Z</time>"),
              std::string::npos);  // 12:00 in UTC+9
    EXPECT_EQ(gpx.out.find("<trkpt", gpx.out.find("<trkpt") + 1) != std::string::npos, true);
    const ShellRun csv = Lumtool("telemetry " + mp4 + " --format csv");
    EXPECT_EQ(csv.out.substr(0, csv.out.find('\n')),
              "time,latitude,longitude,speed_kmh,heading_deg,altitude");
    EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 11);
    const ShellRun geo = Lumtool("telemetry " + mp4 + " --format geojson");
    EXPECT_EQ(json::parse(geo.out)["features"][0]["geometry"]["coordinates"].size(), 10u);
    const ShellRun kml = Lumtool("telemetry " + mp4 + " --format kml");
    EXPECT_EQ(kml.out.rfind("<?xml", 0), 0u);
    EXPECT_NE(kml.out.find("139.745493,35.658517,0\n"), std::string::npos);

    // The side text of a short-named AVI: south and west come out negative.
    const ShellRun avi =
        Lumtool("telemetry " + ShellQuote((dir.path() / "card/S0000001.AVI").string()));
    const json side = json::parse(avi.out);
    ASSERT_EQ(side["track"].size(), 1u);
    EXPECT_LT(side["track"][0][0].get<double>(), 0);
    EXPECT_LT(side["track"][0][1].get<double>(), 0);
}

TEST_F(LumtoolTest, ExportWritesOneFilePerRecording) {
    MakeCard();
    const fs::path out = dir.path() / "out";
    const ShellRun r = Lumtool("export " + ShellQuote((dir.path() / "card").string()) +
                               " --format gpx --out " + ShellQuote(out.string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(out / "FILE140101-120000.gpx"));
    EXPECT_TRUE(fs::exists(out / "S0000001.gpx"));
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 4);
    const ShellRun kml = Lumtool("export " + ShellQuote((dir.path() / "card").string()) +
                                 " --format kml --out " + ShellQuote(out.string()));
    EXPECT_TRUE(fs::exists(out / "FILE140101-120000_2014_01_01_12-00-00.KML"));
}

TEST_F(LumtoolTest, OutputThatCannotBeWrittenFails) {
    MakeCard();
    const std::string card = ShellQuote((dir.path() / "card").string());
    const std::string mp4 = ShellQuote((dir.path() / "card/DCIM/FILE140101-120000.MP4").string());
    for (const std::string& args :
         {"scan " + card, "scan " + card + " --json", "telemetry " + mp4,
          "telemetry " + mp4 + " --format csv",
          "export " + card + " --format gpx --out " + ShellQuote((dir.path() / "out").string()),
          std::string("--help")}) {
        const ShellRun r = Lumtool(args, "/dev/full");
        EXPECT_EQ(r.exitCode, 1) << args;
        EXPECT_NE(r.err.find("cannot write the output"), std::string::npos) << args << r.err;
    }
}

TEST_F(LumtoolTest, SpecialFilesNamedLikeRecordingsOrSideTextsAreLeftOut) {
    MakeCard();
    const Bytes avi = Riff({AviHeaderList(40000, 50, 640, 360),
                            Chunk("gps0", GpsPayload(2, 0, {2014, 1, 1, 0, 0, 0})), Movi(16)});
    dir.Write("card/S0000002.AVI", avi);
    dir.Write("card/S0000003.AVI", avi);
    const fs::path card = dir.path() / "card";
    ASSERT_EQ(mkfifo((card / "S0000002.TXT").c_str(), 0600), 0);
    // A pipe named like a recording would block an open for ever if it were opened for reading.
    ASSERT_EQ(mkfifo((card / "DCIM/FILE140101-170000.MP4").c_str(), 0600), 0);
    fs::create_directory(card / "DCIM/FILE140101-180000.MP4");
    fs::create_directory(card / "S0000003.TXT");
    const ShellRun scan = Lumtool("scan " + ShellQuote(card.string()) + " --json");
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    EXPECT_EQ(json::parse(scan.out)["entries"].size(), 6u);
    const ShellRun pipe =
        Lumtool("telemetry " + ShellQuote((card / "DCIM/FILE140101-170000.MP4").string()));
    EXPECT_EQ(pipe.exitCode, 1) << pipe.out;
    EXPECT_FALSE(pipe.err.empty());
    // The AVI's own telemetry stands in for a side text that is no regular file.
    for (const char* name : {"S0000002.AVI", "S0000003.AVI"}) {
        const ShellRun r = Lumtool("telemetry " + ShellQuote((card / name).string()));
        ASSERT_EQ(r.exitCode, 0) << name << r.err;
        EXPECT_EQ(json::parse(r.out)["gps"].size(), 2u) << name;
    }
}

TEST_F(LumtoolTest, UnreadableCardIsNoEmptyCard) {
    MakeCard();
    const fs::path card = dir.path() / "card";
    fs::permissions(card, fs::perms::none, fs::perm_options::replace);
    std::error_code ec;
    const bool listable = fs::directory_iterator(card, ec) != fs::directory_iterator() && !ec;
    if (listable) {
        fs::permissions(card, fs::perms::owner_all, fs::perm_options::replace);
        GTEST_SKIP() << "this user reads folders without read permission";
    }
    const ShellRun r = Lumtool("scan " + ShellQuote(card.string()));
    fs::permissions(card, fs::perms::owner_all, fs::perm_options::replace);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot be read"), std::string::npos) << r.err;
}

TEST_F(LumtoolTest, LongNamesExportAndKilledExportsAreCleanedUp) {
    MakeCard();
    // 255 bytes, the most a file name can have: no room for a suffix beside it.
    const std::string name = "FILE140101-120000" + std::string(255 - 17 - 4, 'A') + ".MP4";
    fs::create_directory(dir.path() / "long");
    fs::copy_file(dir.path() / "card/DCIM/FILE140101-120000.MP4", dir.path() / "long" / name);
    const fs::path out = dir.path() / "out";
    fs::create_directory(out);
    const fs::path stale = out / ".lum-0123456789abcdef.tmp";
    dir.Write("out/.lum-0123456789abcdef.tmp", Text("half a track"));
    fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(1));
    const ShellRun r = Lumtool("export " + ShellQuote((dir.path() / "long").string()) +
                               " --format gpx --out " + ShellQuote(out.string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(out / (name.substr(0, name.size() - 4) + ".gpx")));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
}

TEST_F(LumtoolTest, NamesThatAreNotUtf8ComeBackFromTheirBytes) {
    MakeCard();
    fs::create_directory(dir.path() / "raw");
    fs::copy_file(dir.path() / "card/DCIM/FILE140101-120000.MP4", dir.path() / "raw" /
                                                                      "FILE\xFF\xFE"
                                                                      "0101-120000.MP4");
    const ShellRun scan = Lumtool("scan " + ShellQuote((dir.path() / "raw").string()) + " --json");
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    const json entry = json::parse(scan.out)["entries"][0];
    EXPECT_EQ(entry["fileNameBytes"], "FILE%FF%FE0101-120000.MP4");
    EXPECT_FALSE(entry.contains("rootFolderBytes"));
    const ShellRun r = Lumtool("telemetry " + ShellQuote(entry["pathBytes"].get<std::string>()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["gps"].size(), 10u);
}

TEST_F(LumtoolTest, ErrorsAndUsage) {
    MakeCard();
    const ShellRun missing = Lumtool("scan " + ShellQuote((dir.path() / "nowhere").string()));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "Folder is not exist.\n");
    const ShellRun junk = Lumtool(
        "telemetry " + ShellQuote((dir.path() / "card/DCIM/FILE140101-160000.MP4").string()));
    EXPECT_EQ(junk.exitCode, 1);
    EXPECT_NE(junk.err.find("not a recording"), std::string::npos);
    EXPECT_EQ(Lumtool("").exitCode, 2);
    EXPECT_EQ(Lumtool("scan").exitCode, 2);
    EXPECT_EQ(Lumtool("telemetry x --format bmp").exitCode, 2);
    EXPECT_EQ(Lumtool("export x --format gpx").exitCode, 2);
    EXPECT_EQ(Lumtool("frobnicate").exitCode, 2);
}

}  // namespace
}  // namespace lum
