#pragma once
// A hash index from member names to member ids, one per level.
//
// Open addressing with linear probing. Each slot holds a member id together with 32 bits of its
// name's hash, so probing compares hashes inside the table and reads a member's name (through
// the callback) only when the hashes agree; the names themselves stay in the member records.
// A rename is an erase under the old name and an insert under the new one. Several members may
// share a name. The table is kept at most half full.
//
// In a table too large for the caches, a new entry's home slot is a likely cache and TLB miss.
// Such entries wait in a short pending batch whose home slots are prefetched as they arrive,
// and are placed when the batch is full, by which time their slots have been fetched; lookups
// and erasures also consult the batch. The misses of a batch so overlap instead of each one
// stalling its insert, which keeps the cost per insert flat as the table grows.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace annalex::cube {

class NameIndex {
  public:
    using NameOf = std::string_view (*)(const void* context, std::uint32_t id);

    NameIndex(NameOf nameOf, const void* context) : nameOf_(nameOf), context_(context) {}

    // Every operation leaves the index whole when an allocation fails (std::bad_alloc): it
    // holds what it held before the call.
    void insert(std::uint32_t id, std::string_view name);
    // Makes room for one more entry, so that the next insert allocates nothing and cannot fail.
    void reserveOne();
    // Removes the entry of id, which must be indexed under name.
    void erase(std::uint32_t id, std::string_view name);
    std::int32_t count(std::string_view name) const;
    std::size_t size() const { return size_; }
    void clear();

  private:
    static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};
    static std::uint32_t hashOf(std::string_view name) {
        const std::size_t h = std::hash<std::string_view>{}(name);
        return static_cast<std::uint32_t>(h ^ (h >> 32));
    }
    static std::uint64_t slotOf(std::uint32_t hash, std::uint32_t id) {
        return (std::uint64_t{hash} << 32) | id;
    }
    static std::uint32_t hashIn(std::uint64_t slot) {
        return static_cast<std::uint32_t>(slot >> 32);
    }
    static std::uint32_t idIn(std::uint64_t slot) { return static_cast<std::uint32_t>(slot); }
    std::size_t home(std::uint32_t hash) const { return hash & (capacity_ - 1); }
    void place(std::uint64_t slot);
    void grow();
    // Places the pending entries in the table.
    void flush();

    // Tables up to this many slots (512 KiB) stay in the caches: entries are placed at once.
    static constexpr std::size_t kDirectCapacity = std::size_t{1} << 16;
    static constexpr std::size_t kBatch = 32;

    struct FreeSlots {
        void operator()(std::uint64_t* slots) const;
    };
    using Slots = std::unique_ptr<std::uint64_t[], FreeSlots>;
    // A table of capacity empty slots; large tables are asked to live on huge pages, which
    // spares the page faults and TLB misses of random probes over many megabytes.
    static Slots allocateSlots(std::size_t capacity);

    NameOf nameOf_;
    const void* context_;
    Slots slots_;
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;  // entries in the table and in the pending batch
    std::array<std::uint64_t, kBatch> pending_{};
    std::size_t pendingCount_ = 0;
};

}  // namespace annalex::cube
