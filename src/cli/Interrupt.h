#pragma once

#include <atomic>

namespace zarkent::cli {

// SIGINT and SIGTERM (Ctrl-C and Ctrl-Break on Windows): the first one asks the running file to stop
// at its next chunk (its partial output is then removed); a second one removes the partial outputs
// and ends the program at once.
void InstallInterruptHandlers();
// Set by the first signal.
const std::atomic<bool>& InterruptRequested();

} // namespace zarkent::cli
