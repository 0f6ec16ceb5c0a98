#pragma once

// The batch jobs: TTopluSifrele encrypts every file of a list, TTopluCozumle decrypts every .zrk file
// of one. A batch does no file work itself: each file goes through one single-file job, started
// without windows and waited for, so naming, collisions, source removal and failure detection are the
// single-file job's. The batch moves the folder window's bar, stops between files when asked, and
// reports one outcome for the whole list.

#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "gui/jobs/JobThread.h"
#include "gui/jobs/JobWindows.h"

namespace zarkent {

class BatchJob : public jobs::JobThread {
    Q_OBJECT

public:
    // Seam for tests: runs on the batch's thread before the job of each file is started, with the
    // file's path. Whatever it throws fails the batch as any failure inside it does. An empty hook
    // removes it.
    static void SetFileStartHook(std::function<void(const std::string& file)> hook);

protected:
    // Refuses more than 10000 files (the message is language row 107; nothing runs and no flag
    // changes); otherwise clears BatchStopRequested, sets JobsActive, takes the list up to its first
    // empty entry, sets the folder bar's maximum for fewer than 100 files and hides the main window.
    // `folder` is the folder the list was taken from, empty for a list of files handed over.
    BatchJob(StartKey key, const std::vector<std::string>& files, std::string password, std::int32_t count,
             std::string folder);
    ~BatchJob() override;

    // Whether the user stopped the batch (folder window) or a single-file job (progress page).
    static bool StopRequested();
    // Counts one file toward the next step of the bar; StepIfDue moves the bar when a step is full.
    void Count() { ++sinceStep_; }
    void StepIfDue();
    // The end shared by both batches: the folder window reset and closed, JobsActive cleared, and the
    // program ended when the user asked for it while the batch ran.
    void Finish();

    // The reports: where the batch ran (the folder, or the number of files handed over); a title row
    // with where and how many files were done; and for a batch stopped by the file at `stoppedAt`, that
    // file with the reason, and how many of the later files that `takes` would have processed remain.
    QString Where() const;
    QString DoneText(int titleRow, int countRow, int done) const;
    QString StoppedText(int titleRow, int countRow, int done, std::size_t stoppedAt, const QString& reason,
                        bool (*takes)(const std::string& file)) const;

    std::string FPassword;
    std::vector<std::string> FFiles;
    std::int32_t FCount;
    long double FStep;
    JobWindows windows_;

private:
    std::string folder_;
    int sinceStep_ = 0;
};

class TTopluSifrele : public BatchJob {
    Q_OBJECT

public:
    TTopluSifrele(StartKey key, const std::vector<std::string>& files, std::string password, std::int32_t count,
                  std::string folder = {})
        : BatchJob(key, files, std::move(password), count, std::move(folder)) {}

protected:
    void Execute() override;
};

class TTopluCozumle : public BatchJob {
    Q_OBJECT

public:
    TTopluCozumle(StartKey key, const std::vector<std::string>& files, std::string password, std::int32_t count,
                  std::string folder = {})
        : BatchJob(key, files, std::move(password), count, std::move(folder)) {}

protected:
    void Execute() override;
};

} // namespace zarkent
