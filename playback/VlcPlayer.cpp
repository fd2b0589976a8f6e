#include "VlcPlayer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <exception>

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

VlcPlayer::VlcPlayer(std::vector<std::string> extraArguments)
    : library_(std::make_unique<QLibrary>(QString::fromLatin1(kLibraryName))),
      extraArguments_(ProductArguments(std::move(extraArguments), ProbeMachineOutputs())) {
    if (!library_->load()) {
        loaded_ = false;
        return;
    }
    api_ = ResolveAll(*library_);
    loaded_ = api_.Complete() && CreateEngine(false);
}

VlcPlayer::VlcPlayer(const VlcApi& api, std::vector<std::string> extraArguments)
    : api_(api), extraArguments_(std::move(extraArguments)) {
    loaded_ = api_.Complete() && CreateEngine(false);
}

VlcPlayer::~VlcPlayer() {
    if (loaded_) {
        ReleaseEngine();
    }
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
        instance_ = api_.new_(static_cast<int>(argv.size()), argv.data());
        if (instance_ == nullptr) {
            return false;
        }
        api_.log_set(instance_, &VlcPlayer::OnEngineLog, this);
        player_ = api_.media_player_new(instance_);
        if (player_ == nullptr) {
            return false;
        }
        eventManager_ = api_.media_player_event_manager(player_);
        if (eventManager_ == nullptr) {
            return false;
        }
        if (reattach && eventCallback_ != nullptr) {
            AttachEvents(eventCallback_, eventUserData_);
        }
        api_.audio_set_volume(player_, volume_);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void VlcPlayer::ReleaseEngine() {
    if (media_ != nullptr) {
        api_.media_release(media_);
        media_ = nullptr;
    }
    if (player_ != nullptr) {
        api_.media_player_release(player_);
        player_ = nullptr;
    }
    if (instance_ != nullptr) {
        // Waits for a callback under way, so none runs once the engine is gone.
        api_.log_unset(instance_);
        api_.release(instance_);
        instance_ = nullptr;
    }
    eventManager_ = nullptr;
}

void VlcPlayer::OnEngineLog(void* data, int level, const libvlc_log_t* context, const char* format,
                            va_list arguments) {
    if (level < LIBVLC_WARNING || data == nullptr || format == nullptr) {
        return;
    }
    auto* self = static_cast<VlcPlayer*>(data);
    const char* module = nullptr;
    const char* file = nullptr;
    unsigned line = 0;
    if (context != nullptr) {
        self->api_.log_get_context(context, &module, &file, &line);
    }
    const std::string prefix = module != nullptr ? std::string(module) + ": " : std::string();
    // One message is one text of one module, whatever numbers and names fill it in:
    // "picture is too late (missing 40 ms)" and "... 80 ms" are the same complaint.
    const std::optional<std::size_t> heldBack = self->engineLog_.Admit(prefix + format);
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

void VlcPlayer::SetWindow(std::uintptr_t window) {
    if (!loaded_) {
        return;
    }
#if defined(_WIN32) || defined(__APPLE__)
    api_.set_window(player_, reinterpret_cast<void*>(window));
#else
    api_.set_window(player_, static_cast<std::uint32_t>(window));
#endif
}

void VlcPlayer::AttachEvents(libvlc_callback_t callback, void* userData) {
    if (!loaded_) {
        return;
    }
    eventCallback_ = callback;
    eventUserData_ = userData;
    for (PlayerEvent e : kPlayerEvents) {
        api_.event_attach(eventManager_, e, callback, userData);
    }
}

void VlcPlayer::Open(const std::string& utf8Path) {
    if (!loaded_) {
        return;
    }
    api_.audio_set_volume(player_, volume_);
    mediaPath_ = utf8Path;
    if (media_ != nullptr) {
        api_.media_release(media_);
        media_ = nullptr;
    }
    media_ = api_.media_new_path(instance_, mediaPath_.c_str());
    api_.media_add_option(media_, ":ffmpeg-hw");
    // Recordings are local files: a short read-ahead starts the picture sooner
    // than the engine's 300 ms default meant for slow sources.
    api_.media_add_option(media_, ":file-caching=100");
    api_.media_player_set_media(player_, media_);
    api_.video_set_key_input(player_, 0);
    api_.video_set_mouse_input(player_, 0);
}

void VlcPlayer::Play() {
    if (!loaded_) {
        return;
    }
    api_.media_player_play(player_);
    playing_ = true;
    paused_ = false;
}

void VlcPlayer::Pause() {
    if (!loaded_) {
        return;
    }
    playing_ = false;
    api_.media_player_pause(player_);
    paused_ = true;
}

void VlcPlayer::Stop() {
    if (!loaded_) {
        return;
    }
    api_.media_player_stop(player_);
    playing_ = false;
    paused_ = false;
}

std::int64_t VlcPlayer::GetLength() {
    return loaded_ ? api_.media_player_get_length(player_) : -1;
}

std::int64_t VlcPlayer::GetTime() {
    return loaded_ ? api_.media_player_get_time(player_) : -1;
}

void VlcPlayer::SetTime(std::int64_t ms) {
    if (loaded_) {
        api_.media_player_set_time(player_, ms);
    }
}

void VlcPlayer::SetRate(float rate) {
    if (!loaded_) {
        return;
    }
    rate_ = rate;
    api_.media_player_set_rate(player_, rate);
}

void VlcPlayer::SetVolume(int volume) {
    if (!loaded_) {
        return;
    }
    api_.audio_set_volume(player_, volume);
    volume_ = volume;
}

void VlcPlayer::SetMute(bool on) {
    if (loaded_) {
        api_.audio_set_mute(player_, on ? 1 : 0);
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
    api_.video_set_marquee_string(player_, MarqueeText, text.c_str());
    api_.video_set_marquee_int(player_, MarqueeSize, size);
    api_.video_set_marquee_int(player_, MarqueeOpacity, 255);
    api_.video_set_marquee_int(player_, MarqueeColor, -1);
    api_.video_set_marquee_int(player_, MarqueeTimeout, -1);
    // Top right, a third of the text's height in from the edges: cameras burn
    // their clock and name into a top-left or bottom corner.
    api_.video_set_marquee_int(player_, MarqueePosition, kMarqueeTopRight);
    api_.video_set_marquee_int(player_, MarqueeX, size / 3);
    api_.video_set_marquee_int(player_, MarqueeY, size / 3);
    api_.video_set_marquee_int(player_, MarqueeEnable, enable);
    return 1;
}

int VlcPlayer::SetCrop(int left, int top, int right, int bottom) {
    if (!loaded_) {
        return 0;
    }
    char geometry[256];
    std::snprintf(geometry, sizeof geometry, "%d+%d+%d+%d", left, top, right, bottom);
    api_.video_set_crop_geometry(player_, geometry);
    return 1;
}

void VlcPlayer::TakeSnapshot(const std::string& utf8Path) {
    if (loaded_) {
        api_.video_take_snapshot(player_, 0, utf8Path.c_str(), 0, 0);
    }
}

void VlcPlayer::GetVideoSize(int& width, int& height) {
    width = loaded_ ? api_.video_get_width(player_) : 0;
    height = loaded_ ? api_.video_get_height(player_) : 0;
}

int VlcPlayer::Recreate(int set) {
    argumentSet_ = set;
    if (!loaded_ || mediaPath_.empty() || media_ == nullptr) {
        return 0;  // the set is kept for the next re-creation after an Open
    }
    ReleaseEngine();
    if (!CreateEngine(true)) {
        loaded_ = false;
        return 0;
    }
    return 1;
}

}  // namespace lum
