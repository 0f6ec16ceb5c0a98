#pragma once

// Blocks 0, 1, 2, ... of one piece of work, each made on whichever worker thread is free and taken in
// order by the calling thread (which writes them out). A ring of slots bounds how far the workers run
// ahead, and so the memory. A block that says it is the last ends the series: no block after it is
// started, and those already under way are never handed out.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "core/platform/Signals.h"

namespace zarkent {

// `Block` holds one block's data and has a `bool final` that the maker sets on the last one.
template <class Block> class OrderedPool {
public:
    // Fills `block` with block `index` on worker `worker` (0 .. threads-1); may throw.
    using Maker = std::function<void(unsigned worker, std::uint64_t index, Block& block)>;

    OrderedPool(unsigned threads, std::size_t slotCount, Maker make) : slots_(slotCount), make_(std::move(make)) {
        try {
            for (unsigned i = 0; i < threads; ++i)
                workers_.push_back(StartWorkerThread(&OrderedPool::Work, this, i));
        } catch (...) {
            Stop();
            throw;
        }
    }
    // Workers finish the block in hand; nothing else is started.
    ~OrderedPool() { Stop(); }
    OrderedPool(const OrderedPool&) = delete;
    OrderedPool& operator=(const OrderedPool&) = delete;

    // Waits until block `index` (the oldest not yet released) is made and rethrows its maker's failure;
    // the block stays in its slot until Release.
    Block& Wait(std::uint64_t index) {
        std::unique_lock lock(mutex_);
        Slot& slot = SlotOf(index);
        blockDone_.wait(lock, [&] { return slot.done && slot.index == index; });
        if (slot.failure) std::rethrow_exception(slot.failure);
        return slot.block;
    }

    // Block `index` is written: its slot takes a new block.
    void Release(std::uint64_t index) {
        {
            std::lock_guard lock(mutex_);
            released_ = index + 1;
        }
        slotFree_.notify_one(); // room for one more block
    }

private:
    struct Slot {
        Block block;
        std::uint64_t index = 0;
        bool done = false;
        std::exception_ptr failure;
    };

    Slot& SlotOf(std::uint64_t index) { return slots_[index % slots_.size()]; }

    void Stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        slotFree_.notify_all();
        for (std::thread& worker : workers_)
            worker.join();
    }

    void Work(unsigned worker) {
        std::unique_lock lock(mutex_);
        for (;;) {
            slotFree_.wait(lock, [&] { return stopping_ || (!ended_ && next_ < released_ + slots_.size()); });
            if (stopping_) return;
            const std::uint64_t index = next_++;
            Slot& slot = SlotOf(index);
            slot.index = index;
            slot.done = false;
            lock.unlock();
            std::exception_ptr failure;
            try {
                make_(worker, index, slot.block);
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            slot.failure = failure;
            slot.done = true;
            ended_ = ended_ || slot.block.final || failure;
            // Only the oldest block is waited for. Waking threads for nothing would, on a busy machine,
            // take the processor from the threads that work.
            if (index == released_) blockDone_.notify_one();
        }
    }

    std::vector<Slot> slots_;
    Maker make_;
    std::mutex mutex_;
    std::condition_variable blockDone_; // the calling thread waits for the oldest block
    std::condition_variable slotFree_;  // workers wait for room in the ring
    std::uint64_t next_ = 0;            // the next block to start
    std::uint64_t released_ = 0;        // blocks taken and released by the calling thread
    bool ended_ = false;                // the last block is known (or one failed): start no more
    bool stopping_ = false;
    std::vector<std::thread> workers_; // last: started once everything else is in place
};

} // namespace zarkent
