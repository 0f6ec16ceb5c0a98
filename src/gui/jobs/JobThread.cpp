#include "gui/jobs/JobThread.h"

#include "core/lang/Language.h"
#include "core/platform/ThreadPriority.h"
#include "core/state/SharedState.h"
#include "gui/dialogs/Dialogs_mod.h"
#include "gui/jobs/WindowHelpers.h"

#include <QApplication>
#include <QMetaObject>

#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>

#if defined(__GLIBC__) && __has_include(<cxxabi.h>)
#include <cxxabi.h>
#define ZARKENT_HAS_FORCED_UNWIND 1
#endif

namespace zarkent::jobs {

namespace {
// Jobs constructed and not yet at the end of their run.
std::mutex runningMutex;
std::condition_variable runningChanged;
int runningJobs = 0;
} // namespace

void WaitThenDelete::operator()(JobThread* job) const noexcept {
    if (!job) return;
    job->WaitFor();
    delete job;
}

JobThread::JobThread(StartKey key) : JobThread(key, State().PriorityIndex.load()) {}

JobThread::JobThread(StartKey, int priorityIndex)
    : priorityIndex_(priorityIndex >= 0 && priorityIndex < kThreadPriorityLevels ? priorityIndex
                                                                                 : kThreadPriorityNormal) {
    std::lock_guard lock(runningMutex);
    ++runningJobs;
}

bool JobThread::WaitForAll(std::chrono::milliseconds timeout) {
    std::unique_lock lock(runningMutex);
    return runningChanged.wait_for(lock, timeout, [] { return runningJobs == 0; });
}

void JobThread::Ended() {
    {
        std::lock_guard lock(runningMutex);
        --runningJobs;
    }
    runningChanged.notify_all();
}

JobThread::~JobThread() {
    // A job whose constructor failed never runs; it no longer counts as running.
    if (!ran_) Ended();
}

void JobThread::WaitFor() {
    if (QThread::currentThread() == this) return;
    wait();
}

void JobThread::DeleteWhenFinished() {
    // Both happen before start(), so the end can never be missed. The object is handed to the
    // user-interface thread, whose event loop carries out the deferred delete even when the starting
    // thread (another job) has none.
    if (QCoreApplication* app = QCoreApplication::instance(); app && thread() != app->thread())
        moveToThread(app->thread());
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void JobThread::run() {
    if (ran_.exchange(true)) return; // one run per object, even if start() is called again
    struct EndGuard {
        ~EndGuard() { Ended(); }
    } endGuard;
    ApplyThreadPriority(priorityIndex_);
    try {
        try {
            Execute();
        }
#ifdef ZARKENT_HAS_FORCED_UNWIND
        catch (abi::__forced_unwind&) {
            throw; // thread cancellation must unwind the whole stack
        }
#endif
        catch (const std::exception& e) {
            OnUnhandledError(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            OnUnhandledError(QStringLiteral("Unknown error"));
        }
    }
#ifdef ZARKENT_HAS_FORCED_UNWIND
    catch (abi::__forced_unwind&) {
        throw;
    }
#endif
    catch (...) {
        // The report itself failed (out of memory, a throwing override); nothing may leave the thread.
    }
}

void JobThread::OnUnhandledError(const QString& message) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        return;
    }
    // Owned by the window in use, so the box comes up above it even when that window stays on top.
    QMetaObject::invokeMethod(
        app,
        [message] {
            dialogs::ShowMessage(QApplication::activeWindow(), Row(39), message, QMessageBox::Critical,
                                 QMessageBox::Ok);
        },
        Qt::QueuedConnection);
}

} // namespace zarkent::jobs
