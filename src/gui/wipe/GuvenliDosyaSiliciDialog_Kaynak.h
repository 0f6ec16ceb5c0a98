#pragma once

// The secure deletion dialog: the user picks a wipe method and a file, confirms, and the job
// TGuvenliDosyaSil wipes the file on a thread of its own while the updater TSilmeDurumu copies the
// wipe's percent counter into the dialog. The outcome is reported in the result window. Closing the
// dialog while a deletion runs asks whether to stop it; a stop leaves the file under its name, partly
// overwritten, and the report says so.

#include <QMessageBox>
#include <QString>
#include <QWidget>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "gui/dialogs/Dialogs_mod.h"
#include "gui/jobs/JobThread.h"
#include "gui/jobs/JobWindows.h"

class QCloseEvent;
class QComboBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;

namespace zarkent {

class TDosyaSilici;
class UiChannel;

// The file the running secure deletion wipes (bytes of the file system); empty before the first.
std::string WipingFileName();
// While a secure deletion runs, asks whether to stop it (with `buttons`: Yes stops it after the group
// being written). True when the caller may go on closing: Yes, no wipe running, or No where Cancel is
// offered too (No then lets the wipe run on).
bool AskToStopRunningWipe(QWidget* parent, QMessageBox::StandardButtons buttons);

class TGuvenliDosyaSiliciDialog : public QWidget {
    Q_OBJECT

public:
    explicit TGuvenliDosyaSiliciDialog(QWidget* parent = nullptr);
    ~TGuvenliDosyaSiliciDialog() override;

    QLabel* GuvenlisilBaslik;
    QFrame* Cerceve;
    QLabel* SilmeEkrani_Belirtec;
    QLabel* Durum;
    QLabel* SilmeYuzdeDurumu;
    QLabel* SilinmekUzereSeciliDosya;
    QComboBox* SilmeYontemiSecimi;
    QLabel* SilmeYonteminAciklamasi;
    QLabel* WipeLimits;
    QProgressBar* DurumCubugu;
    QPushButton* DosyaSil_DosyaSec;
    QPushButton* DosyaSil_Kapat;
    dialogs::FileDialogRequest Silmekicin_DosyaAc;

    // Rewrites the captions from the language table in force; the method list is filled anew with
    // the method names and item 2 is selected.
    void UpdateCaptions();

    // How the close button ends the program when CloseWhenJobsFinish is set; QCoreApplication::quit
    // by default.
    void SetQuitHook(std::function<void()> quit) { quit_ = std::move(quit); }

    // The channel through which the job and the updater post to this dialog.
    std::shared_ptr<UiChannel> Channel() const { return channel_; }

    // What the job and the updater do to the dialog (user-interface thread).
    // The button is disabled with "Please Wait..." while a deletion runs.
    void WipeStarted();
    // The file label back to "...", the button enabled with its normal caption.
    void WipeEnded();
    void ShowFileName(const QString& text);
    // The bare counter in the label (it may pass 100); the bar stops at its maximum.
    void ShowPercent(int percent);

public slots:
    void DosyaSil_DosyaSecClick();
    void DosyaSil_KapatClick();
    void SilmeYontemiSecimiChange(int index);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormClose();
    // Key preview: true when the key was the dialog's (Escape closes it).
    bool FormKeyPress(const QKeyEvent& event);
    void SelectMethod(int index);

    std::function<void()> quit_;
    std::shared_ptr<UiChannel> channel_;
};

// Wipes one file with the engine, then restores the dialog and reports the outcome. Runs one step
// below normal priority.
class TGuvenliDosyaSil : public jobs::JobThread {
    Q_OBJECT

public:
    // On the user-interface thread: disables the dialog's button. `FileName` is in the bytes the file
    // system takes.
    TGuvenliDosyaSil(StartKey key, TGuvenliDosyaSiliciDialog* dialog, std::string FileName, std::uint8_t Method);
    ~TGuvenliDosyaSil() override;

protected:
    void Execute() override;

private:
    std::chrono::steady_clock::time_point FStartTime;
    std::chrono::steady_clock::time_point FEndTime;
    std::chrono::steady_clock::duration FElapsed{};
    std::unique_ptr<TDosyaSilici> FWiper;
    std::string FFileName;
    std::uint8_t FMethod;

    TGuvenliDosyaSiliciDialog* dialog_; // only touched on the user-interface thread, inside posted calls
    std::shared_ptr<UiChannel> channel_;
    JobWindows windows_;
};

// Copies WipePercent into the dialog until WipeFinished is set, then clears the flag. Runs at the
// lowest priority and hands on only values that changed.
class TSilmeDurumu : public jobs::JobThread {
    Q_OBJECT

public:
    TSilmeDurumu(StartKey key, TGuvenliDosyaSiliciDialog* dialog, std::shared_ptr<UiChannel> channel);

    // Seam for tests: runs on the updater's thread in every poll, between its read of WipeFinished and
    // its read of WipePercent. An empty hook removes it.
    static void SetPollHook(std::function<void()> hook);

protected:
    void Execute() override;

private:
    TGuvenliDosyaSiliciDialog* dialog_;
    std::shared_ptr<UiChannel> channel_;
};

} // namespace zarkent
