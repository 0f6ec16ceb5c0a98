#pragma once

// The operating system's cryptographic random source, for everything a guess must not reproduce
// (generated passwords). The shared pseudo-random generator is for names and patterns only.

#include <cstddef>
#include <cstdint>

namespace zarkent {

// Fills `size` bytes; throws ZarkentError when the system cannot deliver them.
void SecureRandomBytes(void* data, std::size_t size);

// A uniformly distributed number in 0..range-1 (0 when range is 0 or 1): 32-bit draws that would
// favour the low results are thrown away and drawn again, so no result is likelier than another.
std::uint32_t SecureRandomBelow(std::uint32_t range);

} // namespace zarkent
