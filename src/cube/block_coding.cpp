#include "cube/block_coding.hpp"

#include <limits>

namespace annalex::cube {
namespace {

enum RunKind : std::uint64_t { kRepeated = 0, kCounting = 1, kLiteral = 2 };

// Runs shorter than this are cheaper as literals.
constexpr std::size_t kShortestRun = 3;

}  // namespace

std::uint64_t zigzag(std::int32_t value) {
    return value >= 0 ? std::uint64_t{static_cast<std::uint32_t>(value)} * 2
                      : (std::uint64_t{static_cast<std::uint32_t>(-(value + 1))} * 2) + 1;
}

std::int32_t unzigzag(std::uint64_t value) {
    const auto half = static_cast<std::int64_t>(value >> 1);
    return static_cast<std::int32_t>((value & 1) != 0 ? -half - 1 : half);
}

void BlockWriter::runs(std::span<const std::uint32_t> values) {
    const std::size_t count = values.size();
    std::size_t literalFrom = 0;
    const auto writeLiterals = [&](std::size_t to) {
        if (to > literalFrom) {
            number((to - literalFrom - 1) * 4 + kLiteral);
            for (std::size_t i = literalFrom; i < to; ++i) {
                number(values[i]);
            }
        }
    };
    std::size_t at = 0;
    while (at < count) {
        std::size_t repeated = 1;
        while (at + repeated < count && values[at + repeated] == values[at]) {
            ++repeated;
        }
        std::size_t counting = 1;
        while (at + counting < count &&
               values[at + counting] == values[at + counting - 1] + std::uint64_t{1}) {
            ++counting;
        }
        const std::size_t length = repeated >= counting ? repeated : counting;
        if (length < kShortestRun) {
            ++at;
            continue;
        }
        writeLiterals(at);
        number((length - 1) * 4 + (repeated >= counting ? kRepeated : kCounting));
        number(values[at]);
        at += length;
        literalFrom = at;
    }
    writeLiterals(count);
}

std::uint64_t BlockReader::longNumber(std::uint64_t max, const char* what) {
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (at_ == end_) {
            throw BadMemberBlock("it ends too early");
        }
        const unsigned char byte = *at_++;
        value |= std::uint64_t{byte & 0x7Fu} << shift;
        if ((byte & 0x80) == 0) {
            if (value > max) {
                outOfRange(what, value);
            }
            return value;
        }
    }
    throw BadMemberBlock(std::string(what) + " is not a number");
}

void BlockReader::outOfRange(const char* what, std::uint64_t value) {
    throw BadMemberBlock(std::string(what) + " " + std::to_string(value) + " is out of range");
}

std::string_view BlockReader::bytes(std::uint64_t count, const char* what) {
    if (count > left()) {
        throw BadMemberBlock(std::string(what) + " " + std::to_string(count) +
                             " runs past the block's end");
    }
    const std::string_view text(reinterpret_cast<const char*>(at_),
                                static_cast<std::size_t>(count));
    at_ += count;
    return text;
}

std::string_view BlockReader::text(const char* what) {
    return bytes(number(std::numeric_limits<std::uint64_t>::max(), what), what);
}

void BlockReader::runs(std::size_t count, std::uint32_t bound, const char* what,
                       std::vector<std::uint32_t>& out) {
    out.clear();
    if (count > 0 && bound == 0) {
        outOfRange(what, 0);
    }
    out.reserve(count);
    while (out.size() < count) {
        const std::uint64_t header = number((count - out.size() - 1) * 4 + kLiteral, what);
        const std::size_t length = static_cast<std::size_t>(header / 4) + 1;
        switch (header % 4) {
            case kRepeated: {
                const auto value = static_cast<std::uint32_t>(number(bound - 1, what));
                out.insert(out.end(), length, value);
                break;
            }
            case kCounting: {
                if (length > bound) {
                    outOfRange(what, length);
                }
                const auto first = static_cast<std::uint32_t>(number(bound - length, what));
                for (std::size_t i = 0; i < length; ++i) {
                    out.push_back(first + static_cast<std::uint32_t>(i));
                }
                break;
            }
            case kLiteral:
                for (std::size_t i = 0; i < length; ++i) {
                    out.push_back(static_cast<std::uint32_t>(number(bound - 1, what)));
                }
                break;
            default:
                throw BadMemberBlock(std::string(what) + " holds a piece of no known kind");
        }
    }
}

}  // namespace annalex::cube
