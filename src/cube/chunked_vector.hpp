#pragma once
// A growable array stored in fixed-size contiguous chunks.
//
// Past its first chunk it never moves its elements when it grows, so a multi-million element
// store grows without the copy (and the doubled peak memory) of a reallocation, while each chunk
// stays contiguous for fast scans. A chunk holds as many whole elements as fit in ChunkBytes, a
// constant, so index arithmetic is a multiplication and a shift whatever the element's size.
//
// The first chunk starts small and doubles (moving its elements) until it reaches the full
// chunk size, so a small array costs little memory even when its chunks are large. The pages
// of large chunks are asked to be huge pages, which spares page faults and TLB misses; chunks
// are plain heap blocks, so no memory is spent on aligning them.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

#include "cube/aligned_block.hpp"

namespace annalex::cube {

template <typename T, std::size_t ChunkBytes = std::size_t{64} << 10>
class ChunkedVector {
  public:
    static constexpr std::size_t kChunkSize = ChunkBytes / sizeof(T);
    static_assert(kChunkSize > 0);
    static_assert(std::is_nothrow_move_constructible_v<T>);

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
        std::swap(firstCapacity_, other.firstCapacity_);
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T& operator[](std::size_t index) { return chunks_[index / kChunkSize][index % kChunkSize]; }
    const T& operator[](std::size_t index) const {
        return chunks_[index / kChunkSize][index % kChunkSize];
    }

    // When an allocation fails (std::bad_alloc) the vector is left as it was.
    T& push_back(T value) {
        if (size_ == firstCapacity_ && firstCapacity_ < kChunkSize) {
            growFirstChunk();
        } else if (size_ / kChunkSize == chunks_.size()) {
            if (chunks_.size() == chunks_.capacity()) {  // so that adding the chunk cannot fail
                chunks_.reserve(chunks_.size() * 2);
            }
            chunks_.push_back(allocateChunk(kChunkSize));
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
        firstCapacity_ = 0;
    }

  private:
    static constexpr std::size_t kFirstCapacity = kChunkSize < 256 ? kChunkSize : 256;

    static T* allocateChunk(std::size_t capacity) {
        const std::size_t bytes = capacity * sizeof(T);
        void* block = allocateAlignedBlock(alignof(T) < 16 ? 16 : alignof(T), bytes);
        if (block == nullptr) {
            throw std::bad_alloc();
        }
        adviseHugePages(block, bytes);
        return static_cast<T*>(block);
    }

    // Makes the first chunk twice as large (or creates it), moving its elements.
    void growFirstChunk() {
        if (chunks_.empty()) {
            chunks_.reserve(8);
        }
        const std::size_t capacity =
            firstCapacity_ == 0
                ? kFirstCapacity
                : (firstCapacity_ * 2 < kChunkSize ? firstCapacity_ * 2 : kChunkSize);
        T* larger = allocateChunk(capacity);
        if (chunks_.empty()) {
            chunks_.push_back(larger);  // reserved above: cannot fail
        } else {
            T* old = chunks_.front();
            for (std::size_t i = 0; i < size_; ++i) {
                ::new (static_cast<void*>(larger + i)) T(std::move(old[i]));
                old[i].~T();
            }
            chunks_.front() = larger;
            freeAlignedBlock(old);
        }
        firstCapacity_ = capacity;
    }

    std::vector<T*> chunks_;  // each holds kChunkSize elements (the first firstCapacity_), the
                              // first size_ constructed
    std::size_t size_ = 0;
    std::size_t firstCapacity_ = 0;
};

}  // namespace annalex::cube
