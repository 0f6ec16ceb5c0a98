#pragma once

// What the system-specific file operations share with the common part (test hook, partial files).

#include <string>

#include "core/platform/FileSystem.h"

namespace zarkent::detail {

// 0, or the errno value the test hook asks the operation to fail with.
int Announce(FileEvent event, const std::string& path);

// Removes one registered partial file. On POSIX it runs inside a signal handler: async-signal-safe.
void RemovePartialPath(const char* path) noexcept;

} // namespace zarkent::detail
