#include "gui/jobs/TopluJobs.h"

#include <QString>

#include <algorithm>
#include <exception>
#include <mutex>
#include <optional>

#if defined(__GLIBC__) && __has_include(<cxxabi.h>)
#include <cxxabi.h>
#define ZARKENT_HAS_FORCED_UNWIND 1
#endif

#include "core/base/Error.h"
#include "core/base/Secure.h"
#include "core/container/Naming.h"
#include "core/lang/Language.h"
#include "core/state/FolderScan.h"
#include "core/state/SharedState.h"
#include "gui/jobs/SifreleJobs.h"
#include "gui/jobs/WindowHelpers.h"

namespace zarkent {

namespace {

std::mutex fileStartHookMutex;
std::function<void(const std::string&)> fileStartHook;

void RunFileStartHook(const std::string& file) {
    std::function<void(const std::string&)> hook;
    {
        const std::lock_guard lock(fileStartHookMutex);
        hook = fileStartHook;
    }
    if (hook) hook(file);
}

// Runs the single-file job of one file and waits for it. Returns the job's own failure text when the
// file failed: the batch passes on what the job found (a wrong password, a damaged file, a full disk),
// and decides by this job's outcome, not by a flag another job running beside it may have set.
template <class Job> std::optional<QString> RunOne(const std::string& file, const std::string& password) {
    RunFileStartHook(file);
    const auto job = jobs::JobThread::StartOwned<Job>(file, password, false, false);
    job->WaitFor();
    if (!job->Failed()) return std::nullopt;
    return job->FailureText();
}

// The message of a failure that escaped the work on a file (a job that could not be started, memory
// running out), called from its catch-all handler.
QString FailureMessage() {
    try {
        throw;
    }
#ifdef ZARKENT_HAS_FORCED_UNWIND
    catch (abi::__forced_unwind&) {
        throw; // thread cancellation must unwind the whole stack
    }
#endif
    catch (const std::exception& e) {
        const QString message = QString::fromLocal8Bit(e.what());
        return message.isEmpty() ? QStringLiteral("Unknown error") : message;
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

// Which names each batch takes: the encryption batch passes .zrk names over, the decryption batch
// all others.
bool IsPlainFileName(const std::string& file) {
    return !IsEncryptedFileName(file);
}
bool IsZrkFileName(const std::string& file) {
    return IsEncryptedFileName(file);
}

} // namespace

void BatchJob::SetFileStartHook(std::function<void(const std::string& file)> hook) {
    const std::lock_guard lock(fileStartHookMutex);
    fileStartHook = std::move(hook);
}

BatchJob::BatchJob(StartKey key, const std::vector<std::string>& files, std::string password, std::int32_t count,
                   std::string folder)
    : JobThread(key), windows_(CurrentJobWindows()), folder_(std::move(folder)) {
    if (count > static_cast<std::int32_t>(MaxBatchFiles)) throw ZarkentError(Lang().Row(107));
    SharedState& state = State();
    state.BatchStopRequested = false;
    state.JobsActive = true;
    for (const std::string& file : files) {
        if (file.empty() || FFiles.size() == MaxBatchFiles) break;
        FFiles.push_back(file);
    }
    FPassword = std::move(password);
    FCount = count;
    FStep = static_cast<long double>(count) / 100;
    if (FStep < 1.0L) windows_.SetFolderBarMaximum(FCount);
    windows_.HideMainWindow();
}

BatchJob::~BatchJob() {
    SecureClear(FPassword);
}

bool BatchJob::StopRequested() {
    const SharedState& state = State();
    return state.BatchStopRequested || state.CancelRequested;
}

void BatchJob::StepIfDue() {
    if (sinceStep_ >= FStep) {
        sinceStep_ = 0;
        windows_.StepFolderBar();
    }
}

void BatchJob::Finish() {
    SharedState& state = State();
    windows_.CloseFolderWindow();
    state.JobsActive = false;
    if (state.CloseWhenJobsFinish) windows_.CloseMainWindow();
}

QString BatchJob::Where() const {
    if (folder_.empty()) return Row(kRowBatchFileCount).arg(FFiles.size());
    return Row(kRowBatchFolder).arg(ShownPath(folder_));
}

QString BatchJob::DoneText(int titleRow, int countRow, int done) const {
    return Row(titleRow) + "\r\n" + Where() + "\r\n" + Row(countRow).arg(done);
}

QString BatchJob::StoppedText(int titleRow, int countRow, int done, std::size_t stoppedAt, const QString& reason,
                              bool (*takes)(const std::string& file)) const {
    const auto untouched =
        std::count_if(FFiles.begin() + static_cast<std::ptrdiff_t>(stoppedAt) + 1, FFiles.end(), takes);
    return DoneText(titleRow, countRow, done) + "\r\n" + Row(kRowBatchStoppedAt).arg(ShownPath(FFiles[stoppedAt])) +
           "\r\n" + reason + "\r\n" + Row(kRowBatchUntouched).arg(untouched);
}

void TTopluSifrele::Execute() {
    SharedState& state = State();
    state.EncryptFailed = false; // a failure of an earlier job is not this batch's
    int done = 0;
    std::size_t current = 0;
    std::optional<QString> failure;
    try {
        for (; current < FFiles.size(); ++current) {
            const std::string& file = FFiles[current];
            // Already encrypted (a finished file of an earlier, stopped run): never a second time.
            if (IsEncryptedFileName(file)) continue;
            Count();
            if (StopRequested()) return; // stopped: no report, nothing more
            failure = RunOne<TSifrele>(file, FPassword);
            if (failure) break;
            ++done;
            StepIfDue();
        }
    } catch (...) {
        failure = FailureMessage();
    }
    if (failure) {
        // The failed file keeps its source; the files before it stay encrypted, those after it untouched.
        windows_.Report(ResultOutcome::Error,
                        StoppedText(96, kRowBatchEncryptedCount, done, current, *failure, IsPlainFileName));
        windows_.CloseFolderWindow();
        windows_.ShowMainWindow();
    } else {
        windows_.ShowMainWindow();
        windows_.Report(ResultOutcome::Success, DoneText(95, kRowBatchEncryptedCount, done));
    }
    Finish();
}

void TTopluCozumle::Execute() {
    SharedState& state = State();
    state.DecryptFailed = false; // a failure of an earlier job is not this batch's
    int done = 0;
    std::size_t current = 0;
    std::optional<QString> failure;
    try {
        for (; current < FFiles.size(); ++current) {
            const std::string& file = FFiles[current];
            if (StopRequested()) return;
            Count();
            // Only names ending exactly in ".zrk"; the others are passed over.
            if (!IsEncryptedFileName(file)) continue;
            failure = RunOne<TSifreCoz>(file, FPassword);
            if (failure) break;
            StepIfDue();
            ++done;
        }
    } catch (...) {
        failure = FailureMessage();
    }
    windows_.ShowMainWindow();
    if (failure) {
        // The failed file's job has reported its own error; the batch's report takes its place and says
        // where the batch stopped and why. The folder window is reset like after any other end.
        windows_.Report(ResultOutcome::Error,
                        StoppedText(98, kRowBatchDecryptedCount, done, current, *failure, IsZrkFileName));
    } else if (done == 0) {
        windows_.Report(ResultOutcome::Error, Row(94) + "\r\n" + Row(108));
    } else {
        windows_.Report(ResultOutcome::Success, DoneText(97, kRowBatchDecryptedCount, done));
    }
    Finish();
}

} // namespace zarkent
