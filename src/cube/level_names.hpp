#pragma once
// Answers "how many members of this level carry this name" for one level of a MemberStore,
// without indexing every name placed.
//
// A calendar places millions of members but asks about few names: the day numbers or weekday
// names on the day level, the years, quarters, months or weeks on the top level. So the level
// starts by counting only the names it has been asked about ("watched" names): the first
// question about a name counts it once by a scan of the store, and from then on every member
// placed, renamed or removed on the level updates its count. Placing a member whose name is
// not watched costs a compare of its length against a bit mask.
//
// When the level is asked about many different names, or the scans would cost more than a
// few passes over the store, it switches for good to a full NameIndex of all its members,
// built in one pass and kept up to date from then on.
//
// Counts are exact in both modes, whatever the order of placements, renames and questions.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cube/name_index.hpp"

namespace annalex::cube {

class MemberStore;

class LevelNames {
  public:
    LevelNames(const MemberStore* store, std::uint16_t level);

    // Makes room for one more member, so that the next insert allocates nothing and cannot
    // fail (std::bad_alloc leaves everything as it was).
    void reserveOne();
    // A member now carries name on this level (it was placed, or renamed to name).
    void insert(std::uint32_t id, std::string_view name);
    // A member no longer carries name on this level (it is about to be renamed).
    void erase(std::uint32_t id, std::string_view name);
    // Members of the level that carry name. Never fails: when memory for watching the name or
    // for the full index cannot be had, the answer comes from a scan of the store.
    std::int32_t count(std::string_view name) const;
    void clear();
    // Members on the level.
    std::size_t size() const { return members_; }

    // Whether the level has switched to the full index (for tests and benchmarks).
    bool fullyIndexed() const { return full_; }

  private:
    struct Watched {
        std::string name;
        std::int32_t count;
    };
    static constexpr std::size_t kMaxWatched = 64;
    static constexpr std::size_t kSlots = 128;  // at most half full
    static constexpr std::uint8_t kFree = 0xFF;
    // Scans may cost this many member visits beyond one pass over the store.
    static constexpr std::size_t kScanAllowance = std::size_t{1} << 16;

    static std::uint64_t lengthBit(std::size_t length) {
        return std::uint64_t{1} << (length < 63 ? length : 63);
    }
    // Watched names are few and mostly short: a byte-wise multiply hash, mixed at the end, is
    // enough for the small table and cheaper than a general string hash.
    static std::size_t hashOf(std::string_view name) {
        std::uint64_t h = name.size();
        for (const char c : name) {
            h = h * 31 + static_cast<unsigned char>(c);
        }
        return static_cast<std::size_t>((h * 0x9E3779B97F4A7C15ull) >> 57);
    }
    // Position in watched_ of name, or -1.
    int findWatched(std::string_view name) const;
    void watch(std::string_view name, std::int32_t count) const;
    std::int32_t scan(std::string_view name) const;
    // Builds the full index of the level's members; false, with nothing changed, when memory
    // ran out.
    bool indexAll() const;

    const MemberStore* store_;
    std::uint16_t level_;
    std::size_t members_ = 0;  // members on the level
    mutable bool full_ = false;
    mutable NameIndex index_;
    mutable std::vector<Watched> watched_;
    mutable std::array<std::uint8_t, kSlots> slots_;
    mutable std::uint64_t watchedLengths_ = 0;
    mutable std::size_t scanned_ = 0;
};

}  // namespace annalex::cube
