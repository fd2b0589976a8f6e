// The sample card end to end: lum-make-card writes a small card, ffmpeg and
// ffprobe play it, and the viewer's readers (through lumtool) find in it what
// the tool says it wrote.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <numbers>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/Builders.h"
#include "tests/support/Shell.h"
#include "tests/support/TimeZone.h"

namespace lum {
namespace {

using nlohmann::json;
using test::ReadAll;
using test::Shell;
using test::ShellQuote;
using test::ShellRun;
namespace fs = std::filesystem;

// Small and short so the whole suite stays quick on two cores.
const std::string kCardOptions =
    "--minutes 9 --seconds-per-recording 4 --size 320x180 --fps 10 --seed 7";
constexpr int kWidth = 320, kHeight = 180, kFps = 10;

std::string MakeCardCommand(const fs::path& out, const std::string& options) {
    return std::string(LUM_MAKE_CARD_PATH) + " " + ShellQuote(out) + " " + options;
}

// Every regular file below root by its relative path.
std::map<std::string, fs::path> FilesBelow(const fs::path& root) {
    std::map<std::string, fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (e.is_regular_file()) {
            files[fs::relative(e.path(), root).generic_string()] = e.path();
        }
    }
    return files;
}

double G(int counts, double fullScale) {
    return counts * fullScale / 128.0;
}

double Degrees(double nmea) {
    const double v = std::fabs(nmea) / 100.0;
    const double d = std::trunc(v);
    return (nmea < 0 ? -1 : 1) * (d + (v - d) * 100.0 / 60.0);
}

double Bearing(double lat1, double lon1, double lat2, double lon2) {
    const double r = std::numbers::pi / 180.0;
    const double y = std::sin((lon2 - lon1) * r) * std::cos(lat2 * r);
    const double x = std::cos(lat1 * r) * std::sin(lat2 * r) -
                     std::sin(lat1 * r) * std::cos(lat2 * r) * std::cos((lon2 - lon1) * r);
    return std::fmod(std::atan2(y, x) / r + 360.0, 360.0);
}

double MetresBetween(double lat1, double lon1, double lat2, double lon2) {
    const double r = std::numbers::pi / 180.0;
    const double x = (lon2 - lon1) * r * std::cos((lat1 + lat2) / 2 * r);
    const double y = (lat2 - lat1) * r;
    return std::hypot(x, y) * 6371000.0;
}

// libvlc 3, loaded at run time as the viewer loads it, with just the calls a
// playback check needs. The statistics block is libvlc 3's libvlc_media_stats_t.
class Vlc {
  public:
    struct Stats {
        int readBytes;
        float inputBitrate;
        int demuxReadBytes;
        float demuxBitrate;
        int demuxCorrupted;
        int demuxDiscontinuity;
        int decodedVideo;
        int decodedAudio;
        int displayedPictures;
        int lostPictures;
        int playedAudioBuffers;
        int lostAudioBuffers;
        int sentPackets;
        int sentBytes;
        float sendBitrate;
    };
    struct Played {
        int state = -1;  // 6 ended, 7 error
        unsigned width = 0, height = 0;
        std::int64_t lengthMs = 0;
        Stats stats{};
    };
    static constexpr int kEnded = 6;

    Vlc() {
        library_ = dlopen("libvlc.so.5", RTLD_NOW | RTLD_LOCAL);
        if (library_ == nullptr || !Resolve()) {
            return;
        }
        // No window and no sound card: the dummy outputs still decode everything.
        const char* args[] = {"--intf=dummy", "--vout=vdummy", "--aout=adummy", "--quiet",
                              "--no-video-title-show"};
        instance_ = new_(static_cast<int>(std::size(args)), args);
    }
    ~Vlc() {
        if (instance_ != nullptr) {
            release_(instance_);
        }
        if (library_ != nullptr) {
            dlclose(library_);
        }
    }
    Vlc(const Vlc&) = delete;
    Vlc& operator=(const Vlc&) = delete;

