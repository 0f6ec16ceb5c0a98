#include "jobs/SifreleJobs.h"

#include <functional>
#include <mutex>

#include "base/Error.h"
#include "container/FileJob.h"
#include "state/SharedState.h"
#include "jobs/WindowHelpers.h"
#include "lang/Language.h"

namespace zarkent {

namespace {

std::mutex windowsMutex;
JobWindows& StoredWindows() {
    static JobWindows windows;
    return windows;
}

QString Quoted(const std::exception& e) {
    return "\"" + QString::fromLocal8Bit(e.what()) + "\"";
}

// What the encryptor reads from and reports to, for a job that reports to `progress`.
StreamContext MakeContext(ProgressSink* progress) {
    SharedState& state = State();
    StreamContext context;
    context.progress = progress;
    context.cancelRequested = &state.CancelRequested;
    context.compressOption = &state.CompressOption;
    context.compressingText = Lang().Row(111);
    context.decompressingText = Lang().Row(112);
    // Compression is long work: later jobs run at a lower priority unless the user chose one.
    context.beforeCompressing = [&state] {
        if (!state.PriorityChosenByUser) state.PriorityIndex = 2;
    };
    return context;
}

} // namespace

void SetJobWindows(const JobWindows& windows) {
    std::lock_guard lock(windowsMutex);
    StoredWindows() = windows;
}

JobWindows CurrentJobWindows() {
    std::lock_guard lock(windowsMutex);
    return StoredWindows();
}

QString FormatElapsed(std::chrono::steady_clock::duration elapsed) {
    using namespace std::chrono;
    const auto total = std::max<long long>(0, duration_cast<seconds>(elapsed).count());
    return QString("%1:%2:%3")
        .arg(total / 3600)
        .arg(total / 60 % 60, 2, 10, QChar('0'))
        .arg(total % 60, 2, 10, QChar('0'));
}

QString SuccessText(int row, std::chrono::steady_clock::duration elapsed) {
    return Row(row) + " " + Row(100) + "(" + FormatElapsed(elapsed) + ")";
}

namespace {

// The end of a job whose file work returned: a cancel confirmed meanwhile still discards the result
// (`discard` removes what the work produced); otherwise the source goes and success is reported.
// Returns the failure message when the source could not be removed.
enum class Ending { Completed, Cancelled, SourceKept };

struct FinishRequest {
    const JobWindows& windows;
    bool cancelled;
    const std::function<void()>& discard;
    const std::string& source;
    std::string* failure;
};

Ending Finish(const FinishRequest& r) {
    SharedState& state = State();
    if (r.cancelled || state.CancelRequested) {
        if (!r.cancelled) r.discard(); // the cancel came after the last chunk
        return Ending::Cancelled;
    }
    r.windows.ResetAndCloseProgress();
    try {
        RemoveSourceFile(r.source);
    } catch (const std::exception& e) {
        *r.failure = e.what();
        return Ending::SourceKept;
    }
    return Ending::Completed;
}

void ReportCancelled(const JobWindows& windows) {
    windows.StopResultTimer();
    windows.Report(ResultOutcome::Cancelled, Row(41));
    State().CancelRequested = false;
}

} // namespace

SingleFileJob::SingleFileJob(StartKey key, const QString& fileName, const QString& password, bool showResult,
                             bool showProgress)
    : JobThread(key), windows_(CurrentJobWindows()) {
    FPassword = password.toLocal8Bit().toStdString();
    FFileName = fileName.toLocal8Bit().toStdString();
    State().JobsActive = true;
    FShowResult = showResult;
    FShowProgress = showProgress;
    if (FShowProgress) windows_.ShowProgress();
}

void SingleFileJob::ReportSuccess(int row) {
    FEndTime = std::chrono::steady_clock::now();
    FElapsed = FEndTime - FStartTime;
    State().JobsActive = false;
    if (FShowResult) windows_.Report(ResultOutcome::Success, SuccessText(row, FElapsed));
}

void SingleFileJob::ReportFailure(std::atomic<bool>& failedFlag, bool show, const QString& message) {
    SharedState& state = State();
    failedFlag = true;
    state.JobsActive = false;
    state.CloseWhenJobsFinish = false; // an error is always seen: the program stays
    windows_.ResetAndCloseProgress();
    if (show) {
        windows_.StopResultTimer();
        windows_.Report(ResultOutcome::Error, message);
    }
}

TSifrele::TSifrele(StartKey key, const QString& fileName, const QString& password, bool showResult, bool showProgress)
    : SingleFileJob(key, fileName, password, showResult, showProgress) {}

void TSifrele::Execute() {
    SharedState& state = State();
    state.EncryptFailed = false;
    FStartTime = std::chrono::steady_clock::now();
    ProgressPageSink progress = windows_.Progress();
    auto fail = [&](const QString& message) { ReportFailure(state.EncryptFailed, FShowResult, message); };
    EncryptOutcome outcome;
    try {
        outcome = EncryptOneFile(FFileName, FPassword, MakeContext(&progress));
    } catch (const std::exception& e) {
        // The partial .zrk file is already gone; the source stays.
        fail(Row(105) + "\r\n" + Quoted(e));
        return;
    }
    std::string failure;
    const std::function<void()> discard = [&] { RemoveFile(outcome.output); };
    switch (Finish({windows_, outcome.cancelled, discard, FFileName, &failure})) {
    case Ending::Cancelled:
        ReportCancelled(windows_);
        return; // shown whatever FShowResult says
    case Ending::SourceKept:
        // The .zrk file is complete, but the plain file is still there: say both.
        fail(SuccessText(104, std::chrono::steady_clock::now() - FStartTime) + "\r\n\"" +
             QString::fromLocal8Bit(failure.c_str()) + "\"");
        return;
    case Ending::Completed:
        break;
    }
    ReportSuccess(104);
}

TSifreCoz::TSifreCoz(StartKey key, const QString& fileName, const QString& password, bool showProgress, bool showResult)
    : SingleFileJob(key, fileName, password, showResult, showProgress) {}

void TSifreCoz::Execute() {
    SharedState& state = State();
    state.DecryptFailed = false;
    FStartTime = std::chrono::steady_clock::now();
    ProgressPageSink progress = windows_.Progress();
    // Always reported: a failed decryption is never silent, also inside a batch.
    auto fail = [&](const QString& message) { ReportFailure(state.DecryptFailed, true, message); };
    DecryptOutcome outcome;
    try {
        outcome = DecryptOneFile(FFileName, FPassword, MakeContext(&progress));
        FOutputName = outcome.output;
    } catch (const std::exception& e) {
        // The intermediate file is already gone and the .zrk file stays.
        fail(IsWrongPassword(e) ? Row(99) : QString::fromLocal8Bit(e.what()));
        return;
    }
    std::string failure;
    const std::function<void()> discard = [&] { RemoveFile(outcome.output); }; // the .zrk file is still there
    switch (Finish({windows_, outcome.cancelled, discard, FFileName, &failure})) {
    case Ending::Cancelled:
        state.JobsActive = false;
        state.CloseWhenJobsFinish = false;
        ReportCancelled(windows_);
        return;
    case Ending::SourceKept:
        fail(SuccessText(97, std::chrono::steady_clock::now() - FStartTime) + "\r\n\"" +
             QString::fromLocal8Bit(failure.c_str()) + "\"");
        return;
    case Ending::Completed:
        break;
    }
    ReportSuccess(97);
}

} // namespace zarkent
