#pragma once
// The attribute values of a block's members, as the newest store format packs them after the
// members themselves: level by level, and within a level key by key, each key with a dictionary
// of the texts its values use, so a value costs a number in a run rather than a text.
//
//   number of levels that follow; per level, in ascending position:
//     level position;
//     key sequences: their number, then per sequence its key count and keys (definition
//       positions, in the order the values were first set); sequence 0, not written, is
//       "no values";
//     runs: the sequence of each of the level's members in the block, in id order;
//     per key of any sequence, in ascending position:
//       dictionary: its number of texts, each as the length it shares with the text before
//         (at most kLongestSharedPrefix, so a block cannot unfold to much more than its own
//         size) and the rest as a text;
//       runs: the dictionary position of the value of each member whose sequence holds the
//         key, in id order.

#include <cstdint>
#include <vector>

#include "cube/block_coding.hpp"

namespace annalex::cube {

class MemberStore;

inline constexpr std::size_t kLongestSharedPrefix = 255;

// The ids of a block's members, in ascending order, per level position.
using MembersByLevel = std::vector<std::vector<std::uint32_t>>;

// Packs the values of block after block, keeping its working space from one to the next.
class ValuePacker {
  public:
    void pack(const MemberStore& store, const MembersByLevel& members, BlockWriter& writer);

  private:
    void packLevel(const MemberStore& store, std::size_t level,
                   const std::vector<std::uint32_t>& ids, BlockWriter& writer);

    std::vector<std::uint32_t> blockSequenceOf_;  // by sequence of the level; 0: not used yet
    std::vector<std::uint32_t> usedSequences_;    // the level's sequences, by block number - 1
    std::vector<std::uint32_t> rows_;             // each member's row of values
    std::vector<std::uint32_t> rowSequences_;     // block sequence of each member
    std::vector<std::uint16_t> keys_;
    std::vector<char> holdsKey_;                // by block sequence
    std::vector<std::uint32_t> blockNumberOf_;  // by dictionary number; kNone: not used yet
    std::vector<std::uint32_t> usedTexts_;      // dictionary numbers, by block number
    std::vector<std::uint32_t> numbers_;
};

// Sets the values of members, which have none yet. Throws BadMemberBlock when the bytes name
// a level, definition or text that is not there, a key twice in a sequence, or a definition
// whose key an earlier one of the level has (a value can only be set through the first).
void unpackValues(BlockReader& reader, const MembersByLevel& members, MemberStore& store);

}  // namespace annalex::cube
