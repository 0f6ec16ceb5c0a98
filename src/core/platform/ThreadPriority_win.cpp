#include "core/platform/ThreadPriority.h"

#include <array>

#include "core/platform/Windows_win.h"

namespace zarkent {

namespace {
// The seven levels are exactly the system's seven thread priorities.
constexpr std::array<int, kThreadPriorityLevels> kPriorities{
    THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,  THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
    THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST, THREAD_PRIORITY_TIME_CRITICAL};
} // namespace

void ApplyThreadPriority(int index) noexcept {
    if (index < 0 || index >= kThreadPriorityLevels) index = kThreadPriorityNormal;
    // Any level is allowed within the process's priority class; a refusal leaves the thread as it was.
    (void)::SetThreadPriority(::GetCurrentThread(), kPriorities[static_cast<std::size_t>(index)]);
}

} // namespace zarkent
