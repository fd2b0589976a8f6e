// Google Benchmark of the scan of a 2,000-recording card against the floor of
// opening, querying and reading a few KiB of the same files, of loading the
// telemetry of a 700-block ".MOV" (with the map calls it makes), and of a
// playback tick's allocations.
//   LUM_BENCH_CARD=DIR lum_catalogue_bench   scans DIR instead of a card of its own
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchCard.h"
#include "CountingAllocator.h"
#include "catalogue/RecordingCatalogue.h"
#include "recordings/Paths.h"

namespace {

using namespace lum;

const test::TempDir& Scratch() {
    static const test::TempDir dir;
    return dir;
}

std::filesystem::path CardPath() {
    if (const char* given = std::getenv("LUM_BENCH_CARD"); given != nullptr && *given != '\0') {
        return given;
    }
    static const bool written = [] {
        bench::WriteBenchCard(Scratch().path() / "card", 2000);
        return true;
    }();
    (void)written;
    return Scratch().path() / "card";
}

std::filesystem::path LongMov() {
    static const bool written = [] {
        test::WriteFile(Scratch().path() / "long" / "FILE140101-080000.MOV",
                        bench::MovBlocks(0, 700));
        return true;
    }();
    (void)written;
    return Scratch().path() / "long";
}

void PerRecording(benchmark::State& state, std::size_t count) {
    state.counters["recordings"] = static_cast<double>(count);
    state.counters["per_recording_us"] = benchmark::Counter(
        static_cast<double>(count),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Load(benchmark::State& state) {
    const std::string root = FromFsPath(CardPath());
    std::size_t found = 0;
    for (auto _ : state) {
        RecordingCatalogue catalogue;
        catalogue.Load(root, "");
        found = catalogue.Entries().size();
        benchmark::DoNotOptimize(found);
    }
    PerRecording(state, found);
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

// The least any scan of these files costs: open, status, one read of 4 KiB, close.
void BM_Floor(benchmark::State& state) {
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(CardPath())) {
        if (e.is_regular_file()) {
            files.push_back(e.path().string());
        }
    }
    std::vector<char> buf(4096);
    for (auto _ : state) {
        for (const std::string& f : files) {
            const int fd = ::open(f.c_str(), O_RDONLY | O_CLOEXEC);
            struct stat st;
            if (fd < 0 || ::fstat(fd, &st) != 0) {
                state.SkipWithError("cannot open a card file");
                break;
            }
            benchmark::DoNotOptimize(::pread(fd, buf.data(), buf.size(), 0));
            ::close(fd);
        }
    }
    PerRecording(state, files.size());
}
BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond);

// Counts the calls that cross into the map: each one is a script the page must run.
class CountingMap : public IMapView {
  public:
    void ShowTrack(const std::vector<MapTrackPoint>&) override { ++calls; }
    void ShowDriven(std::size_t) override { ++calls; }
    void ClearTrack() override { ++calls; }
    void MoveCar(TrackPoint, int) override { ++calls; }
    void ShowEvents(const std::vector<MapEventDot>&) override { ++calls; }
    std::size_t calls = 0;
};

void BM_LoadCurrentTelemetry700Blocks(benchmark::State& state) {
    RecordingCatalogue catalogue;
    CountingMap map;
    catalogue.Bind(nullptr, nullptr, &map, nullptr);
    catalogue.Load(FromFsPath(LongMov()), "FILE140101-080000.MOV");
    for (auto _ : state) {
        catalogue.LoadCurrentTelemetry(0);
        benchmark::DoNotOptimize(catalogue.GpsSamples().data());
    }
    state.counters["blocks"] = static_cast<double>(catalogue.GpsSamples().size());
    state.counters["map_calls"] =
        benchmark::Counter(static_cast<double>(map.calls), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LoadCurrentTelemetry700Blocks)->Unit(benchmark::kMicrosecond);

// A playback tick whose play time still selects the record already shown.
void BM_FeedGaugesUnchanged(benchmark::State& state) {
    RecordingCatalogue catalogue;
    CountingMap map;
    catalogue.Bind(nullptr, nullptr, &map, nullptr);
    catalogue.Load(FromFsPath(LongMov()), "FILE140101-080000.MOV");
    catalogue.LoadCurrentTelemetry(0);
    catalogue.FeedGauges(5000, true, true);
    const std::size_t before = bench::AllocationCount();
    for (auto _ : state) {
        benchmark::DoNotOptimize(catalogue.FeedGauges(5000, true, true));
    }
    state.counters["allocations_per_tick"] = benchmark::Counter(
        static_cast<double>(bench::AllocationCount() - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FeedGaugesUnchanged);

}  // namespace

BENCHMARK_MAIN();
