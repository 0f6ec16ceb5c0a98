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

} // namespace zarkent