    bool Loaded() const { return instance_ != nullptr; }

    // Plays a file at eight times normal speed until it ends, fails or times out.
    Played Play(const fs::path& file) {
        Played p;
        void* media = mediaNewPath_(instance_, file.c_str());
        if (media == nullptr) {
            return p;
        }
        void* player = playerNew_(media);
        setRate_(player, 8.0f);
        play_(player);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            p.state = getState_(player);
            if (p.width == 0) {
                videoSize_(player, 0, &p.width, &p.height);
            }
            if (p.lengthMs <= 0) {
                p.lengthMs = getLength_(player);
            }
            if (p.state == kEnded || p.state == 7) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        mediaStats_(media, &p.stats);
        stop_(player);
        playerRelease_(player);
        mediaRelease_(media);
        return p;
    }

  private:
    template <class F>
    bool Symbol(F& f, const char* name) {
        f = reinterpret_cast<F>(dlsym(library_, name));
        return f != nullptr;
    }
    bool Resolve() {
        return Symbol(new_, "libvlc_new") && Symbol(release_, "libvlc_release") &&
               Symbol(mediaNewPath_, "libvlc_media_new_path") &&
               Symbol(mediaRelease_, "libvlc_media_release") &&
               Symbol(mediaStats_, "libvlc_media_get_stats") &&
               Symbol(playerNew_, "libvlc_media_player_new_from_media") &&
               Symbol(playerRelease_, "libvlc_media_player_release") &&
               Symbol(play_, "libvlc_media_player_play") &&
               Symbol(stop_, "libvlc_media_player_stop") &&
               Symbol(setRate_, "libvlc_media_player_set_rate") &&
               Symbol(getState_, "libvlc_media_player_get_state") &&
               Symbol(getLength_, "libvlc_media_player_get_length") &&
               Symbol(videoSize_, "libvlc_video_get_size");
    }

    void* library_ = nullptr;
    void* instance_ = nullptr;
    void* (*new_)(int, const char* const*) = nullptr;
    void (*release_)(void*) = nullptr;
    void* (*mediaNewPath_)(void*, const char*) = nullptr;
    void (*mediaRelease_)(void*) = nullptr;
    int (*mediaStats_)(void*, Stats*) = nullptr;
    void* (*playerNew_)(void*) = nullptr;
    void (*playerRelease_)(void*) = nullptr;
    int (*play_)(void*) = nullptr;
    void (*stop_)(void*) = nullptr;
    int (*setRate_)(void*, float) = nullptr;
    int (*getState_)(void*) = nullptr;
    std::int64_t (*getLength_)(void*) = nullptr;
    int (*videoSize_)(void*, unsigned, unsigned*, unsigned*) = nullptr;
};

class CardTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // The camera's clock is read as local time; pin the zone for start times.
        test::SetTimeZone("JST-9");
        dir_ = new test::TempDir();
        card_ = dir_->path() / "card";
        made_ = Shell(MakeCardCommand(card_, kCardOptions), dir_->path());
        if (made_.exitCode == 0) {
            manifest_ = json::parse(ReadAll(card_ / "card-manifest.json"));
            const ShellRun scan = Shell(
                std::string(LUMTOOL_PATH) + " scan " + ShellQuote(card_) + " --json", dir_->path());
            if (scan.exitCode == 0) {
                scan_ = json::parse(scan.out);
            }
        }
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }

    void SetUp() override {
        ASSERT_EQ(made_.exitCode, 0) << made_.err;
        ASSERT_TRUE(scan_.contains("entries")) << "lumtool scan failed";
    }

    static std::vector<json> Recordings(bool listed) {
        std::vector<json> out;
        for (const json& r : manifest_["recordings"]) {
            if (r["listed"] == listed) {
                out.push_back(r);
            }
        }
        return out;
    }

    static fs::path PathOf(const json& r) { return card_ / r["path"].get<std::string>(); }

    static std::string ScanKey(const json& entry) {
        std::string folder = entry["subFolder"];
        while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) {
            folder.pop_back();
        }
        return folder.empty() ? entry["fileName"].get<std::string>()
                              : folder + "/" + entry["fileName"].get<std::string>();
    }

    // The scan entry of a recording named in the manifest.
    static const json* Entry(const json& r) {
        for (const json& e : scan_["entries"]) {
            if (ScanKey(e) == r["path"]) {
                return &e;
            }
        }
        return nullptr;
    }

    static json Telemetry(const json& r) {
        const ShellRun t =
            Shell(std::string(LUMTOOL_PATH) + " telemetry " + ShellQuote(PathOf(r)), dir_->path());
        EXPECT_EQ(t.exitCode, 0) << r["path"] << ": " << t.err;
        return t.exitCode == 0 ? json::parse(t.out) : json::object();
    }

    // The recordings of a group, in the order of their start.
    static std::vector<json> Group(const std::string& label) {
        std::vector<json> out;
        for (const json& r : Recordings(true)) {
            if (r["group"] == label) {
                out.push_back(r);
            }
        }
        std::sort(out.begin(), out.end(), [](const json& a, const json& b) {
            return a["start"]["text"].get<std::string>() < b["start"]["text"].get<std::string>();
        });
        return out;
    }

    static test::TempDir* dir_;
    static fs::path card_;
    static ShellRun made_;
    static json manifest_, scan_;
};

