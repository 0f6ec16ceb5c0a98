#pragma once

// Clearing secrets (passwords, key schedules, tables derived from them) in a way the optimiser
// cannot remove as a dead store.

#include <cstddef>
#include <string>

namespace zarkent {

void SecureClear(void* data, std::size_t size) noexcept;

// Zeroes the whole buffer of `text` (not only its current length) and empties it.
void SecureClear(std::string& text) noexcept;

} // namespace zarkent
