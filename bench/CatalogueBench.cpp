// Google Benchmark of the scan of a 2,000-recording card and of loading the
// telemetry of a 700-block ".MOV".
#include <benchmark/benchmark.h>

#include <filesystem>

#include "BenchCard.h"
#include "recordings/Paths.h"
#include "recordings/RecordingCatalogue.h"

namespace {

using namespace lum;

const test::TempDir& Card() {
    static const test::TempDir dir;
    static const bool written = [] {
        bench::WriteBenchCard(dir.path() / "card", 2000);
        test::WriteFile(dir.path() / "long" / "FILE140101-080000.MOV", bench::MovBlocks(0, 700));
        return true;
    }();
    (void)written;
    return dir;
}

void BM_Load(benchmark::State& state) {
    const std::string root = FromFsPath(Card().path() / "card");
    std::size_t found = 0;
    for (auto _ : state) {
        RecordingCatalogue catalogue;
        catalogue.Load(root, "");
        found = catalogue.entries.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["recordings"] = static_cast<double>(found);
    state.counters["per_recording_us"] = benchmark::Counter(
        static_cast<double>(found),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

void BM_LoadCurrentTelemetry700Blocks(benchmark::State& state) {
    RecordingCatalogue catalogue;
    catalogue.Load(FromFsPath(Card().path() / "long"), "FILE140101-080000.MOV");
    for (auto _ : state) {
        catalogue.LoadCurrentTelemetry(0);
        benchmark::DoNotOptimize(catalogue.gpsSamples.data());
    }
    state.counters["blocks"] = static_cast<double>(catalogue.gpsSamples.size());
}
BENCHMARK(BM_LoadCurrentTelemetry700Blocks)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
