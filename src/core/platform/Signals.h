#pragma once

// Only the thread that runs a job takes the process's interrupting signals (SIGINT, SIGTERM): a file
// it creates is registered for the signal cleanup before any handler can run, which a handler on
// another thread would not wait for.

#include <thread>
#include <utility>

namespace zarkent {

// While it lives, the interrupting signals wait on the calling thread (and on threads it starts). On
// Windows it does nothing: the console's handler runs on a thread of its own.
class SignalHold {
public:
    SignalHold();
    ~SignalHold();
    SignalHold(const SignalHold&) = delete;
    SignalHold& operator=(const SignalHold&) = delete;

private:
    alignas(8) unsigned char saved_[128]; // the thread's previous signal mask (a sigset_t on POSIX)
};

// A worker thread that never takes the interrupting signals: it starts with them blocked.
template <typename... Args> std::thread StartWorkerThread(Args&&... args) {
    const SignalHold hold;
    return std::thread(std::forward<Args>(args)...);
}

} // namespace zarkent