test::TempDir* CardTest::dir_ = nullptr;
fs::path CardTest::card_;
ShellRun CardTest::made_;
json CardTest::manifest_, CardTest::scan_;

TEST_F(CardTest, EveryRecordingDecodesFromStartToEnd) {
    for (const json& r : manifest_["recordings"]) {
        if (r["damage"] == "cut-short") {
            continue;  // the decoder stops where the power went off
        }
        SCOPED_TRACE(r["path"].get<std::string>());
        const ShellRun decode = Shell(
            "ffmpeg -nostdin -v error -i " + ShellQuote(PathOf(r)) + " -f null -", dir_->path());
        EXPECT_EQ(decode.exitCode, 0);
        EXPECT_EQ(decode.err, "");
    }
}

TEST_F(CardTest, ProbeShowsH264OfTheCardsSizeWithSound) {
    for (const json& r : Recordings(true)) {
        SCOPED_TRACE(r["path"].get<std::string>());
        const ShellRun probe =
            Shell("ffprobe -v error -print_format json -show_streams -show_format " +
                      ShellQuote(PathOf(r)),
                  dir_->path());
        ASSERT_EQ(probe.exitCode, 0) << probe.err;
        const json doc = json::parse(probe.out);
        int video = 0, audio = 0;
        for (const json& s : doc["streams"]) {
            if (s["codec_type"] == "video") {
                ++video;
                EXPECT_EQ(s["codec_name"], "h264");
                EXPECT_EQ(s["width"], kWidth);
                EXPECT_EQ(s["height"], kHeight);
                EXPECT_EQ(s["pix_fmt"], "yuv420p");
                if (s.contains("nb_frames")) {
                    EXPECT_EQ(s["nb_frames"], std::to_string(r["seconds"].get<int>() * kFps));
                }
            } else if (s["codec_type"] == "audio") {
                ++audio;
            }
        }
        EXPECT_EQ(video, 1);
        EXPECT_EQ(audio, 1);
        const double seconds = std::stod(doc["format"]["duration"].get<std::string>());
        EXPECT_NEAR(seconds, r["seconds"].get<double>(), 0.15);
    }
}

