// The only access to libvlc: one engine instance with one media player, and the
// operations the main window needs. Every operation is a no-op when the
// library is missing or the engine could not be made.
#pragma once

#include <QLibrary>
#include <QLoggingCategory>
#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "playback/LogRateLimiter.h"
#include "playback/VlcApi.h"

namespace lum {

// The engine's own warnings and errors, as they reach the program's log.
Q_DECLARE_LOGGING_CATEGORY(lcEngine)

// The engine events the wrapper subscribes to, in the order it attaches them.
enum PlayerEvent : int {
    PlayerPositionChanged = 268,
    PlayerSeekableChanged = 269,
    PlayerTimeChanged = 267,
    MediaStateChanged = 5,
    PlayerMediaChanged = 256,
    PlayerOpening = 258,
    PlayerBuffering = 259,
    PlayerPlaying = 260,
    PlayerPaused = 261,
    PlayerStopped = 262,
    PlayerEndReached = 265,
    PlayerEncounteredError = 266,
};
inline constexpr PlayerEvent kPlayerEvents[12] = {
    PlayerPositionChanged, PlayerSeekableChanged, PlayerTimeChanged, MediaStateChanged,
    PlayerMediaChanged,    PlayerOpening,         PlayerBuffering,   PlayerPlaying,
    PlayerPaused,          PlayerStopped,         PlayerEndReached,  PlayerEncounteredError};

// The marquee options of libvlc.
enum MarqueeOption : unsigned {
    MarqueeEnable = 0,
    MarqueeText = 1,
    MarqueeColor = 2,
    MarqueeOpacity = 3,
    MarqueePosition = 4,
    MarqueeSize = 6,
    MarqueeTimeout = 7,
    MarqueeX = 8,
    MarqueeY = 9
};

// The engine argument sets: 0 without the engine's own interface and
// configuration, 1 with the engine's defaults.
std::vector<std::string> EngineArguments(int set);

// /proc/asound/cards names at least one sound card.
bool AsoundCardsListed(std::string_view cardsText);
// Whether the engine will find a sound output: a sound server's socket or a sound card.
// Only Linux can tell; elsewhere a sound output is taken to exist.
bool SoundDeviceAvailable();
// Whether the engine can keep the screen awake while a recording plays: through the
// desktop's session bus, or the xset tool the xdg-screensaver script falls back on.
// Only Linux can tell; elsewhere it is taken to work.
bool ScreenSaverControllable();

// What the machine offers the engine, looked up once at start-up.
struct MachineOutputs {
    bool soundDevice = true;
    bool screenSaverControl = true;
};
MachineOutputs ProbeMachineOutputs();

// The arguments the product adds to those it is given: "--quiet", since the decoders'
// own log goes straight to the terminal, past the engine's log; without a sound device,
// the engine's silent audio output, chosen once instead of trying the missing device
// again for every recording and block of sound (unless an output was chosen); and where
// the screen saver cannot be reached, no attempt to hold it off, which would only fail
// aloud at every start and stop of a recording.
std::vector<std::string> ProductArguments(std::vector<std::string> extraArguments,
                                          const MachineOutputs& machine);

class VlcPlayer {
  public:
    // Loads libvlc from the system (libvlc.so.5, libvlc.dll or libvlc.dylib).
    // extraArguments are appended to the engine's arguments (tests use them for
    // dummy outputs); the product passes none. The machine's outputs decide a few more
    // (ProductArguments).
    explicit VlcPlayer(std::vector<std::string> extraArguments = {});
    // Uses the given entry points instead of a library (the test seam).
    VlcPlayer(const VlcApi& api, std::vector<std::string> extraArguments = {});
    ~VlcPlayer();
    VlcPlayer(const VlcPlayer&) = delete;
    VlcPlayer& operator=(const VlcPlayer&) = delete;

    bool Loaded() const { return loaded_; }
    bool Playing() const { return playing_; }
    bool Paused() const { return paused_; }
    int Volume() const { return volume_; }
    float Rate() const { return rate_; }
    int ArgumentSet() const { return argumentSet_; }
    const std::string& MediaPath() const { return mediaPath_; }

    void SetWindow(std::uintptr_t window);
    void AttachEvents(libvlc_callback_t callback, void* userData);
    // Opens a UTF-8 path without starting playback.
    void Open(const std::string& utf8Path);
    void Play();
    void Pause();
    void Stop();
    std::int64_t GetLength();
    std::int64_t GetTime();
    void SetTime(std::int64_t ms);
    void SetRate(float rate);
    void SetVolume(int volume);
    void SetMute(bool on);
    int ShowMarquee(const std::string& text, int size, int enable);
    int SetCrop(int left, int top, int right, int bottom);
    void TakeSnapshot(const std::string& utf8Path);
    void GetVideoSize(int& width, int& height);
    // Makes a new engine with argument set `set`; 1 when one was made.
    int Recreate(int set);

    // The engine's log callback: runs on the engine's threads. Warnings and errors reach
    // lcEngine, each message (a module's format text) at most once a minute, and less often
    // while it goes on (LogRateLimiter); the rest is dropped.
    static void OnEngineLog(void* data, int level, const libvlc_log_t* context, const char* format,
                            va_list arguments);

  private:
    // A new instance, player and event manager; attaches the kept callback when asked.
    bool CreateEngine(bool reattach);
    void ReleaseEngine();

    VlcApi api_;
    std::unique_ptr<QLibrary> library_;
    std::vector<std::string> extraArguments_;
    libvlc_instance_t* instance_ = nullptr;
    libvlc_media_player_t* player_ = nullptr;
    libvlc_media_t* media_ = nullptr;
    libvlc_event_manager_t* eventManager_ = nullptr;
    void* eventUserData_ = nullptr;
    libvlc_callback_t eventCallback_ = nullptr;
    std::string mediaPath_;
    bool loaded_ = true;
    bool playing_ = false;
    bool paused_ = true;
    int argumentSet_ = 0;
    int volume_ = 200;
    float rate_ = 1.0f;
    LogRateLimiter engineLog_;
};

}  // namespace lum
