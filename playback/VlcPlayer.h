// The only access to libvlc: one engine instance with one media player, and the
// operations the main window needs. Every operation is a no-op when the
// library is missing or the engine could not be made.
#pragma once

#include <QLibrary>
#include <QLoggingCategory>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// libvlc's event record; only playback's sources see its fields.
struct libvlc_event_t;

namespace lum {

// The engine's own warnings and errors, as they reach the program's log.
Q_DECLARE_LOGGING_CATEGORY(lcEngine)

// The table of engine entry points (VlcApi.h, the test seam).
struct VlcApi;

// The engine's event callback, which libvlc runs on its own threads.
using EngineEventCallback = void (*)(const libvlc_event_t* event, void* userData);

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
    void AttachEvents(EngineEventCallback callback, void* userData);
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

  private:
    // The entry points, the engine's handles (each released by its own owner) and
    // the engine's log; defined with libvlc's types in VlcPlayer.cpp.
    struct Engine;

    // A new instance, player and event manager; attaches the kept callback when asked.
    // A failure part of the way releases what was made.
    bool CreateEngine(bool reattach);

    std::unique_ptr<QLibrary> library_;
    std::unique_ptr<Engine> engine_;
    std::vector<std::string> extraArguments_;
    void* eventUserData_ = nullptr;
    EngineEventCallback eventCallback_ = nullptr;
    std::string mediaPath_;
    bool loaded_ = true;
    bool playing_ = false;
    bool paused_ = true;
    int argumentSet_ = 0;
    int volume_ = 200;
    float rate_ = 1.0f;
};

}  // namespace lum
