#pragma once

#include <cstddef>
#include <cstdint>

namespace zarkent {

// The Adler-32 checksum of zlib streams, continued from `adler` (1 for a new stream) over `size`
// bytes: the same value as zlib's adler32(), with AVX2 where the processor has it.
std::uint32_t Adler32(std::uint32_t adler, const std::uint8_t* data, std::size_t size);

} // namespace zarkent
