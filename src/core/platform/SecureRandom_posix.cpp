#include "core/platform/SecureRandom.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/random.h>

#include "core/base/Error.h"

namespace zarkent {

void SecureRandomBytes(void* data, std::size_t size) {
    auto* out = static_cast<unsigned char*>(data);
    while (size > 0) {
        const ssize_t got = getrandom(out, size, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw ZarkentError(std::string("The system's random source failed: ") + std::strerror(errno));
        }
        out += got;
        size -= static_cast<std::size_t>(got);
    }
}

std::uint32_t SecureRandomBelow(std::uint32_t range) {
    if (range <= 1) return 0;
    // 2^32 mod range values at the top of the 32-bit span would make the low results likelier.
    const std::uint32_t rejectFrom = static_cast<std::uint32_t>(-range) % range; // == 2^32 mod range
    for (;;) {
        std::uint32_t value;
        SecureRandomBytes(&value, sizeof value);
        if (value >= rejectFrom) return value % range;
    }
}

} // namespace zarkent
