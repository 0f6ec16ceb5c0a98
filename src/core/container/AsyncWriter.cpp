#include "core/container/AsyncWriter.h"

#include "core/platform/Signals.h"

namespace zarkent {

AsyncWriter::AsyncWriter(File& output, std::size_t bufferSize, std::size_t bufferCount)
    : output_(output), bufferSize_(bufferSize), sizes_(bufferCount) {
    for (std::size_t i = 0; i < bufferCount; ++i)
        buffers_.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(bufferSize));
    thread_ = StartWorkerThread(&AsyncWriter::Run, this);
}

AsyncWriter::~AsyncWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void AsyncWriter::RethrowFailure() {
    if (failure_) std::rethrow_exception(failure_);
}

std::uint8_t* AsyncWriter::Acquire() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return failure_ || submitted_ - written_ < buffers_.size(); });
    RethrowFailure();
    return buffers_[submitted_ % buffers_.size()].get();
}

void AsyncWriter::Submit(std::size_t size) {
    {
        std::lock_guard lock(mutex_);
        RethrowFailure();
        sizes_[submitted_ % buffers_.size()] = size;
        ++submitted_;
    }
    changed_.notify_all();
}

void AsyncWriter::Finish() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return failure_ || written_ == submitted_; });
    RethrowFailure();
}

void AsyncWriter::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || written_ < submitted_; });
        if (stopping_) return;
        const std::size_t slot = written_ % buffers_.size();
        lock.unlock();
        try {
            output_.Write(buffers_[slot].get(), sizes_[slot]);
        } catch (...) {
            lock.lock();
            failure_ = std::current_exception();
            changed_.notify_all();
            return;
        }
        lock.lock();
        ++written_;
        changed_.notify_all();
    }
}

} // namespace zarkent
