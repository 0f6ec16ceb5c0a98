#pragma once

// Carries calls from any thread to one window on the user-interface thread. Calls are queued, never
// waited for, and run in the order they were posted (all windows live on the same thread, so the
// order also holds between calls to different windows). A window detaches its channel when it is
// destroyed; later posts are dropped and calls still queued for it are discarded with it.

#include <functional>
#include <mutex>

class QObject;

namespace zarkent {

class UiChannel {
public:
    explicit UiChannel(QObject* receiver) : receiver_(receiver) {}
    UiChannel(const UiChannel&) = delete;
    UiChannel& operator=(const UiChannel&) = delete;

    // Queues `call` to run on the receiver's thread; does nothing once the receiver is gone.
    void Post(std::function<void()> call);
    // Called by the receiver's destructor, on the user-interface thread.
    void Detach();

private:
    std::mutex mutex_; // held only while an event is posted, so a job never waits on the window
    QObject* receiver_;
};

} // namespace zarkent
