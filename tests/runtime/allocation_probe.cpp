#include "tests/runtime/allocation_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<size_t> largestSeen{0};
std::atomic<bool> watching{false};

void* allocate(size_t size)
{
    if (watching.load(std::memory_order_relaxed)) {
        size_t seen = largestSeen.load(std::memory_order_relaxed);
        while (size > seen && !largestSeen.compare_exchange_weak(seen, size)) {
        }
    }
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(size_t size) { return allocate(size); }
void* operator new[](size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

AllocationProbe::AllocationProbe()
{
    largestSeen = 0;
    watching = true;
}
AllocationProbe::~AllocationProbe() { watching = false; }
size_t AllocationProbe::largest() const { return largestSeen.load(); }
