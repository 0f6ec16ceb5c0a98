#include "cli/Interrupt.h"

#include <csignal>

#include "core/platform/FileSystem.h"

namespace zarkent::cli {

namespace {
std::atomic<bool> interrupted{false};
std::atomic<int> signalsSeen{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

extern "C" void OnInterrupt(int signal) {
    if (signalsSeen.fetch_add(1) == 0) {
        interrupted.store(true);
        return;
    }
    // A second signal (GNU timeout sends one to the process and one to its group, an impatient user
    // presses Ctrl-C twice): end now, but take the partial outputs along.
    RemovePartialFiles();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}
} // namespace

void InstallInterruptHandlers() {
    struct sigaction interrupt {};
    interrupt.sa_handler = OnInterrupt;
    ::sigaction(SIGINT, &interrupt, nullptr);
    ::sigaction(SIGTERM, &interrupt, nullptr);
}

const std::atomic<bool>& InterruptRequested() {
    return interrupted;
}

} // namespace zarkent::cli
