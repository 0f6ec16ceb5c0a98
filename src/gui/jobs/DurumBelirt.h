#pragma once

// The result window: reports how a job ended with an image and a message, and goes away by itself
// ten seconds after it was shown. One window is shared by all jobs; jobs reach it through
// JobWindows, which queues their calls onto the user-interface thread.

#include <QWidget>
#include <functional>
#include <memory>

class QCloseEvent;
class QKeyEvent;
class QLabel;
class QShowEvent;
class QTimer;
class QToolButton;

namespace zarkent {

class UiChannel;

enum class ResultOutcome { Success, Error, Cancelled };

class TDurumBelirt : public QWidget {
    Q_OBJECT

public:
    explicit TDurumBelirt(QWidget* parent = nullptr);
    ~TDurumBelirt() override;

    QLabel* Mesaj;
    QLabel* Ok;
    QLabel* Hata;
    QToolButton* Tamam;
    QLabel* UyariResim;
    QTimer* Zamanlayici;

    // Sets caption, message and the outcome's image (the other two hidden) and shows the window.
    // The message is plain text: file names and error texts are never read as markup.
    void Report(ResultOutcome outcome, const QString& message);
    // Jobs stop the auto-close timer before an error or cancelled report.
    void StopTimer();

    // Rewrites the captions from the language table in force.
    void UpdateCaptions();

    // How the window ends the program when CloseWhenJobsFinish is set; QCoreApplication::quit by default.
    void SetQuitHook(std::function<void()> quit);

    // The channel through which other threads post to this window.
    std::shared_ptr<UiChannel> Channel() const { return channel_; }

signals:
    // Emitted each time the window comes up from hidden; the main window steps back behind it.
    void MainWindowToBack();
    // The window went away without ending the program (an error or a cancel keeps the program open).
    void Dismissed();

public slots:
    void ZamanlayiciTimer();
    void TamamClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormShow();
    void FormClose();
    // Closes the window, or only runs the close handling when it is already hidden.
    void CloseWindow();
    void Closed();
    bool FormKeyPress(QKeyEvent* event);
    void EndProgram();

    std::function<void()> quit_;
    std::shared_ptr<UiChannel> channel_;
};

} // namespace zarkent
