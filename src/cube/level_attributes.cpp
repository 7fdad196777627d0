#include "cube/level_attributes.hpp"

#include <algorithm>
#include <new>

#include "cube/room_to_grow.hpp"

namespace annalex::cube {

LevelAttributes::LevelAttributes() : sequences_(1), firstSteps_(1) {}

std::uint32_t LevelAttributes::withKeyElsewhere(std::uint32_t from, std::uint16_t key) {
    for (const auto& [added, longer] : sequences_[from].longer) {
        if (added == key) {
            return longer;
        }
    }
    for (const std::uint16_t present : sequences_[from].keys) {
        if (present == key) {
            return from;
        }
    }
    if (sequences_.size() >= kNoRow) {
        throw std::bad_alloc();
    }
    // Room first, then the changes that cannot fail.
    Sequence made;
    made.keys.reserve(sequences_[from].keys.size() + 1);
    made.keys = sequences_[from].keys;
    made.keys.push_back(key);
    reserveOneMore(sequences_);
    reserveOneMore(firstSteps_);
    reserveOneMore(sequences_[from].longer);
    const auto number = static_cast<std::uint32_t>(sequences_.size());
    sequences_.push_back(std::move(made));
    firstSteps_.emplace_back();
    if (sequences_[from].longer.empty()) {
        firstSteps_[from] = {key, number};
    }
    sequences_[from].longer.emplace_back(key, number);
    return number;
}

LevelAttributes::Column& LevelAttributes::newColumn(std::uint16_t key) {
    columns_.resize(std::size_t{key} + 1);
    return columns_[key];
}

std::uint32_t LevelAttributes::sequenceFor(std::span<const std::uint16_t> keys) {
    std::uint32_t sequence = 0;
    for (const std::uint16_t key : keys) {
        sequence = withKey(sequence, key);
    }
    return sequence;
}

std::uint32_t LevelAttributes::addRows(std::uint32_t sequence, std::size_t count,
                                       std::span<const std::uint32_t> numbers) {
    if (count > std::size_t{kNoRow} - rows_) {  // row numbers stay below kNoRow
        throw std::bad_alloc();
    }
    const std::uint32_t first = rows_;
    const std::size_t end = std::size_t{first} + count;
    const auto keys = sequenceKeys(sequence);
    const std::size_t width = keys.size();
    // Room first, column by column, then the changes that cannot fail.
    for (std::size_t k = 0; k < width; ++k) {
        IndexColumn& column = this->column(keys[k]).numbers;
        column.grow(end);
        std::uint32_t most = 0;
        for (std::size_t r = 0; r < count; ++r) {
            most = std::max(most, numbers[r * width + k]);
        }
        column.fit(most);
    }
    rowSequences_.grow(end);
    rowSequences_.fit(sequence);
    for (std::size_t k = 0; k < width; ++k) {
        columns_[keys[k]].numbers.setEach(first, numbers.data() + k, count, width);
    }
    for (std::size_t r = first; r < end; ++r) {
        rowSequences_.set(r, sequence);
    }
    rows_ = static_cast<std::uint32_t>(end);
    return first;
}

void LevelAttributes::clear() noexcept {
    sequences_.resize(1);  // shrinking: nothing is allocated
    sequences_.front().longer.clear();
    firstSteps_.resize(1);
    firstSteps_.front() = Step{};
    columns_.clear();
    rowSequences_.clear();
    rows_ = 0;
}

std::size_t LevelAttributes::bytesHeld() const {
    std::size_t bytes = rowSequences_.bytesHeld() + sequences_.capacity() * sizeof(Sequence) +
                        firstSteps_.capacity() * sizeof(Step) +
                        columns_.capacity() * sizeof(Column);
    for (const Sequence& sequence : sequences_) {
        bytes += sequence.keys.capacity() * sizeof(std::uint16_t) +
                 sequence.longer.capacity() * sizeof(sequence.longer[0]);
    }
    for (const Column& column : columns_) {
        bytes += column.texts.bytesHeld() + column.numbers.bytesHeld();
    }
    return bytes;
}

}  // namespace annalex::cube
