#include "memory_meter.hpp"

#include <malloc.h>

#include <atomic>
#include <cerrno>
#include <cstddef>

// The meter stands between the program and the C library's allocator: every block handed out
// by malloc, calloc, realloc and the aligned allocation functions (and so by operator new,
// which calls malloc) is counted with its usable size.

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> peak{0};

void* counted(void* block) {
    if (block != nullptr) {
        const std::size_t size = malloc_usable_size(block);
        const std::size_t now = inUse.fetch_add(size, std::memory_order_relaxed) + size;
        std::size_t seen = peak.load(std::memory_order_relaxed);
        while (now > seen && !peak.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
        }
    }
    return block;
}

void uncount(void* block) {
    if (block != nullptr) {
        inUse.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
    }
}

}  // namespace

extern "C" {

void* malloc(std::size_t size) {
    return counted(__libc_malloc(size));
}
void* calloc(std::size_t count, std::size_t size) {
    return counted(__libc_calloc(count, size));
}
void free(void* block) {
    uncount(block);
    __libc_free(block);
}
void* realloc(void* block, std::size_t size) {
    uncount(block);
    void* moved = __libc_realloc(block, size);
    if (moved == nullptr && size != 0) {
        counted(block);  // the old block is still there
        return nullptr;
    }
    return counted(moved);
}
void* memalign(std::size_t alignment, std::size_t size) {
    return counted(__libc_memalign(alignment, size));
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    return counted(__libc_memalign(alignment, size));
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    void* block = __libc_memalign(alignment, size);
    if (block == nullptr) {
        return ENOMEM;
    }
    *out = counted(block);
    return 0;
}

}  // extern "C"

namespace annalex::bench {

std::size_t bytesInUse() {
    return inUse.load();
}
std::size_t peakBytesInUse() {
    return peak.load();
}
void resetPeak() {
    peak.store(inUse.load());
}

}  // namespace annalex::bench
