#include <gtest/gtest.h>

#include <QtGlobal>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "playback/LogRateLimiter.h"
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
                         "add_option :ffmpeg-hw", "add_option :file-caching=100", "set_media",
                         "key_input 0", "mouse_input 0"}));
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

// An engine that fails part of the way is released as far as it was made, at once.
TEST(VlcPlayerCallsTest, AFailedCreationReleasesWhatWasMade) {
    VlcApi noPlayer = RecordingApi();
    noPlayer.media_player_new = [](libvlc_instance_t*) -> libvlc_media_player_t* {
        test::Log("player_new");
        return nullptr;
    };
    calls.clear();
    {
        VlcPlayer player(noPlayer);
        EXPECT_FALSE(player.Loaded());
        EXPECT_EQ(calls, (std::vector<std::string>{
                             "new [-I] [dummy] [--ignore-config] [--plugin-path=./plugins]",
                             "player_new", "release"}));
    }
    EXPECT_EQ(calls.back(), "release");  // and nothing twice

    // A re-creation whose player fails leaves no instance behind either.
    VlcApi secondFails = RecordingApi();
    secondFails.media_player_new = [](libvlc_instance_t*) -> libvlc_media_player_t* {
        static int made = 0;
        static int handle = 0;
        test::Log("player_new");
        return ++made == 1 ? reinterpret_cast<libvlc_media_player_t*>(&handle) : nullptr;
    };
    VlcPlayer player(secondFails);
    ASSERT_TRUE(player.Loaded());
    player.Open("/card/a.MP4");
    calls.clear();
    EXPECT_EQ(player.Recreate(0), 0);
    EXPECT_FALSE(player.Loaded());
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "media_release", "player_release", "release",
                         "new [-I] [dummy] [--ignore-config] [--plugin-path=./plugins]",
                         "player_new", "release"}));
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

// ---- The engine's log: rate limit, routing into the program's log ----

TEST(LogRateLimiterTest, OncePerIntervalThenLessOften) {
    auto now = std::chrono::steady_clock::time_point{};
    LogRateLimiter limiter(std::chrono::seconds(60), [&] { return now; });
    using Held = std::optional<std::size_t>;
    const std::string audio = "alsa: cannot open ALSA device";
    EXPECT_EQ(limiter.Admit(audio), Held(0));
    EXPECT_EQ(limiter.Admit("main: Audio output failed"), Held(0));
    now += std::chrono::seconds(59);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(limiter.Admit(audio), std::nullopt);
    }
    now += std::chrono::seconds(1);
    // A minute after it was written it comes through again, with the count held back.
    EXPECT_EQ(limiter.Admit(audio), Held(5));
    // Then it waits two minutes, then four.
    now += std::chrono::seconds(119);
    EXPECT_EQ(limiter.Admit(audio), std::nullopt);
    now += std::chrono::seconds(1);
    EXPECT_EQ(limiter.Admit(audio), Held(1));
    now += std::chrono::seconds(239);
    EXPECT_EQ(limiter.Admit(audio), std::nullopt);
    now += std::chrono::seconds(1);
    EXPECT_EQ(limiter.Admit(audio), Held(1));
    // Each message keeps its own pace.
    EXPECT_EQ(limiter.Admit("main: Audio output failed"), Held(0));
    // The wait doubles up to 64 minutes: a message that never stops shows once an hour.
    std::vector<int> shownAt;
    for (int second = 1; second <= 10 * 3600; ++second) {
        now += std::chrono::seconds(1);
        if (limiter.Admit(audio)) {
            shownAt.push_back(second);
        }
    }
    std::vector<int> gaps;
    for (std::size_t i = 1; i < shownAt.size(); ++i) {
        gaps.push_back(shownAt[i] - shownAt[i - 1]);
    }
    EXPECT_EQ(shownAt.front(), 480);
    EXPECT_EQ(std::vector<int>(gaps.begin(), gaps.begin() + 4),
              (std::vector<int>{960, 1920, 3840, 3840}));
    EXPECT_EQ(gaps.back(), 3840);
}

