#pragma once
// Packs the member blocks of hierarchies (member_blocks.hpp), with their checksums, on a thread
// of its own a few blocks ahead of the one that writes them, so that packing and SQLite's
// writing overlap. The hierarchies must not change until the packing is destroyed.

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
    static constexpr std::size_t kBlocksAhead = 2;

    void run();

    const std::vector<const MemoryHierarchy*> hierarchies_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<PackedBlock> ready_;
    bool finished_ = false;  // every block is in ready_, or the packing failed
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace annalex::cube
