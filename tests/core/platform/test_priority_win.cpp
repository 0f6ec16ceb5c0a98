// The seven job priorities are the system's seven thread priorities, set on the calling thread only.

#include <gtest/gtest.h>

#include <thread>

#include "core/platform/ThreadPriority.h"
#include "core/platform/Windows_win.h"

namespace zarkent {
namespace {

TEST(WindowsThreadPriority, SevenLevelsReadBack) {
    const int expected[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,       THREAD_PRIORITY_BELOW_NORMAL,
                            THREAD_PRIORITY_NORMAL,       THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                            THREAD_PRIORITY_TIME_CRITICAL};
    const int before = ::GetThreadPriority(::GetCurrentThread());
    for (int index = 0; index < kThreadPriorityLevels; ++index) {
        int seen = 99;
        std::thread job([&] {
            ApplyThreadPriority(index);
            seen = ::GetThreadPriority(::GetCurrentThread());
        });
        job.join();
        EXPECT_EQ(seen, expected[index]) << index;
    }
    EXPECT_EQ(::GetThreadPriority(::GetCurrentThread()), before); // other threads keep theirs
}

TEST(WindowsThreadPriority, OutOfRangeIsNormal) {
    for (int index : {-1, 7, 200}) {
        int seen = 99;
        std::thread job([&] {
            ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_LOWEST);
            ApplyThreadPriority(index);
            seen = ::GetThreadPriority(::GetCurrentThread());
        });
        job.join();
        EXPECT_EQ(seen, THREAD_PRIORITY_NORMAL) << index;
    }
}

} // namespace
} // namespace zarkent
