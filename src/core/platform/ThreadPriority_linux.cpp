#include "core/platform/ThreadPriority.h"

#include <array>
#include <cerrno>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace zarkent {

namespace {

// Nice values of the levels 1..6; level 0 runs under SCHED_IDLE (its nice value only matters if the
// idle class is refused).
constexpr std::array<int, kThreadPriorityLevels> kNice{19, 10, 5, 0, -5, -10, -15};

void SetPolicy(int policy) noexcept {
    sched_param param{};
    param.sched_priority = 0;
    // Linux applies sched_setscheduler(0, ...) to the calling thread only.
    (void)::sched_setscheduler(0, policy, &param);
}

} // namespace

void ApplyThreadPriority(int index) noexcept {
    if (index < 0 || index >= kThreadPriorityLevels) index = kThreadPriorityNormal;
    const int saved = errno;
    // A thread inherits the policy and nice value of the thread that created it, so every level
    // sets both, not only the one it changes.
    // On Linux the nice value belongs to each thread: the thread id as "process" sets this thread only.
    const id_t self = static_cast<id_t>(::gettid());
    if (index == 0) {
        (void)::setpriority(PRIO_PROCESS, self, kNice[0]);
        SetPolicy(SCHED_IDLE);
    } else {
        if (::sched_getscheduler(0) != SCHED_OTHER) SetPolicy(SCHED_OTHER);
        // Refused without CAP_SYS_NICE (or a large enough RLIMIT_NICE) for values below the current one.
        (void)::setpriority(PRIO_PROCESS, self, kNice[static_cast<std::size_t>(index)]);
    }
    errno = saved;
}

} // namespace zarkent
