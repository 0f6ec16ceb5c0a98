#pragma once

// What the system-specific file operations share with the common part (test hook, partial files).

#include <cstddef>
#include <string>

#include "core/platform/FileSystem.h"

namespace zarkent::detail {

// 0, or the errno value the test hook asks the operation to fail with.
int Announce(FileEvent event, const std::string& path);

// Fills `buffer` with up to `size` bytes: `readSome(out, want, done)` reads at most `want` bytes into
// `out`, `done` bytes into the request, and returns how many it read, 0 at the end of the file.
template <typename ReadSome> std::size_t ReadUntilFullOrEnd(void* buffer, std::size_t size, ReadSome readSome) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const std::size_t n = readSome(out + done, size - done, done);
        if (n == 0) break;
        done += n;
    }
    return done;
}

// Removes one registered partial file. On POSIX it runs inside a signal handler: async-signal-safe.
void RemovePartialPath(const char* path) noexcept;

} // namespace zarkent::detail
