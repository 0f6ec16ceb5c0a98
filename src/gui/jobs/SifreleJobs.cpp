#include "gui/jobs/SifreleJobs.h"

#include <functional>
#include <mutex>

#include "core/base/Error.h"
#include "core/base/Secure.h"
#include "core/container/FileJob.h"
#include "core/lang/Language.h"
#include "core/state/SharedState.h"
#include "gui/jobs/WindowHelpers.h"

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

void ReportCancelled(const JobWindows& windows) {
    windows.StopResultTimer();
    windows.Report(ResultOutcome::Cancelled, Row(41));
    State().CancelRequested = false;
}

QString EncryptionFailureText(const std::exception& e) {
    return Row(105) + "\r\n" + Quoted(e);
}

QString DecryptionFailureText(const std::exception& e) {
    return IsWrongPassword(e) ? Row(99) : QString::fromLocal8Bit(e.what());
}

} // namespace

// What tells the two jobs apart; everything else they do alike.
struct SingleFileJob::Direction {
    FileOutcome (*work)(const std::string& source, std::string_view password, const StreamContext& context);
    int successRow;
    std::atomic<bool> SharedState::*failedFlag;
    bool alwaysReportFailure;  // a failed decryption is reported also inside a batch
    bool cancelClearsJobFlags; // a cancelled decryption clears JobsActive and CloseWhenJobsFinish itself
    bool hidesFolderWindow;    // a failed decryption takes the folder window out of sight
    QString (*failureText)(const std::exception& e);
};

const SingleFileJob::Direction SingleFileJob::Encryption{
    .work = EncryptOneFile,
    .successRow = 104,
    .failedFlag = &SharedState::EncryptFailed,
    .alwaysReportFailure = false,
    .cancelClearsJobFlags = false,
    .hidesFolderWindow = false,
    .failureText = EncryptionFailureText,
};
const SingleFileJob::Direction SingleFileJob::Decryption{
    .work = DecryptOneFile,
    .successRow = 97,
    .failedFlag = &SharedState::DecryptFailed,
    .alwaysReportFailure = true,
    .cancelClearsJobFlags = true,
    .hidesFolderWindow = true,
    .failureText = DecryptionFailureText,
};

SingleFileJob::SingleFileJob(StartKey key, std::string fileName, std::string password, bool showResult,
                             bool showProgress)
    : JobThread(key), windows_(CurrentJobWindows()) {
    FPassword = std::move(password);
    FFileName = std::move(fileName);
    State().JobsActive = true;
    FShowResult = showResult;
    FShowProgress = showProgress;
    if (FShowProgress) windows_.ShowProgress();
}

SingleFileJob::~SingleFileJob() {
    SecureClear(FPassword);
}

void SingleFileJob::Run(const Direction& direction) {
    SharedState& state = State();
    std::atomic<bool>& failed = state.*direction.failedFlag;
    failed = false;
    FStartTime = std::chrono::steady_clock::now();
    auto fail = [&](const QString& message) {
        FFailed = true;
        FFailureText = message;
        if (direction.hidesFolderWindow) windows_.HideFolderWindow();
        failed = true;
        state.JobsActive = false;
        state.CloseWhenJobsFinish = false; // an error is always seen: the program stays
        windows_.ResetAndCloseProgress();
        if (FShowResult || direction.alwaysReportFailure) {
            windows_.StopResultTimer();
            windows_.Report(ResultOutcome::Error, message);
        }
        // A job the main window started gives its file back, so that a mistyped password costs only the
        // password.
        if (FShowResult) windows_.ReturnFailedPath(FFileName);
    };

    ProgressPageSink progress = windows_.Progress();
    FileOutcome outcome;
    try {
        outcome = direction.work(FFileName, FPassword, MakeContext(&progress));
    } catch (const std::exception& e) {
        // The partial outputs are already gone; the source stays.
        SecureClear(FPassword);
        fail(direction.failureText(e));
        return;
    }
    SecureClear(FPassword);

    // A cancel confirmed after the last chunk still discards the finished output.
    if (outcome.cancelled || state.CancelRequested) {
        if (!outcome.cancelled) RemoveFile(outcome.output);
        if (direction.cancelClearsJobFlags) {
            state.JobsActive = false;
            state.CloseWhenJobsFinish = false;
        }
        ReportCancelled(windows_); // shown whatever FShowResult says
        return;
    }
    windows_.ResetAndCloseProgress();
    try {
        RemoveSource(FFileName, outcome);
    } catch (const std::exception& e) {
        // The output is complete, but the source is still there: say both.
        fail(SuccessText(direction.successRow, std::chrono::steady_clock::now() - FStartTime) + "\r\n" + Quoted(e));
        return;
    }
    FEndTime = std::chrono::steady_clock::now();
    FElapsed = FEndTime - FStartTime;
    state.JobsActive = false;
    if (FShowResult) windows_.Report(ResultOutcome::Success, SuccessText(direction.successRow, FElapsed));
}

namespace {
std::string Bytes(const QString& text) {
    return text.toLocal8Bit().toStdString();
}
} // namespace

TSifrele::TSifrele(StartKey key, const QString& fileName, const QString& password, bool showResult, bool showProgress)
    : SingleFileJob(key, Bytes(fileName), Bytes(password), showResult, showProgress) {}

TSifrele::TSifrele(StartKey key, std::string fileName, std::string password, bool showResult, bool showProgress)
    : SingleFileJob(key, std::move(fileName), std::move(password), showResult, showProgress) {}

void TSifrele::Execute() {
    Run(Encryption);
}

TSifreCoz::TSifreCoz(StartKey key, const QString& fileName, const QString& password, bool showProgress, bool showResult)
    : SingleFileJob(key, Bytes(fileName), Bytes(password), showResult, showProgress) {}

TSifreCoz::TSifreCoz(StartKey key, std::string fileName, std::string password, bool showProgress, bool showResult)
    : SingleFileJob(key, std::move(fileName), std::move(password), showResult, showProgress) {}

void TSifreCoz::Execute() {
    Run(Decryption);
}

} // namespace zarkent
