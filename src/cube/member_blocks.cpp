#include "cube/member_blocks.hpp"

#include <limits>
#include <string_view>
#include <vector>

#include "cube/member_store.hpp"
#include "cube/memory_model.hpp"
#include "cube/value_blocks.hpp"

namespace annalex::cube {
namespace {

// The values of one member as format 2 packs them, after its name.
void unpackInlineValues(BlockReader& reader, std::uint32_t id, std::uint16_t level,
                        MemberStore& store, std::vector<bool>& seen) {
    const MemoryLevel& owner = *store.level(level);
    const auto& definitions = owner.attributeDefs();
    const std::uint64_t values = reader.number(definitions.size(), "attribute count");
    if (values == 0) {
        return;
    }
    seen.assign(definitions.size(), false);
    for (std::uint64_t v = 0; v < values; ++v) {
        const auto definition =
            static_cast<std::size_t>(reader.number(definitions.size() - 1, "attribute definition"));
        // A value is set through the first definition of its key: one stored under a later
        // definition of the same key could not be set back.
        if (seen[definition] ||
            owner.attributeIndex(definitions[definition]->key()) != static_cast<int>(definition)) {
            throw BadMemberBlock("an attribute value of member " + std::to_string(id) +
                                 " is out of place");
        }
        seen[definition] = true;
        store.setAttribute(id, static_cast<std::uint16_t>(definition), reader.text("value length"));
    }
}

}  // namespace

void MemberPacker::pack(const MemberStore& store, std::uint32_t first, std::uint32_t count,
                        std::string& out) {
    // About what a calendar's member takes: a short name and a share of the values' runs.
    constexpr std::size_t kUsualMemberBytes = 24;
    out.clear();
    out.reserve(std::size_t{count} * kUsualMemberBytes);
    byLevel_.resize(store.levelCount());
    for (auto& ids : byLevel_) {
        ids.clear();
    }
    BlockWriter writer(out);
    for (std::uint32_t id = first; id < first + count; ++id) {
        const MemberRecord& member = store.member(id);
        writer.number(member.level);
        writer.number(member.parent == kNoMember ? 0 : id - member.parent);
        writer.number(zigzag(member.order));
        writer.text(member.name.view());
        byLevel_[member.level].push_back(id);
    }
    values_.pack(store, byLevel_, writer);
    writer.flush();
}

void unpackMembers(std::span<const unsigned char> bytes, std::uint32_t count, std::int64_t format,
                   MemberStore& store) {
    if (count > 0 && store.levelCount() == 0) {
        throw BadMemberBlock("its hierarchy has no levels");
    }
    const bool valuesInline = format < 3;
    BlockReader reader(bytes);
    MembersByLevel byLevel(valuesInline ? 0 : store.levelCount());
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
        if (valuesInline) {
            unpackInlineValues(reader, id, level, store, seen);
        } else {
            byLevel[level].push_back(id);
        }
    }
    if (!valuesInline) {
        unpackValues(reader, byLevel, store);
    }
    if (!reader.atEnd()) {
        throw BadMemberBlock("it holds more than its " + std::to_string(count) + " members");
    }
}

}  // namespace annalex::cube
