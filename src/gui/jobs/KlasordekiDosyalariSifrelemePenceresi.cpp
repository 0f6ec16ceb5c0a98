#include "gui/jobs/KlasordekiDosyalariSifrelemePenceresi.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "core/base/Secure.h"
#include "core/lang/Language.h"
#include "core/platform/Paths.h"
#include "core/state/FolderScan.h"
#include "core/state/ProtectedFolders.h"
#include "core/state/SharedState.h"
#include "gui/dialogs/Dialogs_mod.h"
#include "gui/jobs/CaptionFit.h"
#include "gui/jobs/JobThread.h"
#include "gui/jobs/TopluJobs.h"
#include "gui/jobs/UiChannel.h"
#include "gui/jobs/WindowHelpers.h"

namespace zarkent {

TKlasoriciSifrelemePenceresi::TKlasoriciSifrelemePenceresi(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), channel_(std::make_shared<UiChannel>(this)) {
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QString::fromUtf8("Lütfen Bir Klasör Seçiniz..."));
    resize(392, 123);

    mesaj =
        new QLabel(QString::fromUtf8("Lütfen, İçerisindeki Dosyaları Şifrelemek İstediğiniz Klasörü Seçiniz"), this);
    mesaj->move(8, 16);
    mesaj->setTextFormat(Qt::PlainText);
    mesaj->resize(376, mesaj->sizeHint().height());

    basla = new QPushButton(QString::fromUtf8("Gözat(Şifrele)"), this);
    basla->setGeometry(285, 90, 99, 25);
    connect(basla, &QPushButton::clicked, this, &TKlasoriciSifrelemePenceresi::baslaClick);
    iptal = new QPushButton(QString::fromUtf8("iptal"), this);
    iptal->setGeometry(75, 90, 75, 25);
    connect(iptal, &QPushButton::clicked, this, &TKlasoriciSifrelemePenceresi::iptalClick);
    Arkaplan = new QPushButton(QString::fromUtf8("Arkaplan'da Devam Et"), this);
    Arkaplan->setGeometry(156, 90, 123, 25);
    connect(Arkaplan, &QPushButton::clicked, this, &TKlasoriciSifrelemePenceresi::ArkaplanClick);

    Durum = new QProgressBar(this);
    Durum->setGeometry(8, 56, 376, 17);
    Durum->setRange(0, 100);
    Durum->setValue(0);
    Durum->setTextVisible(false);

    KeepCaptionsFitted(this);
    CentreOnScreen(this);
}

TKlasoriciSifrelemePenceresi::~TKlasoriciSifrelemePenceresi() {
    channel_->Detach();
}

void TKlasoriciSifrelemePenceresi::UpdateCaptions() {
    setWindowTitle(Row(23));
    basla->setText(Row(23));
    iptal->setText(Row(6));
    Arkaplan->setText(Row(93));
}

void TKlasoriciSifrelemePenceresi::StepBar() {
    Durum->setValue(Durum->value() + 1);
}

void TKlasoriciSifrelemePenceresi::SetBarMaximum(int maximum) {
    Durum->setMaximum(maximum);
}

void TKlasoriciSifrelemePenceresi::Kapat() {
    ResetForNextBatch();
    close();
}

void TKlasoriciSifrelemePenceresi::ResetForNextBatch() {
    Durum->setMaximum(100);
    Durum->setValue(0);
    // The in-progress caption must not stay for a later batch, which may run the other way.
    mesaj->setText(Row(State().BatchDirection == 2 ? 44 : 43));
    setWindowTitle(Row(23));
}

void TKlasoriciSifrelemePenceresi::iptalClick() {
    State().BatchStopRequested = true;
    // A stopped batch never resets the window itself.
    ResetForNextBatch();
    if (host_) host_->ShowMainWindow();
    close();
}

void TKlasoriciSifrelemePenceresi::ArkaplanClick() {
    hide();
}

void TKlasoriciSifrelemePenceresi::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TKlasoriciSifrelemePenceresi::FormShow() {
    const SharedState& state = State();
    if (!state.BatchPassword.empty() && state.BatchFromMain) basla->click();
}

void TKlasoriciSifrelemePenceresi::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close(); // a running batch goes on
        return;
    }
    QWidget::keyPressEvent(event);
}

