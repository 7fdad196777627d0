#include "cube/member_blocks.hpp"

#include <string_view>
#include <vector>

#include "cube/member_store.hpp"
#include "cube/memory_model.hpp"

namespace annalex::cube {
namespace {

void putNumber(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<char>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

void putText(std::string& out, std::string_view text) {
    putNumber(out, text.size());
    out.append(text);
}

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
        const std::uint64_t length = number(static_cast<std::uint64_t>(end_ - at_), what);
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
    out.clear();
    std::vector<const AttributeValue*> values;
    for (std::uint32_t id = first; id < first + count; ++id) {
        const MemberRecord& member = store.member(id);
        putNumber(out, member.level);
        putNumber(out, member.parent == kNoMember ? 0 : id - member.parent);
        putNumber(out, zigzag(member.order));
        putText(out, member.name.view());
        values.clear();
        for (std::uint32_t a = member.firstAttribute; a != kNoAttribute;
             a = store.attribute(a).next) {
            values.push_back(&store.attribute(a));
        }
        putNumber(out, values.size());
        for (const AttributeValue* value : values) {
            putNumber(out, value->key);
            putText(out, value->value);
        }
    }
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
