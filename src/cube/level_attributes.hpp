#pragma once
// The attribute values of one level's members, kept by key rather than by member.
//
// A member that has values has a row. Each key has a dictionary of the distinct texts set under
// it and a column holding, per row, the number of the row's text; a month's number of days
// costs a byte however many months there are. Which keys a row has, in the order they were
// first set, is a key sequence that the rows setting the same keys in the same order share (a
// calendar's members all set theirs alike), so a row also holds just the number of its
// sequence. Setting a key a row has again replaces its value and keeps its place.
//
// Changes are all or nothing: when memory runs out (std::bad_alloc) the rows hold what they held
// before; at most a text, a sequence or room nobody uses yet stays behind.

#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "cube/index_column.hpp"
#include "cube/text_dictionary.hpp"

namespace annalex::cube {

inline constexpr std::uint32_t kNoRow = 0xFFFFFFFFu;

class LevelAttributes {
  public:
    LevelAttributes();

    std::uint32_t rowCount() const { return rows_; }

    // The keys (definition positions) row has values for, in the order they were first set.
    std::span<const std::uint16_t> keysOf(std::uint32_t row) const {
        return sequences_[rowSequences_.get(row)].keys;
    }
    // The value of key on row; the key must be one of keysOf(row).
    std::string_view value(std::uint32_t row, std::uint16_t key) const {
        const Column& column = columns_[key];
        return column.texts.text(column.numbers.get(row));
    }

    // Stores value under key on row, or on a new row when row is kNoRow; answers the row.
    std::uint32_t set(std::uint32_t row, std::uint16_t key, std::string_view value) {
        const bool added = row == kNoRow;
        if (added && rows_ == kNoRow) {
            throw std::bad_alloc();
        }
        const std::uint32_t target = added ? rows_ : row;
        const std::uint32_t from = added ? 0 : rowSequences_.get(row);
        const std::uint32_t sequence = withKey(from, key);
        Column& keyColumn = column(key);
        const std::uint32_t number = keyColumn.texts.intern(value);
        keyColumn.numbers.grow(std::size_t{target} + 1);
        keyColumn.numbers.fit(number);
        if (added) {
            rowSequences_.grow(std::size_t{target} + 1);
        }
        rowSequences_.fit(sequence);
        // Nothing below can fail.
        keyColumn.numbers.set(target, number);
        if (sequence != from) {  // a key new to the row, which a new row always has
            rowSequences_.set(target, sequence);
        }
        rows_ += added ? 1 : 0;
        return target;
    }

    // What a store's blocks are written from and read into: sequences, dictionaries and the
    // text numbers themselves.
    std::uint32_t sequenceCount() const { return static_cast<std::uint32_t>(sequences_.size()); }
    std::uint32_t sequenceOf(std::uint32_t row) const { return rowSequences_.get(row); }
    std::span<const std::uint16_t> sequenceKeys(std::uint32_t sequence) const {
        return sequences_[sequence].keys;
    }
    const TextDictionary& dictionary(std::uint16_t key) const { return columns_[key].texts; }
    const IndexColumn& numbers(std::uint16_t key) const { return columns_[key].numbers; }
    // The length of the longest value of key; 0 for a key no row has.
    std::size_t longestValue(std::uint16_t key) const {
        return key < columns_.size() ? columns_[key].texts.longest() : 0;
    }
    // The sequence of keys, in that order, made when missing; the keys must differ.
    std::uint32_t sequenceFor(std::span<const std::uint16_t> keys);
    // The number of text in the dictionary of key, added when new.
    std::uint32_t intern(std::uint16_t key, std::string_view text) {
        return column(key).texts.intern(text);
    }
    // A new row of sequence whose values are numbers, one per key of the sequence in its order,
    // each a number intern() gave for that key.
    std::uint32_t addRow(std::uint32_t sequence, std::span<const std::uint32_t> numbers) {
        return addRows(sequence, 1, numbers);
    }
    // count new rows of sequence, numbers holding theirs one row after the other (as addRow
    // takes them); answers the first row, the others following it.
    std::uint32_t addRows(std::uint32_t sequence, std::size_t count,
                          std::span<const std::uint32_t> numbers);

    // Forgets every row, value and sequence.
    void clear() noexcept;
    // Heap bytes held, for measurements.
    std::size_t bytesHeld() const;

  private:
    struct Sequence {
        std::vector<std::uint16_t> keys;
        // The sequences one key longer, by the key added (never one of keys).
        std::vector<std::pair<std::uint16_t, std::uint32_t>> longer;
    };
    struct Column {
        TextDictionary texts;
        IndexColumn numbers;  // per row; meaningful where the row's sequence holds the key
    };

    // The sequence of from with key added at its end, or from when it holds key already.
    std::uint32_t withKey(std::uint32_t from, std::uint16_t key) {
        const Step& step = firstSteps_[from];
        if (step.key == key && step.to != kNoRow) {
            return step.to;  // the way every member of a level goes
        }
        return withKeyElsewhere(from, key);
    }
    std::uint32_t withKeyElsewhere(std::uint32_t from, std::uint16_t key);
    Column& column(std::uint16_t key) {
        if (key < columns_.size()) {
            return columns_[key];
        }
        return newColumn(key);
    }
    Column& newColumn(std::uint16_t key);

    // The first of each sequence's longer ones, side by side for the common way.
    struct Step {
        std::uint16_t key = 0;
        std::uint32_t to = kNoRow;
    };
    std::vector<Sequence> sequences_;  // 0 is the empty sequence
    std::vector<Step> firstSteps_;     // by sequence
    std::vector<Column> columns_;      // by key, up to the highest key set
    IndexColumn rowSequences_;
    std::uint32_t rows_ = 0;
};

}  // namespace annalex::cube