TEST_F(CardTest, EveryListedRecordingPlaysToTheEndInLibvlc) {
    Vlc vlc;
    if (!vlc.Loaded()) {
        GTEST_SKIP() << "libvlc.so.5 and its plugins are not installed";
    }
    for (const json& r : Recordings(true)) {
        SCOPED_TRACE(r["path"].get<std::string>());
        const Vlc::Played p = vlc.Play(PathOf(r));
        EXPECT_EQ(p.state, Vlc::kEnded);
        EXPECT_EQ(p.width, static_cast<unsigned>(kWidth));
        EXPECT_EQ(p.height, static_cast<unsigned>(kHeight));
        EXPECT_NEAR(static_cast<double>(p.lengthMs), r["seconds"].get<double>() * 1000,
                    1000.0 / kFps);
        EXPECT_GE(p.stats.decodedVideo, r["seconds"].get<int>() * kFps);
        EXPECT_GT(p.stats.decodedAudio, 0);
        EXPECT_EQ(p.stats.demuxCorrupted, 0);
    }
}

TEST_F(CardTest, ScanListsExactlyTheRecordingsMeantToBeListed) {
    std::set<std::string> expected, found;
    for (const json& r : Recordings(true)) {
        expected.insert(r["path"]);
    }
    for (const json& e : scan_["entries"]) {
        found.insert(ScanKey(e));
    }
    EXPECT_EQ(found, expected);
    for (const json& r : Recordings(false)) {
        EXPECT_EQ(found.count(r["path"]), 0u) << r["path"];
    }
    // The card holds every kind of file the scan must leave out.
    std::set<std::string> leftOut;
    for (const json& r : Recordings(false)) {
        const fs::path p = r["path"].get<std::string>();
        if (r["damage"] != "none") {
            leftOut.insert(r["damage"]);
        } else if (p.string().starts_with(".") || p.string().find("/.") != std::string::npos) {
            leftOut.insert("hidden folder");
        } else {
            leftOut.insert(p.extension().string());
        }
    }
    EXPECT_EQ(leftOut,
              (std::set<std::string>{"no-ftyp", "cut-short", "hidden folder", ".mov", ".3GP"}));
}

TEST_F(CardTest, ScanShowsKindFlagsFrameDurationAndStart) {
    for (const json& r : Recordings(true)) {
        SCOPED_TRACE(r["path"].get<std::string>());
        const json* e = Entry(r);
        ASSERT_NE(e, nullptr);
        const json& t = (*e)["telemetry"];
        EXPECT_EQ((*e)["kind"], r["kind"]);
        EXPECT_EQ((*e)["flags"], r["flags"]);
        EXPECT_EQ(t["width"], kWidth);
        EXPECT_EQ(t["height"], kHeight);
        EXPECT_NEAR(t["durationMs"].get<double>(), r["seconds"].get<double>() * 1000,
                    1000.0 / kFps);
        const json& s = r["start"];
        const std::int64_t start =
            test::UtcEpoch(s["year"], s["month"], s["day"], s["hour"], s["minute"], s["second"]) -
            9 * 3600;
        EXPECT_EQ(t["startTime"], start);
    }
}

TEST_F(CardTest, ScanFindsEachTelemetryLayoutWhereTheToolPutIt) {
    std::set<std::string> layouts;
    for (const json& r : Recordings(true)) {
        SCOPED_TRACE(r["path"].get<std::string>());
        const json* e = Entry(r);
        ASSERT_NE(e, nullptr);
        const json& t = (*e)["telemetry"];
        const std::string layout = r["telemetry"];
        layouts.insert(layout);
        const std::size_t records = r["expected"]["gps"].size();
        const std::size_t readings = r["expected"]["gsensor"].size();
        const bool payload = layout == "payload" || layout == "avi-chunks";
        EXPECT_EQ(t["gpsDataSize"], payload ? records * 32 : 0u);
        EXPECT_EQ(t["gsensorDataSize"], payload ? readings * 3 : 0u);
        EXPECT_EQ(t["blockCount"], layout == "blocks" ? r["seconds"].get<unsigned>() : 0u);
        EXPECT_EQ(t["gpsIndexCount"], layout == "index" ? r["seconds"].get<unsigned>() : 0u);
        EXPECT_EQ(t["hasSideText"], layout == "side-text" ? 1 : 0);
        if (payload) {
            EXPECT_EQ(t["gpsAttributes"].get<unsigned>() & 0xFF,
                      r["expected"]["recordsPerSecond"].get<unsigned>());
            EXPECT_EQ(t["gsensorAttributes"].get<unsigned>() >> 8 & 0xFF,
                      r["expected"]["gsensorFullScale"].get<unsigned>());
        }
    }
    EXPECT_EQ(layouts,
              (std::set<std::string>{"payload", "blocks", "index", "avi-chunks", "side-text"}));
}

