#pragma once

#include <cstdint>

namespace zarkent {

// The process-wide pseudo-random generator (32-bit linear congruential state). Used for temporary
// names and the generators; never for anything that protects data.
void RandomizeFromClock();
void SetRandomSeed(std::uint32_t seed);
// A number in 0..range-1 (0 when range is 0): the state advances to state * 134775813 + 1 and the
// result is the high 32 bits of state * range.
std::uint32_t RandomBelow(std::uint32_t range);

} // namespace zarkent
