#include "DialogScript.h"
#include "core/lang/Language.h"
#include "core/platform/ThreadPriority.h"
#include "core/state/SharedState.h"
#include "gui/jobs/JobThread.h"

#include <QApplication>
#include <QPointer>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <latch>
#include <mutex>
#include <sched.h>
#include <stdexcept>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using zarkent::State;
using zarkent::jobs::JobThread;

namespace {

int OwnNice() {
    return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
}

// The nice value the tests started at: above 0 when they run under `nice`. Threads start at it.
const int kStartNice = OwnNice();

// The nice value a new thread ends up with when it asks for `nice`: going below the starting value
// needs privileges and is refused without them.
int GrantedNice(int nice) {
    int granted = -100;
    std::thread probe([&] {
        (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), nice);
        granted = OwnNice();
    });
    probe.join();
    return granted;
}

// Whether a thread may leave the idle class again (unprivileged, only within its RLIMIT_NICE).
bool MayLeaveIdleClass() {
    bool left = false;
    std::thread probe([&] {
        sched_param param{};
        if (::sched_setscheduler(0, SCHED_IDLE, &param) != 0) return;
        left = ::sched_setscheduler(0, SCHED_OTHER, &param) == 0;
    });
    probe.join();
    return left;
}

// What a job saw from inside its thread.
struct Probe {
    std::atomic<QThread*> thread{nullptr};
    std::atomic<int> nice{-100};
    std::atomic<int> policy{-1};
    std::atomic<int> runs{0};
    std::atomic<bool> destroyed{false};
    std::mutex mutex;
    QStringList errors;
};

class ProbeJob final : public JobThread {
public:
    ProbeJob(StartKey key, Probe& probe, std::function<void()> body = {})
        : JobThread(key), probe_(probe), body_(std::move(body)) {}
    ProbeJob(StartKey key, int priorityIndex, Probe& probe) : JobThread(key, priorityIndex), probe_(probe) {}
    ~ProbeJob() override { probe_.destroyed = true; }

protected:
    void Execute() override {
        probe_.thread = QThread::currentThread();
        probe_.nice = OwnNice();
        probe_.policy = ::sched_getscheduler(0);
        ++probe_.runs;
        if (body_) body_();
    }
    void OnUnhandledError(const QString& message) override {
        std::lock_guard lock(probe_.mutex);
        probe_.errors << message;
    }

private:
    Probe& probe_;
    std::function<void()> body_;
};

// Keeps the base class's report of an escaped exception.
class PlainJob final : public JobThread {
public:
    explicit PlainJob(StartKey key) : JobThread(key) {}

protected:
    void Execute() override { throw std::runtime_error("disk on fire"); }
};

} // namespace

class TestJobThread : public QObject {
    Q_OBJECT

private slots:
    void init() { State().PriorityIndex = 3; }
    void cleanup() { State().PriorityIndex = 3; }