TEST_F(CardTest, ScanGroupsFollowTheTimeline) {
    std::map<std::string, int> groupOfLabel;
    std::map<int, std::string> labelOfGroup;
    for (const json& r : Recordings(true)) {
        const json* e = Entry(r);
        ASSERT_NE(e, nullptr) << r["path"];
        const std::string label = r["group"];
        const int group = (*e)["groupNumber"];
        SCOPED_TRACE(r["path"].get<std::string>() + " in " + label);
        // One group per label and one label per group.
        if (groupOfLabel.contains(label)) {
            EXPECT_EQ(groupOfLabel[label], group);
        }
        if (labelOfGroup.contains(group)) {
            EXPECT_EQ(labelOfGroup[group], label);
        }
        groupOfLabel[label] = group;
        labelOfGroup[group] = label;
    }
    EXPECT_EQ(scan_["groups"].size(), groupOfLabel.size());
    // Inside a group the recordings follow each other in catalogue order.
    for (const json& g : scan_["groups"]) {
        const int first = g["firstEntry"];
        for (int i = 0; i < g["entryCount"].get<int>(); ++i) {
            const json& e = scan_["entries"][static_cast<std::size_t>(first + i)];
            EXPECT_EQ(e["groupNumber"], g["groupNumber"]);
            EXPECT_EQ(e["indexInGroup"], i);
        }
    }
    // The drive is one group of every one of its recordings, kinds mixed.
    EXPECT_EQ(Group("drive").size(), 9u);
    std::set<std::string> driveKinds;
    for (const json& r : Group("drive")) {
        driveKinds.insert(r["kind"].get<std::string>());
    }
    EXPECT_EQ(driveKinds, (std::set<std::string>{"Normal", "Event", "Emergency", "Manual"}));
}

TEST_F(CardTest, TelemetryReadsBackAsTheToolWroteIt) {
    for (const json& r : Recordings(true)) {
        SCOPED_TRACE(r["path"].get<std::string>());
        const json t = Telemetry(r);
        const json& want = r["expected"];
        ASSERT_TRUE(t.contains("gps"));
        EXPECT_EQ(t["recordsPerSecond"], want["recordsPerSecond"]);
        EXPECT_EQ(t["gsensorFullScale"], want["gsensorFullScale"]);
        ASSERT_EQ(t["gps"].size(), want["gps"].size());
        ASSERT_EQ(t["gsensor"].size(), want["gsensor"].size());
        const char* fields[] = {
            "latitude", "longitude", "altitude", "speedKmh",           "year",    "month", "day",
            "hour",     "minute",    "second",   "headingHalfDegrees", "fixFlags"};
        for (std::size_t k = 0; k < want["gps"].size(); ++k) {
            const json& got = t["gps"][k];
            for (std::size_t f = 0; f < std::size(fields); ++f) {
                // The side text's decimals come back through a parser: a millionth is enough.
                EXPECT_NEAR(got[fields[f]].get<double>(), want["gps"][k][f].get<double>(), 1e-6)
                    << "record " << k << " " << fields[f];
            }
        }
        EXPECT_EQ(t["gsensor"], want["gsensor"]);
        // The track holds exactly the valid fixes.
        std::size_t valid = 0;
        for (const json& g : want["gps"]) {
            valid += g[11].get<int>() & 1;
        }
        EXPECT_EQ(t["track"].size(), valid);
    }
}