TEST(LogRateLimiterTest, FullTableForgetsOnlyWhatIsOld) {
    auto now = std::chrono::steady_clock::time_point{};
    LogRateLimiter limiter(
        std::chrono::seconds(60), [&] { return now; }, 2);
    EXPECT_TRUE(limiter.Admit("a"));
    now += std::chrono::seconds(30);
    EXPECT_TRUE(limiter.Admit("b"));
    // No room and nothing old: a third text waits, the known ones are still limited.
    EXPECT_FALSE(limiter.Admit("c"));
    EXPECT_FALSE(limiter.Admit("a"));
    now += std::chrono::seconds(30);
    // "a" is a minute old and makes room; "b" is still remembered and limited.
    EXPECT_TRUE(limiter.Admit("c"));
    EXPECT_FALSE(limiter.Admit("b"));
    EXPECT_FALSE(limiter.Admit("c"));
}

TEST(LogRateLimiterTest, ManyThreadsWriteOneTextOnce) {
    LogRateLimiter limiter;
    std::atomic<int> written{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 1000; ++i) {
                written += limiter.Admit("decoder: late picture") ? 1 : 0;
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(written, 1);
}

// What reached the program's log, per category.
struct LogLines {
    static LogLines& Get() {
        static LogLines lines;
        return lines;
    }
    static void Handler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        LogLines& self = Get();
        const std::lock_guard lock(self.mutex);
        if (context.category != nullptr && std::string(context.category) == "lum.engine") {
            self.engine.push_back({type, text.toStdString()});
        } else {
            self.other.push_back(text.toStdString());
        }
    }
    std::vector<std::pair<QtMsgType, std::string>> Engine() {
        const std::lock_guard lock(mutex);
        return engine;
    }
    void Clear() {
        const std::lock_guard lock(mutex);
        engine.clear();
        other.clear();
    }
    std::mutex mutex;
    std::vector<std::pair<QtMsgType, std::string>> engine;
    std::vector<std::string> other;
};

class EngineLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = qInstallMessageHandler(&LogLines::Handler);
        LogLines::Get().Clear();
    }
    void TearDown() override { qInstallMessageHandler(previous_); }
    QtMessageHandler previous_ = nullptr;
};

struct LogHook {
    libvlc_log_cb callback = nullptr;
    void* data = nullptr;
};
LogHook hook;

void Emit(int level, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    // A non-null context makes the wrapper ask for the module's name.
    hook.callback(hook.data, level, reinterpret_cast<const libvlc_log_t*>(&hook), format,
                  arguments);
    va_end(arguments);
}

TEST_F(EngineLogTest, WarningsAndErrorsOnceEachThroughTheEngineCategory) {
    VlcApi api = RecordingApi();
    api.log_set = [](libvlc_instance_t*, libvlc_log_cb cb, void* data) {
        test::Log("log_set");
        hook = {cb, data};
    };
    api.log_unset = [](libvlc_instance_t*) {
        test::Log("log_unset");
        hook = {};
    };
    calls.clear();
    {
        VlcPlayer player(api);
        ASSERT_TRUE(player.Loaded());
        // Hooked as soon as the instance exists, before anything can play.
        EXPECT_EQ(calls, (std::vector<std::string>{
                             "new [-I] [dummy] [--ignore-config] [--plugin-path=./plugins]",
                             "log_set", "player_new", "volume 200"}));
        ASSERT_NE(hook.callback, nullptr);
        Emit(LIBVLC_DEBUG, "buffering %d%%", 50);
        Emit(LIBVLC_NOTICE, "using %s", "xcb");
        for (int i = 0; i < 200; ++i) {
            Emit(LIBVLC_ERROR, "cannot open ALSA device \"%s\": %s", "default",
                 "No such file or directory");
            Emit(LIBVLC_WARNING, "picture is too late to be displayed (missing %d ms)", 40);
        }
        // The same message with other values is still the same message.
        Emit(LIBVLC_WARNING, "picture is too late to be displayed (missing %d ms)", 80);
        Emit(LIBVLC_WARNING, "STTS table of %u entries", 2u);
        // A text longer than the buffer is cut, not overrun.
        const std::string longText(5000, 'x');
        Emit(LIBVLC_WARNING, "%s%s", longText.c_str(), "tail");
        EXPECT_EQ(LogLines::Get().Engine(),
                  (std::vector<std::pair<QtMsgType, std::string>>{
                      {QtWarningMsg,
                       "error: engine: cannot open ALSA device \"default\": No such file or "
                       "directory"},
                      {QtWarningMsg,
                       "warning: engine: picture is too late to be displayed (missing 40 ms)"},
                      {QtWarningMsg, "warning: engine: STTS table of 2 entries"},
                      {QtWarningMsg, "warning: engine: " + std::string(1023, 'x')}}));

        // A new engine is hooked again, and the old one unhooked before it goes.
        player.Open("/card/a.MP4");
        calls.clear();
        ASSERT_EQ(player.Recreate(0), 1);
        EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 6),
                  (std::vector<std::string>{
                      "media_release", "player_release", "log_unset", "release",
                      "new [-I] [dummy] [--ignore-config] [--plugin-path=./plugins]", "log_set"}));
        calls.clear();
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"player_release", "log_unset", "release"}));
}

