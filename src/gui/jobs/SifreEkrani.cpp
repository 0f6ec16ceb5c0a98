#include "gui/jobs/SifreEkrani.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "core/lang/Language.h"
#include "core/state/SharedState.h"
#include "gui/dialogs/Dialogs_mod.h"
#include "gui/jobs/CaptionFit.h"
#include "gui/jobs/WindowHelpers.h"

namespace zarkent {

namespace {

QLineEdit* PasswordEdit(QWidget* parent, int x, int y, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(x, y, width, 22);
    edit->setMaxLength(TSifreEx::MaxPasswordLength);
    edit->setEchoMode(QLineEdit::Password);
    dialogs::MaskWithStars(edit);
    return edit;
}

// An edit's caption sits just above it.
QLabel* EditLabel(QWidget* parent, const QString& text, QLineEdit* edit) {
    auto* label = new QLabel(text, parent);
    label->adjustSize();
    label->move(edit->x(), edit->y() - label->height() - 1);
    label->setBuddy(edit);
    return label;
}

QPushButton* GlyphButton(QWidget* parent, const QString& text, QStyle::StandardPixmap glyph, QRect geometry) {
    auto* button = new QPushButton(parent->style()->standardIcon(glyph, nullptr, parent), text, parent);
    button->setGeometry(geometry);
    return button;
}

} // namespace

TSifreEx::TSifreEx(QWidget* parent) : QDialog(parent, FixedToolDialogFlags()) {
    setAttribute(Qt::WA_QuitOnClose, false);
    setModal(false);
    setWindowTitle(QString::fromUtf8(" Lütfen Bir Şifre Giriniz"));
    setFixedSize(440, 87);

    Sifre = PasswordEdit(this, 18, 23, 191);
    SifreLabel = EditLabel(this, QString::fromUtf8("Şifre"), Sifre);
    TekrarSifre = PasswordEdit(this, 215, 23, 194);
    TekrarSifreLabel = EditLabel(this, QString::fromUtf8("Tekrar Şifre"), TekrarSifre);
    connect(Sifre, &QLineEdit::textChanged, this, &TSifreEx::SifreChange);
    connect(TekrarSifre, &QLineEdit::textChanged, this, &TSifreEx::SifreChange);

    SifrelerinKontrolu_AYNI = StandardIconLabel(this, QStyle::SP_DialogApplyButton, 22);
    SifrelerinKontrolu_AYNI->move(415, 23);
    SifrelerinKontrolu_AYNI->hide();
    SifrelerinKontrolu_FARKLI = StandardIconLabel(this, QStyle::SP_MessageBoxCritical, 22);
    SifrelerinKontrolu_FARKLI->move(415, 23);
    SifrelerinKontrolu_FARKLI->hide();

    Tamam = GlyphButton(this, QString::fromUtf8("Tamam"), QStyle::SP_DialogOkButton, QRect(320, 54, 89, 25));
    Tamam->setDefault(true);
    connect(Tamam, &QPushButton::clicked, this, &TSifreEx::TamamClick);

    iptal = GlyphButton(this, QString::fromUtf8("iptal"), QStyle::SP_DialogCancelButton, QRect(224, 54, 90, 25));
    connect(iptal, &QPushButton::clicked, this, &TSifreEx::iptalClick);

    SifreYardim = GlyphButton(this, QString::fromUtf8("Güçlü Şifre Oluşturucu"), QStyle::SP_DialogHelpButton,
                              QRect(18, 54, 143, 25));
    connect(SifreYardim, &QPushButton::clicked, this, &TSifreEx::SifreYardimClick);
    UpdateGeneratorButton();

    KeepCaptionsFitted(this);
    CentreOnScreen(this);
}

void TSifreEx::SetPasswordGeneratorAction(QAction* action) {
    if (generatorAction_ != nullptr) {
        disconnect(generatorAction_, nullptr, this, nullptr);
    }
    generatorAction_ = action;
    if (action != nullptr) {
        connect(action, &QAction::changed, this, &TSifreEx::UpdateGeneratorButton);
        connect(action, &QObject::destroyed, this, [this] { SifreYardim->setEnabled(false); });
    }
    UpdateGeneratorButton();
}

void TSifreEx::UpdateGeneratorButton() {
    SifreYardim->setEnabled(generatorAction_ != nullptr && generatorAction_->isEnabled());
}

void TSifreEx::SifreYardimClick() {
    if (generatorAction_ != nullptr) {
        generatorAction_->trigger();
    }
}

void TSifreEx::UpdateCaptions() {
    setWindowTitle(Row(20));
    Tamam->setText(Row(4));
    iptal->setText(Row(6));
    SifreYardim->setText(Row(kRowGeneratorButton));
    SifreLabel->setText(Row(109));
    SifreLabel->adjustSize();
    TekrarSifreLabel->setText(Row(21));
    TekrarSifreLabel->adjustSize();
}

void TSifreEx::SifreChange() {
    ShowMatchMarks(Sifre->text(), TekrarSifre->text(), SifrelerinKontrolu_AYNI, SifrelerinKontrolu_FARKLI);
}

void TSifreEx::TamamClick() {
    if (Sifre->text().isEmpty() || TekrarSifre->text().isEmpty()) {
        // Only a notice: the mismatch check below decides whether the dialog stays.
        dialogs::ShowMessage(this, Row(39), Row(61), QMessageBox::NoIcon, QMessageBox::Ok);
    }
    if (Sifre->text() != TekrarSifre->text()) {
        dialogs::ShowMessage(this, Row(39), Row(52), QMessageBox::Critical, QMessageBox::Ok);
        return;
    }
    // The main window asks for the hand-over each time it opens the dialog.
    if (State().PasswordDialogFillsMain) {
        if (target_ != nullptr) target_->SetPasswords(Sifre->text());
        EmptyEntries();
        hide();
    }
}

void TSifreEx::iptalClick() {
    EmptyEntries();
    hide();
}

void TSifreEx::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Every showing starts in the first field, whatever had the focus when the dialog went; the window
    // system's own show events (a restored window) leave the focus where the user left it.
    if (!event->spontaneous()) Sifre->setFocus(Qt::OtherFocusReason);
}

void TSifreEx::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyPress(event)) {
        QDialog::keyPressEvent(event);
    }
}

bool TSifreEx::FormKeyPress(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape) {
        return false;
    }
    EmptyEntries();
    close();
    return true;
}

void TSifreEx::EmptyEntries() {
    Sifre->clear();
    TekrarSifre->clear();
}

} // namespace zarkent
