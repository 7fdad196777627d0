#include "cube/member_blocks.hpp"

#include <limits>
#include <string_view>
#include <vector>

#include "cube/member_store.hpp"
#include "cube/memory_model.hpp"

namespace annalex::cube {
namespace {

// The longest encoding of a number.
constexpr std::size_t kLongestNumber = 10;

// Writes value at `at` and returns the end of its encoding.
char* putNumber(char* at, std::uint64_t value) {
    while (value >= 0x80) {
        *at++ = static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    *at++ = static_cast<char>(value);
    return at;
}

// Numbers go through a small buffer and texts straight into out, so that out grows by whole
// pieces rather than byte by byte.
class BlockWriter {
  public:
    explicit BlockWriter(std::string& out) : out_(out) {}
    void number(std::uint64_t value) {
        if (used_ + kLongestNumber > sizeof buffer_) {
            flush();
        }
        used_ = static_cast<std::size_t>(putNumber(buffer_ + used_, value) - buffer_);
    }
    void text(std::string_view text) {
        number(text.size());
        flush();
        out_.append(text);
    }
    void flush() {
        out_.append(buffer_, used_);
        used_ = 0;
    }

  private:
    std::string& out_;
    char buffer_[8 * kLongestNumber];
    std::size_t used_ = 0;
};

std::uint64_t zigzag(std::int32_t value) {
    return value >= 0 ? std::uint64_t{static_cast<std::uint32_t>(value)} * 2
                      : (std::uint64_t{static_cast<std::uint32_t>(-(value + 1))} * 2) + 1;
}

// Reads the numbers and texts of a block, refusing to run past its end.
class BlockReader {
  public:
    explicit BlockReader(std::span<const unsigned char> bytes)
        : at_(bytes.data()), end_(bytes.data() + bytes.size()) {}

    bool atEnd() const { return at_ == end_; }

    // A number of at most max.
    std::uint64_t number(std::uint64_t max, const char* what) {
        std::uint64_t value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (at_ == end_) {
                throw BadMemberBlock("it ends within a member");
            }
            const unsigned char byte = *at_++;
            value |= std::uint64_t{byte & 0x7Fu} << shift;
            if ((byte & 0x80) == 0) {
                if (value > max) {
                    throw BadMemberBlock(std::string(what) + " " + std::to_string(value) +
                                         " is out of range");
                }
                return value;
            }
        }
        throw BadMemberBlock(std::string(what) + " is not a number");
    }

    std::string_view text(const char* what) {
        const std::uint64_t length = number(std::numeric_limits<std::uint64_t>::max(), what);
        if (length > static_cast<std::uint64_t>(end_ - at_)) {
            throw BadMemberBlock(std::string(what) + " " + std::to_string(length) +
                                 " runs past the block's end");
        }
        const std::string_view text(reinterpret_cast<const char*>(at_),
                                    static_cast<std::size_t>(length));
        at_ += length;
        return text;
    }

  private:
    const unsigned char* at_;
    const unsigned char* end_;
};

std::int32_t unzigzag(std::uint64_t value) {
    const auto half = static_cast<std::int64_t>(value >> 1);
    return static_cast<std::int32_t>((value & 1) != 0 ? -half - 1 : half);
}

}  // namespace

void packMembers(const MemberStore& store, std::uint32_t first, std::uint32_t count,
                 std::string& out) {
    // About what a calendar's member takes: short names, no attribute values.
    constexpr std::size_t kUsualMemberBytes = 20;
    out.clear();
    out.reserve(std::size_t{count} * kUsualMemberBytes);
    BlockWriter writer(out);
    std::vector<const AttributeValue*> values;
    for (std::uint32_t id = first; id < first + count; ++id) {
        const MemberRecord& member = store.member(id);
        writer.number(member.level);
        writer.number(member.parent == kNoMember ? 0 : id - member.parent);
        writer.number(zigzag(member.order));
        writer.text(member.name.view());
        values.clear();
        for (std::uint32_t a = member.firstAttribute; a != kNoAttribute;
             a = store.attribute(a).next) {
            values.push_back(&store.attribute(a));
        }
        writer.number(values.size());
        for (const AttributeValue* value : values) {
            writer.number(value->key);
            writer.text(value->value);
        }
    }
    writer.flush();
}

void unpackMembers(std::span<const unsigned char> bytes, std::uint32_t count, MemberStore& store) {
    if (count > 0 && store.levelCount() == 0) {
        throw BadMemberBlock("its hierarchy has no levels");
    }
    BlockReader reader(bytes);
    std::vector<bool> seen;
    for (std::uint32_t n = 0; n < count; ++n) {
        const auto id = static_cast<std::uint32_t>(store.memberCount());
        if (id == kNoMember) {
            throw BadMemberBlock("it holds more members than a hierarchy can");
        }
        const auto level =
            static_cast<std::uint16_t>(reader.number(store.levelCount() - 1, "level"));
        const std::uint64_t distance = reader.number(id, "parent distance");
        std::uint32_t parent = kNoMember;
        if (distance != 0) {
            parent = id - static_cast<std::uint32_t>(distance);
            if (std::uint32_t{store.member(parent).level} + 1 != level) {
                throw BadMemberBlock("member " + std::to_string(id) +
                                     " is not on the level below its parent");
            }
        }
        const std::int32_t order = unzigzag(reader.number(0xFFFFFFFFu, "member order"));
        const std::string_view name = reader.text("name length");
        if (store.place(name, order, level, parent) != id) {
            throw BadMemberBlock("member " + std::to_string(id) + " cannot be placed");
        }

        const MemoryLevel& owner = *store.level(level);
        const auto& definitions = owner.attributeDefs();
        const std::uint64_t values = reader.number(definitions.size(), "attribute count");
        if (values == 0) {
            continue;
        }
        seen.assign(definitions.size(), false);
        for (std::uint64_t v = 0; v < values; ++v) {
            const auto definition = static_cast<std::size_t>(
                reader.number(definitions.size() - 1, "attribute definition"));
            // A value is set through the first definition of its key: one stored under a later
            // definition of the same key could not be set back.
            if (seen[definition] || owner.attributeIndex(definitions[definition]->key()) !=
                                        static_cast<int>(definition)) {
                throw BadMemberBlock("an attribute value of member " + std::to_string(id) +
                                     " is out of place");
            }
            seen[definition] = true;
            store.setAttribute(id, static_cast<std::uint16_t>(definition),
                               reader.text("value length"));
        }
    }
    if (!reader.atEnd()) {
        throw BadMemberBlock("it holds more than its " + std::to_string(count) + " members");
    }
}

}  // namespace annalex::cube