TEST_F(CardTest, TheDriveTellsOneCoherentStory) {
    const std::vector<json> drive = Group("drive");
    ASSERT_GE(drive.size(), 8u);
    std::vector<json> telemetry;
    for (const json& r : drive) {
        telemetry.push_back(Telemetry(r));
    }

    // It starts at the foot of the tower, stored as ddmm.mmmm.
    const json* first = nullptr;
    for (const json& t : telemetry) {
        for (const json& g : t["gps"]) {
            if (!first && (g["fixFlags"].get<int>() & 1)) {
                first = &g;
            }
        }
    }
    ASSERT_NE(first, nullptr);
    EXPECT_NEAR((*first)["latitude"].get<double>(), 3539.5110, 0.05);
    EXPECT_NEAR((*first)["longitude"].get<double>(), 13944.7296, 0.05);
    EXPECT_EQ(telemetry[0]["gps"][0]["fixFlags"], 0) << "the receiver starts without a fix";

    int fastRecordings = 0, slowest = 1000, fastest = 0, tunnelRecordings = 0;
    double hardestBraking = 0, biggestJolt = 0;
    std::string braking, jolt;
    for (std::size_t i = 0; i < drive.size(); ++i) {
        const json& t = telemetry[i];
        const std::string name = drive[i]["fileName"];
        int top = 0, invalid = 0;
        for (const json& g : t["gps"]) {
            if (g["fixFlags"].get<int>() & 1) {
                top = std::max(top, g["speedKmh"].get<int>());
                slowest = std::min(slowest, g["speedKmh"].get<int>());
            } else {
                ++invalid;
            }
        }
        fastest = std::max(fastest, top);
        fastRecordings += top > 100;
        // Fix lost in the middle of the drive: the tunnel.
        tunnelRecordings += i > 0 && invalid > 0;
        const double scale = t["gsensorFullScale"];
        for (const json& a : t["gsensor"]) {
            if (G(a[1], scale) < hardestBraking) {
                hardestBraking = G(a[1], scale);
                braking = name;
            }
            if (G(a[2], scale) > biggestJolt) {
                biggestJolt = G(a[2], scale);
                jolt = name;
            }
        }
    }
    EXPECT_EQ(fastRecordings, 1) << "past 100 km/h exactly once";
    EXPECT_EQ(slowest, 0) << "a stop at the lights";
    EXPECT_GT(fastest, 100);
    EXPECT_GE(tunnelRecordings, 2) << "the tunnel spans two recordings";
    EXPECT_LT(hardestBraking, -0.5);
    EXPECT_EQ(braking.substr(0, 4), "EMER") << "the hard braking made the emergency recording";
    EXPECT_GT(biggestJolt, 2.0);
    EXPECT_EQ(fs::path(jolt).extension(), ".AVI") << "the pothole is in the AVI recording";

    // Headings follow the road: compare with the bearing between fixes a second apart.
    int compared = 0;
    for (const json& t : telemetry) {
        if (t["recordsPerSecond"] != 1.0) {
            continue;
        }
        const json& gps = t["gps"];
        for (std::size_t k = 1; k < gps.size(); ++k) {
            const json &a = gps[k - 1], &b = gps[k];
            if (!(a["fixFlags"].get<int>() & 1) || !(b["fixFlags"].get<int>() & 1) ||
                b["headingHalfDegrees"] == 0) {
                continue;  // blocks and side text carry no heading
            }
            const double lat1 = Degrees(a["latitude"]), lon1 = Degrees(a["longitude"]);
            const double lat2 = Degrees(b["latitude"]), lon2 = Degrees(b["longitude"]);
            if (MetresBetween(lat1, lon1, lat2, lon2) < 5) {
                continue;
            }
            const double heading = b["headingHalfDegrees"].get<double>() * 2;
            const double off = std::remainder(Bearing(lat1, lon1, lat2, lon2) - heading, 360.0);
            EXPECT_LT(std::fabs(off), 30.0) << "heading " << heading;
            ++compared;
        }
    }
    EXPECT_GT(compared, 5);

    // The clock runs on from one recording into the next.
    for (std::size_t i = 1; i < drive.size(); ++i) {
        const json& before = drive[i - 1]["start"];
        const json& now = drive[i]["start"];
        const std::int64_t gap = test::UtcEpoch(now["year"], now["month"], now["day"], now["hour"],
                                                now["minute"], now["second"]) -
                                 test::UtcEpoch(before["year"], before["month"], before["day"],
                                                before["hour"], before["minute"], before["second"]);
        EXPECT_EQ(gap, drive[i - 1]["seconds"].get<int>()) << drive[i]["path"];
        // The first dated record of each recording says the same.
        const json& gps = telemetry[i]["gps"];
        const double perSecond = telemetry[i]["recordsPerSecond"];
        for (std::size_t k = 0; k < gps.size(); ++k) {
            const json& g = gps[k];
            if (g["year"] != 0) {
                const int clock = g["hour"].get<int>() * 3600 + g["minute"].get<int>() * 60 +
                                  g["second"].get<int>();
                const int start = now["hour"].get<int>() * 3600 + now["minute"].get<int>() * 60 +
                                  now["second"].get<int>();
                EXPECT_EQ(clock - start, static_cast<int>(static_cast<double>(k) / perSecond))
                    << drive[i]["path"];
                break;
            }
        }
    }
}

