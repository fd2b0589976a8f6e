// An engine table whose every entry point writes down its call, for tests of
// the engine wrapper and of the window's controller.
#pragma once

#include <string>
#include <vector>

#include "playback/VlcApi.h"

namespace lum::test {

struct EngineLog {
    static std::vector<std::string>& Calls() {
        static std::vector<std::string> calls;
        return calls;
    }
    static libvlc_time_t& Length() {
        static libvlc_time_t length = 62000;
        return length;
    }
    static libvlc_time_t& Time() {
        static libvlc_time_t time = 1234;
        return time;
    }
};

inline void Log(std::string s) {
    EngineLog::Calls().push_back(std::move(s));
}

inline VlcApi RecordingApi() {
    static int handles[4];
    VlcApi a;
    a.new_ = [](int argc, const char* const* argv) {
        std::string s = "new";
        for (int i = 0; i < argc; ++i) {
            s += std::string(" [") + argv[i] + "]";
        }
        Log(s);
        return reinterpret_cast<libvlc_instance_t*>(&handles[0]);
    };
    a.release = [](libvlc_instance_t*) { Log("release"); };
    a.media_player_new = [](libvlc_instance_t*) {
        Log("player_new");
        return reinterpret_cast<libvlc_media_player_t*>(&handles[1]);
    };
    a.media_player_release = [](libvlc_media_player_t*) { Log("player_release"); };
    a.media_player_event_manager = [](libvlc_media_player_t*) {
        return reinterpret_cast<libvlc_event_manager_t*>(&handles[2]);
    };
    a.event_attach = [](libvlc_event_manager_t*, libvlc_event_type_t e, libvlc_callback_t, void*) {
        Log("attach " + std::to_string(e));
        return 0;
    };
    a.media_new_path = [](libvlc_instance_t*, const char* p) {
        Log(std::string("media_new_path ") + p);
        return reinterpret_cast<libvlc_media_t*>(&handles[3]);
    };
    a.media_add_option = [](libvlc_media_t*, const char* o) {
        Log(std::string("add_option ") + o);
    };
    a.media_release = [](libvlc_media_t*) { Log("media_release"); };
    a.media_player_set_media = [](libvlc_media_player_t*, libvlc_media_t*) { Log("set_media"); };
#if defined(_WIN32) || defined(__APPLE__)
    a.set_window = [](libvlc_media_player_t*, void*) { Log("set_window"); };
#else
    a.set_window = [](libvlc_media_player_t*, std::uint32_t) { Log("set_window"); };
#endif
    a.media_player_play = [](libvlc_media_player_t*) {
        Log("play");
        return 0;
    };
    a.media_player_pause = [](libvlc_media_player_t*) { Log("pause"); };
    a.media_player_stop = [](libvlc_media_player_t*) { Log("stop"); };
    a.media_player_get_length = [](libvlc_media_player_t*) { return EngineLog::Length(); };
    a.media_player_get_time = [](libvlc_media_player_t*) { return EngineLog::Time(); };
    a.media_player_set_time = [](libvlc_media_player_t*, libvlc_time_t t) {
        Log("set_time " + std::to_string(t));
    };
    a.media_player_set_rate = [](libvlc_media_player_t*, float r) {
        Log("rate " + std::to_string(r).substr(0, 3));
        return 0;
    };
    a.audio_set_volume = [](libvlc_media_player_t*, int v) {
        Log("volume " + std::to_string(v));
        return 0;
    };
    a.audio_set_mute = [](libvlc_media_player_t*, int on) { Log("mute " + std::to_string(on)); };
    a.video_set_key_input = [](libvlc_media_player_t*, unsigned on) {
        Log("key_input " + std::to_string(on));
    };
    a.video_set_mouse_input = [](libvlc_media_player_t*, unsigned on) {
        Log("mouse_input " + std::to_string(on));
    };
    a.video_set_marquee_string = [](libvlc_media_player_t*, unsigned o, const char* t) {
        Log("marquee_string " + std::to_string(o) + " " + t);
    };
    a.video_set_marquee_int = [](libvlc_media_player_t*, unsigned o, int v) {
        Log("marquee_int " + std::to_string(o) + " " + std::to_string(v));
    };
    a.video_set_crop_geometry = [](libvlc_media_player_t*, const char* g) {
        Log(std::string("crop ") + g);
    };
    a.video_take_snapshot = [](libvlc_media_player_t*, unsigned, const char* p, unsigned,
                               unsigned) {
        Log(std::string("snapshot ") + p);
        return 0;
    };
    a.video_get_width = [](libvlc_media_player_t*) { return 1920; };
    a.video_get_height = [](libvlc_media_player_t*) { return 1080; };
    // The log hooks write nothing down, so the call lists above stay those of playback.
    a.log_set = [](libvlc_instance_t*, libvlc_log_cb, void*) {};
    a.log_unset = [](libvlc_instance_t*) {};
    a.log_get_context = [](const libvlc_log_t*, const char** module, const char** file,
                           unsigned* line) {
        *module = "engine";
        *file = nullptr;
        *line = 0;
    };
    return a;
}

}  // namespace lum::test
