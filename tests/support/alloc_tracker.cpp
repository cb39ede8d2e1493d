// Global operator new/delete that remember the largest request (see alloc_tracker.h).
#include "tests/support/alloc_tracker.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<size_t> g_largest{0};
}

namespace alloc_tracker {
void Reset() { g_largest = 0; }
size_t Largest() { return g_largest.load(); }
}  // namespace alloc_tracker

void* operator new(size_t n) {
    for (size_t seen = g_largest.load(); n > seen && !g_largest.compare_exchange_weak(seen, n);) {
    }
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
