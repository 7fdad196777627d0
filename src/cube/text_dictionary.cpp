#include "cube/text_dictionary.hpp"

#include <cstring>
#include <limits>
#include <new>

#include "cube/room_to_grow.hpp"

namespace annalex::cube {
namespace {

constexpr std::uint32_t kNotFound = 0xFFFFFFFFu;
constexpr std::uint64_t kHashHalf = ~std::uint64_t{0xFFFFFFFF};

// A fast hash of short texts: eight bytes at a time, mixed by multiplication.
std::uint64_t hashOf(std::string_view text) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    std::uint64_t hash = text.size() * kMultiplier;
    for (std::size_t at = 0; at < text.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + at, text.size() - at < 8 ? text.size() - at : 8);
        hash = (hash ^ word) * kMultiplier;
        hash ^= hash >> 29;
    }
    return hash ^ (hash >> 32);
}

}  // namespace

std::uint32_t TextDictionary::findAscending(std::string_view text) const {
    std::size_t low = 0;
    std::size_t high = ascending_.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        const int order = this->text(ascending_[middle]).compare(text);
        if (order == 0) {
            return ascending_[middle];
        }
        if (order < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return kNotFound;
}

std::uint32_t TextDictionary::lookUpOrAdd(std::string_view text) {
    const bool beyond = ascending_.empty() || this->text(ascending_.back()) < text;
    std::uint64_t hash = 0;
    if (!beyond) {
        if (const std::uint32_t found = findAscending(text); found != kNotFound) {
            return found;
        }
        hash = hashOf(text);
        if (!slots_.empty()) {
            const std::size_t mask = slots_.size() - 1;
            for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
                const std::uint64_t held = slots_[slot];
                if (held == kEmpty) {
                    break;
                }
                const auto number = static_cast<std::uint32_t>(held) - 1;
                if ((held & kHashHalf) == (hash & kHashHalf) && holds(number, text)) {
                    return number;
                }
            }
        }
    }
    // A new text. Room is made for it everywhere first, so that nothing after can fail.
    const std::size_t number = ends_.size();
    if (texts_.size() + text.size() > std::numeric_limits<std::uint32_t>::max() ||
        number + 1 >= std::numeric_limits<std::uint32_t>::max()) {
        throw std::bad_alloc();
    }
    if (beyond) {
        reserveOneMore(ascending_);
    } else if ((hashed_ + 1) * 2 > slots_.size()) {
        rehash(slots_.empty() ? 16 : slots_.size() * 2);
    }
    reserveOneMore(ends_);
    texts_.append(text);  // may move the buffer, which only texts_ points into
    ends_.push_back(static_cast<std::uint32_t>(texts_.size()));
    longest_ = text.size() > longest_ ? text.size() : longest_;
    if (beyond) {
        ascending_.push_back(static_cast<std::uint32_t>(number));
    } else {
        place(hash, static_cast<std::uint32_t>(number), slots_);
        ++hashed_;
    }
    return static_cast<std::uint32_t>(number);
}

void TextDictionary::place(std::uint64_t hash, std::uint32_t number,
                           std::vector<std::uint64_t>& slots) {
    const std::size_t mask = slots.size() - 1;
    std::size_t slot = hash & mask;
    while (slots[slot] != kEmpty) {
        slot = (slot + 1) & mask;
    }
    slots[slot] = (hash & kHashHalf) | (std::uint64_t{number} + 1);
}

void TextDictionary::rehash(std::size_t count) {
    std::vector<std::uint64_t> table(count, kEmpty);
    for (const std::uint64_t held : slots_) {
        if (held != kEmpty) {
            const auto number = static_cast<std::uint32_t>(held) - 1;
            place(hashOf(text(number)), number, table);
        }
    }
    slots_.swap(table);
}

void TextDictionary::clear() noexcept {
    std::string().swap(texts_);
    ends_ = {};
    ascending_ = {};
    slots_ = {};
    hashed_ = 0;
    longest_ = 0;
    last_ = 0xFFFFFFFFu;
    lastBegin_ = 0;
}

std::size_t TextDictionary::bytesHeld() const {
    return texts_.capacity() + (ends_.capacity() + ascending_.capacity()) * sizeof(std::uint32_t) +
           slots_.capacity() * sizeof(std::uint64_t);
}

}  // namespace annalex::cube
