#pragma once

// The progress page: a bar and a percentage while a single-file job runs, with cancel and
// continue-in-background. One page is shared by all jobs; jobs reach it through JobWindows, which
// queues their calls onto the user-interface thread.

#include <QWidget>
#include <memory>

class QCloseEvent;
class QLabel;
class QProgressBar;
class QPushButton;

namespace zarkent {

class UiChannel;

class TDurumSayfasi : public QWidget {
    Q_OBJECT

public:
    explicit TDurumSayfasi(QWidget* parent = nullptr);
    ~TDurumSayfasi() override;

    QProgressBar* Durum;
    QLabel* DurumBasligi;
    QLabel* YuzdeDurum;
    QPushButton* iptal;
    QPushButton* ArkaplandaDevamEt;

    // What a job does to the page (user-interface thread).
    void ShowPage();
    // Position 0, maximum 100; a visible page is also closed, which runs the close handling.
    void ResetAndClose();
    void SetBarMaximum(int maximum);
    // Bar position and its percentage text ("37%").
    void SetBarPosition(int position);
    // Bar position alone, under a status text.
    void MoveBar(int position);
    void SetStatusText(const QString& text);

    // Rewrites the captions from the language table in force.
    void UpdateCaptions();

    // The channel through which other threads post to this page.
    std::shared_ptr<UiChannel> Channel() const { return channel_; }

public slots:
    void iptalClick();
    void ArkaplandaDevamEtClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormClose();

    std::shared_ptr<UiChannel> channel_;
};

} // namespace zarkent
