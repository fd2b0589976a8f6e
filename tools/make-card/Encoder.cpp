#include "Encoder.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace lum::card {

namespace fs = std::filesystem;

namespace {

// A value inside a filter's options inside a filter graph: escaped for both parsers.
std::string FilterValue(const std::string& raw) {
    std::string option;
    for (char c : raw) {
        if (c == '\\' || c == '\'' || c == ':') {
            option += '\\';
        }
        option += c;
    }
    std::string graph;
    for (char c : option) {
        if (c == '\\' || c == '\'' || c == '[' || c == ']' || c == ',' || c == ';') {
            graph += '\\';
        }
        graph += c;
    }
    return graph;
}

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

struct Format {
    const char* muxer;
    const char* extension;
    std::vector<std::string> audio;
};

Format FormatOf(Container c) {
    // PCM at 8 kHz mono is what the QuickTime stride arithmetic expects
    // (16000 bytes a second, one 32 KiB stride); the MP4s carry AAC.
    const std::vector<std::string> pcm = {"-c:a", "pcm_s16le", "-ar", "8000", "-ac", "1"};
    const std::vector<std::string> aac = {"-c:a", "aac", "-ar", "16000", "-ac", "1", "-b:a", "32k"};
    switch (c) {
        case Container::Mp4:
            return {"mp4", "mp4", aac};
        case Container::Mov:
            return {"mov", "mov", pcm};
        case Container::Avi:
            return {"avi", "avi", pcm};
        case Container::ThreeGp:
            return {"3gp", "3gp", aac};
    }
    return {"mp4", "mp4", aac};
}

}  // namespace

std::string FindFont() {
    static const char* const kFonts[] = {
        "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
        "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc",
        "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
        "/usr/share/fonts/opentype/noto/NotoSerifCJK-Regular.ttc",
    };
    for (const char* f : kFonts) {
        std::error_code ec;
        if (fs::is_regular_file(f, ec)) {
            return f;
        }
    }
    return {};
}

Result<int> RunProgram(const std::vector<std::string>& argv, const fs::path& cwd,
                       const fs::path& log) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        return Fail("cannot prepare a child process");
    }
    struct Cleanup {
        posix_spawn_file_actions_t* a;
        ~Cleanup() { posix_spawn_file_actions_destroy(a); }
    } cleanup{&actions};
    const std::string cwdText = cwd.string(), logText = log.string();
    if (posix_spawn_file_actions_addchdir_np(&actions, cwdText.c_str()) != 0 ||
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) != 0 ||
        posix_spawn_file_actions_addopen(&actions, 1, logText.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644) != 0 ||
        posix_spawn_file_actions_adddup2(&actions, 1, 2) != 0) {
        return Fail("cannot prepare a child process");
    }
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    if (const int err = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
        err != 0) {
        return Fail("cannot run " + argv[0] + ": " + std::strerror(err));
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return Fail("lost track of " + argv[0]);
        }
    }
    if (!WIFEXITED(status)) {
        return Fail(argv[0] + " was stopped by a signal");
    }
    return WEXITSTATUS(status);
}

Result<Bytes> Encode(const EncodeRequest& r, const fs::path& workDir) {
    const Format format = FormatOf(r.container);
    const std::string out = std::string("out.") + format.extension;
    const std::string size = std::to_string(r.width) + "x" + std::to_string(r.height);
    const std::string duration = std::to_string(r.seconds);

    std::string filter;
    if (!r.fontFile.empty()) {
        // The camera's clock, counted on from the start with the picture's own time.
        std::ofstream caption(workDir / "caption.txt", std::ios::binary);
        caption << "%{pts:gmtime:" << ClockSeconds(r.start) << ":%Y-%m-%d %H\\:%M\\:%S}\n"
                << r.label;
        caption.close();
        if (!caption) {
            return Fail("cannot write the caption in " + workDir.string());
        }
        const int fontSize = std::max(10, r.height / 14);
        filter = "drawtext=fontfile=" + FilterValue(r.fontFile) +
                 ":textfile=caption.txt:fontsize=" + std::to_string(fontSize) +
                 ":fontcolor=white:box=1:boxcolor=black@0.6:boxborderw=4:line_spacing=4:x=8:y=8";
    }
    // AVI: no aspect-ratio chunk, so the readers meet only the chunks they know.
    if (r.container == Container::Avi) {
        filter += std::string(filter.empty() ? "" : ",") + "setsar=0";
    }

    std::vector<std::string> argv = {
        r.ffmpeg,
        "-nostdin",
        "-hide_banner",
        "-v",
        "error",
        "-y",
        "-filter_threads",
        "1",
        "-f",
        "lavfi",
        "-i",
        "testsrc2=size=" + size + ":rate=" + std::to_string(r.fps) + ":duration=" + duration,
        "-f",
        "lavfi",
        "-i",
        "sine=frequency=" + std::to_string(r.toneHz) + ":sample_rate=8000:duration=" + duration,
        "-map",
        "0:v",
        "-map",
        "1:a"};
    if (!filter.empty()) {
        argv.insert(argv.end(), {"-filter:v", filter});
    }
    // One thread and bit-exact flags: the same request gives the same bytes.
    argv.insert(argv.end(), {"-c:v", "libx264", "-preset", "veryfast", "-crf", "28", "-bf", "0",
                             "-g", std::to_string(r.fps), "-pix_fmt", "yuv420p", "-threads", "1"});
    argv.insert(argv.end(), format.audio.begin(), format.audio.end());
    argv.insert(argv.end(), {"-fflags", "+bitexact", "-flags:v", "+bitexact", "-flags:a",
                             "+bitexact", "-map_metadata", "-1", "-f", format.muxer, out});

    const fs::path log = workDir / "ffmpeg.log";
    const auto status = RunProgram(argv, workDir, log);
    if (!status) {
        return Fail(status.Error());
    }
    if (*status != 0) {
        return Fail(r.ffmpeg + " failed (exit " + std::to_string(*status) + "): " + ReadText(log));
    }
    std::ifstream in(workDir / out, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) {
        return Fail(r.ffmpeg + " wrote nothing to " + (workDir / out).string());
    }
    return bytes;
}

}  // namespace lum::card
