// lumtool events and the trip figures of lumtool scan, on a card built in code.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/support/Builders.h"
#include "tests/support/Shell.h"
#include "tests/support/TimeZone.h"

namespace lum {
namespace {

using namespace lum::test;
using nlohmann::json;
namespace fs = std::filesystem;

// 0.01 minute of latitude a second: 18.532 m, 66.7 km/h.
constexpr double kStepMetres = 0.01 / 60 * 111194.93;

// Twenty seconds northwards at 66 km/h with a hard braking from 5.0 to 6.5 s:
// one fix a second and ten G-sensor readings a second at 8 g full scale.
Bytes DriveMp4(const char* idit) {
    Bytes gps;
    for (int k = 0; k < 20; ++k) {
        GpsSample s = DatedSample({2014, 1, 1, 12, 0, k});
        s.latitude += k * 0.01;
        s.speedKmh = 66;
        Append(gps, GpsRecord(s));
    }
    Bytes gsen;
    for (int i = 0; i < 200; ++i) {
        const bool braking = i >= 50 && i < 65;
        for (int v : {0, braking ? -10 : 0, 16}) {
            gsen.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(v)));
        }
    }
    return Cat({Ftyp(), Box("gpsa", Attributes(1, 8)), Box("IDIT", Text(idit)), Box("gps0", gps),
                Box("gsen", gsen), Box("moov", {VideoTrak(640, 360, 1000, 20000)})});
}

class LumtoolEventsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { SetTimeZone("JST-9"); }

    ShellRun Lumtool(const std::string& args) {
        return Shell("timeout 20 " + std::string(LUMTOOL_PATH) + " " + args, dir.path());
    }

    // Two continuous recordings, the second an emergency recording.
    std::string MakeCard() {
        dir.Write("card/DCIM/FILE140101-120000.MP4", DriveMp4("2014-01-01 12:00:00"));
        dir.Write("card/DCIM/EMER140101-120020.MP4", DriveMp4("2014-01-01 12:00:20"));
        return "'" + (dir.path() / "card").string() + "'";
    }

    TempDir dir;
};

