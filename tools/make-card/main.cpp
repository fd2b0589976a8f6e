// lum-make-card: writes a sample dash-camera card into a folder, with real
// H.264 recordings from ffmpeg and the camera's telemetry in every layout
// the viewer reads.
//   lum-make-card OUT_DIR [--minutes N] [--seed S] [--seconds-per-recording S]
//                 [--size WxH] [--fps F] [--jobs J] [--ffmpeg PATH]
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Card.h"
#include "Containers.h"
#include "Encoder.h"
#include "Manifest.h"
#include "Telemetry.h"

namespace fs = std::filesystem;

namespace lum::card {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char* kUsage =
    "usage: lum-make-card OUT_DIR [--minutes N] [--seed S] [--seconds-per-recording S]\n"
    "                     [--size WxH] [--fps F] [--jobs J] [--ffmpeg PATH]\n"
    "  OUT_DIR                  folder for the card; must be empty or not exist\n"
    "  --minutes N              recordings in the main drive, at least 8 (default 10)\n"
    "  --seed S                 varies speeds, readings and tones (default 1)\n"
    "  --seconds-per-recording  length of each recording, 4 to 60 (default 60)\n"
    "  --size WxH               frame size, even numbers (default 640x360)\n"
    "  --fps F                  frames per second, 1 to 60 (default 30)\n"
    "  --jobs J                 ffmpeg processes at once (default: the processor count)\n"
    "  --ffmpeg PATH            the ffmpeg to run (default: ffmpeg on the PATH)\n";

int Usage(const std::string& why) {
    std::cerr << "lum-make-card: " << why << "\n" << kUsage;
    return kExitUsage;
}

std::optional<long> Number(const std::string& text, long lo, long hi) {
    if (text.empty() || text.size() > 10 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const long v = std::stol(text);
    if (v < lo || v > hi) {
        return std::nullopt;
    }
    return v;
}

struct Arguments {
    fs::path outDir;
    CardOptions card;
    unsigned jobs = 0;
    std::string ffmpeg = "ffmpeg";
};

// Empty on success, else the complaint.
std::string ParseArguments(const std::vector<std::string>& args, Arguments& a) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.starts_with("--")) {
            if (!a.outDir.empty()) {
                return "unexpected argument " + arg;
            }
            a.outDir = arg;
            continue;
        }
        if (i + 1 >= args.size()) {
            return arg + " needs a value";
        }
        const std::string& value = args[++i];
        auto number = [&](long lo, long hi) {
            const auto v = Number(value, lo, hi);
            return v ? static_cast<int>(*v) : -1;
        };
        if (arg == "--minutes") {
            a.card.minutes = number(kMinDriveRecordings, 600);
            if (a.card.minutes < 0) {
                return "--minutes needs a whole number from " +
                       std::to_string(kMinDriveRecordings) + " to 600";
            }
        } else if (arg == "--seed") {
            const auto v = Number(value, 0, 4294967295L);
            if (!v) {
                return "--seed needs a whole number from 0 to 4294967295";
            }
            a.card.seed = static_cast<std::uint32_t>(*v);
        } else if (arg == "--seconds-per-recording") {
            a.card.secondsPerRecording = number(kMinSecondsPerRecording, kMaxSecondsPerRecording);
            if (a.card.secondsPerRecording < 0) {
                return "--seconds-per-recording needs a whole number from " +
                       std::to_string(kMinSecondsPerRecording) + " to " +
                       std::to_string(kMaxSecondsPerRecording);
            }
        } else if (arg == "--size") {
            const auto x = value.find('x');
            const auto w =
                x == std::string::npos ? std::nullopt : Number(value.substr(0, x), 16, 4096);
            const auto h =
                x == std::string::npos ? std::nullopt : Number(value.substr(x + 1), 16, 4096);
            if (!w || !h || *w % 2 != 0 || *h % 2 != 0) {
                return "--size needs WIDTHxHEIGHT, even numbers from 16 to 4096";
            }
            a.card.width = static_cast<int>(*w);
            a.card.height = static_cast<int>(*h);
        } else if (arg == "--fps") {
            a.card.fps = number(1, 60);
            if (a.card.fps < 0) {
                return "--fps needs a whole number from 1 to 60";
            }
        } else if (arg == "--jobs") {
            const int j = number(1, 64);
            if (j < 0) {
                return "--jobs needs a whole number from 1 to 64";
            }
            a.jobs = static_cast<unsigned>(j);
        } else if (arg == "--ffmpeg") {
            a.ffmpeg = value;
        } else {
            return "unknown option " + arg;
        }
    }
    if (a.outDir.empty()) {
        return "OUT_DIR is missing";
    }
    return {};
}

