#include "gui/jobs/TopluJobs.h"

#include <QString>

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

// A failure inside the loop over the files; an empty message means a failed file, whose single-file
// job has already said (or, inside a batch, not said) why.
struct BatchFailure {
    std::string message;
};

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

template <class Job> bool RunOne(const std::string& file, const std::string& password, std::atomic<bool>& failed) {
    RunFileStartHook(file);
    jobs::JobThread::StartOwned<Job>(file, password, false, false)->WaitFor();
    return !failed;
}

// The message of a failure inside the loop, called from its catch-all handler. Only a failed file has
// none; anything else (a job that could not be started, memory running out) says what it was.
std::string FailureMessage() {
    try {
        throw;
    } catch (const BatchFailure& failure) {
        return failure.message;
    }
#ifdef ZARKENT_HAS_FORCED_UNWIND
    catch (abi::__forced_unwind&) {
        throw; // thread cancellation must unwind the whole stack
    }
#endif
    catch (const std::exception& e) {
        const std::string message = e.what();
        return message.empty() ? std::string("Unknown error") : message;
    } catch (...) {
        return "Unknown error";
    }
}

} // namespace

void BatchJob::SetFileStartHook(std::function<void(const std::string& file)> hook) {
    const std::lock_guard lock(fileStartHookMutex);
    fileStartHook = std::move(hook);
}

BatchJob::BatchJob(StartKey key, const std::vector<std::string>& files, std::string password, std::int32_t count)
    : JobThread(key), windows_(CurrentJobWindows()) {
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

void TTopluSifrele::Execute() {
    SharedState& state = State();
    state.EncryptFailed = false; // a failure of an earlier job is not this batch's
    std::optional<std::string> failure;
    try {
        for (const std::string& file : FFiles) {
            // Already encrypted (a finished file of an earlier, stopped run): never a second time.
            if (IsEncryptedFileName(file)) continue;
            Count();
            if (StopRequested()) return; // stopped: no report, nothing more
            if (!RunOne<TSifrele>(file, FPassword, state.EncryptFailed)) throw BatchFailure{};
            StepIfDue();
        }
    } catch (...) {
        failure = FailureMessage();
    }
    if (failure) {
        windows_.Report(ResultOutcome::Error, Row(96) + "\r\n" + QString::fromLocal8Bit(failure->c_str()));
        windows_.CloseFolderWindow();
        windows_.ShowMainWindow();
    } else {
        windows_.ShowMainWindow();
        windows_.Report(ResultOutcome::Success, Row(95));
    }
    Finish();
}

void TTopluCozumle::Execute() {
    SharedState& state = State();
    state.DecryptFailed = false; // a failure of an earlier job is not this batch's
    std::optional<std::string> failure;
    try {
        int decrypted = 0;
        for (const std::string& file : FFiles) {
            if (StopRequested()) return;
            Count();
            // Only names ending exactly in ".zrk"; the others are passed over.
            if (!IsEncryptedFileName(file)) continue;
            if (!RunOne<TSifreCoz>(file, FPassword, state.DecryptFailed)) throw BatchFailure{};
            StepIfDue();
            ++decrypted;
        }
        if (decrypted == 0) throw BatchFailure{Lang().Row(108)};
    } catch (...) {
        failure = FailureMessage();
    }
    bool reported = false;
    if (failure) {
        windows_.ShowMainWindow();
        if (!failure->empty()) {
            windows_.Report(ResultOutcome::Error, Row(94) + "\r\n" + QString::fromLocal8Bit(failure->c_str()));
            windows_.CloseFolderWindow();
            reported = true;
        }
    }
    if (state.DecryptFailed) {
        // Whatever the failed file's own report said, the batch says the password is wrong; the
        // folder window stays as the failed job left it.
        windows_.Report(ResultOutcome::Error, Row(99));
        state.JobsActive = false;
        return;
    }
    if (!reported) {
        windows_.ShowMainWindow();
        windows_.Report(ResultOutcome::Success, Row(97));
    }
    Finish();
}

} // namespace zarkent
