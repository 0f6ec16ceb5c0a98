#include "core/base/Secure.h"

namespace zarkent {

void SecureClear(void* data, std::size_t size) noexcept {
    // Writes through a volatile pointer are observable behaviour: they stay, whatever follows.
    auto* bytes = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = 0;
}

void SecureClear(std::string& text) noexcept {
    // Within capacity, resize does not reallocate, so the old characters are overwritten in place.
    text.resize(text.capacity());
    SecureClear(text.data(), text.size());
    text.clear();
}

} // namespace zarkent
