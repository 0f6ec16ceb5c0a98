#pragma once

// The folder encryption window: asks for the password when none was handed over, lets the user pick
// a folder, lists its files and starts a batch job; then shows the batch's progress in the bottom
// right corner of the screen, with cancel and continue-in-background.

#include <QWidget>
#include <memory>
#include <string>

class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QShowEvent;

namespace zarkent {

class UiChannel;

// What the folder window does to the main window.
class FolderWindowHost {
public:
    virtual ~FolderWindowHost() = default;
    // Empty path field, main button "Encrypt File", direction encrypt.
    virtual void ResetToEncryption() = 0;
    // Empty password and path fields; the main button gets language row `captionRow`.
    virtual void ClearAfterBatchStart(int captionRow) = 0;
    virtual void ShowMainWindow() = 0;
};

class TKlasoriciSifrelemePenceresi : public QWidget {
    Q_OBJECT

public:
    explicit TKlasoriciSifrelemePenceresi(QWidget* parent = nullptr);
    ~TKlasoriciSifrelemePenceresi() override;

    QLabel* mesaj;
    QPushButton* basla;
    QPushButton* iptal;
    QPushButton* Arkaplan;
    QProgressBar* Durum;

    void SetHost(FolderWindowHost* host) { host_ = host; }
    // The password dialog, closed when a batch is started from here.
    void SetPasswordDialog(QWidget* dialog) { passwordDialog_ = dialog; }

    // What the batch jobs do to the window (user-interface thread).
    void StepBar();
    void SetBarMaximum(int maximum);
    // Bar maximum 100 and position 0, the select-a-folder message of the direction in force, the
    // select-a-folder caption, and the window closes.
    void Kapat();

    // Rewrites the captions from the language table in force.
    void UpdateCaptions();

    // The channel through which other threads post to this window.
    std::shared_ptr<UiChannel> Channel() const { return channel_; }

public slots:
    void baslaClick();
    void iptalClick();
    void ArkaplanClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormShow();
    // Steps 3 to 8 of the start: the list for the batch; false when there is nothing to start.
    bool PrepareList();
    void StartBatch();
    void ResetForNextBatch();

    FolderWindowHost* host_ = nullptr;
    QWidget* passwordDialog_ = nullptr;
    std::string batchPasswordAgain_;
    std::string batchFolder_; // the folder of the list being started; empty for files handed over
    std::shared_ptr<UiChannel> channel_;
};

} // namespace zarkent
