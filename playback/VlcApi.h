// The libvlc entry points LUM uses, as one table: filled from the library
// loaded at run time, or by a test with its own functions.
#pragma once

#include <vlc/vlc.h>

#include <cstdint>

namespace lum {

struct VlcApi {
    libvlc_instance_t* (*new_)(int argc, const char* const* argv) = nullptr;
    void (*release)(libvlc_instance_t*) = nullptr;
    libvlc_media_player_t* (*media_player_new)(libvlc_instance_t*) = nullptr;
    void (*media_player_release)(libvlc_media_player_t*) = nullptr;
    libvlc_event_manager_t* (*media_player_event_manager)(libvlc_media_player_t*) = nullptr;
    int (*event_attach)(libvlc_event_manager_t*, libvlc_event_type_t, libvlc_callback_t,
                        void*) = nullptr;
    libvlc_media_t* (*media_new_path)(libvlc_instance_t*, const char*) = nullptr;
    void (*media_add_option)(libvlc_media_t*, const char*) = nullptr;
    void (*media_release)(libvlc_media_t*) = nullptr;
    void (*media_player_set_media)(libvlc_media_player_t*, libvlc_media_t*) = nullptr;
    // The engine draws into a native window: set_hwnd on Windows, set_nsobject
    // on macOS, set_xwindow on X11.
#if defined(_WIN32) || defined(__APPLE__)
    void (*set_window)(libvlc_media_player_t*, void* window) = nullptr;
#else
    void (*set_window)(libvlc_media_player_t*, std::uint32_t window) = nullptr;
#endif
    int (*media_player_play)(libvlc_media_player_t*) = nullptr;
    void (*media_player_pause)(libvlc_media_player_t*) = nullptr;
    void (*media_player_stop)(libvlc_media_player_t*) = nullptr;
    libvlc_time_t (*media_player_get_length)(libvlc_media_player_t*) = nullptr;
    libvlc_time_t (*media_player_get_time)(libvlc_media_player_t*) = nullptr;
    void (*media_player_set_time)(libvlc_media_player_t*, libvlc_time_t) = nullptr;
    int (*media_player_set_rate)(libvlc_media_player_t*, float) = nullptr;
    int (*audio_set_volume)(libvlc_media_player_t*, int) = nullptr;
    void (*audio_set_mute)(libvlc_media_player_t*, int) = nullptr;
    void (*video_set_key_input)(libvlc_media_player_t*, unsigned) = nullptr;
    void (*video_set_mouse_input)(libvlc_media_player_t*, unsigned) = nullptr;
    void (*video_set_marquee_string)(libvlc_media_player_t*, unsigned, const char*) = nullptr;
    void (*video_set_marquee_int)(libvlc_media_player_t*, unsigned, int) = nullptr;
    void (*video_set_crop_geometry)(libvlc_media_player_t*, const char*) = nullptr;
    int (*video_take_snapshot)(libvlc_media_player_t*, unsigned, const char*, unsigned,
                               unsigned) = nullptr;
    int (*video_get_width)(libvlc_media_player_t*) = nullptr;
    int (*video_get_height)(libvlc_media_player_t*) = nullptr;
    // The engine's log goes to a callback of ours instead of the terminal.
    void (*log_set)(libvlc_instance_t*, libvlc_log_cb, void*) = nullptr;
    void (*log_unset)(libvlc_instance_t*) = nullptr;
    void (*log_get_context)(const libvlc_log_t*, const char** module, const char** file,
                            unsigned* line) = nullptr;

    // Every entry is present.
    bool Complete() const;
};

}  // namespace lum
