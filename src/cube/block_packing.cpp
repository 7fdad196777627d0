#include "cube/block_packing.hpp"

#include <algorithm>
#include <span>

#include "common/side_by_side.hpp"
#include "cube/member_blocks.hpp"
#include "cube/store_checksum.hpp"

namespace annalex::cube {

BlockPacking::BlockPacking(std::vector<const MemoryHierarchy*> hierarchies)
    : hierarchies_(std::move(hierarchies)), packers_(sideBySideParts()) {
    try {
        for (std::size_t p = 0; p < packers_.size(); ++p) {
            packers_[p].thread = std::thread([this, p] { run(p); });
        }
    } catch (...) {
        stop();
        throw;
    }
}

BlockPacking::~BlockPacking() {
    stop();
}

void BlockPacking::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (Packer& packer : packers_) {
        if (packer.thread.joinable()) {
            packer.thread.join();
        }
    }
}

void BlockPacking::run(std::size_t part) {
    Packer& own = packers_[part];
    try {
        MemberPacker packer;
        std::size_t position = 0;  // of the block in the order
        for (std::size_t h = 0; h < hierarchies_.size(); ++h) {
            const MemoryHierarchy& hierarchy = *hierarchies_[h];
            const auto count = static_cast<std::uint32_t>(hierarchy.memberCount());
            for (std::uint32_t first = 0; first < count; first += kMembersPerBlock) {
                if (position++ % packers_.size() != part) {
                    continue;
                }
                PackedBlock block;
                block.hierarchy = static_cast<std::int64_t>(h);
                block.first = first;
                block.count = std::min(kMembersPerBlock, count - first);
                packer.pack(*hierarchy.store(), first, block.count, block.bytes);
                block.checksum =
                    blockChecksum(block.hierarchy, first, block.count,
                                  {reinterpret_cast<const unsigned char*>(block.bytes.data()),
                                   block.bytes.size()});
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return stopping_ || own.ready.size() < kBlocksAhead; });
                if (stopping_) {
                    return;
                }
                own.ready.push_back(std::move(block));
                lock.unlock();
                changed_.notify_all();
            }
        }
    } catch (...) {
        const std::lock_guard lock(mutex_);
        if (!failure_) {
            failure_ = std::current_exception();
        }
    }
    {
        const std::lock_guard lock(mutex_);
        own.finished = true;
    }
    changed_.notify_all();
}

bool BlockPacking::next(PackedBlock& block) {
    Packer& turn = packers_[handedOut_ % packers_.size()];
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !turn.ready.empty() || turn.finished || failure_; });
    if (failure_) {
        std::rethrow_exception(failure_);
    }
    if (turn.ready.empty()) {
        return false;  // the packer whose turn it is has no more blocks: none has
    }
    block = std::move(turn.ready.front());
    turn.ready.pop_front();
    ++handedOut_;
    lock.unlock();
    changed_.notify_all();
    return true;
}

}  // namespace annalex::cube
