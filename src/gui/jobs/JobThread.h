#pragma once

// Base of every job thread. A job is created running: its constructor runs on the starting thread
// (storing arguments, setting flags, showing windows), and its Execute() begins on a thread of its own
// as soon as construction has finished. One object runs once.
//
// Jobs are created only through the two factories, which construct and then start:
//
//     // Nobody keeps it: the job deletes itself after it ends (on the user-interface thread).
//     JobThread::Start<TSifrele>(path, password, true, true);
//
//     // A batch keeps the job, waits for it and releases it; the handle waits before deleting.
//     auto job = JobThread::StartOwned<TSifrele>(path, password, false, false);
//     job->WaitFor();
//
// A job class passes the StartKey it receives on to this base, so it cannot be constructed (and left
// unstarted) any other way:
//
//     class TSifrele : public JobThread {
//     public:
//         TSifrele(StartKey key, QString file, QString password, bool showResult, bool showProgress)
//             : JobThread(key) { ... }
//     protected:
//         void Execute() override;
//     };

#include <QThread>

#include <atomic>
#include <chrono>
#include <memory>
#include <utility>

namespace zarkent::jobs {

class JobThread;

// Deleter of an owned job: waits for the job to end, then deletes it (deleting a running thread object
// would abort the program).
struct WaitThenDelete {
    void operator()(JobThread* job) const noexcept;
};

template <class T> using OwnedJob = std::unique_ptr<T, WaitThenDelete>;

class JobThread : public QThread {
    Q_OBJECT

public:
    // Proof that construction goes through Start/StartOwned.
    class StartKey {
        friend class JobThread;
        StartKey() = default;
    };

    ~JobThread() override;

    // Constructs a T on the calling thread and starts it. The job deletes itself once it has ended, from
    // the user-interface thread's event loop: on that thread the returned pointer stays good until control
    // returns to the loop (hold a QPointer to watch it longer); on any other thread it may already be gone.
    // Never WaitFor() such a job. Needs a QCoreApplication, whose loop does the deleting.
    template <class T, class... Args> static T* Start(Args&&... args) {
        T* job = new T(StartKey{}, std::forward<Args>(args)...);
        job->DeleteWhenFinished();
        job->start();
        return job;
    }

    // Constructs a T on the calling thread and starts it; the caller owns it. Releasing the handle waits
    // for the end first. The handle is meant to stay on the thread that started the job.
    template <class T, class... Args> static OwnedJob<T> StartOwned(Args&&... args) {
        OwnedJob<T> job(new T(StartKey{}, std::forward<Args>(args)...));
        job->start();
        return job;
    }

    // Blocks until the job has ended (its Execute has returned). Does nothing when called from the job's
    // own thread.
    void WaitFor();

    // Waits until no job is running any more, or until `timeout` has passed; true when none runs. The
    // program uses it on its way out, after asking running jobs to stop.
    static bool WaitForAll(std::chrono::milliseconds timeout);

    // The priority level (0 idle .. 6 time critical) the job's thread runs at.
    int PriorityIndex() const noexcept { return priorityIndex_; }

protected:
    // Takes the priority of new jobs from the shared PriorityIndex.
    explicit JobThread(StartKey key);
    // A job whose priority is fixed rather than chosen by the user.
    JobThread(StartKey key, int priorityIndex);

    // The job's work, on its own thread. Jobs catch their own failures; anything that still escapes is
    // caught by the base and handed to OnUnhandledError.
    virtual void Execute() = 0;

    // Called on the job's thread with the text of an exception that escaped Execute. The default shows
    // it in an error message box on the user-interface thread, without waiting for it.
    virtual void OnUnhandledError(const QString& message);

private:
    void run() final;
    static void Ended();
    void DeleteWhenFinished();

    const int priorityIndex_;
    std::atomic<bool> ran_{false};
};

} // namespace zarkent::jobs
