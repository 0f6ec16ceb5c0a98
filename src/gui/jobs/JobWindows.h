#pragma once

// What a job does to the progress page and the result window. Every operation may be called from
// any thread: it is queued onto the user-interface thread and never waited for, and the calls that
// one thread makes (through this facade and through its ProgressPageSink) are carried out in the
// order it made them. A facade without a window, or whose window is gone, drops the calls.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <chrono>
#include <memory>
#include <string>

#include "core/container/ZarkentStream.h"
#include "gui/jobs/DurumBelirt.h"

namespace zarkent {

class TDurumSayfasi;
class TKlasoriciSifrelemePenceresi;
class UiChannel;

// Forwards the encryptor's progress to the progress page: maximum to the bar, a position to the bar
// and to the percentage ("37%"), a status text to the percentage label.
//
// Positions reach the page at most once per MinimumInterval, so that a fast job neither floods the
// user-interface thread nor waits for it: one that comes sooner is held back and goes with the next
// call that is posted. The maximum position (the end of the work) always goes at once. One job
// thread uses a sink.
class ProgressPageSink final : public ProgressSink {
public:
    static constexpr std::chrono::milliseconds MinimumInterval{40};

    ProgressPageSink() = default;                   // reports nowhere
    explicit ProgressPageSink(TDurumSayfasi* page); // user-interface thread

    void SetMaximum(int maximum) override;
    void SetPosition(int position) override;
    void SetStatus(const std::string& text) override;
    void MoveBar(int position) override;

private:
    friend class JobWindows;
    ProgressPageSink(TDurumSayfasi* page, std::shared_ptr<UiChannel> channel);
    void Position(int position, bool withText);
    void PostPosition(int position, bool withText);
    void PostHeld();

    TDurumSayfasi* page_ = nullptr; // only touched on the user-interface thread, inside posted calls
    std::shared_ptr<UiChannel> channel_;
    int maximum_ = 100;
    std::chrono::steady_clock::time_point lastPosted_{};
    bool held_ = false; // a position waits: heldPosition_, with its text when heldWithText_
    int heldPosition_ = 0;
    bool heldWithText_ = false;
};

// A window that takes back the path of a single-file job that failed, so the user can try again.
class FailedPathTarget {
public:
    virtual ~FailedPathTarget() = default;
    virtual void RestoreFailedPath(const std::string& path) = 0;
};

class JobWindows {
public:
    JobWindows() = default;
    // Construct on the user-interface thread; copies may then be handed to job threads.
    JobWindows(TDurumSayfasi* progressPage, TDurumBelirt* resultWindow);
    // With the folder window and the main window, for the batches.
    JobWindows(TDurumSayfasi* progressPage, TDurumBelirt* resultWindow, TKlasoriciSifrelemePenceresi* folderWindow,
               QWidget* mainWindow);

    void ShowProgress() const;
    // Bar position 0 and maximum 100; closes the page if it is visible.
    void ResetAndCloseProgress() const;
    void StopResultTimer() const;
    void Report(ResultOutcome outcome, const QString& message) const;

    // The folder window: hidden when visible; one step of its bar; its bar maximum; reset and close.
    void HideFolderWindow() const;
    void StepFolderBar() const;
    void SetFolderBarMaximum(int maximum) const;
    void CloseFolderWindow() const;
    // The main window (through the folder window's channel, so in order with the calls above).
    void ShowMainWindow() const;
    void HideMainWindow() const;
    void CloseMainWindow() const;
    // Hands the path of a failed job back to the main window (in order with the report).
    void ReturnFailedPath(const std::string& path) const;

    // A sink for the encryptor that reports to this facade's progress page, in order with the calls above.
    ProgressPageSink Progress() const;

private:
    TDurumSayfasi* progressPage_ = nullptr;
    TDurumBelirt* resultWindow_ = nullptr;
    std::shared_ptr<UiChannel> progressChannel_;
    std::shared_ptr<UiChannel> resultChannel_;
    TKlasoriciSifrelemePenceresi* folderWindow_ = nullptr;
    std::shared_ptr<UiChannel> folderChannel_;
    QPointer<QWidget> mainWindow_;
};

} // namespace zarkent
