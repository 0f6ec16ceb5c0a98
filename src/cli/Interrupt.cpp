#include "cli/Interrupt.h"

#include <csignal>

namespace zarkent::cli {

namespace {
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
    interrupted.store(true);
}
} // namespace

void InstallInterruptHandlers() {
    struct sigaction interrupt {};
    interrupt.sa_handler = OnInterrupt;
    interrupt.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &interrupt, nullptr);
    ::sigaction(SIGTERM, &interrupt, nullptr);
}

const std::atomic<bool>& InterruptRequested() {
    return interrupted;
}

} // namespace zarkent::cli
