// Writes the benchmark card: lum_make_bench_card OUT_DIR [COUNT]
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "BenchCard.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: lum_make_bench_card OUT_DIR [COUNT]\n");
        return 2;
    }
    const int count = argc > 2 ? std::atoi(argv[2]) : 2000;
    try {
        lum::bench::WriteBenchCard(argv[1], count);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("%d recordings written to %s\n", count, argv[1]);
    return 0;
}
