#pragma once
// The byte coding of a store's member blocks: unsigned LEB128 numbers (7 bits per byte, low
// bits first), texts as a length and their bytes, signed numbers in zigzag form (2n for n >= 0,
// -2n - 1 for n < 0), and runs: a list of numbers written as pieces, each a header
// (length - 1) * 4 + kind followed by
//   kind 0, repeated: one number, held by every entry of the piece;
//   kind 1, counting: the first number, each entry one more than the one before;
//   kind 2, literal:  every entry's number.
// A calendar's attribute values come in long runs of both kinds (a week's first day for seven
// days, the day of the month counting up), so they cost a few bytes per run.
//
// The reader never runs past the block's end and refuses numbers above what the caller allows,
// throwing BadMemberBlock with what is wrong.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace annalex::cube {

// A block that cannot be placed: what is wrong with it, for a message.
class BadMemberBlock : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::uint64_t zigzag(std::int32_t value);
std::int32_t unzigzag(std::uint64_t value);

// Appends to a string; numbers go through a small buffer so that the string grows by whole
// pieces rather than byte by byte.
class BlockWriter {
  public:
    // Call flush() when done.
    explicit BlockWriter(std::string& out) : out_(out) {}
    BlockWriter(const BlockWriter&) = delete;
    BlockWriter& operator=(const BlockWriter&) = delete;

    void number(std::uint64_t value) {
        if (used_ + kLongestNumber > sizeof buffer_) {
            flush();
        }
        while (value >= 0x80) {
            buffer_[used_++] = static_cast<char>((value & 0x7F) | 0x80);
            value >>= 7;
        }
        buffer_[used_++] = static_cast<char>(value);
    }
    void text(std::string_view text) {
        number(text.size());
        bytes(text);
    }
    void bytes(std::string_view bytes) {
        if (used_ + bytes.size() <= sizeof buffer_) {
            bytes.copy(buffer_ + used_, bytes.size());
            used_ += bytes.size();
            return;
        }
        flush();
        out_.append(bytes);
    }
    void runs(std::span<const std::uint32_t> values);
    void flush() {
        out_.append(buffer_, used_);
        used_ = 0;
    }

  private:
    static constexpr std::size_t kLongestNumber = 10;
    std::string& out_;
    char buffer_[16 * kLongestNumber];
    std::size_t used_ = 0;
};

class BlockReader {
  public:
    explicit BlockReader(std::span<const unsigned char> bytes)
        : at_(bytes.data()), end_(bytes.data() + bytes.size()) {}

    bool atEnd() const { return at_ == end_; }
    std::size_t left() const { return static_cast<std::size_t>(end_ - at_); }

    // A number of at most max; what names it in a message.
    std::uint64_t number(std::uint64_t max, const char* what) {
        if (at_ != end_ && *at_ < 0x80) {  // the usual one-byte number
            const std::uint64_t value = *at_++;
            if (value > max) {
                outOfRange(what, value);
            }
            return value;
        }
        return longNumber(max, what);
    }
    std::string_view text(const char* what);
    // Exactly `count` bytes.
    std::string_view bytes(std::uint64_t count, const char* what);
    // Replaces out with count numbers, each below bound.
    void runs(std::size_t count, std::uint32_t bound, const char* what,
              std::vector<std::uint32_t>& out);

  private:
    std::uint64_t longNumber(std::uint64_t max, const char* what);
    [[noreturn]] static void outOfRange(const char* what, std::uint64_t value);

    const unsigned char* at_;
    const unsigned char* end_;
};

}  // namespace annalex::cube
