#include "cube/level_names.hpp"

#include <new>

#include "cube/member_store.hpp"

namespace annalex::cube {
namespace {

std::string_view nameInStore(const void* store, std::uint32_t id) {
    return static_cast<const MemberStore*>(store)->member(id).name.view();
}

}  // namespace

LevelNames::LevelNames(const MemberStore* store, std::uint16_t level)
    : store_(store), level_(level), index_(&nameInStore, store) {
    slots_.fill(kFree);
}

void LevelNames::reserveOne() {
    if (full_) {
        index_.reserveOne();
    }
}

void LevelNames::insert(std::uint32_t id, std::string_view name) {
    ++members_;
    if (full_) {
        index_.insert(id, name);
    } else if ((watchedLengths_ & lengthBit(name.size())) != 0) {
        if (const int at = findWatched(name); at >= 0) {
            ++watched_[static_cast<std::size_t>(at)].count;
        }
    }
}

void LevelNames::erase(std::uint32_t id, std::string_view name) {
    --members_;
    if (full_) {
        index_.erase(id, name);
    } else if ((watchedLengths_ & lengthBit(name.size())) != 0) {
        if (const int at = findWatched(name); at >= 0) {
            --watched_[static_cast<std::size_t>(at)].count;
        }
    }
}

std::int32_t LevelNames::count(std::string_view name) const {
    if (full_) {
        return index_.count(name);
    }
    if ((watchedLengths_ & lengthBit(name.size())) != 0) {
        if (const int at = findWatched(name); at >= 0) {
            return watched_[static_cast<std::size_t>(at)].count;
        }
    }
    if (members_ == 0) {
        watch(name, 0);
        return 0;
    }
    const std::size_t pass = store_->memberCount();
    if (watched_.size() < kMaxWatched && scanned_ <= kScanAllowance + pass) {
        scanned_ += pass;
        const std::int32_t found = scan(name);
        watch(name, found);
        return found;
    }
    if (indexAll()) {
        return index_.count(name);
    }
    return scan(name);
}

void LevelNames::clear() {
    members_ = 0;
    full_ = false;
    index_.clear();
    watched_.clear();
    slots_.fill(kFree);
    watchedLengths_ = 0;
    scanned_ = 0;
}

int LevelNames::findWatched(std::string_view name) const {
    for (std::size_t slot = hashOf(name) % kSlots; slots_[slot] != kFree;
         slot = (slot + 1) % kSlots) {
        if (watched_[slots_[slot]].name == name) {
            return slots_[slot];
        }
    }
    return -1;
}

void LevelNames::watch(std::string_view name, std::int32_t count) const {
    if (watched_.size() >= kMaxWatched) {
        return;  // the next question about a new name switches to the full index
    }
    try {
        watched_.reserve(kMaxWatched);
        watched_.push_back({std::string(name), count});
    } catch (const std::bad_alloc&) {
        return;  // unwatched, the name is counted by a scan whenever asked
    }
    std::size_t slot = hashOf(name) % kSlots;
    while (slots_[slot] != kFree) {
        slot = (slot + 1) % kSlots;
    }
    slots_[slot] = static_cast<std::uint8_t>(watched_.size() - 1);
    watchedLengths_ |= lengthBit(name.size());
}

std::int32_t LevelNames::scan(std::string_view name) const {
    std::int32_t found = 0;
    const std::size_t count = store_->memberCount();
    for (std::uint32_t id = 0; id < count; ++id) {
        const MemberRecord& record = store_->member(id);
        if (record.level == level_ && record.name.view() == name) {
            ++found;
        }
    }
    return found;
}

bool LevelNames::indexAll() const {
    try {
        const std::size_t count = store_->memberCount();
        for (std::uint32_t id = 0; id < count; ++id) {
            const MemberRecord& record = store_->member(id);
            if (record.level == level_) {
                index_.insert(id, record.name.view());
            }
        }
    } catch (const std::bad_alloc&) {
        index_.clear();
        return false;
    }
    full_ = true;
    watched_.clear();
    watched_.shrink_to_fit();
    slots_.fill(kFree);
    watchedLengths_ = 0;
    return true;
}

}  // namespace annalex::cube
