// Google Benchmark of the settings reads the viewer makes at start-up, on a
// "Lum.ini" of about 10 MB (a file someone filled with unknown keys).
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "recordings/Paths.h"
#include "settings/CLumSettings.h"
#include "tests/support/Builders.h"

namespace {

using namespace lum;

const test::TempDir& SettingsFolder() {
    static const test::TempDir dir;
    static const bool written = [] {
        std::ofstream out(dir.path() / "Lum.ini", std::ios::binary);
        out << "[UI]\nLANGID=ENG\nMAP=1\n[WINPOS]\nLEFT=10\nTOP=20\nRIGHT=900\nBOTTOM=700\n";
        for (int section = 0; out.tellp() < 10'000'000; ++section) {
            out << "[Filler" << section << "]\n";
            for (int key = 0; key < 100; ++key) {
                out << "Key" << key << "=some value that nobody reads " << section << "\n";
            }
        }
        out.close();
        // Long settled, as a settings file is when the viewer starts.
        std::filesystem::last_write_time(
            dir.path() / "Lum.ini",
            std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
        return true;
    }();
    (void)written;
    return dir;
}

// Five reads, as the window makes them when it opens; the first pays the parse.
void BM_FiveSettingsReadsOf10MB(benchmark::State& state) {
    const std::string folder = FromFsPath(SettingsFolder().path());
    for (auto _ : state) {
        CLumSettings settings(folder);
        benchmark::DoNotOptimize(settings.ReadMapOption());
        benchmark::DoNotOptimize(settings.ReadMapEnabled());
        benchmark::DoNotOptimize(settings.ReadGsensorEnabled());
        benchmark::DoNotOptimize(settings.ReadWindowPlacement(1920, 1080));
        benchmark::DoNotOptimize(settings.ReadTextSetting("UI", "Folder", ""));
    }
}
BENCHMARK(BM_FiveSettingsReadsOf10MB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
