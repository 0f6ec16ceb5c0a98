#include "gui/jobs/DurumSayfasi.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "core/lang/Language.h"
#include "core/state/SharedState.h"
#include "gui/dialogs/Dialogs_mod.h"
#include "gui/jobs/CaptionFit.h"
#include "gui/jobs/UiChannel.h"
#include "gui/jobs/WindowHelpers.h"

namespace zarkent {

TDurumSayfasi::TDurumSayfasi(QWidget* parent)
    : QWidget(parent, FixedToolDialogFlags()), channel_(std::make_shared<UiChannel>(this)) {
    // Closing this page must never end the program; only the result window decides that.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QString::fromUtf8(" Lütfen Bekleyiniz..."));
    setFixedSize(432, 96);

    Durum = new QProgressBar(this);
    Durum->setGeometry(8, 12, 416, 17);
    Durum->setRange(0, 100);
    Durum->setValue(0);
    // The bar carries its own figure, also while the label shows a status text instead of the percentage.
    Durum->setTextVisible(true);
    Durum->setFormat(QStringLiteral("%p%"));
    Durum->setAlignment(Qt::AlignCenter);

    DurumBasligi = new QLabel(QString::fromUtf8("Durum"), this);
    DurumBasligi->move(8, 35);
    DurumBasligi->adjustSize();

    YuzdeDurum = new QLabel(QString::fromUtf8("%0"), this);
    QFont bold = YuzdeDurum->font();
    bold.setBold(true);
    YuzdeDurum->setFont(bold);
    YuzdeDurum->setGeometry(72, 35, 352, YuzdeDurum->sizeHint().height());

    iptal = new QPushButton(QString::fromUtf8("iptal"), this);
    iptal->setGeometry(349, 64, 75, 25);
    connect(iptal, &QPushButton::clicked, this, &TDurumSayfasi::iptalClick);

    ArkaplandaDevamEt = new QPushButton(QString::fromUtf8("Arka Planda Devam Et"), this);
    ArkaplandaDevamEt->setGeometry(205, 64, 138, 25);
    connect(ArkaplandaDevamEt, &QPushButton::clicked, this, &TDurumSayfasi::ArkaplandaDevamEtClick);

    KeepCaptionsFitted(this);
    CentreOnScreen(this);
    FormCreate();
}

TDurumSayfasi::~TDurumSayfasi() {
    channel_->Detach();
}

void TDurumSayfasi::FormCreate() {
    State().CancelRequested = false;
}

void TDurumSayfasi::ShowPage() {
    show();
    raise();
}

void TDurumSayfasi::ResetAndClose() {
    Durum->setValue(0);
    Durum->setMaximum(100);
    if (isVisible()) {
        close();
    }
}

void TDurumSayfasi::SetBarMaximum(int maximum) {
    Durum->setMaximum(maximum);
}

void TDurumSayfasi::SetBarPosition(int position) {
    Durum->setValue(position);
    YuzdeDurum->setText(QString::number(position) + QLatin1Char('%'));
}

void TDurumSayfasi::MoveBar(int position) {
    Durum->setValue(position);
}

void TDurumSayfasi::SetStatusText(const QString& text) {
    YuzdeDurum->setText(text);
}

void TDurumSayfasi::UpdateCaptions() {
    setWindowTitle(Row(76));
    iptal->setText(Row(6));
    DurumBasligi->setText(Row(58));
    DurumBasligi->adjustSize();
    ArkaplandaDevamEt->setText(Row(93));
}

void TDurumSayfasi::iptalClick() {
    const auto answer = dialogs::ShowMessage(this, Row(77), Row(40), QMessageBox::Warning,
                                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer != QMessageBox::Yes) {
        return;
    }
    SharedState& state = State();
    state.CancelRequested = true;
    state.CloseWhenJobsFinish = false;
    state.JobsActive = false;
    Durum->setMaximum(0);
    Durum->setValue(0);
    close();
}

void TDurumSayfasi::ArkaplandaDevamEtClick() {
    hide(); // not a close: the percentage keeps its text
}

void TDurumSayfasi::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TDurumSayfasi::FormClose() {
    Durum->setValue(0);
    YuzdeDurum->setText(QString::fromUtf8("%0"));
}

} // namespace zarkent
