#pragma once
// A column of unsigned numbers, one per row, each kept in as few bytes as the largest number the
// column holds needs: one byte while every number is below 256, two below 65,536, else four.
// Attribute values are such numbers (positions in a dictionary of texts), and nearly all of
// them are small, so a value costs a byte or two instead of a string.
//
// Rows live in chunks of kChunkRows; only the first chunk grows by doubling, so a small column
// stays small and a large one grows without moving what it holds. Every change that allocates
// (grow, fit) leaves the column as it was when the allocation fails.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace annalex::cube {

class IndexColumn {
  public:
    static constexpr std::size_t kChunkRows = std::size_t{1} << 16;

    std::size_t size() const { return size_; }
    // Bytes per row: 1, 2 or 4.
    unsigned width() const { return width_; }

    std::uint32_t get(std::size_t row) const {
        const unsigned char* at = chunks_[row / kChunkRows].get() + (row % kChunkRows) * width_;
        switch (width_) {
            case 1:
                return *at;
            case 2:
                return load<std::uint16_t>(at);
            default:
                return load<std::uint32_t>(at);
        }
    }

    // Rows [size(), rows) are added, each holding 0; nothing when there are that many already.
    void grow(std::size_t rows) {
        if (rows <= size_) {
            return;
        }
        if (rows > capacity_) {
            makeRoom(rows);
        }
        size_ = rows;  // rows never set hold 0
    }
    // Widens the rows so that value fits in them.
    void fit(std::uint32_t value) {
        if (value > mostFitting_) {
            widen(value);
        }
    }
    // Stores value at row; row < size() and fit(value) done, so nothing can fail.
    void set(std::size_t row, std::uint32_t value) noexcept {
        unsigned char* at = chunks_[row / kChunkRows].get() + (row % kChunkRows) * width_;
        switch (width_) {
            case 1:
                *at = static_cast<unsigned char>(value);
                break;
            case 2:
                store(at, static_cast<std::uint16_t>(value));
                break;
            default:
                store(at, value);
        }
    }

    // Stores count values, each stride entries after the one before it in values, at the rows
    // from first on; those rows exist and fit() was done for each value, so nothing can fail.
    void setEach(std::size_t first, const std::uint32_t* values, std::size_t count,
                 std::size_t stride) noexcept {
        switch (width_) {
            case 1:
                setEachOf<std::uint8_t>(first, values, count, stride);
                break;
            case 2:
                setEachOf<std::uint16_t>(first, values, count, stride);
                break;
            default:
                setEachOf<std::uint32_t>(first, values, count, stride);
        }
    }

    void clear() noexcept;
    // Heap bytes held, for measurements.
    std::size_t bytesHeld() const;

  private:
    template <typename T>
    static T load(const unsigned char* at) {
        T value;
        std::memcpy(&value, at, sizeof value);
        return value;
    }
    template <typename T>
    static void store(unsigned char* at, T value) {
        std::memcpy(at, &value, sizeof value);
    }
    template <typename T>
    void setEachOf(std::size_t first, const std::uint32_t* values, std::size_t count,
                   std::size_t stride) noexcept {
        while (count > 0) {
            const std::size_t inChunk = first % kChunkRows;
            const std::size_t here = std::min(count, kChunkRows - inChunk);
            unsigned char* at = chunks_[first / kChunkRows].get() + inChunk * sizeof(T);
            for (std::size_t i = 0; i < here; ++i) {
                store(at + i * sizeof(T), static_cast<T>(values[i * stride]));
            }
            first += here;
            values += here * stride;
            count -= here;
        }
    }
    void widen(std::uint32_t value);
    void makeRoom(std::size_t rows);

    std::vector<std::unique_ptr<unsigned char[]>> chunks_;
    std::size_t firstCapacity_ = 0;  // rows the first chunk has room for
    std::size_t capacity_ = 0;       // rows all chunks have room for
    std::size_t size_ = 0;
    unsigned width_ = 1;
    std::uint32_t mostFitting_ = 0xFF;  // the largest number the width holds
};

}  // namespace annalex::cube
