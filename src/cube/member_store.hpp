#pragma once
// The storage behind one in-memory hierarchy: its levels' members in contiguous chunks of
// 44-byte records, their attribute values (per level, by key: level_attributes.hpp), and the
// name lookup of each level.
//
// Member ids are positions in placement order. A parent is always placed before its children,
// so a parent's id is smaller than its children's ids. Children, and top members, are linked in
// placement order for the pre-order walk. Structural changes that renumber members (removing a
// level, clearing) advance the store's epoch, which retires every member handle placed before.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cube/chunked_vector.hpp"
#include "cube/level_attributes.hpp"
#include "cube/level_names.hpp"
#include "cube/member_name.hpp"

namespace annalex::cube {

class MemoryLevel;

inline constexpr std::uint32_t kNoMember = 0xFFFFFFFFu;

struct MemberRecord {
    MemberName name;
    std::int32_t order = 0;
    std::uint32_t parent = kNoMember;
    std::uint32_t firstChild = kNoMember;
    std::uint32_t lastChild = kNoMember;
    std::uint32_t nextSibling = kNoMember;
    std::uint32_t attributeRow = kNoRow;  // in its level's attribute values; kNoRow: none
    std::uint16_t level = 0;              // 0-based position of the member's level
};
static_assert(sizeof(MemberRecord) == 44);

class MemberStore : public std::enable_shared_from_this<MemberStore> {
  public:
    MemberStore() = default;
    MemberStore(const MemberStore&) = delete;
    MemberStore& operator=(const MemberStore&) = delete;
    ~MemberStore();

    // Levels, in position order.
    std::size_t levelCount() const { return levels_.size(); }
    const std::shared_ptr<MemoryLevel>& level(std::size_t position) const {
        return levels_[position];
    }
    void appendLevel(const std::shared_ptr<MemoryLevel>& level);
    // Removes the level at position with its members and all their descendants.
    void removeLevel(std::size_t position);
    void clear();

    // Members.
    std::size_t memberCount() const { return members_.size(); }
    const MemberRecord& member(std::uint32_t id) const { return members_[id]; }
    // Changes to the store are all or nothing: when an allocation fails (std::bad_alloc) the
    // store holds what it held before the call.
    std::uint32_t place(std::string_view name, std::int32_t order, std::uint16_t level,
                        std::uint32_t parent);
    void rename(std::uint32_t id, std::string_view name);
    void setOrder(std::uint32_t id, std::int32_t order) { members_[id].order = order; }
    // key is the position of a definition on the member's level.
    void setAttribute(std::uint32_t id, std::uint16_t key, std::string_view value) {
        MemberRecord& record = members_[id];
        record.attributeRow = attributes_[record.level]->set(record.attributeRow, key, value);
    }
    // The number of text in the dictionary of key on the level at levelPosition, added when new
    // (LevelAttributes::intern).
    std::uint32_t internAttribute(std::size_t levelPosition, std::uint16_t key,
                                  std::string_view text) {
        return attributes_[levelPosition]->intern(key, text);
    }
    // Gives members without values, all on the level at levelPosition, a row of sequence each,
    // numbers holding their rows one after the other (LevelAttributes::addRows).
    void addAttributeRows(std::size_t levelPosition, std::uint32_t sequence,
                          std::span<const std::uint32_t> ids,
                          std::span<const std::uint32_t> numbers) {
        const std::uint32_t first =
            attributes_[levelPosition]->addRows(sequence, ids.size(), numbers);
        for (std::size_t i = 0; i < ids.size(); ++i) {
            members_[ids[i]].attributeRow = first + static_cast<std::uint32_t>(i);
        }
    }
    // Gives a member without values the row of sequence and numbers (LevelAttributes::addRow).
    void addAttributeRow(std::uint32_t id, std::uint32_t sequence,
                         std::span<const std::uint32_t> numbers);
    std::int32_t countNamed(std::size_t levelPosition, std::string_view name) const {
        return indexes_[levelPosition].count(name);
    }
    // Members on the level at levelPosition.
    std::size_t levelMemberCount(std::size_t levelPosition) const {
        return indexes_[levelPosition].size();
    }

    std::uint32_t firstRoot() const { return firstRoot_; }
    std::uint64_t epoch() const { return epoch_; }
    // The keys a member has values for, in the order first set, and the value of one of them.
    std::span<const std::uint16_t> attributeKeys(std::uint32_t id) const {
        const MemberRecord& record = members_[id];
        if (record.attributeRow == kNoRow) {
            return {};
        }
        return attributes_[record.level]->keysOf(record.attributeRow);
    }
    std::string_view attributeValue(std::uint32_t id, std::uint16_t key) const {
        const MemberRecord& record = members_[id];
        return attributes_[record.level]->value(record.attributeRow, key);
    }
    // A level's values stay where they are until the level is removed or the store cleared.
    const LevelAttributes& levelAttributes(std::size_t levelPosition) const {
        return *attributes_[levelPosition];
    }
    LevelAttributes& levelAttributes(std::size_t levelPosition) {
        return *attributes_[levelPosition];
    }
    // Heap bytes the attribute values hold, for measurements.
    std::size_t attributeBytes() const;

  private:
    void resetMembers();

    std::vector<std::shared_ptr<MemoryLevel>> levels_;
    std::vector<LevelNames> indexes_;
    ChunkedVector<MemberRecord, std::size_t{8} << 20> members_;
    std::vector<std::unique_ptr<LevelAttributes>> attributes_;  // by level position
    std::uint32_t firstRoot_ = kNoMember;
    std::uint32_t lastRoot_ = kNoMember;
    std::uint64_t epoch_ = 0;
};

}  // namespace annalex::cube