TEST_F(CardTest, SouthernAndWesternRecordingsStoreNegativeCoordinates) {
    int recordings = 0;
    for (const std::string label : {"abroad", "abroad-side-text"}) {
        for (const json& r : Group(label)) {
            SCOPED_TRACE(r["path"].get<std::string>());
            ++recordings;
            const json t = Telemetry(r);
            ASSERT_FALSE(t["track"].empty());
            for (const json& g : t["gps"]) {
                EXPECT_LT(g["latitude"].get<double>(), -3400);
                EXPECT_LT(g["longitude"].get<double>(), -5800);
            }
            for (const json& p : t["track"]) {
                EXPECT_NEAR(p[0].get<double>(), -34.6, 0.1);
                EXPECT_NEAR(p[1].get<double>(), -58.38, 0.1);
            }
        }
    }
    EXPECT_EQ(recordings, 2);
}

// Each left-out file is a readable recording or a damaged one, so it is left
// out of the folder scan for the reason the card gives, not by accident.
TEST_F(CardTest, LeftOutFilesAreLeftOutForTheirOwnReason) {
    for (const json& r : Recordings(false)) {
        SCOPED_TRACE(r["path"].get<std::string>());
        const ShellRun alone = Shell(
            std::string(LUMTOOL_PATH) + " scan " + ShellQuote(PathOf(r)) + " --json", dir_->path());
        if (r["damage"] != "none") {
            EXPECT_EQ(alone.exitCode, 1) << "a damaged file is not a recording";
            continue;
        }
        // Opened on its own (no name filter, no folder walk) it is a recording.
        ASSERT_EQ(alone.exitCode, 0) << alone.err;
        const json doc = json::parse(alone.out);
        ASSERT_EQ(doc["entries"].size(), 1u);
        const json& t = doc["entries"][0]["telemetry"];
        EXPECT_EQ(t["width"], kWidth);
        if (r["fileName"].get<std::string>().ends_with(".mov")) {
            EXPECT_EQ(t["blockCount"], 0) << "a lower-case .mov gets no blocks";
        }
    }
}

TEST_F(CardTest, ReadOnlyAndSideTextFilesAreOnTheCard) {
    int readOnly = 0;
    for (const json& r : Recordings(true)) {
        struct stat st {};
        ASSERT_EQ(stat(PathOf(r).c_str(), &st), 0);
        const bool writable = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
        EXPECT_EQ(!writable, r["readOnly"].get<bool>()) << r["path"];
        readOnly += !writable;
        if (r.contains("sideText")) {
            EXPECT_TRUE(fs::is_regular_file(card_ / r["sideText"].get<std::string>()));
        }
    }
    EXPECT_EQ(readOnly, 1);
}

// ---- The tool's own behaviour ----

class CardToolTest : public ::testing::Test {
  protected:
    test::TempDir dir;
};

