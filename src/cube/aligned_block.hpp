#pragma once
// Aligned heap blocks and the memory advice the system offers for them.
//
// POSIX frees aligned blocks with free() and can be asked for huge pages and for all pages at
// once; the Windows C runtime keeps aligned blocks apart (_aligned_malloc/_aligned_free) and
// takes no such advice, so there the advice does nothing.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#ifdef _WIN32
#include <malloc.h>
#else
#include <sys/mman.h>
#endif

namespace annalex::cube {

// A block of bytes aligned to alignment (a power of two, at least sizeof(void*)); null when
// memory is exhausted. Give it back with freeAlignedBlock.
inline void* allocateAlignedBlock(std::size_t alignment, std::size_t bytes) {
#ifdef _WIN32
    return _aligned_malloc(bytes, alignment);
#else
    const std::size_t rounded = (bytes + alignment - 1) / alignment * alignment;
    return std::aligned_alloc(alignment, rounded);
#endif
}

inline void freeAlignedBlock(void* block) {
#ifdef _WIN32
    _aligned_free(block);
#else
    std::free(block);
#endif
}

// Asks for the whole 2 MiB pages inside the block to be huge pages; a block that holds none is
// left alone. Advice only: a refusal changes nothing.
inline void adviseHugePages([[maybe_unused]] void* block, [[maybe_unused]] std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (start + bytes) & ~(kHugePage - 1);
    if (first < end) {
        madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
#endif
}

// Asks for the block's pages to be mapped at once because all of it is written next, sparing a
// fault per page. Advice only: older kernels refuse it and fault as usual.
inline void adviseWholeWrite([[maybe_unused]] void* block, [[maybe_unused]] std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    madvise(block, bytes, MADV_POPULATE_WRITE);
#endif
}

}  // namespace annalex::cube