// A private working folder that goes away with its owner.
class WorkFolder {
  public:
    static Result<fs::path> Make() {
        std::error_code ec;
        std::string pattern = (fs::temp_directory_path(ec) / "lum-make-card.XXXXXX").string();
        if (ec || mkdtemp(pattern.data()) == nullptr) {
            return Fail("cannot make a working folder in the temporary folder");
        }
        return fs::path(pattern);
    }
    explicit WorkFolder(fs::path p) : path_(std::move(p)) {}
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    ~WorkFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// ffmpeg's recording with the camera's telemetry put in.
Result<Bytes> AddTelemetry(const PlannedFile& f, Bytes encoded) {
    switch (f.layout) {
        case Layout::None:
            return encoded;
        case Layout::Payload:
            AppendBoxes(encoded, {Box("gpsa", GpsAttributes(f)), Box("gsea", GsensorAttributes(f)),
                                  Box("IDIT", IditText(f)), Box("gps0", GpsPayload(f)),
                                  Box("gsen", GsensorPayload(f))});
            return encoded;
        case Layout::Blocks:
        case Layout::IndexBlocks: {
            const bool mov = f.layout == Layout::Blocks;
            const std::size_t size = mov ? kMovBlockBytes : kIndexBlockBytes;
            std::vector<Bytes> blocks;
            for (int k = 0; k < f.seconds; ++k) {
                blocks.push_back(
                    LeadAndBlock(f, k, size, mov ? kMovAccelStride : kIndexAccelStride));
            }
            auto laid = InterleaveBlocks(
                encoded, blocks, mov ? BlockPlacement::AudioStride : BlockPlacement::AfterAudio);
            if (!laid) {
                return Fail(laid.Error());
            }
            std::vector<Bytes> boxes;
            if (!mov) {
                boxes.push_back(GpsIndexBox(laid->blockPositions,
                                            static_cast<std::uint32_t>(kBlockLeadBytes + size)));
            }
            boxes.push_back(Box("IDIT", IditText(f)));
            AppendBoxes(laid->file, boxes);
            return std::move(laid->file);
        }
        case Layout::AviChunks:
        case Layout::SideText: {
            std::vector<Bytes> chunks;
            if (f.layout == Layout::AviChunks) {
                chunks = {Chunk("gpsa", GpsAttributes(f)), Chunk("gsea", GsensorAttributes(f)),
                          Chunk("IDIT", IditText(f)), Chunk("gps0", GpsPayload(f)),
                          Chunk("gsen", GsensorPayload(f))};
            } else {
                chunks = {Chunk("IDIT", IditText(f))};
            }
            if (auto s = AppendRiffChunks(encoded, chunks); !s) {
                return Fail(s.Error());
            }
            return encoded;
        }
    }
    return encoded;
}

Status WriteFile(const fs::path& path, const void* data, std::size_t size) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        return Fail("cannot write " + path.string());
    }
    return Done{};
}

