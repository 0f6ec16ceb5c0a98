#include "gui/jobs/JobWindows.h"

#include "gui/jobs/DurumSayfasi.h"
#include "gui/jobs/KlasordekiDosyalariSifrelemePenceresi.h"
#include "gui/jobs/UiChannel.h"

namespace zarkent {

ProgressPageSink::ProgressPageSink(TDurumSayfasi* page)
    : ProgressPageSink(page, page != nullptr ? page->Channel() : nullptr) {}

ProgressPageSink::ProgressPageSink(TDurumSayfasi* page, std::shared_ptr<UiChannel> channel)
    : page_(page), channel_(std::move(channel)) {}

void ProgressPageSink::SetMaximum(int maximum) {
    maximum_ = maximum;
    if (channel_) {
        PostHeld();
        channel_->Post([page = page_, maximum] { page->SetBarMaximum(maximum); });
    }
}

void ProgressPageSink::SetPosition(int position) {
    Position(position, true);
}

void ProgressPageSink::MoveBar(int position) {
    Position(position, false);
}

void ProgressPageSink::SetStatus(const std::string& text) {
    if (channel_) {
        PostHeld(); // the bar goes where it was, the text replaces the percentage
        channel_->Post([page = page_, text = QString::fromUtf8(text)] { page->SetStatusText(text); });
    }
}

void ProgressPageSink::Position(int position, bool withText) {
    if (!channel_) return;
    const auto now = std::chrono::steady_clock::now();
    if (position >= maximum_ || now - lastPosted_ >= MinimumInterval) {
        held_ = false;
        lastPosted_ = now;
        PostPosition(position, withText);
        return;
    }
    // A held percentage text is not lost to a later bar-only move.
    heldWithText_ = withText || (held_ && heldWithText_);
    heldPosition_ = position;
    held_ = true;
}

void ProgressPageSink::PostHeld() {
    if (!held_) return;
    held_ = false;
    lastPosted_ = std::chrono::steady_clock::now();
    PostPosition(heldPosition_, heldWithText_);
}

void ProgressPageSink::PostPosition(int position, bool withText) {
    if (withText)
        channel_->Post([page = page_, position] { page->SetBarPosition(position); });
    else
        channel_->Post([page = page_, position] { page->MoveBar(position); });
}

JobWindows::JobWindows(TDurumSayfasi* progressPage, TDurumBelirt* resultWindow)
    : progressPage_(progressPage), resultWindow_(resultWindow),
      progressChannel_(progressPage != nullptr ? progressPage->Channel() : nullptr),
      resultChannel_(resultWindow != nullptr ? resultWindow->Channel() : nullptr) {}

JobWindows::JobWindows(TDurumSayfasi* progressPage, TDurumBelirt* resultWindow,
                       TKlasoriciSifrelemePenceresi* folderWindow, QWidget* mainWindow)
    : JobWindows(progressPage, resultWindow) {
    folderWindow_ = folderWindow;
    folderChannel_ = folderWindow != nullptr ? folderWindow->Channel() : nullptr;
    mainWindow_ = mainWindow;
}

void JobWindows::HideFolderWindow() const {
    if (folderChannel_) {
        folderChannel_->Post([window = folderWindow_] {
            if (window->isVisible()) window->hide();
        });
    }
}

void JobWindows::StepFolderBar() const {
    if (folderChannel_) folderChannel_->Post([window = folderWindow_] { window->StepBar(); });
}

void JobWindows::SetFolderBarMaximum(int maximum) const {
    if (folderChannel_) folderChannel_->Post([window = folderWindow_, maximum] { window->SetBarMaximum(maximum); });
}

void JobWindows::CloseFolderWindow() const {
    if (folderChannel_) folderChannel_->Post([window = folderWindow_] { window->Kapat(); });
}

void JobWindows::ShowMainWindow() const {
    if (folderChannel_) {
        folderChannel_->Post([main = mainWindow_] {
            if (main) main->show();
        });
    }
}

void JobWindows::HideMainWindow() const {
    if (folderChannel_) {
        folderChannel_->Post([main = mainWindow_] {
            if (main) main->hide();
        });
    }
}

void JobWindows::CloseMainWindow() const {
    if (folderChannel_) {
        folderChannel_->Post([main = mainWindow_] {
            if (main) main->close();
        });
    }
}

void JobWindows::ReturnFailedPath(const std::string& path) const {
    if (resultChannel_) {
        resultChannel_->Post([main = mainWindow_, path] {
            if (auto* target = dynamic_cast<FailedPathTarget*>(main.data())) target->RestoreFailedPath(path);
        });
    }
}

void JobWindows::ShowProgress() const {
    if (progressChannel_) {
        progressChannel_->Post([page = progressPage_] { page->ShowPage(); });
    }
}

void JobWindows::ResetAndCloseProgress() const {
    if (progressChannel_) {
        progressChannel_->Post([page = progressPage_] { page->ResetAndClose(); });
    }
}

void JobWindows::StopResultTimer() const {
    if (resultChannel_) {
        resultChannel_->Post([window = resultWindow_] { window->StopTimer(); });
    }
}

void JobWindows::Report(ResultOutcome outcome, const QString& message) const {
    if (resultChannel_) {
        resultChannel_->Post([window = resultWindow_, outcome, message] { window->Report(outcome, message); });
    }
}

ProgressPageSink JobWindows::Progress() const {
    return ProgressPageSink(progressPage_, progressChannel_);
}

} // namespace zarkent