void TKlasoriciSifrelemePenceresi::baslaClick() {
    SharedState& state = State();
    if (passwordDialog_ && passwordDialog_->isVisible()) passwordDialog_->close();

    if (state.BatchPassword.empty()) {
        state.BatchPassword =
            dialogs::QueryTextOrDefault(this, Row(77), Row(20), QString(), true).toLocal8Bit().toStdString();
        batchPasswordAgain_ =
            dialogs::QueryTextOrDefault(this, Row(77), Row(21), QString(), true).toLocal8Bit().toStdString();
        if (state.BatchPassword != batchPasswordAgain_) {
            SecureClear(state.BatchPassword);
            SecureClear(batchPasswordAgain_);
            dialogs::ShowMessage(this, Row(39), Row(52), QMessageBox::Critical, QMessageBox::Ok);
            return;
        }
        if (state.BatchPassword.empty()) {
            close();
            return;
        }
    }

    bool ready = false;
    try {
        ready = PrepareList();
    } catch (const std::exception& e) {
        dialogs::ShowMessage(this, Row(39), Row(94) + "\r\n" + QString::fromLocal8Bit(e.what()), QMessageBox::Critical,
                             QMessageBox::Ok);
    }
    if (ready) StartBatch();
    // The hand-over values are used once, whatever came of them.
    SecureClear(state.BatchPassword);
    SecureClear(batchPasswordAgain_);
    state.BatchFolder.clear();
    state.BatchFromMain = false;
}

bool TKlasoriciSifrelemePenceresi::PrepareList() {
    SharedState& state = State();
    batchFolder_.clear();
    if (state.StartMode == 4) {
        state.BatchFileList = state.CmdLineFiles;
        return true;
    }
    if (state.BatchFolder.empty()) {
        QString chosen;
        if (dialogs::FolderName(this, Row(23), chosen) && !chosen.isEmpty()) {
            const std::optional<std::string> bytes = NameBytes(chosen);
            if (!bytes) {
                // Said while the window is still up, so that the message has a visible owner to stay above.
                RefuseUndecodableName(this, chosen);
                close();
                return false;
            }
            std::string folder = *bytes;
            if (!IsPathSeparator(folder.back())) folder += PreferredSeparator;
            state.BatchFolder = folder;
        }
    }
    if (state.BatchFolder.empty()) {
        close();
        return false;
    }
    // Compared by where the folder really leads: "/etc", "/etc/" and a link to it are one folder.
    if (const FolderProtection protection = CheckBatchFolder(state.BatchFolder, state.ProgramFolder);
        protection != FolderProtection::None) {
        dialogs::ShowMessage(this, Row(39), Row(ProtectionRow(protection)).arg(ShownPath(state.BatchFolder)),
                             QMessageBox::Warning, QMessageBox::Ok);
        close();
        return false;
    }
    // Listed once, before the batch starts: the .zrk files it writes are never taken up again, and
    // finished .zrk files of an earlier run are not encrypted a second time.
    const bool encrypt = state.BatchDirection == 1;
    FolderScan scan = ListFolderFiles(state.BatchFolder, encrypt ? "*.*" : "*.zrk", encrypt);
    batchFolder_ = std::move(state.BatchFolder);
    state.BatchFolder.clear();
    state.BatchFileList = std::move(scan.files);
    state.ScanCount = scan.count;
    state.CmdLineFileCount = scan.count;
    if (scan.count == 0) {
        dialogs::ShowMessage(this, Row(77), Row(37), QMessageBox::Warning, QMessageBox::Ok);
        if (host_) host_->ResetToEncryption();
        return false;
    }
    return true;
}

void TKlasoriciSifrelemePenceresi::StartBatch() {
    SharedState& state = State();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.width() - frameGeometry().width() - 7, area.height() - frameGeometry().height() - 35);
    }
    const bool encrypt = state.BatchDirection == 1;
    try {
        if (encrypt)
            jobs::JobThread::Start<TTopluSifrele>(state.BatchFileList, state.BatchPassword, state.CmdLineFileCount,
                                                  batchFolder_);
        else
            jobs::JobThread::Start<TTopluCozumle>(state.BatchFileList, state.BatchPassword, state.CmdLineFileCount,
                                                  batchFolder_);
    } catch (const std::exception& e) {
        // More files than a batch takes: the window stays open.
        dialogs::ShowMessage(this, Row(39), QString::fromLocal8Bit(e.what()), QMessageBox::Critical, QMessageBox::Ok);
        return;
    }
    mesaj->setText(Row(encrypt ? 91 : 92));
    setWindowTitle(mesaj->text());
    if (host_) host_->ClearAfterBatchStart(encrypt ? 54 : 55);
}

} // namespace zarkent
