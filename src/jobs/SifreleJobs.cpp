#include "jobs/SifreleJobs.h"

#include <mutex>

#include "cipher/Error.h"
#include "container/FileJob.h"
#include "jobs/SharedState.h"
#include "lang/Language.h"

namespace zarkent {

namespace {

std::mutex windowsMutex;
JobWindows& StoredWindows() {
    static JobWindows windows;
    return windows;
}

QString Row(int row) { return QString::fromStdString(Lang().Row(row)); }

QString Quoted(const std::exception& e) { return "\"" + QString::fromLocal8Bit(e.what()) + "\""; }

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

TSifrele::TSifrele(StartKey key, const QString& fileName, const QString& password, bool showResult,
                   bool showProgress)
    : JobThread(key), windows_(CurrentJobWindows()) {
    FPassword = password.toLocal8Bit().toStdString();
    FFileName = fileName.toLocal8Bit().toStdString();
    State().JobsActive = true;
    FShowResult = showResult;
    FShowProgress = showProgress;
    if (FShowProgress) windows_.ShowProgress();
}

void TSifrele::Execute() {
    SharedState& state = State();
    state.EncryptFailed = false;
    FStartTime = std::chrono::steady_clock::now();
    ProgressPageSink progress = windows_.Progress();
    EncryptOutcome outcome;
    try {
        outcome = EncryptOneFile(FFileName, FPassword, MakeContext(&progress));
    } catch (const std::exception& e) {
        // The partial .zrk file is already gone; the source stays.
        state.EncryptFailed = true;
        state.JobsActive = false;
        state.CloseWhenJobsFinish = false;
        windows_.ResetAndCloseProgress();
        if (FShowResult) {
            windows_.StopResultTimer();
            windows_.Report(ResultOutcome::Error, Row(105) + "\r\n" + Quoted(e));
        }
        return;
    }
    if (outcome.cancelled || state.CancelRequested) {
        // Shown whatever FShowResult says; the output was removed, the source stays.
        windows_.StopResultTimer();
        windows_.Report(ResultOutcome::Cancelled, Row(41));
        state.CancelRequested = false;
        return;
    }

    windows_.ResetAndCloseProgress();
    FEndTime = std::chrono::steady_clock::now();
    FElapsed = FEndTime - FStartTime;
    try {
        RemoveSourceFile(FFileName);
    } catch (const std::exception& e) {
        // The .zrk file is complete; say that the plain file is still there.
        state.JobsActive = false;
        windows_.StopResultTimer();
        windows_.Report(ResultOutcome::Error, SuccessText(104, FElapsed) + "\r\n" + Quoted(e));
        return;
    }
    state.JobsActive = false;
    if (FShowResult) windows_.Report(ResultOutcome::Success, SuccessText(104, FElapsed));
}

TSifreCoz::TSifreCoz(StartKey key, const QString& fileName, const QString& password, bool showProgress,
                     bool showResult)
    : JobThread(key), windows_(CurrentJobWindows()) {
    FPassword = password.toLocal8Bit().toStdString();
    FFileName = fileName.toLocal8Bit().toStdString();
    State().JobsActive = true;
    FShowProgress = showProgress;
    FShowResult = showResult;
    if (FShowProgress) windows_.ShowProgress();
}

void TSifreCoz::Execute() {
    SharedState& state = State();
    state.DecryptFailed = false;
    FStartTime = std::chrono::steady_clock::now();
    ProgressPageSink progress = windows_.Progress();
    DecryptOutcome outcome;
    try {
        outcome = DecryptOneFile(FFileName, FPassword, MakeContext(&progress));
        FOutputName = outcome.output;
    } catch (const std::exception& e) {
        // The intermediate file is already gone and the .zrk file stays. Always reported.
        state.DecryptFailed = true;
        state.JobsActive = false;
        state.CloseWhenJobsFinish = false;
        windows_.ResetAndCloseProgress();
        windows_.StopResultTimer();
        windows_.Report(ResultOutcome::Error, IsWrongPassword(e) ? Row(99) : QString::fromLocal8Bit(e.what()));
        return;
    }
    if (outcome.cancelled || state.CancelRequested) {
        state.JobsActive = false;
        state.CloseWhenJobsFinish = false;
        windows_.StopResultTimer();
        windows_.Report(ResultOutcome::Cancelled, Row(41));
        state.CancelRequested = false;
        return;
    }

    windows_.ResetAndCloseProgress();
    FEndTime = std::chrono::steady_clock::now();
    FElapsed = FEndTime - FStartTime;
    try {
        RemoveSourceFile(FFileName);
    } catch (const std::exception& e) {
        state.JobsActive = false;
        windows_.StopResultTimer();
        windows_.Report(ResultOutcome::Error, SuccessText(97, FElapsed) + "\r\n" + Quoted(e));
        return;
    }
    state.JobsActive = false;
    if (FShowResult) windows_.Report(ResultOutcome::Success, SuccessText(97, FElapsed));
}

} // namespace zarkent
