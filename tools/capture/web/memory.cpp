// The page's memory grows on demand up to the most the build allows: what lies between the top of
// the heap in use and that ceiling is what a capture can still have.
#include "tools/capture/memory.h"

#include <emscripten/heap.h>

#include <cstdint>
#include <unistd.h>

long long availableMemoryBytes()
{
    const auto top = reinterpret_cast<uintptr_t>(sbrk(0));
    const size_t ceiling = emscripten_get_heap_max();
    return top < ceiling ? static_cast<long long>(ceiling - top) : 0;
}
