#include "core/container/Random.h"

#include <atomic>
#include <chrono>

namespace zarkent {

namespace {
std::atomic<std::uint32_t> randomState{0};
}

void SetRandomSeed(std::uint32_t seed) {
    randomState.store(seed, std::memory_order_relaxed);
}

void RandomizeFromClock() {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    SetRandomSeed(static_cast<std::uint32_t>(ticks));
}

std::uint32_t RandomBelow(std::uint32_t range) {
    std::uint32_t state = randomState.load(std::memory_order_relaxed);
    std::uint32_t next;
    do
        next = state * 134775813u + 1u;
    while (!randomState.compare_exchange_weak(state, next, std::memory_order_relaxed));
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(next) * range) >> 32);
}

} // namespace zarkent
