#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "playback/VlcPlayer.h"
#include "tests/support/Builders.h"
#include "tests/support/RecordingEngine.h"

namespace lum {
namespace {

// ---- A recording engine: every entry point writes down its call ----

using test::RecordingApi;
std::vector<std::string>& calls = test::EngineLog::Calls();

std::vector<std::string> Attaches() {
    std::vector<std::string> v;
    for (int e : {268, 269, 267, 5, 256, 258, 259, 260, 261, 262, 265, 266}) {
        v.push_back("attach " + std::to_string(e));
    }
    return v;
}

void Callback(const libvlc_event_t*, void*) {}

TEST(VlcPlayerCallsTest, ConstructionOpenAndCommands) {
    calls.clear();
    VlcPlayer player(RecordingApi());
    ASSERT_TRUE(player.Loaded());
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "new [-I] [dummy] [--ignore-config] [--plugin-path=./plugins]",
                         "player_new", "volume 200"}));
    calls.clear();
    player.SetVolume(120);  // kept and applied again by the next Open
    player.Open("/card/DCIM/駐車.MP4");
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "volume 120", "volume 120", "media_new_path /card/DCIM/駐車.MP4",
                         "add_option :ffmpeg-hw", "set_media", "key_input 0", "mouse_input 0"}));
    calls.clear();
    player.Open("/card/b.MP4");  // the previous media is released first
    EXPECT_EQ(calls[1], "media_release");
    player.Play();
    EXPECT_TRUE(player.Playing());
    EXPECT_FALSE(player.Paused());
    player.Pause();
    EXPECT_TRUE(player.Paused());
    player.Stop();
    EXPECT_FALSE(player.Playing() || player.Paused());
    EXPECT_EQ(player.GetLength(), 62000);
    EXPECT_EQ(player.GetTime(), 1234);
}

TEST(VlcPlayerCallsTest, MarqueeCropAndSnapshot) {
    VlcPlayer player(RecordingApi());
    calls.clear();
    EXPECT_EQ(player.ShowMarquee("2.0 X", 72, 1), 1);
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "marquee_string 1 2.0 X", "marquee_int 6 72", "marquee_int 3 255",
                         "marquee_int 2 -1", "marquee_int 7 -1", "marquee_int 4 6",
                         "marquee_int 8 24", "marquee_int 9 24", "marquee_int 0 1"}));
    calls.clear();
    EXPECT_EQ(player.SetCrop(10, 20, 30, 40), 1);
    player.SetCrop(0, 0, 0, 0);
    player.TakeSnapshot("/tmp/snap.png");
    EXPECT_EQ(calls, (std::vector<std::string>{"crop 10+20+30+40", "crop 0+0+0+0",
                                               "snapshot /tmp/snap.png"}));
    int w = 0, h = 0;
    player.GetVideoSize(w, h);
    EXPECT_EQ(w, 1920);
    EXPECT_EQ(h, 1080);
}

TEST(VlcPlayerCallsTest, RecreateKeepsTheSetUntilAMediaIsOpen) {
    VlcPlayer player(RecordingApi());
    player.AttachEvents(Callback, nullptr);
    calls.clear();
    EXPECT_EQ(player.Recreate(1), 0);  // nothing open yet: only the set is stored
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(player.ArgumentSet(), 1);
    player.Open("/card/a.MP4");
    calls.clear();
    ASSERT_EQ(player.Recreate(player.ArgumentSet()), 1);
    std::vector<std::string> want = {"media_release", "player_release", "release", "new []",
                                     "player_new"};
    const auto attaches = Attaches();
    want.insert(want.end(), attaches.begin(), attaches.end());
    want.push_back("volume 200");
    EXPECT_EQ(calls, want);
    EXPECT_EQ(player.Recreate(0), 0);  // the new engine has no media until the next Open
}

TEST(VlcPlayerCallsTest, WithoutTheLibraryEverythingIsANoOp) {
    VlcApi incomplete = RecordingApi();
    incomplete.video_get_height = nullptr;
    calls.clear();
    VlcPlayer player(incomplete);
    EXPECT_FALSE(player.Loaded());
    player.Open("/card/a.MP4");
    player.Play();
    player.SetTime(5);
    EXPECT_EQ(player.GetTime(), -1);
    EXPECT_EQ(player.GetLength(), -1);
    EXPECT_EQ(player.ShowMarquee("x", 1, 1), 0);
    EXPECT_EQ(player.Recreate(1), 0);
    int w = 7, h = 7;
    player.GetVideoSize(w, h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    EXPECT_TRUE(calls.empty());
}

// ---- The real engine, without a window: plays a short clip to its end ----

struct Seen {
    std::atomic<int> timeReports{0};
    std::atomic<bool> playing{false};
    std::atomic<bool> ended{false};
    std::atomic<bool> failed{false};
};

void Record(const libvlc_event_t* e, void* data) {
    auto* seen = static_cast<Seen*>(data);
    switch (e->type) {
        case libvlc_MediaPlayerTimeChanged:
            ++seen->timeReports;
            break;
        case libvlc_MediaPlayerPlaying:
            seen->playing = true;
            break;
        case libvlc_MediaPlayerEndReached:
            seen->ended = true;
            break;
        case libvlc_MediaPlayerEncounteredError:
            seen->failed = true;
            break;
        default:
            break;
    }
}

TEST(VlcPlayerEngineTest, PlaysARealRecordingToTheEnd) {
    test::TempDir dir;
    const auto clip = dir.path() / "clip.mp4";
    const std::string encode =
        "ffmpeg -v error -f lavfi -i testsrc=size=160x90:rate=10 -f lavfi -i "
        "sine=frequency=440:sample_rate=8000 -t 2 -c:v libx264 -pix_fmt yuv420p -c:a aac '" +
        clip.string() + "'";
    ASSERT_EQ(std::system(encode.c_str()), 0);

    // No screen and no sound card: the engine gets dummy outputs.
    VlcPlayer player({"--aout=dummy", "--vout=vdummy", "--no-video-title-show"});
    ASSERT_TRUE(player.Loaded());
    Seen seen;
    player.AttachEvents(Record, &seen);
    player.Open(clip.string());
    player.Play();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!seen.ended && !seen.failed && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_FALSE(seen.failed);
    EXPECT_TRUE(seen.playing);
    EXPECT_TRUE(seen.ended);
    EXPECT_GT(seen.timeReports, 0);
    EXPECT_NEAR(static_cast<double>(player.GetLength()), 2000.0, 150.0);
    player.Stop();
}

}  // namespace
}  // namespace lum
