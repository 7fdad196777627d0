#pragma once
// The distinct texts of one attribute key, each numbered in the order it first came: an
// attribute value is kept as its text's number. The texts lie back to back in one buffer.
//
// Looking a text up must not cost a walk through memory per value: a large calendar sets tens
// of millions of them, and the keys with many distinct texts (a week's first day, a month's
// last) meet each new text once and then again only while it repeats. So:
//  - the text interned last, or the one after it, is tried first (runs and counts);
//  - the texts that each came after every earlier one in byte order (ISO dates in time
//    order) are kept apart, in that order: a text beyond the last of them is new at a glance,
//    an earlier one is found by bisection;
//  - the others (small sets such as day numbers and weekday names) are found through an
//    open-addressing hash table whose slots hold a part of each text's hash beside its number.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace annalex::cube {

class TextDictionary {
  public:
    std::uint32_t size() const { return static_cast<std::uint32_t>(ends_.size()); }

    std::string_view text(std::uint32_t number) const {
        const std::uint32_t begin = number == 0 ? 0 : ends_[number - 1];
        return {texts_.data() + begin, ends_[number] - begin};
    }

    // The number of text, which is added when it is new. When memory runs out (std::bad_alloc)
    // the dictionary is left as it was.
    std::uint32_t intern(std::string_view text) {
        if (last_ < ends_.size() &&
            sameText({texts_.data() + lastBegin_, ends_[last_] - lastBegin_}, text)) {
            return last_;
        }
        if (last_ + 1 < ends_.size() && holds(last_ + 1, text)) {
            lastBegin_ = ends_[last_];
            return ++last_;
        }
        last_ = lookUpOrAdd(text);
        lastBegin_ = last_ == 0 ? 0 : ends_[last_ - 1];
        return last_;
    }

    // The length of the longest text.
    std::size_t longest() const { return longest_; }

    void clear() noexcept;
    // Heap bytes held, for measurements.
    std::size_t bytesHeld() const;

  private:
    // A free slot; others hold number + 1 in their low half and the high half of the text's
    // hash in their high half.
    static constexpr std::uint64_t kEmpty = 0;

    // Whether the text numbered number is text.
    bool holds(std::uint32_t number, std::string_view text) const {
        return sameText(this->text(number), text);
    }
    // Whether two texts are the same, a word at a time, as values are short.
    static bool sameText(std::string_view a, std::string_view b) {
        const std::size_t size = a.size();
        if (b.size() != size) {
            return false;
        }
        if (size < 8) {
            for (std::size_t i = 0; i < size; ++i) {
                if (a[i] != b[i]) {
                    return false;
                }
            }
            return true;
        }
        for (std::size_t at = 0; at + 8 < size; at += 8) {
            if (word(a.data() + at) != word(b.data() + at)) {
                return false;
            }
        }
        return word(a.data() + size - 8) == word(b.data() + size - 8);
    }
    static std::uint64_t word(const char* at) {
        std::uint64_t value;
        std::memcpy(&value, at, sizeof value);
        return value;
    }

    std::uint32_t lookUpOrAdd(std::string_view text);
    // The number of text among the ascending texts, or kNotFound.
    std::uint32_t findAscending(std::string_view text) const;
    void rehash(std::size_t count);
    // Puts number, whose text has hash, into the first free slot from its own.
    static void place(std::uint64_t hash, std::uint32_t number, std::vector<std::uint64_t>& slots);

    std::string texts_;
    std::vector<std::uint32_t> ends_;       // where each text ends in texts_
    std::vector<std::uint32_t> ascending_;  // numbers whose texts ascend in byte order
    std::vector<std::uint64_t> slots_;      // the other numbers; a power of two, at most half used
    std::size_t hashed_ = 0;                // numbers in slots_
    std::size_t longest_ = 0;
    // The number of the text interned last (none before the first) and where it begins.
    std::uint32_t last_ = 0xFFFFFFFFu;
    std::uint32_t lastBegin_ = 0;
};

}  // namespace annalex::cube