int Run(const Arguments& a) {
    std::error_code ec;
    if (fs::exists(a.outDir, ec) &&
        (!fs::is_directory(a.outDir, ec) || !fs::is_empty(a.outDir, ec))) {
        std::cerr << "lum-make-card: " << a.outDir.string()
                  << " is not an empty folder; choose a new one\n";
        return kExitFailure;
    }
    const std::vector<PlannedFile> files = PlanCard(a.card);
    const std::string font = FindFont();
    if (font.empty()) {
        std::cerr << "lum-make-card: no font found (fonts-dejavu-core or fonts-noto-cjk); "
                     "the recordings show the moving picture without the time\n";
    }
    auto work = WorkFolder::Make();
    if (!work) {
        std::cerr << "lum-make-card: " << work.Error() << "\n";
        return kExitFailure;
    }
    const WorkFolder folder(*work);

    // Encode every recording that is not a copy, several ffmpeg processes at once.
    std::vector<Result<Bytes>> made(files.size(), Fail("not made"));
    std::atomic<std::size_t> next{0};
    auto worker = [&] {
        for (std::size_t i = next++; i < files.size(); i = next++) {
            const PlannedFile& f = files[i];
            if (f.copyOf >= 0) {
                continue;
            }
            const fs::path dir = folder.path() / std::to_string(i);
            fs::create_directory(dir);
            EncodeRequest r;
            r.container = f.container;
            r.width = a.card.width;
            r.height = a.card.height;
            r.fps = a.card.fps;
            r.seconds = f.seconds;
            r.toneHz = f.toneHz;
            r.start = f.start;
            r.label = f.name;
            r.fontFile = font;
            r.ffmpeg = a.ffmpeg;
            auto encoded = Encode(r, dir);
            made[i] = encoded ? AddTelemetry(f, std::move(*encoded)) : Fail(encoded.Error());
        }
    };
    const unsigned jobs = a.jobs != 0 ? a.jobs : std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> threads;
    for (unsigned j = 0; j < std::min<std::size_t>(jobs, files.size()); ++j) {
        threads.emplace_back(worker);
    }
    for (std::thread& t : threads) {
        t.join();
    }

    for (std::size_t i = 0; i < files.size(); ++i) {
        const PlannedFile& f = files[i];
        const std::size_t source = f.copyOf >= 0 ? static_cast<std::size_t>(f.copyOf) : i;
        if (!made[source]) {
            std::cerr << "lum-make-card: " << f.RelativePath() << ": " << made[source].Error()
                      << "\n";
            return kExitFailure;
        }
        Bytes bytes = *made[source];
        Status damaged = Done{};
        if (f.damage == Damage::NoFtyp) {
            damaged = RenameFirstBox(bytes);
        } else if (f.damage == Damage::CutShort) {
            damaged = CutInsideMovi(bytes);
        }
        if (!damaged) {
            std::cerr << "lum-make-card: " << f.RelativePath() << ": " << damaged.Error() << "\n";
            return kExitFailure;
        }
        const fs::path path = a.outDir / f.RelativePath();
        Status written = WriteFile(path, bytes.data(), bytes.size());
        if (written && f.layout == Layout::SideText) {
            const std::string text = SideText(f);
            fs::path side = path;
            side.replace_extension(".TXT");
            written = WriteFile(side, text.data(), text.size());
        }
        if (written && f.readOnly) {
            fs::permissions(
                path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                fs::perm_options::remove, ec);
            if (ec) {
                written = Fail("cannot make " + path.string() + " read-only");
            }
        }
        if (!written) {
            std::cerr << "lum-make-card: " << written.Error() << "\n";
            return kExitFailure;
        }
        std::printf("%-44s %-8s %s\n", f.RelativePath().c_str(), f.listed ? "listed" : "left out",
                    f.exercises.c_str());
    }
    const std::string manifest = ManifestJson(a.card, files, font);
    if (auto s = WriteFile(a.outDir / "card-manifest.json", manifest.data(), manifest.size()); !s) {
        std::cerr << "lum-make-card: " << s.Error() << "\n";
        return kExitFailure;
    }
    std::printf("%zu files written to %s (manifest: card-manifest.json)\n", files.size(),
                a.outDir.string().c_str());
    return kExitOk;
}

}  // namespace
}  // namespace lum::card

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        std::cout << lum::card::kUsage;
        return lum::card::kExitOk;
    }
    lum::card::Arguments a;
    if (const std::string why = lum::card::ParseArguments(args, a); !why.empty()) {
        return lum::card::Usage(why);
    }
    return lum::card::Run(a);
}