    // The platform layer: a level applies to the calling thread only.
    void priorityAppliesToCallingThreadOnly_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("nice");
        QTest::addColumn<int>("policy");
        QTest::newRow("idle") << 0 << 19 << SCHED_IDLE;
        QTest::newRow("lowest") << 1 << 10 << SCHED_OTHER;
        QTest::newRow("below normal") << 2 << 5 << SCHED_OTHER;
        QTest::newRow("normal") << 3 << 0 << SCHED_OTHER;
        QTest::newRow("out of range is normal") << 9 << 0 << SCHED_OTHER;
    }
    void priorityAppliesToCallingThreadOnly() {
        QFETCH(int, index);
        QFETCH(int, nice);
        QFETCH(int, policy);
        // Blocking hand-overs, not spinning: an idle-class thread may get no time next to a spinning one.
        std::latch applied{1}, looked{1};
        std::atomic<int> otherNice{-100}, otherPolicy{-1}, ownNice{-100}, ownPolicy{-1}, errnoAfter{-1};
        std::thread other([&] {
            applied.wait();
            otherNice = OwnNice();
            otherPolicy = ::sched_getscheduler(0);
            looked.count_down();
        });
        std::thread subject([&] {
            errno = 1234;
            zarkent::ApplyThreadPriority(index);
            errnoAfter = errno;
            ownNice = OwnNice();
            ownPolicy = ::sched_getscheduler(0);
            applied.count_down();
            looked.wait();
        });
        subject.join();
        other.join();
        QCOMPARE(ownNice.load(), GrantedNice(nice));
        QCOMPARE(ownPolicy.load(), policy);
        QCOMPARE(errnoAfter.load(), 1234);
        QCOMPARE(otherNice.load(), kStartNice);
        QCOMPARE(otherPolicy.load(), SCHED_OTHER);
        QCOMPARE(OwnNice(), kStartNice);
        QCOMPARE(::sched_getscheduler(0), SCHED_OTHER);
    }

    // Raising needs privileges: it either works or leaves the thread as it was, quietly.
    void raisedPriorityIsAppliedOrIgnored() {
        std::atomic<int> nice{-100}, errnoAfter{-1};
        std::thread subject([&] {
            errno = 0;
            zarkent::ApplyThreadPriority(6);
            errnoAfter = errno;
            nice = OwnNice();
        });
        subject.join();
        QCOMPARE(nice.load(), GrantedNice(-15));
        QCOMPARE(errnoAfter.load(), 0);
    }

    // A level set after idle leaves the idle class again (a thread inherits its creator's class).
    void leavingIdleRestoresNormalClass() {
        if (!MayLeaveIdleClass()) QSKIP("this process may not leave the idle class once in it");
        std::atomic<int> policy{-1};
        std::thread subject([&] {
            zarkent::ApplyThreadPriority(0);
            zarkent::ApplyThreadPriority(3);
            policy = ::sched_getscheduler(0);
        });
        subject.join();
        QCOMPARE(policy.load(), SCHED_OTHER);
    }

    void runsOnOwnThreadAtPriorityFromConstruction_data() {
        QTest::addColumn<int>("shared");
        QTest::addColumn<int>("fixed"); // -1: take the shared level
        QTest::addColumn<int>("expectedIndex");
        QTest::addColumn<int>("nice");
        QTest::addColumn<int>("policy");
        QTest::newRow("shared lowest") << 1 << -1 << 1 << 10 << SCHED_OTHER;
        QTest::newRow("shared idle") << 0 << -1 << 0 << 19 << SCHED_IDLE;
        QTest::newRow("shared normal") << 3 << -1 << 3 << 0 << SCHED_OTHER;
        QTest::newRow("fixed below normal wins") << 1 << 2 << 2 << 5 << SCHED_OTHER;
    }
    void runsOnOwnThreadAtPriorityFromConstruction() {
        QFETCH(int, shared);
        QFETCH(int, fixed);
        QFETCH(int, expectedIndex);
        QFETCH(int, nice);
        QFETCH(int, policy);
        Probe probe;
        State().PriorityIndex = static_cast<std::uint8_t>(shared);
        auto job = fixed < 0 ? JobThread::StartOwned<ProbeJob>(probe) : JobThread::StartOwned<ProbeJob>(fixed, probe);
        State().PriorityIndex = 6; // later changes do not reach a job already created
        job->WaitFor();
        QCOMPARE(job->PriorityIndex(), expectedIndex);
        QCOMPARE(probe.thread.load(), static_cast<QThread*>(job.get()));
        QVERIFY(probe.thread.load() != QThread::currentThread());
        QCOMPARE(probe.nice.load(), GrantedNice(nice));
        QCOMPARE(probe.policy.load(), policy);
        QCOMPARE(OwnNice(), kStartNice); // the starting thread keeps its priority
    }

    void escapedExceptionsAreCaughtAndReported_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("std::exception") << 0 << QString("Dosya bulunamadı");
        QTest::newRow("not an exception class") << 1 << QString("Unknown error");
    }
    void escapedExceptionsAreCaughtAndReported() {
        QFETCH(int, kind);
        QFETCH(QString, message);
        Probe probe;
        std::atomic<bool> after{false};
        auto job = JobThread::StartOwned<ProbeJob>(probe, [&] {
            if (kind == 0) throw std::runtime_error("Dosya bulunamadı");
            throw 42;
            after = true;
        });
        job->WaitFor();
        QVERIFY(job->isFinished());
        QVERIFY(!after);
        QCOMPARE(probe.errors, QStringList{message});
    }

    // Without an override, an escaped exception ends up in an error box on the user-interface thread.
    void defaultReportShowsErrorBox() {
        zarkent::Lang().ActiveLanguage = zarkent::kLanguageEnglish;
        zarkent::Lang().CopySet();
        zarkent::test::DialogScript script;
        script.ExpectMessage("Error", "disk on fire", QMessageBox::Critical, QMessageBox::Ok).Answer(QMessageBox::Ok);
        auto job = JobThread::StartOwned<PlainJob>();
        job->WaitFor();
        QTRY_COMPARE(script.Shown().size(), std::size_t{1});
        QVERIFY(script.VerifyDone());
    }

    void waitForBlocksUntilTheEnd() {
        Probe probe;
        std::latch started{1}, release{1};
        std::atomic<bool> done{false};
        auto job = JobThread::StartOwned<ProbeJob>(probe, [&] {
            started.count_down();
            release.wait();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            done = true;
        });
        started.wait();
        QVERIFY(job->isRunning());
        QVERIFY(!done);
        release.count_down();
        job->WaitFor();
        QVERIFY(done);
        QVERIFY(job->isFinished());
    }

    // Releasing an owned job that still runs waits for it instead of destroying a running thread.
    void releasingRunningOwnedJobWaits() {
        Probe probe;
        std::latch started{1};
        std::atomic<bool> done{false};
        auto job = JobThread::StartOwned<ProbeJob>(probe, [&] {
            started.count_down();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            done = true;
        });
        started.wait();
        job.reset();
        QVERIFY(done);
        QVERIFY(probe.destroyed);
    }

    void ownedJobLivesUntilReleased() {
        Probe probe;
        auto job = JobThread::StartOwned<ProbeJob>(probe);
        job->WaitFor();
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QVERIFY(!probe.destroyed);
        QVERIFY(job->isFinished());
        job.reset();
        QVERIFY(probe.destroyed);
    }

    void unwaitedJobDeletesItself() {
        Probe probe;
        QPointer<ProbeJob> job = JobThread::Start<ProbeJob>(probe);
        QVERIFY(!job.isNull());
        QTRY_VERIFY(job.isNull());
        QVERIFY(probe.destroyed);
        QCOMPARE(probe.runs.load(), 1);
    }

    // A job started by another job (a thread without an event loop) is still deleted once it ends.
    void unwaitedJobStartedFromAJobDeletesItself() {
        Probe outerProbe, innerProbe;
        auto outer = JobThread::StartOwned<ProbeJob>(outerProbe, [&] { JobThread::Start<ProbeJob>(innerProbe); });
        outer->WaitFor();
        QTRY_VERIFY(innerProbe.destroyed);
        QCOMPARE(innerProbe.runs.load(), 1);
    }

    void runsOnlyOnce() {
        Probe probe;
        auto job = JobThread::StartOwned<ProbeJob>(probe);
        job->WaitFor();
        job->start();
        job->WaitFor();
        QCOMPARE(probe.runs.load(), 1);
    }
};

QTEST_MAIN(TestJobThread)
#include "test_jobthread.moc"
