#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/platform/FileSystem.h"

namespace zarkent {

// Writes filled buffers to a file on a second thread, in order, so that writing overlaps reading and
// enciphering. A fixed ring of buffers bounds the memory; a write error is raised on the next call.
class AsyncWriter {
public:
    AsyncWriter(File& output, std::size_t bufferSize, std::size_t bufferCount = 3);
    ~AsyncWriter(); // abandons what is not written yet and joins the thread
    AsyncWriter(const AsyncWriter&) = delete;
    AsyncWriter& operator=(const AsyncWriter&) = delete;

    // The next free buffer (waits while every buffer is queued).
    std::uint8_t* Acquire();
    // Queues the buffer last acquired, holding `size` bytes.
    void Submit(std::size_t size);
    // Waits until everything queued is written.
    void Finish();

private:
    void Run();
    void RethrowFailure();

    File& output_;
    std::size_t bufferSize_;
    std::vector<std::unique_ptr<std::uint8_t[]>> buffers_;
    std::vector<std::size_t> sizes_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t submitted_ = 0; // buffers handed to the writer so far
    std::size_t written_ = 0;   // buffers written so far
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

} // namespace zarkent
