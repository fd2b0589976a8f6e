#include "playback/VlcPlayer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <exception>
#include <optional>

#include "playback/LogRateLimiter.h"
#include "playback/VlcApi.h"

namespace lum {

Q_LOGGING_CATEGORY(lcEngine, "lum.engine", QtWarningMsg)

bool VlcApi::Complete() const {
    const void* entries[] = {reinterpret_cast<const void*>(new_),
                             reinterpret_cast<const void*>(release),
                             reinterpret_cast<const void*>(media_player_new),
                             reinterpret_cast<const void*>(media_player_release),
                             reinterpret_cast<const void*>(media_player_event_manager),
                             reinterpret_cast<const void*>(event_attach),
                             reinterpret_cast<const void*>(media_new_path),
                             reinterpret_cast<const void*>(media_add_option),
                             reinterpret_cast<const void*>(media_release),
                             reinterpret_cast<const void*>(media_player_set_media),
                             reinterpret_cast<const void*>(set_window),
                             reinterpret_cast<const void*>(media_player_play),
                             reinterpret_cast<const void*>(media_player_pause),
                             reinterpret_cast<const void*>(media_player_stop),
                             reinterpret_cast<const void*>(media_player_get_length),
                             reinterpret_cast<const void*>(media_player_get_time),
                             reinterpret_cast<const void*>(media_player_set_time),
                             reinterpret_cast<const void*>(media_player_set_rate),
                             reinterpret_cast<const void*>(audio_set_volume),
                             reinterpret_cast<const void*>(audio_set_mute),
                             reinterpret_cast<const void*>(video_set_key_input),
                             reinterpret_cast<const void*>(video_set_mouse_input),
                             reinterpret_cast<const void*>(video_set_marquee_string),
                             reinterpret_cast<const void*>(video_set_marquee_int),
                             reinterpret_cast<const void*>(video_set_crop_geometry),
                             reinterpret_cast<const void*>(video_take_snapshot),
                             reinterpret_cast<const void*>(video_get_width),
                             reinterpret_cast<const void*>(video_get_height),
                             reinterpret_cast<const void*>(log_set),
                             reinterpret_cast<const void*>(log_unset),
                             reinterpret_cast<const void*>(log_get_context)};
    for (const void* e : entries) {
        if (e == nullptr) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> EngineArguments(int set) {
    if (set == 1) {
        return {""};
    }
    return {"-I", "dummy", "--ignore-config", "--plugin-path=./plugins"};
}

bool AsoundCardsListed(std::string_view cardsText) {
    // A card's first line starts with its number: " 0 [PCH            ]: HDA-Intel - ...";
    // without cards the file says "--- no soundcards ---".
    while (!cardsText.empty()) {
        const std::size_t start = cardsText.find_first_not_of(' ');
        if (start == std::string_view::npos) {
            return false;
        }
        if (cardsText[start] >= '0' && cardsText[start] <= '9') {
            return true;
        }
        const std::size_t eol = cardsText.find('\n', start);
        cardsText = eol == std::string_view::npos ? std::string_view() : cardsText.substr(eol + 1);
    }
    return false;
}

bool SoundDeviceAvailable() {
#if defined(__linux__)
    // A sound server (PulseAudio, or PipeWire speaking its protocol) is what the engine
    // tries first; a bare card is enough for its ALSA output.
    if (!qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        return true;
    }
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/pulse/native"))) {
        return true;
    }
    if (QFileInfo::exists(QStringLiteral("/run/pulse/native"))) {
        return true;
    }
    QFile cards(QStringLiteral("/proc/asound/cards"));
    if (!cards.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray text = cards.read(64 * 1024);
    return AsoundCardsListed({text.constData(), static_cast<std::size_t>(text.size())});
#else
    return true;
#endif
}

bool ScreenSaverControllable() {
#if defined(__linux__)
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        return true;
    }
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"))) {
        return true;
    }
    return !QStandardPaths::findExecutable(QStringLiteral("xset")).isEmpty();
#else
    return true;
#endif
}

MachineOutputs ProbeMachineOutputs() {
    return {SoundDeviceAvailable(), ScreenSaverControllable()};
}

std::vector<std::string> ProductArguments(std::vector<std::string> extraArguments,
                                          const MachineOutputs& machine) {
    const auto given = [&](std::string_view option) {
        return std::any_of(extraArguments.begin(), extraArguments.end(), [&](const std::string& a) {
            return a.find(option) != std::string::npos;
        });
    };
    const bool aoutChosen = given("--aout");
    const bool screenSaverChosen = given("disable-screensaver");
    if (!given("--quiet")) {
        extraArguments.push_back("--quiet");
    }
    if (!machine.soundDevice && !aoutChosen) {
        extraArguments.push_back("--aout=adummy");
    }
    if (!machine.screenSaverControl && !screenSaverChosen) {
        extraArguments.push_back("--no-disable-screensaver");
    }
    return extraArguments;
}

namespace {

#if defined(_WIN32)
const char* const kLibraryName = "libvlc.dll";
const char* const kSetWindow = "libvlc_media_player_set_hwnd";
#elif defined(__APPLE__)
const char* const kLibraryName = "libvlc.dylib";
const char* const kSetWindow = "libvlc_media_player_set_nsobject";
#else
const char* const kLibraryName = "libvlc.so.5";
const char* const kSetWindow = "libvlc_media_player_set_xwindow";
#endif

template <class F>
void Resolve(QLibrary& library, F& entry, const char* name) {
    entry = reinterpret_cast<F>(library.resolve(name));
}

VlcApi ResolveAll(QLibrary& library) {
    VlcApi api;
    Resolve(library, api.new_, "libvlc_new");
    Resolve(library, api.release, "libvlc_release");
    Resolve(library, api.media_player_new, "libvlc_media_player_new");
    Resolve(library, api.media_player_release, "libvlc_media_player_release");
    Resolve(library, api.media_player_event_manager, "libvlc_media_player_event_manager");
    Resolve(library, api.event_attach, "libvlc_event_attach");
    Resolve(library, api.media_new_path, "libvlc_media_new_path");
    Resolve(library, api.media_add_option, "libvlc_media_add_option");
    Resolve(library, api.media_release, "libvlc_media_release");
    Resolve(library, api.media_player_set_media, "libvlc_media_player_set_media");
    Resolve(library, api.set_window, kSetWindow);
    Resolve(library, api.media_player_play, "libvlc_media_player_play");
    Resolve(library, api.media_player_pause, "libvlc_media_player_pause");
    Resolve(library, api.media_player_stop, "libvlc_media_player_stop");
    Resolve(library, api.media_player_get_length, "libvlc_media_player_get_length");
    Resolve(library, api.media_player_get_time, "libvlc_media_player_get_time");
    Resolve(library, api.media_player_set_time, "libvlc_media_player_set_time");
    Resolve(library, api.media_player_set_rate, "libvlc_media_player_set_rate");
    Resolve(library, api.audio_set_volume, "libvlc_audio_set_volume");
    Resolve(library, api.audio_set_mute, "libvlc_audio_set_mute");
    Resolve(library, api.video_set_key_input, "libvlc_video_set_key_input");
    Resolve(library, api.video_set_mouse_input, "libvlc_video_set_mouse_input");
    Resolve(library, api.video_set_marquee_string, "libvlc_video_set_marquee_string");
    Resolve(library, api.video_set_marquee_int, "libvlc_video_set_marquee_int");
    Resolve(library, api.video_set_crop_geometry, "libvlc_video_set_crop_geometry");
    Resolve(library, api.video_take_snapshot, "libvlc_video_take_snapshot");
    Resolve(library, api.video_get_width, "libvlc_video_get_width");
    Resolve(library, api.video_get_height, "libvlc_video_get_height");
    Resolve(library, api.log_set, "libvlc_log_set");
    Resolve(library, api.log_unset, "libvlc_log_unset");
    Resolve(library, api.log_get_context, "libvlc_log_get_context");
    return api;
}

}  // namespace

namespace {

// Releases each engine object through the entry points of the table it came from.
// The instance stops sending its log first: log_unset waits for a callback under
// way, so none runs once the engine is gone.
struct EngineRelease {
    const VlcApi* api = nullptr;
    void operator()(libvlc_instance_t* p) const {
        api->log_unset(p);
        api->release(p);
    }
    void operator()(libvlc_media_player_t* p) const { api->media_player_release(p); }
    void operator()(libvlc_media_t* p) const { api->media_release(p); }
};
template <class T>
using EngineHandle = std::unique_ptr<T, EngineRelease>;

// The events the player subscribes to, in the order it attaches them.
constexpr libvlc_event_type_t kPlayerEvents[] = {
    libvlc_MediaPlayerPositionChanged, libvlc_MediaPlayerSeekableChanged,
    libvlc_MediaPlayerTimeChanged,     libvlc_MediaStateChanged,
    libvlc_MediaPlayerMediaChanged,    libvlc_MediaPlayerOpening,
    libvlc_MediaPlayerBuffering,       libvlc_MediaPlayerPlaying,
    libvlc_MediaPlayerPaused,          libvlc_MediaPlayerStopped,
    libvlc_MediaPlayerEndReached,      libvlc_MediaPlayerEncounteredError};

}  // namespace

struct VlcPlayer::Engine {
    explicit Engine(const VlcApi& entryPoints) : api(entryPoints) {}
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Media first, instance last: the reverse of the order they are made in.
    void Release() {
        media.reset();
        player.reset();
        instance.reset();
        events = nullptr;
    }

