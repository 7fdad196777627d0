#pragma once
// A hierarchy's members packed into byte strings, the way a store keeps them: each block holds
// up to kMembersPerBlock consecutive members (by id) with their attribute values, so a save
// writes a few large values instead of a row per member, and a load places members straight
// from the bytes. The numbers, texts and runs are those of block_coding.hpp.
//
// Format 3 (written): every member in id order: level position, parent distance (0 for a top
// member, else its id less the parent's id), order (zigzag), name; then the attribute values of
// the block's members, level by level and key by key (value_blocks.hpp).
// Format 2 (read): every member as above, each followed by its attribute count and per value
// the definition position and the value's text, in the order the values were first set.

#include <cstdint>
#include <span>
#include <string>

#include "cube/block_coding.hpp"
#include "cube/value_blocks.hpp"

namespace annalex::cube {

class MemberStore;

inline constexpr std::uint32_t kMembersPerBlock = 65536;

// Packs block after block, keeping its working space from one to the next.
class MemberPacker {
  public:
    // Replaces out with the members [first, first + count) of store, in the newest format.
    void pack(const MemberStore& store, std::uint32_t first, std::uint32_t count, std::string& out);

  private:
    MembersByLevel byLevel_;
    ValuePacker values_;
};

// Places the count members packed in bytes (of store format 2 or 3) into store, after those it
// holds, and sets their attribute values. Throws BadMemberBlock when the bytes do not hold
// exactly count members that fit the store: a level it does not have, a parent that is not an
// earlier member of the level above, a definition the member's level does not have or a value
// set twice. Members placed before the fault stay placed.
void unpackMembers(std::span<const unsigned char> bytes, std::uint32_t count, std::int64_t format,
                   MemberStore& store);

}  // namespace annalex::cube
