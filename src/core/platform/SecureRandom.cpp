#include "core/platform/SecureRandom.h"

// The draw is the same on every system; only the source of bytes (SecureRandomBytes) is the system's.

namespace zarkent {

std::uint32_t SecureRandomBelow(std::uint32_t range) {
    if (range <= 1) return 0;
    // 2^32 mod range values at the bottom of the 32-bit span would make the low results likelier.
    const std::uint32_t rejectBelow = static_cast<std::uint32_t>(-range) % range; // == 2^32 mod range
    for (;;) {
        std::uint32_t value;
        SecureRandomBytes(&value, sizeof value);
        if (value >= rejectBelow) return value % range;
    }
}

} // namespace zarkent
