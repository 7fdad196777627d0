#pragma once
// A growable array stored in fixed-size contiguous chunks.
//
// Unlike std::vector it never moves its elements when it grows, so a multi-million element
// store grows without the copy (and the doubled peak memory) of a reallocation, while each chunk
// stays contiguous for fast scans. A chunk holds as many whole elements as fit in ChunkBytes, a
// constant, so index arithmetic is a multiplication and a shift whatever the element's size.
//
// The whole 2 MiB pages inside a chunk are asked to be huge pages, which spares page faults
// and TLB misses; chunks are plain heap blocks, so no memory is spent on aligning them. Pages
// a chunk never touches cost address space only.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "cube/aligned_block.hpp"

namespace annalex::cube {

template <typename T, std::size_t ChunkBytes = std::size_t{64} << 10>
class ChunkedVector {
  public:
    static constexpr std::size_t kChunkSize = ChunkBytes / sizeof(T);
    static_assert(kChunkSize > 0);

    ChunkedVector() = default;
    ChunkedVector(const ChunkedVector&) = delete;
    ChunkedVector& operator=(const ChunkedVector&) = delete;
    ChunkedVector(ChunkedVector&& other) noexcept { swap(other); }
    ChunkedVector& operator=(ChunkedVector&& other) noexcept {
        ChunkedVector(std::move(other)).swap(*this);
        return *this;
    }
    ~ChunkedVector() { clear(); }

    void swap(ChunkedVector& other) noexcept {
        chunks_.swap(other.chunks_);
        std::swap(size_, other.size_);
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T& operator[](std::size_t index) { return chunks_[index / kChunkSize][index % kChunkSize]; }
    const T& operator[](std::size_t index) const {
        return chunks_[index / kChunkSize][index % kChunkSize];
    }

    // When an allocation fails (std::bad_alloc) the vector is left as it was.
    T& push_back(T value) {
        if (size_ / kChunkSize == chunks_.size()) {
            if (chunks_.size() == chunks_.capacity()) {  // so that adding the chunk cannot fail
                chunks_.reserve(chunks_.empty() ? 8 : chunks_.size() * 2);
            }
            chunks_.push_back(allocateChunk());
        }
        T* slot = &(*this)[size_];
        ::new (static_cast<void*>(slot)) T(std::move(value));
        ++size_;
        return *slot;
    }

    void clear() {
        for (std::size_t i = 0; i < size_; ++i) {
            (*this)[i].~T();
        }
        for (T* chunk : chunks_) {
            freeAlignedBlock(chunk);
        }
        chunks_.clear();
        size_ = 0;
    }

  private:
    static T* allocateChunk() {
        // A chunk that starts and ends on huge page boundaries is huge pages from end to end;
        // one that does not is faulted in page by page at its ends. (The elements may leave a
        // few bytes of the last page unused.)
        constexpr std::size_t kHugePage = std::size_t{2} << 20;
        constexpr std::size_t kUsed = kChunkSize * sizeof(T);
        constexpr std::size_t kAlignment =
            kUsed >= kHugePage ? kHugePage : (alignof(T) < 16 ? 16 : alignof(T));
        constexpr std::size_t bytes = (kUsed + kAlignment - 1) / kAlignment * kAlignment;
        void* block = allocateAlignedBlock(kAlignment, bytes);
        if (block == nullptr) {
            throw std::bad_alloc();
        }
        adviseHugePages(block, bytes);
        return static_cast<T*>(block);
    }

    std::vector<T*> chunks_;  // each holds kChunkSize elements, the first size_ constructed
    std::size_t size_ = 0;
};

}  // namespace annalex::cube
