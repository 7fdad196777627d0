#include "cube/index_column.hpp"

#include <algorithm>

namespace annalex::cube {
namespace {

// The first chunk starts with room for this many rows and doubles up to kChunkRows.
constexpr std::size_t kFirstRows = 64;

std::unique_ptr<unsigned char[]> zeroedBytes(std::size_t bytes) {
    return std::make_unique<unsigned char[]>(bytes);  // value-initialised: zeros
}

}  // namespace

void IndexColumn::makeRoom(std::size_t rows) {
    // The first chunk doubles until it is whole; after it, chunks come whole. Every allocation
    // happens before the column changes.
    if (chunks_.empty() || (firstCapacity_ < kChunkRows && rows > firstCapacity_)) {
        std::size_t capacity = std::max(firstCapacity_, kFirstRows);
        while (capacity < std::min(rows, kChunkRows)) {
            capacity *= 2;
        }
        auto first = zeroedBytes(capacity * width_);
        if (chunks_.empty()) {
            chunks_.reserve(1);
            chunks_.push_back(std::move(first));
        } else {
            std::memcpy(first.get(), chunks_.front().get(), size_ * width_);
            chunks_.front() = std::move(first);
        }
        firstCapacity_ = capacity;
    }
    const std::size_t chunksNeeded = (rows + kChunkRows - 1) / kChunkRows;
    if (chunksNeeded > chunks_.size()) {
        std::vector<std::unique_ptr<unsigned char[]>> added;
        added.reserve(chunksNeeded - chunks_.size());
        for (std::size_t c = chunks_.size(); c < chunksNeeded; ++c) {
            added.push_back(zeroedBytes(kChunkRows * width_));
        }
        if (chunks_.capacity() < chunksNeeded) {
            chunks_.reserve(std::max(chunksNeeded, chunks_.size() * 2));
        }
        for (auto& chunk : added) {
            chunks_.push_back(std::move(chunk));
        }
    }
    capacity_ = firstCapacity_ + (chunks_.size() - 1) * kChunkRows;
}

void IndexColumn::widen(std::uint32_t value) {
    const unsigned width = value > 0xFFFFu ? 4 : 2;
    std::vector<std::unique_ptr<unsigned char[]>> wider;
    wider.reserve(chunks_.size());
    for (std::size_t c = 0; c < chunks_.size(); ++c) {
        wider.push_back(zeroedBytes((c == 0 ? firstCapacity_ : kChunkRows) * width));
    }
    // Nothing below allocates: the rows are copied over and the chunks swapped.
    IndexColumn copy;
    copy.chunks_.swap(wider);
    copy.firstCapacity_ = firstCapacity_;
    copy.size_ = size_;
    copy.width_ = width;
    for (std::size_t row = 0; row < size_; ++row) {
        copy.set(row, get(row));
    }
    chunks_.swap(copy.chunks_);
    width_ = width;
    mostFitting_ = width == 2 ? 0xFFFFu : 0xFFFFFFFFu;
}

void IndexColumn::clear() noexcept {
    chunks_.clear();
    firstCapacity_ = 0;
    capacity_ = 0;
    size_ = 0;
    width_ = 1;
    mostFitting_ = 0xFF;
}

std::size_t IndexColumn::bytesHeld() const {
    return capacity_ * width_;
}

}  // namespace annalex::cube