TEST(ProductArgumentsTest, WhatTheMachineLacksIsNotTriedAgainAndAgain) {
    struct Case {
        std::vector<std::string> given;
        MachineOutputs machine;
        std::vector<std::string> expected;
    };
    const MachineOutputs full{true, true};
    const Case cases[] = {
        {{}, full, {"--quiet"}},
        {{}, {false, true}, {"--quiet", "--aout=adummy"}},
        {{}, {true, false}, {"--quiet", "--no-disable-screensaver"}},
        {{"--vout=vdummy"},
         {false, false},
         {"--vout=vdummy", "--quiet", "--aout=adummy", "--no-disable-screensaver"}},
        // What the caller chose stands.
        {{"--aout=dummy", "--disable-screensaver"},
         {false, false},
         {"--aout=dummy", "--disable-screensaver", "--quiet"}},
        {{"--aout", "pulse", "--quiet"}, {false, true}, {"--aout", "pulse", "--quiet"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProductArguments(c.given, c.machine), c.expected);
    }
}

TEST(ProductArgumentsTest, SoundCardsFile) {
    EXPECT_FALSE(AsoundCardsListed(""));
    EXPECT_FALSE(AsoundCardsListed("--- no soundcards ---\n"));
    EXPECT_TRUE(
        AsoundCardsListed(" 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n"
                          "                      HDA Intel PCH at 0xf7f10000 irq 32\n"));
    EXPECT_TRUE(AsoundCardsListed("\n 1 [Device         ]: USB-Audio - USB Audio Device\n"));
    EXPECT_FALSE(AsoundCardsListed("   \n\n"));
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

// The real engine's complaints about a file it cannot open reach the program's log, each
// once, and none of its chatter below warnings.
TEST_F(EngineLogTest, RealEngineComplaintsReachTheProgramLogOnce) {
    test::TempDir dir;
    const auto missing = dir.path() / "gone.MP4";
    VlcPlayer player({"--aout=dummy", "--vout=vdummy", "--no-video-title-show"});
    ASSERT_TRUE(player.Loaded());
    Seen seen;
    player.AttachEvents(Record, &seen);
    for (int attempt = 0; attempt < 3; ++attempt) {
        seen.failed = false;
        player.Open(missing.string());
        player.Play();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!seen.failed && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        player.Stop();
        EXPECT_TRUE(seen.failed);
    }
    const auto lines = LogLines::Get().Engine();
    // The file system's own complaint names the file.
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const auto& line) {
        return line.second.find(missing.string()) != std::string::npos;
    }));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].first, QtWarningMsg);
        EXPECT_TRUE(lines[i].second.starts_with("error: ") ||
                    lines[i].second.starts_with("warning: "))
            << lines[i].second;
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_NE(lines[i].second, lines[j].second);
        }
    }
}

}  // namespace
}  // namespace lum
