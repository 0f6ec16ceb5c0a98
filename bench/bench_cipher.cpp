// In-memory throughput of the cipher transform on one core, next to a plain memory pass (xor with a
// constant) on the same buffer as the baseline of the same run.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/cipher/ZarkentLib.h"

int main() {
    constexpr std::size_t size = 256u << 20;
    std::vector<std::uint8_t> buffer(size, 0x5A);
    auto time = [&](auto&& work) {
        double best = 1e9;
        for (int run = 0; run < 5; ++run) {
            const auto start = std::chrono::steady_clock::now();
            work();
            best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        return size / best / 1e9;
    };
    const double baseline = time([&] {
        for (std::size_t i = 0; i < size; i += 4) {
            std::uint32_t w;
            std::memcpy(&w, &buffer[i], 4);
            w ^= 0x9E3779B9u;
            std::memcpy(&buffer[i], &w, 4);
        }
    });
    const double cipher = time([&] {
        zarkent::TZarkenter c("benchmark password");
        c.ApplyKeystream(buffer.data(), buffer.size());
    });
    std::printf("memory xor baseline: %.2f GB/s\n", baseline);
    std::printf("cipher transform:    %.2f GB/s  (%.2fx baseline)\n", cipher, cipher / baseline);
    return cipher > 2.0 ? 0 : 1;
}
