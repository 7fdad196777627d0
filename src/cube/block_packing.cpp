#include "cube/block_packing.hpp"

#include <algorithm>
#include <span>

#include "cube/member_blocks.hpp"
#include "cube/store_checksum.hpp"

namespace annalex::cube {

BlockPacking::BlockPacking(std::vector<const MemoryHierarchy*> hierarchies)
    : hierarchies_(std::move(hierarchies)), thread_([this] { run(); }) {}

BlockPacking::~BlockPacking() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BlockPacking::run() {
    try {
        MemberPacker packer;
        for (std::size_t h = 0; h < hierarchies_.size(); ++h) {
            const MemoryHierarchy& hierarchy = *hierarchies_[h];
            const auto count = static_cast<std::uint32_t>(hierarchy.memberCount());
            for (std::uint32_t first = 0; first < count; first += kMembersPerBlock) {
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
                changed_.wait(lock, [&] { return stopping_ || ready_.size() < kBlocksAhead; });
                if (stopping_) {
                    return;
                }
                ready_.push_back(std::move(block));
                lock.unlock();
                changed_.notify_all();
            }
        }
    } catch (...) {
        const std::lock_guard lock(mutex_);
        failure_ = std::current_exception();
    }
    {
        const std::lock_guard lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
}

bool BlockPacking::next(PackedBlock& block) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !ready_.empty() || finished_; });
    if (!ready_.empty()) {
        block = std::move(ready_.front());
        ready_.pop_front();
        lock.unlock();
        changed_.notify_all();
        return true;
    }
    if (failure_) {
        std::rethrow_exception(failure_);
    }
    return false;
}

}  // namespace annalex::cube
