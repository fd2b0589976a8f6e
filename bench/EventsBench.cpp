// Google Benchmark of the driving events and trip figures of one recording, which
// the viewer finds once each time a recording becomes current: a minute of
// readings at 10 a second with one GPS fix a second, and the longest ".MOV" the
// viewer reads (700 blocks: 3,500 readings and 700 fixes).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "recordings/DrivingEvents.h"

namespace {

using namespace lum;

struct Recording {
    std::vector<GpsSample> gps;
    std::vector<GSensorSample> accel;
    std::uint32_t durationMs = 0;
};

// A drive with road noise, a few corners and one hard braking.
Recording Drive(int seconds, int readingsPerSecond) {
    Recording r;
    r.durationMs = static_cast<std::uint32_t>(seconds) * 1000;
    std::uint32_t noise = 1;
    const auto next = [&noise] {
        noise = noise * 1664525u + 1013904223u;
        return static_cast<int>((noise >> 24) % 5) - 2;
    };
    for (int i = 0; i < seconds * readingsPerSecond; ++i) {
        const double t = static_cast<double>(i) / readingsPerSecond;
        const int corner = std::fmod(t, 20.0) < 2 ? 8 : 0;
        const int braking = std::fmod(t, 45.0) > 30 && std::fmod(t, 45.0) < 32 ? -10 : 0;
        r.accel.push_back({static_cast<std::int8_t>(corner + next()),
                           static_cast<std::int8_t>(braking + next()),
                           static_cast<std::int8_t>(16 + next())});
    }
    for (int s = 0; s < seconds; ++s) {
        GpsSample g;
        g.fixFlags = 1;
        g.latitude = 3539.5110 - s * 0.01;
        g.longitude = 13944.7296 + s * 0.005;
        g.speedKmh = static_cast<std::int16_t>(60 + s % 7);
        r.gps.push_back(g);
    }
    return r;
}

void Analyse(benchmark::State& state, const Recording& r) {
    const RecordingSamples samples{r.gps, r.accel, 8.0, 1.0, r.durationMs, RecordingKind::Normal};
    EventThresholds thresholds;
    thresholds.speedLimitKmh = 64;
    for (auto _ : state) {
        std::vector<DrivingEvent> events = FindDrivingEvents(samples, thresholds);
        TripSummary trip = SummariseTrip(samples);
        benchmark::DoNotOptimize(events.data());
        benchmark::DoNotOptimize(trip);
    }
    state.counters["readings"] = static_cast<double>(r.accel.size());
}

void BM_EventsAndTripOfAMinute(benchmark::State& state) {
    static const Recording minute = Drive(60, 10);
    Analyse(state, minute);
}
BENCHMARK(BM_EventsAndTripOfAMinute)->Unit(benchmark::kMicrosecond);

void BM_EventsAndTripOf700Blocks(benchmark::State& state) {
    static const Recording blocks = Drive(700, 5);
    Analyse(state, blocks);
}
BENCHMARK(BM_EventsAndTripOf700Blocks)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