TEST_F(CardToolTest, SameSeedSameBytesOtherSeedOtherRecordings) {
    const fs::path a = dir.path() / "a", b = dir.path() / "b", c = dir.path() / "c";
    ASSERT_EQ(Shell(MakeCardCommand(a, kCardOptions), dir.path()).exitCode, 0);
    ASSERT_EQ(Shell(MakeCardCommand(b, kCardOptions + " --jobs 1"), dir.path()).exitCode, 0);
    std::string other = kCardOptions;
    other.replace(other.find("--seed 7"), 8, "--seed 8");
    ASSERT_EQ(Shell(MakeCardCommand(c, other), dir.path()).exitCode, 0);

    const auto filesA = FilesBelow(a), filesB = FilesBelow(b), filesC = FilesBelow(c);
    ASSERT_GT(filesA.size(), 15u);
    std::vector<std::string> namesA, namesB, namesC;
    for (const auto& [name, path] : filesA) {
        namesA.push_back(name);
    }
    for (const auto& [name, path] : filesB) {
        namesB.push_back(name);
    }
    for (const auto& [name, path] : filesC) {
        namesC.push_back(name);
    }
    EXPECT_EQ(namesA, namesB);
    EXPECT_EQ(namesA, namesC) << "the seed changes contents, not the card's layout";

    for (const auto& [name, path] : filesA) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(ReadAll(path) == ReadAll(filesB.at(name))) << "same seed, other bytes";
        EXPECT_EQ(fs::status(path).permissions(), fs::status(filesB.at(name)).permissions());
    }
    // Speeds and readings vary with the seed: every recording with telemetry changes.
    const json manifest = json::parse(ReadAll(a / "card-manifest.json"));
    int withTelemetry = 0;
    for (const json& r : manifest["recordings"]) {
        if (r["telemetry"] != "none") {
            ++withTelemetry;
            const std::string name = r["path"];
            EXPECT_NE(ReadAll(filesA.at(name)), ReadAll(filesC.at(name))) << name;
        }
    }
    EXPECT_GT(withTelemetry, 10);
}

TEST_F(CardToolTest, RejectsBadArgumentsWithUsage) {
    const fs::path out = dir.path() / "never";
    const struct {
        std::string args;
        const char* complaint;
    } cases[] = {
        {"", "OUT_DIR is missing"},
        {ShellQuote(out) + " --minutes 7", "--minutes"},
        {ShellQuote(out) + " --seconds-per-recording 3", "--seconds-per-recording"},
        {ShellQuote(out) + " --seconds-per-recording 61", "--seconds-per-recording"},
        {ShellQuote(out) + " --size 321x180", "--size"},
        {ShellQuote(out) + " --size 320", "--size"},
        {ShellQuote(out) + " --fps 0", "--fps"},
        {ShellQuote(out) + " --seed -1", "--seed"},
        {ShellQuote(out) + " --seed", "--seed needs a value"},
        {ShellQuote(out) + " --colour red", "unknown option --colour"},
        {ShellQuote(out) + " " + ShellQuote(out), "unexpected argument"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const ShellRun r = Shell(std::string(LUM_MAKE_CARD_PATH) + " " + c.args, dir.path());
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find(c.complaint), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("usage: lum-make-card"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(CardToolTest, LeavesAFolderThatIsNotEmptyAlone) {
    const fs::path out = dir.path() / "used";
    fs::create_directories(out);
    std::ofstream(out / "keep.txt") << "mine";
    const ShellRun r = Shell(MakeCardCommand(out, kCardOptions), dir.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("not an empty folder"), std::string::npos);
    EXPECT_EQ(FilesBelow(out).size(), 1u);
}

TEST_F(CardToolTest, ReportsAnFfmpegThatCannotRun) {
    const ShellRun r =
        Shell(MakeCardCommand(dir.path() / "card", kCardOptions + " --ffmpeg /nonexistent/ffmpeg"),
              dir.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("/nonexistent/ffmpeg"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace lum
