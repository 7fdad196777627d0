#pragma once
// Packs the member blocks of hierarchies (member_blocks.hpp), with their checksums, on threads
// of their own a few blocks ahead of the one that writes them, so that packing and SQLite's
// writing overlap: one packer per core (common/side_by_side.hpp), which take the blocks in
// turns, and the blocks handed out in order. The hierarchies must not change until the packing
// is destroyed.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cube/memory_model.hpp"

namespace annalex::cube {

struct PackedBlock {
    std::int64_t hierarchy = 0;  // position in the list given
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    std::string bytes;
    std::uint32_t checksum = 0;
};

class BlockPacking {
  public:
    explicit BlockPacking(std::vector<const MemoryHierarchy*> hierarchies);
    BlockPacking(const BlockPacking&) = delete;
    BlockPacking& operator=(const BlockPacking&) = delete;
    // Stops the packing thread, also when the writer gave up early.
    ~BlockPacking();

    // The next block in order, hierarchy by hierarchy; false when all were handed out. A
    // failure of the packing (memory ran out) is thrown here.
    bool next(PackedBlock& block);

  private:
    static constexpr std::size_t kBlocksAhead = 2;  // per packer

    struct Packer {
        std::deque<PackedBlock> ready;
        bool finished = false;  // every block of this packer is in ready, or the packing failed
        std::thread thread;
    };

    // Stops the packers and waits for them.
    void stop();
    // Packs the blocks whose position in the order, counted from 0, leaves remainder packer
    // when divided by the number of packers.
    void run(std::size_t packer);

    const std::vector<const MemoryHierarchy*> hierarchies_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Packer> packers_;
    std::size_t handedOut_ = 0;  // blocks next() gave
    bool stopping_ = false;
    std::exception_ptr failure_;
};

}  // namespace annalex::cube
