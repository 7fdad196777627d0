#include "cube/member_store.hpp"

#include "common/failure.hpp"
#include "cube/memory_model.hpp"

namespace annalex::cube {

MemberStore::~MemberStore() {
    for (const auto& level : levels_) {
        level->detach();
    }
}

void MemberStore::appendLevel(const std::shared_ptr<MemoryLevel>& level) {
    levels_.reserve(levels_.size() + 1);
    indexes_.reserve(indexes_.size() + 1);
    attributes_.reserve(attributes_.size() + 1);
    auto values = std::make_unique<LevelAttributes>();  // the pushes below cannot fail
    levels_.push_back(level);
    indexes_.emplace_back(this, static_cast<std::uint16_t>(levels_.size() - 1));
    attributes_.push_back(std::move(values));
    level->attach(this, levels_.size() - 1);
}

void MemberStore::removeLevel(std::size_t position) {
    // The members are rebuilt without those of the removed level and their descendants, into
    // fresh storage; the old storage comes back when an allocation fails on the way.
    decltype(members_) old;
    decltype(attributes_) oldAttributes;  // first the new ones
    oldAttributes.reserve(attributes_.size() - 1);
    for (std::size_t i = 0; i + 1 < attributes_.size(); ++i) {
        oldAttributes.push_back(std::make_unique<LevelAttributes>());
    }
    std::vector<LevelNames> oldIndexes;  // first the new ones: one for each remaining level
    oldIndexes.reserve(indexes_.size() - 1);
    for (std::size_t i = 0; i + 1 < indexes_.size(); ++i) {
        oldIndexes.emplace_back(this, static_cast<std::uint16_t>(i));
    }
    std::swap(old, members_);
    std::swap(oldAttributes, attributes_);
    std::swap(oldIndexes, indexes_);
    const std::uint32_t oldFirstRoot = firstRoot_;
    const std::uint32_t oldLastRoot = lastRoot_;
    firstRoot_ = lastRoot_ = kNoMember;
    try {
        // Parents have smaller ids than their children, so one pass in id order sees each
        // parent first.
        std::vector<std::uint32_t> newId(old.size(), kNoMember);
        for (std::uint32_t id = 0; id < old.size(); ++id) {
            const MemberRecord& record = old[id];
            if (record.level == position) {
                continue;
            }
            std::uint32_t parent = kNoMember;
            if (record.parent != kNoMember) {
                parent = newId[record.parent];
                if (parent == kNoMember) {
                    continue;  // its parent went with the removed level
                }
            }
            const auto level = static_cast<std::uint16_t>(record.level > position ? record.level - 1
                                                                                  : record.level);
            const std::uint32_t kept = place(record.name.view(), record.order, level, parent);
            newId[id] = kept;
            if (record.attributeRow != kNoRow) {
                const LevelAttributes& values = *oldAttributes[record.level];
                for (const std::uint16_t key : values.keysOf(record.attributeRow)) {
                    setAttribute(kept, key, values.value(record.attributeRow, key));
                }
            }
        }
    } catch (...) {
        std::swap(old, members_);
        std::swap(oldAttributes, attributes_);
        std::swap(oldIndexes, indexes_);
        firstRoot_ = oldFirstRoot;
        lastRoot_ = oldLastRoot;
        throw;
    }
    // Nothing below allocates.
    levels_[position]->detach();
    levels_.erase(levels_.begin() + static_cast<std::ptrdiff_t>(position));
    for (std::size_t i = position; i < levels_.size(); ++i) {
        levels_[i]->attach(this, i);
    }
    ++epoch_;
}

void MemberStore::clear() {
    for (const auto& level : levels_) {
        level->detach();
    }
    levels_.clear();
    indexes_.clear();
    attributes_.clear();
    resetMembers();
    ++epoch_;
}

void MemberStore::resetMembers() {
    members_.clear();
    for (auto& values : attributes_) {
        values->clear();
    }
    for (auto& index : indexes_) {
        index.clear();
    }
    firstRoot_ = lastRoot_ = kNoMember;
}

std::uint32_t MemberStore::place(std::string_view name, std::int32_t order, std::uint16_t level,
                                 std::uint32_t parent) {
    if (members_.size() >= kNoMember) {
        raise(ErrorNumber::OutOfMemory, "Annalex.Cube");
    }
    // The allocations first (a long name's block, a lookup entry, the record); nothing after
    // them can fail.
    MemberName placedName;
    placedName.assign(name);
    indexes_[level].reserveOne();
    const auto id = static_cast<std::uint32_t>(members_.size());
    MemberRecord& record = members_.push_back(MemberRecord{});
    record.name = std::move(placedName);
    record.order = order;
    record.level = level;
    record.parent = parent;
    if (parent == kNoMember) {
        if (lastRoot_ == kNoMember) {
            firstRoot_ = id;
        } else {
            members_[lastRoot_].nextSibling = id;
        }
        lastRoot_ = id;
    } else {
        MemberRecord& up = members_[parent];
        if (up.lastChild == kNoMember) {
            up.firstChild = id;
        } else {
            members_[up.lastChild].nextSibling = id;
        }
        up.lastChild = id;
    }
    indexes_[level].insert(id, record.name.view());
    return id;
}

void MemberStore::rename(std::uint32_t id, std::string_view name) {
    MemberRecord& record = members_[id];
    if (record.name.view() == name) {
        return;
    }
    LevelNames& index = indexes_[record.level];
    MemberName renamed;  // the allocations first; nothing after them can fail
    renamed.assign(name);
    index.reserveOne();
    index.erase(id, record.name.view());
    record.name.swap(renamed);
    index.insert(id, record.name.view());
}

void MemberStore::addAttributeRow(std::uint32_t id, std::uint32_t sequence,
                                  std::span<const std::uint32_t> numbers) {
    MemberRecord& record = members_[id];
    record.attributeRow = attributes_[record.level]->addRow(sequence, numbers);
}

std::size_t MemberStore::attributeBytes() const {
    std::size_t bytes = attributes_.capacity() * sizeof(attributes_[0]);
    for (const auto& values : attributes_) {
        bytes += sizeof(LevelAttributes) + values->bytesHeld();
    }
    return bytes;
}

}  // namespace annalex::cube