TEST_F(LumtoolEventsTest, EventsOfEveryRecordingInCatalogueOrder) {
    const std::string card = MakeCard();
    const ShellRun r = Lumtool("events " + card + " --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json events = json::parse(r.out)["events"];
    ASSERT_EQ(events.size(), 3u) << r.out;
    EXPECT_EQ(events[0]["fileName"], "FILE140101-120000.MP4");
    EXPECT_EQ(events[0]["kind"], "braking");
    EXPECT_EQ(events[0]["name"], "Harsh braking");
    EXPECT_EQ(events[0]["startMs"], 5000);
    EXPECT_EQ(events[0]["endMs"], 6400);
    EXPECT_DOUBLE_EQ(events[0]["peak"].get<double>(), 0.625);
    EXPECT_EQ(events[0]["unit"], "g");
    // The fix of the fifth second.
    EXPECT_NEAR(events[0]["latitude"].get<double>(), 35.658517 + 5 * 0.01 / 60, 1e-6);
    EXPECT_NEAR(events[0]["longitude"].get<double>(), 139.745493, 1e-6);
    EXPECT_EQ(events[1]["fileName"], "EMER140101-120020.MP4");
    EXPECT_EQ(events[1]["kind"], "emergency");
    EXPECT_EQ(events[1]["startMs"], 0);
    EXPECT_EQ(events[2]["kind"], "braking");
    EXPECT_EQ(
        events[2]["startTime"].get<std::int64_t>() - events[1]["startTime"].get<std::int64_t>(), 5);

    const ShellRun table = Lumtool("events " + card);
    ASSERT_EQ(table.exitCode, 0) << table.err;
    // The recording, the local time of the event and its peak on one line.
    const std::size_t at = table.out.find("2014-01-01 12:00:25");
    ASSERT_NE(at, std::string::npos) << table.out;
    const std::size_t line = table.out.rfind('\n', at) + 1;
    const std::string rest = table.out.substr(line, table.out.find('\n', at) - line);
    EXPECT_NE(rest.find("EMER140101-120020.MP4"), std::string::npos) << rest;
    EXPECT_NE(rest.find("Harsh braking"), std::string::npos) << rest;
    EXPECT_NE(rest.find("0.62 g"), std::string::npos) << rest;
    EXPECT_NE(table.out.find("3 events in 2 recordings"), std::string::npos);

    const ShellRun missing = Lumtool("events '" + (dir.path() / "nothing").string() + "'");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(Lumtool("events").exitCode, 2);
}

TEST_F(LumtoolEventsTest, ScanGivesTripFiguresPerRecordingAndGroup) {
    const std::string card = MakeCard();
    const ShellRun r = Lumtool("scan " + card + " --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json doc = json::parse(r.out);
    ASSERT_EQ(doc["entries"].size(), 2u);
    for (const json& e : doc["entries"]) {
        const json& s = e["summary"];
        EXPECT_NEAR(s["distanceMetres"].get<double>(), 19 * kStepMetres, 0.1);
        EXPECT_EQ(s["drivingMs"], 20000);
        EXPECT_EQ(s["maxSpeedKmh"], 66);
        EXPECT_EQ(s["averageSpeedKmh"], 66);
        EXPECT_DOUBLE_EQ(s["maxAccelerationG"].get<double>(), 0.625);
        EXPECT_EQ(s["validFixes"], 20);
    }
    EXPECT_EQ(doc["entries"][0]["summary"]["events"], 1);
    EXPECT_EQ(doc["entries"][1]["summary"]["events"], 2);
    ASSERT_EQ(doc["groups"].size(), 1u);
    const json& group = doc["groups"][0]["summary"];
    EXPECT_NEAR(group["distanceMetres"].get<double>(), 2 * 19 * kStepMetres, 0.2);
    EXPECT_EQ(group["drivingMs"], 40000);
    EXPECT_EQ(group["events"], 3);

    const ShellRun table = Lumtool("scan " + card);
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_NE(table.out.find("group 0: 2 recordings, 0.70 km, driving 0:00:40, max 66 km/h, "
                             "average 66 km/h, max 0.62 g, 3 events"),
              std::string::npos)
        << table.out;
}

TEST_F(LumtoolEventsTest, EvidenceFolderBesideTheCardNeverInIt) {
    MakeCard();
    const std::string recording =
        "'" + (dir.path() / "card/DCIM/EMER140101-120020.MP4").string() + "'";
    const ShellRun r =
        Lumtool("evidence " + recording + " --out '" + (dir.path() / "out").string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const fs::path folder = dir.path() / "out" / "EMER140101-120020";
    EXPECT_EQ(r.out, folder.string() + "\n");
    EXPECT_EQ(ReadAll(folder / "EMER140101-120020.MP4"),
              ReadAll(dir.path() / "card/DCIM/EMER140101-120020.MP4"));
    const json manifest = json::parse(ReadAll(folder / "manifest.json"));
    EXPECT_EQ(manifest["files"].size(), 5u);
    EXPECT_FALSE(manifest["version"].get<std::string>().empty());
    const json events = json::parse(ReadAll(folder / "events.json"))["events"];
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0]["kind"], "emergency");

    // The card's own folder is refused, and nothing is left there.
    const ShellRun onCard =
        Lumtool("evidence " + recording + " --out '" + (dir.path() / "card/DCIM/x").string() + "'");
    EXPECT_EQ(onCard.exitCode, 1);
    EXPECT_NE(onCard.err.find("must not be on the card"), std::string::npos) << onCard.err;
    EXPECT_FALSE(fs::exists(dir.path() / "card/DCIM/x"));
    EXPECT_EQ(Lumtool("evidence " + recording).exitCode, 2);
}

}  // namespace
}  // namespace lum
