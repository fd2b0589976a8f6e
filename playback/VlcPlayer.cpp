#include "VlcPlayer.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <exception>

namespace lum {

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
                             reinterpret_cast<const void*>(video_get_height)};
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
    return api;
}

}  // namespace

VlcPlayer::VlcPlayer(std::vector<std::string> extraArguments)
    : library_(std::make_unique<QLibrary>(QString::fromLatin1(kLibraryName))),
      extraArguments_(std::move(extraArguments)) {
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
        api_.release(instance_);
        instance_ = nullptr;
    }
    eventManager_ = nullptr;
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
