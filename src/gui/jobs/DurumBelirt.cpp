#include "gui/jobs/DurumBelirt.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QShowEvent>
#include <QTimer>
#include <QToolButton>

#include "core/lang/Language.h"
#include "core/state/SharedState.h"
#include "gui/jobs/CaptionFit.h"
#include "gui/jobs/UiChannel.h"
#include "gui/jobs/WindowHelpers.h"

namespace zarkent {

namespace {
constexpr int kAutoCloseTicks = 10;

} // namespace

TDurumBelirt::TDurumBelirt(QWidget* parent)
    : QWidget(parent, FixedToolDialogFlags()), quit_([] { QCoreApplication::quit(); }),
      channel_(std::make_shared<UiChannel>(this)) {
    // Ending the program is decided by CloseWhenJobsFinish, never by this window closing last.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QString::fromUtf8(" Hata"));
    setFixedSize(510, 143);

    Mesaj = new QLabel(QString::fromUtf8("Hata. Şifre Hatalı"), this);
    Mesaj->setGeometry(63, 7, 440, 94);
    Mesaj->setTextFormat(Qt::PlainText);
    Mesaj->setWordWrap(true);
    Mesaj->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont bold = Mesaj->font();
    bold.setBold(true);
    Mesaj->setFont(bold);

    Ok = StandardIconLabel(this, QStyle::SP_MessageBoxInformation, 49);
    Ok->move(8, 7);
    Ok->hide();
    Hata = StandardIconLabel(this, QStyle::SP_MessageBoxCritical, 49);
    Hata->move(8, 7);
    Hata->hide();
    UyariResim = StandardIconLabel(this, QStyle::SP_MessageBoxWarning, 49);
    UyariResim->move(8, 7);
    UyariResim->hide();

    Tamam = new QToolButton(this);
    Tamam->setText(QString::fromUtf8("Tamam"));
    Tamam->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton, nullptr, this));
    Tamam->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    Tamam->setFocusPolicy(Qt::NoFocus); // the window itself takes the keys (Escape)
    Tamam->setGeometry(410, 107, 94, 29);
    connect(Tamam, &QToolButton::clicked, this, &TDurumBelirt::TamamClick);

    Zamanlayici = new QTimer(this);
    Zamanlayici->setInterval(1000);
    connect(Zamanlayici, &QTimer::timeout, this, &TDurumBelirt::ZamanlayiciTimer);

    KeepCaptionsFitted(this);
    CentreOnScreen(this);
}

TDurumBelirt::~TDurumBelirt() {
    channel_->Detach();
}

void TDurumBelirt::SetQuitHook(std::function<void()> quit) {
    quit_ = std::move(quit);
}

void TDurumBelirt::EndProgram() {
    if (quit_) {
        quit_();
    }
}

void TDurumBelirt::Report(ResultOutcome outcome, const QString& message) {
    int captionRow = 101;
    if (outcome == ResultOutcome::Error) {
        captionRow = 39;
    } else if (outcome == ResultOutcome::Cancelled) {
        captionRow = 77;
    }
    setWindowTitle(Row(captionRow));
    Mesaj->setText(message);
    Ok->setVisible(outcome == ResultOutcome::Success);
    Hata->setVisible(outcome == ResultOutcome::Error);
    UyariResim->setVisible(outcome == ResultOutcome::Cancelled);
    show(); // runs FormShow only when the window was hidden
    raise();
}

void TDurumBelirt::StopTimer() {
    Zamanlayici->stop();
}

void TDurumBelirt::UpdateCaptions() {
    Tamam->setText(Row(4));
}

void TDurumBelirt::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Spontaneous show events come from the window system (restoring a minimised window); only a
    // change from hidden to shown starts the auto-close.
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TDurumBelirt::FormShow() {
    Zamanlayici->start();
    emit MainWindowToBack();
    raise();
    activateWindow();
}

void TDurumBelirt::ZamanlayiciTimer() {
    SharedState& state = State();
    const int ticks = ++state.ResultTicks;
    if (isVisible()) {
        raise();
    }
    // At or past the limit, not only exactly at it: ticks kept from an earlier showing (Tamam keeps
    // them, an ended program may not close the window) must not let the window stay up forever.
    if (ticks < kAutoCloseTicks) {
        return;
    }
    Zamanlayici->stop();
    if (state.CloseWhenJobsFinish) {
        EndProgram();
        return;
    }
    Mesaj->clear();
    CloseWindow();
}

void TDurumBelirt::TamamClick() {
    Zamanlayici->stop();
    hide(); // not a close: ResultTicks keeps counting from where it was
    if (State().CloseWhenJobsFinish) {
        EndProgram();
    } else {
        emit Dismissed();
    }
}

void TDurumBelirt::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyPress(event)) {
        QWidget::keyPressEvent(event);
    }
}

bool TDurumBelirt::FormKeyPress(QKeyEvent* event) {
    // Enter and Space dismiss the report as Escape does.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        break;
    default:
        return false;
    }
    close(); // the timer keeps running
    return true;
}

void TDurumBelirt::CloseWindow() {
    if (isVisible()) {
        close(); // the close handling runs in closeEvent
        return;
    }
    // Qt sends no close event to a window that is already hidden (after Escape the timer runs on),
    // but the showing still ends here: without the close handling the next report would start at
    // the tenth tick and vanish after one second.
    Closed();
}

void TDurumBelirt::closeEvent(QCloseEvent* event) {
    event->accept();
    Closed();
}

void TDurumBelirt::Closed() {
    FormClose();
    if (!State().CloseWhenJobsFinish) emit Dismissed();
}

void TDurumBelirt::FormClose() {
    State().ResultTicks = 0;
}

} // namespace zarkent
