#pragma once

// Clearing secrets (passwords, key schedules, tables derived from them) in a way the optimiser
// cannot remove as a dead store.

#include <cstddef>
#include <string>

namespace zarkent {

void SecureClear(void* data, std::size_t size) noexcept;

// Zeroes the whole buffer of `text` (not only its current length) and empties it.
void SecureClear(std::string& text) noexcept;

// Clears a secret held in a string when it goes out of scope, however the scope is left.
class ClearOnExit {
public:
    explicit ClearOnExit(std::string& text) noexcept : text_(text) {}
    ~ClearOnExit() { SecureClear(text_); }
    ClearOnExit(const ClearOnExit&) = delete;
    ClearOnExit& operator=(const ClearOnExit&) = delete;

private:
    std::string& text_;
};

} // namespace zarkent
