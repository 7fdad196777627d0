#pragma once
// A hierarchy's members packed into byte strings, the way a store keeps them: each block holds
// up to kMembersPerBlock consecutive members (by id) with their attribute values, so a save
// writes a few large values instead of a row per member, and a load places members straight
// from the bytes.
//
// Each member is a sequence of unsigned LEB128 numbers (7 bits per byte, low bits first):
//   level position, parent distance (0 for a top member, else its id less the parent's id),
//   order (zigzag: 2n for n >= 0, -2n - 1 for n < 0), name length, the name's bytes,
//   attribute count, then per attribute value: definition position, length, the value's bytes.
// Values appear in the order they were first set.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace annalex::cube {

class MemberStore;

inline constexpr std::uint32_t kMembersPerBlock = 65536;

// A block that cannot be placed: what is wrong with it, for a message.
class BadMemberBlock : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Replaces out with the packed members [first, first + count) of store.
void packMembers(const MemberStore& store, std::uint32_t first, std::uint32_t count,
                 std::string& out);

// Places the count members packed in bytes into store, after those it holds, and sets their
// attribute values. Throws BadMemberBlock when the bytes do not hold exactly count members
// that fit the store: a level it does not have, a parent that is not an earlier member of the
// level above, a definition the member's level does not have or a value set twice. Members
// placed before the fault stay placed.
void unpackMembers(std::span<const unsigned char> bytes, std::uint32_t count, MemberStore& store);

}  // namespace annalex::cube
