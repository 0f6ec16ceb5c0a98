// Ctrl-C and Ctrl-Break on Windows: the console calls the handler on a thread of its own.

#include "cli/Interrupt.h"

#include "core/platform/FileSystem.h"
#include "core/platform/Windows_win.h"

namespace zarkent::cli {

namespace {
std::atomic<bool> interrupted{false};
std::atomic<int> signalsSeen{0};

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if ((event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) && signalsSeen.fetch_add(1) == 0) {
        interrupted.store(true);
        return TRUE;
    }
    // A second Ctrl-C, or the console closing, the user logging off or the system shutting down:
    // the process ends now (the default handler), but takes the partial outputs along.
    RemovePartialFiles();
    return FALSE;
}
} // namespace

void InstallInterruptHandlers() {
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

const std::atomic<bool>& InterruptRequested() {
    return interrupted;
}

} // namespace zarkent::cli
