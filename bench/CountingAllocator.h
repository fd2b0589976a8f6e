// How many allocations the benchmark program has made so far. The program's
// operator new counts them; only the benchmarks replace the allocator.
#pragma once

#include <cstddef>

namespace lum::bench {
std::size_t AllocationCount();
}
