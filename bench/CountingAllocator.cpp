// Kept in a file of its own so the compiler never sees a replaced operator new
// and a container's delete side by side.
#include "CountingAllocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> allocations{0};
}

namespace lum::bench {
std::size_t AllocationCount() {
    return allocations.load(std::memory_order_relaxed);
}
}  // namespace lum::bench

void* operator new(std::size_t n) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n == 0 ? 1 : n)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
