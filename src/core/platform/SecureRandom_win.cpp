#include "core/platform/SecureRandom.h"

#include <algorithm>
#include <string>

#include "core/base/Error.h"
#include "core/platform/Windows_win.h"

#include <bcrypt.h>

namespace zarkent {

void SecureRandomBytes(void* data, std::size_t size) {
    auto* out = static_cast<unsigned char*>(data);
    while (size > 0) {
        const auto now = static_cast<ULONG>(std::min<std::size_t>(size, 1u << 30));
        const NTSTATUS status = ::BCryptGenRandom(nullptr, out, now, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
        if (status < 0)
            throw ZarkentError("The system's random source failed: status " +
                               std::to_string(static_cast<unsigned long>(status)));
        out += now;
        size -= now;
    }
}

} // namespace zarkent
