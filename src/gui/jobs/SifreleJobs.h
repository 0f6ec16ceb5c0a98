#pragma once

// The single-file jobs: TSifrele turns one file into a .zrk file beside it, TSifreCoz turns a .zrk
// file back into its stored file beside it. Each runs on its own thread, reports through the progress
// page and the result window, and keeps the shared job flags up to date. The file work itself (names
// that overwrite nothing, cleanup of partial outputs, flushing before the source goes) is shared with
// zarkent-cli.

#include <QString>
#include <atomic>
#include <chrono>
#include <string>

#include "gui/jobs/JobThread.h"
#include "gui/jobs/JobWindows.h"

namespace zarkent {

// The windows the single-file jobs report to; set once at start-up on the user-interface thread.
void SetJobWindows(const JobWindows& windows);
JobWindows CurrentJobWindows();

// "h:mm:ss" of a duration (never negative).
QString FormatElapsed(std::chrono::steady_clock::duration elapsed);
// Language row `row`, a blank, "Time:" and the elapsed time in parentheses.
QString SuccessText(int row, std::chrono::steady_clock::duration elapsed);

// What both single-file jobs hold and do alike: the file and password, the two reporting options,
// the windows, the times, and the successful end.
class SingleFileJob : public jobs::JobThread {
    Q_OBJECT

public:
    // Whether the run failed, and its message: the text the job reports (or would report) for it. Read
    // them once the job has ended; a success or a cancel is no failure.
    bool Failed() const { return FFailed; }
    QString FailureText() const { return FFailureText; }

protected:
    struct Direction;
    static const Direction Encryption;
    static const Direction Decryption;

    // Stores the arguments, sets JobsActive and shows the progress page when asked.
    // The file name and password are the bytes the file system and the cipher take.
    SingleFileJob(StartKey key, std::string fileName, std::string password, bool showResult, bool showProgress);
    ~SingleFileJob() override;
    // The whole run: the file work, then the cancel, error or successful end with its reports.
    void Run(const Direction& direction);

    std::chrono::steady_clock::time_point FStartTime;
    std::chrono::steady_clock::time_point FEndTime;
    std::chrono::steady_clock::duration FElapsed{};
    std::string FPassword;
    std::string FFileName;
    bool FShowResult;
    bool FShowProgress;
    bool FFailed = false;
    QString FFailureText;
    JobWindows windows_;
};

class TSifrele : public SingleFileJob {
    Q_OBJECT

public:
    TSifrele(StartKey key, const QString& fileName, const QString& password, bool showResult, bool showProgress);
    // For the batches: the name as the folder listing gave it, whatever its bytes.
    TSifrele(StartKey key, std::string fileName, std::string password, bool showResult, bool showProgress);

protected:
    void Execute() override;
};

class TSifreCoz : public SingleFileJob {
    Q_OBJECT

public:
    // The two options come the other way round here.
    TSifreCoz(StartKey key, const QString& fileName, const QString& password, bool showProgress, bool showResult);
    TSifreCoz(StartKey key, std::string fileName, std::string password, bool showProgress, bool showResult);

protected:
    void Execute() override;
};

} // namespace zarkent
