// The heap count of the memory benchmark: this program's own operator new and delete.
#include "heap_count.h"

#include <cstdlib>
#include <malloc.h>
#include <new>

// The heap the memory run's child uses, counted by this program's own operator new and
// delete while g_count_heap is on (off, they are plain malloc and free): how far the bytes
// the allocator handed out (malloc_usable_size) rose since the count began (blocks from
// before that the run frees count against it), and the highest such rise.
namespace {
bool g_count_heap = false;
int64_t g_heap_live = 0, g_heap_peak = 0;
}  // namespace

namespace tsqz::bench {
void StartHeapCount() {
    g_heap_live = g_heap_peak = 0;
    g_count_heap = true;
}
int64_t StopHeapCount() {
    g_count_heap = false;
    return g_heap_peak;
}
}  // namespace tsqz::bench

void* operator new(size_t size) {
    for (;;) {
        if (void* p = std::malloc(size ? size : 1)) {
            if (g_count_heap) {
                g_heap_live += static_cast<int64_t>(malloc_usable_size(p));
                if (g_heap_live > g_heap_peak) g_heap_peak = g_heap_live;
            }
            return p;
        }
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept {
    if (!p) return;
    if (g_count_heap) g_heap_live -= static_cast<int64_t>(malloc_usable_size(p));
    std::free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { operator delete(p); }