    const VlcApi api;
    LogRateLimiter log;
    // Declared in the order they are made, so they are destroyed in reverse.
    EngineHandle<libvlc_instance_t> instance{nullptr, EngineRelease{&api}};
    EngineHandle<libvlc_media_player_t> player{nullptr, EngineRelease{&api}};
    EngineHandle<libvlc_media_t> media{nullptr, EngineRelease{&api}};
    // The player's own event manager: it, and what is attached to it, end with the player.
    libvlc_event_manager_t* events = nullptr;
};

namespace {

// The engine's log callback: runs on the engine's threads. Warnings and errors reach
// lcEngine, each message (a module's format text) at most once a minute, and less often
// while it goes on (LogRateLimiter); the rest is dropped. data is the player's Engine.
template <class Engine>
void OnEngineLog(void* data, int level, const libvlc_log_t* context, const char* format,
                 va_list arguments) {
    if (level < LIBVLC_WARNING || data == nullptr || format == nullptr) {
        return;
    }
    auto* engine = static_cast<Engine*>(data);
    const char* module = nullptr;
    const char* file = nullptr;
    unsigned line = 0;
    if (context != nullptr) {
        engine->api.log_get_context(context, &module, &file, &line);
    }
    const std::string prefix = module != nullptr ? std::string(module) + ": " : std::string();
    // One message is one text of one module, whatever numbers and names fill it in:
    // "picture is too late (missing 40 ms)" and "... 80 ms" are the same complaint.
    const std::optional<std::size_t> heldBack = engine->log.Admit(prefix + format);
    if (!heldBack) {
        return;
    }
    // The engine's text is formatted here, into a bounded buffer: a longer one is cut.
    char text[1024];
    va_list copy;
    va_copy(copy, arguments);
    const int written = std::vsnprintf(text, sizeof text, format, copy);
    va_end(copy);
    if (written < 0) {
        return;
    }
    const char* kind = level >= LIBVLC_ERROR ? "error" : "warning";
    if (*heldBack > 0) {
        qCWarning(lcEngine, "%s: %s%s (repeated %zu times since it was last shown)", kind,
                  prefix.c_str(), text, *heldBack);
    } else {
        qCWarning(lcEngine, "%s: %s%s", kind, prefix.c_str(), text);
    }
}

}  // namespace

VlcPlayer::VlcPlayer(std::vector<std::string> extraArguments)
    : library_(std::make_unique<QLibrary>(QString::fromLatin1(kLibraryName))),
      extraArguments_(ProductArguments(std::move(extraArguments), ProbeMachineOutputs())) {
    if (!library_->load()) {
        engine_ = std::make_unique<Engine>(VlcApi{});
        loaded_ = false;
        return;
    }
    engine_ = std::make_unique<Engine>(ResolveAll(*library_));
    loaded_ = engine_->api.Complete() && CreateEngine(false);
}

VlcPlayer::VlcPlayer(const VlcApi& api, std::vector<std::string> extraArguments)
    : engine_(std::make_unique<Engine>(api)), extraArguments_(std::move(extraArguments)) {
    loaded_ = engine_->api.Complete() && CreateEngine(false);
}

VlcPlayer::~VlcPlayer() {
    engine_.reset();
    if (library_ && library_->isLoaded()) {
        library_->unload();
    }
}

bool VlcPlayer::CreateEngine(bool reattach) {
    try {
        // The engine finds a "plugins" folder below the current directory through
        // the environment; its own option for that is gone from libvlc 3.
        if (QFileInfo(QDir::current().filePath("plugins")).isDir()) {
            qputenv("VLC_PLUGIN_PATH", QDir::current().filePath("plugins").toLocal8Bit());
        }
        std::vector<std::string> args = EngineArguments(argumentSet_);
        args.insert(args.end(), extraArguments_.begin(), extraArguments_.end());
        std::vector<const char*> argv;
        for (const std::string& a : args) {
            argv.push_back(a.c_str());
        }
        Engine& e = *engine_;
        e.instance.reset(e.api.new_(static_cast<int>(argv.size()), argv.data()));
        if (e.instance == nullptr) {
            return false;
        }
        e.api.log_set(e.instance.get(), &OnEngineLog<Engine>, &e);
        e.player.reset(e.api.media_player_new(e.instance.get()));
        e.events = e.player != nullptr ? e.api.media_player_event_manager(e.player.get()) : nullptr;
        if (e.events == nullptr) {
            e.Release();
            return false;
        }
        if (reattach && eventCallback_ != nullptr) {
            AttachEvents(eventCallback_, eventUserData_);
        }
        e.api.audio_set_volume(e.player.get(), volume_);
        return true;
    } catch (const std::exception&) {
        engine_->Release();
        return false;
    }
}

void VlcPlayer::SetWindow(std::uintptr_t window) {
    if (!loaded_) {
        return;
    }
#if defined(_WIN32) || defined(__APPLE__)
    engine_->api.set_window(engine_->player.get(), reinterpret_cast<void*>(window));
#else
    engine_->api.set_window(engine_->player.get(), static_cast<std::uint32_t>(window));
#endif
}

void VlcPlayer::AttachEvents(EngineEventCallback callback, void* userData) {
    if (!loaded_) {
        return;
    }
    eventCallback_ = callback;
    eventUserData_ = userData;
    for (const libvlc_event_type_t e : kPlayerEvents) {
        engine_->api.event_attach(engine_->events, e, callback, userData);
    }
}

void VlcPlayer::Open(const std::string& utf8Path) {
    if (!loaded_) {
        return;
    }
    engine_->api.audio_set_volume(engine_->player.get(), volume_);
    mediaPath_ = utf8Path;
    engine_->media.reset();
    engine_->media.reset(engine_->api.media_new_path(engine_->instance.get(), mediaPath_.c_str()));
    engine_->api.media_add_option(engine_->media.get(), ":ffmpeg-hw");
    // Recordings are local files: a short read-ahead starts the picture sooner
    // than the engine's 300 ms default meant for slow sources.
    engine_->api.media_add_option(engine_->media.get(), ":file-caching=100");
    engine_->api.media_player_set_media(engine_->player.get(), engine_->media.get());
    engine_->api.video_set_key_input(engine_->player.get(), 0);
    engine_->api.video_set_mouse_input(engine_->player.get(), 0);
}

void VlcPlayer::Play() {
    if (!loaded_) {
        return;
    }
    engine_->api.media_player_play(engine_->player.get());
    playing_ = true;
    paused_ = false;
}

void VlcPlayer::Pause() {
    if (!loaded_) {
        return;
    }
    playing_ = false;
    engine_->api.media_player_pause(engine_->player.get());
    paused_ = true;
}

void VlcPlayer::Stop() {
    if (!loaded_) {
        return;
    }
    engine_->api.media_player_stop(engine_->player.get());
    playing_ = false;
    paused_ = false;
}

std::int64_t VlcPlayer::GetLength() {
    return loaded_ ? engine_->api.media_player_get_length(engine_->player.get()) : -1;
}

std::int64_t VlcPlayer::GetTime() {
    return loaded_ ? engine_->api.media_player_get_time(engine_->player.get()) : -1;
}

void VlcPlayer::SetTime(std::int64_t ms) {
    if (loaded_) {
        engine_->api.media_player_set_time(engine_->player.get(), ms);
    }
}

void VlcPlayer::SetRate(float rate) {
    if (!loaded_) {
        return;
    }
    rate_ = rate;
    engine_->api.media_player_set_rate(engine_->player.get(), rate);
}

void VlcPlayer::SetVolume(int volume) {
    if (!loaded_) {
        return;
    }
    engine_->api.audio_set_volume(engine_->player.get(), volume);
    volume_ = volume;
}

void VlcPlayer::SetMute(bool on) {
    if (loaded_) {
        engine_->api.audio_set_mute(engine_->player.get(), on ? 1 : 0);
    }
}

namespace {
// libvlc's marquee positions: 1 left, 2 right, 4 top, 8 bottom.
constexpr int kMarqueeTopRight = 4 | 2;
}  // namespace

int VlcPlayer::ShowMarquee(const std::string& text, int size, int enable) {
    if (!loaded_) {
        return 0;
    }
    engine_->api.video_set_marquee_string(engine_->player.get(), libvlc_marquee_Text, text.c_str());
    engine_->api.video_set_marquee_int(engine_->player.get(), libvlc_marquee_Size, size);
    engine_->api.video_set_marquee_int(engine_->player.get(), libvlc_marquee_Opacity, 255);
    engine_->api.video_set_marquee_int(engine_->player.get(), libvlc_marquee_Color, -1);
    engine_->api.video_set_marquee_int(engine_->player.get(), libvlc_marquee_Timeout, -1);
    // Top right, a third of the text's height in from the edges: cameras burn
    // their clock and name into a top-left or bottom corner.
    engine_->api.video_set_marquee_int(engine_->player.get(), libvlc_marquee_Position,
                                       kMarqueeTopRight);
    engine_->api.video_set_marquee_int(engine_->player.get(), libvlc_marquee_X, size / 3);
    engine_->api.video_set_marquee_int(engine_->player.get(), libvlc_marquee_Y, size / 3);
    engine_->api.video_set_marquee_int(engine_->player.get(), libvlc_marquee_Enable, enable);
    return 1;
}

int VlcPlayer::SetCrop(int left, int top, int right, int bottom) {
    if (!loaded_) {
        return 0;
    }
    char geometry[256];
    std::snprintf(geometry, sizeof geometry, "%d+%d+%d+%d", left, top, right, bottom);
    engine_->api.video_set_crop_geometry(engine_->player.get(), geometry);
    return 1;
}

void VlcPlayer::TakeSnapshot(const std::string& utf8Path) {
    if (loaded_) {
        engine_->api.video_take_snapshot(engine_->player.get(), 0, utf8Path.c_str(), 0, 0);
    }
}

void VlcPlayer::GetVideoSize(int& width, int& height) {
    width = loaded_ ? engine_->api.video_get_width(engine_->player.get()) : 0;
    height = loaded_ ? engine_->api.video_get_height(engine_->player.get()) : 0;
}

int VlcPlayer::Recreate(int set) {
    argumentSet_ = set;
    if (!loaded_ || mediaPath_.empty() || engine_->media == nullptr) {
        return 0;  // the set is kept for the next re-creation after an Open
    }
    engine_->Release();
    if (!CreateEngine(true)) {
        loaded_ = false;
        return 0;
    }
    return 1;
}

}  // namespace lum
