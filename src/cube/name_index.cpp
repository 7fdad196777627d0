#include "cube/name_index.hpp"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>

#include "cube/aligned_block.hpp"

namespace annalex::cube {

void NameIndex::reserveOne() {
    if ((size_ + 1) * 2 > capacity_) {
        grow();
    }
}

void NameIndex::insert(std::uint32_t id, std::string_view name) {
    reserveOne();
    const std::uint64_t entry = slotOf(hashOf(name), id);
    if (capacity_ < kDirectCapacity) {
        place(entry);
    } else {
        __builtin_prefetch(&slots_[home(hashIn(entry))], 1);
        pending_[pendingCount_++] = entry;
        if (pendingCount_ == kBatch) {
            flush();
        }
    }
    ++size_;
}

void NameIndex::flush() {
    for (std::size_t i = 0; i < pendingCount_; ++i) {
        place(pending_[i]);
    }
    pendingCount_ = 0;
}

void NameIndex::place(std::uint64_t entry) {
    const std::size_t mask = capacity_ - 1;
    std::size_t slot = home(hashIn(entry));
    while (slots_[slot] != kEmpty) {
        slot = (slot + 1) & mask;
    }
    slots_[slot] = entry;
}

void NameIndex::erase(std::uint32_t id, std::string_view name) {
    if (capacity_ == 0) {
        return;
    }
    const std::size_t mask = capacity_ - 1;
    const std::uint64_t wanted = slotOf(hashOf(name), id);
    for (std::size_t i = 0; i < pendingCount_; ++i) {
        if (pending_[i] == wanted) {
            pending_[i] = pending_[--pendingCount_];
            --size_;
            return;
        }
    }
    std::size_t slot = home(hashIn(wanted));
    while (slots_[slot] != wanted) {
        if (slots_[slot] == kEmpty) {
            return;  // not indexed
        }
        slot = (slot + 1) & mask;
    }
    // Backward-shift deletion: pull later entries of the cluster into the hole unless their home
    // slot lies cyclically after the hole and at or before their current slot.
    std::size_t hole = slot;
    for (std::size_t next = (hole + 1) & mask; slots_[next] != kEmpty; next = (next + 1) & mask) {
        const std::size_t want = home(hashIn(slots_[next]));
        const bool movable =
            (next > hole) ? (want <= hole || want > next) : (want <= hole && want > next);
        if (movable) {
            slots_[hole] = slots_[next];
            hole = next;
        }
    }
    slots_[hole] = kEmpty;
    --size_;
}

std::int32_t NameIndex::count(std::string_view name) const {
    if (size_ == 0) {
        return 0;
    }
    const std::size_t mask = capacity_ - 1;
    const std::uint32_t hash = hashOf(name);
    std::int32_t found = 0;
    for (std::size_t slot = home(hash); slots_[slot] != kEmpty; slot = (slot + 1) & mask) {
        if (hashIn(slots_[slot]) == hash && nameOf_(context_, idIn(slots_[slot])) == name) {
            ++found;
        }
    }
    for (std::size_t i = 0; i < pendingCount_; ++i) {
        if (hashIn(pending_[i]) == hash && nameOf_(context_, idIn(pending_[i])) == name) {
            ++found;
        }
    }
    return found;
}

void NameIndex::clear() {
    pendingCount_ = 0;
    slots_.reset();
    capacity_ = 0;
    size_ = 0;
}

void NameIndex::FreeSlots::operator()(std::uint64_t* slots) const {
    freeAlignedBlock(slots);
}

NameIndex::Slots NameIndex::allocateSlots(std::size_t capacity) {
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    constexpr std::size_t kPage = 4096;
    const std::size_t bytes = capacity * sizeof(std::uint64_t);
    const std::size_t alignment = bytes >= kHugePage ? kHugePage : kPage;
    void* block =
        allocateAlignedBlock(bytes >= kPage * 16 ? alignment : alignof(std::max_align_t), bytes);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    if (bytes >= kHugePage) {
        adviseHugePages(block, bytes);
    }
    if (bytes >= kPage * 16) {
        adviseWholeWrite(block, bytes);  // the whole table is written at once below
    }
    auto* slots = static_cast<std::uint64_t*>(block);
    std::fill(slots, slots + capacity, kEmpty);
    return Slots(slots);
}

void NameIndex::grow() {
    // The new table is allocated before anything changes: when the allocation fails, the index
    // stays as it was.
    const std::size_t oldCapacity = capacity_;
    Slots larger = allocateSlots(oldCapacity == 0 ? 16 : oldCapacity * 2);
    flush();
    Slots old = std::exchange(slots_, std::move(larger));
    capacity_ = oldCapacity == 0 ? 16 : oldCapacity * 2;
    for (std::size_t i = 0; i < oldCapacity; ++i) {
        if (old[i] != kEmpty) {
            place(old[i]);
        }
    }
}

}  // namespace annalex::cube
