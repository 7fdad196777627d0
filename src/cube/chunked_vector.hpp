#pragma once
// A growable array stored in fixed-size contiguous chunks.
//
// Unlike std::vector it never moves its elements when it grows, so a multi-million element
// store grows without the copy (and the doubled peak memory) of a reallocation, while each chunk
// stays contiguous for fast scans and index arithmetic stays a shift and a mask. Chunks of 2 MiB
// or more are asked to live on huge pages, which spares page faults and TLB misses.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "cube/aligned_block.hpp"

namespace annalex::cube {

template <typename T, unsigned ChunkBits = 12>
class ChunkedVector {
  public:
    static constexpr std::size_t kChunkSize = std::size_t{1} << ChunkBits;

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

    T& operator[](std::size_t index) {
        return chunks_[index >> ChunkBits][index & (kChunkSize - 1)];
    }
    const T& operator[](std::size_t index) const {
        return chunks_[index >> ChunkBits][index & (kChunkSize - 1)];
    }

    // When an allocation fails (std::bad_alloc) the vector is left as it was.
    T& push_back(T value) {
        if ((size_ >> ChunkBits) == chunks_.size()) {
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
    static constexpr std::size_t kChunkBytes = kChunkSize * sizeof(T);
    static constexpr std::size_t kHugePage = std::size_t{2} << 20;

    static T* allocateChunk() {
        const bool huge = kChunkBytes >= kHugePage && kChunkBytes % kHugePage == 0;
        void* block = allocateAlignedBlock(huge ? kHugePage : (alignof(T) < 16 ? 16 : alignof(T)),
                                           kChunkBytes);
        if (block == nullptr) {
            throw std::bad_alloc();
        }
        if (huge) {
            adviseHugePages(block, kChunkBytes);
        }
        return static_cast<T*>(block);
    }

    std::vector<T*> chunks_;  // each holds kChunkSize elements, the first size_ constructed
    std::size_t size_ = 0;
};

}  // namespace annalex::cube
