#include "gui/tools/MetinSifreleme.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>
#include <string>

#include "core/base/Secure.h"
#include "core/container/Armour.h"
#include "core/lang/Language.h"
#include "gui/dialogs/Dialogs_mod.h"
#include "gui/jobs/WindowHelpers.h"

namespace zarkent {

namespace {

QString Latin(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TMetinSifreleme::TMetinSifreleme(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMinMaxButtonsHint) {
    setAttribute(Qt::WA_QuitOnClose, false);

    MetinLabel = new QLabel(this);
    MetinLabel->setWordWrap(true);
    Metin = new QPlainTextEdit(this);
    // Armour lines keep their length; a long text line still wraps to the box.
    Metin->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Metin->setMinimumSize(520, 240);
    MetinLabel->setBuddy(Metin);

    auto passwordField = [this](QLineEdit*& edit, QLabel*& label) {
        label = new QLabel(this);
        edit = new QLineEdit(this);
        edit->setEchoMode(QLineEdit::Password);
        dialogs::MaskWithStars(edit);
        label->setBuddy(edit);
    };
    passwordField(Sifre1, Sifre1Label);
    passwordField(Sifre2, Sifre2Label);
    auto* passwords = new QGridLayout;
    passwords->addWidget(Sifre1Label, 0, 0);
    passwords->addWidget(Sifre2Label, 0, 1);
    passwords->addWidget(Sifre1, 1, 0);
    passwords->addWidget(Sifre2, 1, 1);

    Sifrele = new QPushButton(this);
    Coz = new QPushButton(this);
    Kopyala = new QPushButton(this);
    Temizle = new QPushButton(this);
    Kapat = new QPushButton(this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {Sifrele, Coz, Kopyala, Temizle})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(Kapat);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MetinLabel);
    layout->addWidget(Metin, 1);
    layout->addLayout(passwords);
    layout->addLayout(buttons);

    connect(Sifrele, &QPushButton::clicked, this, &TMetinSifreleme::SifreleClick);
    connect(Coz, &QPushButton::clicked, this, &TMetinSifreleme::CozClick);
    connect(Kopyala, &QPushButton::clicked, this, &TMetinSifreleme::KopyalaClick);
    connect(Temizle, &QPushButton::clicked, this, &TMetinSifreleme::TemizleClick);
    connect(Kapat, &QPushButton::clicked, this, &TMetinSifreleme::KapatClick);

    ApplyCaptions(TurkishRow); // the designed captions are the Turkish texts
    resize(sizeHint().expandedTo(QSize(600, 440)));
    CentreOnScreen(this);
}

void TMetinSifreleme::ApplyCaptions(const std::function<QString(int)>& row) {
    setWindowTitle(row(63));
    MetinLabel->setText(row(kRowTextPrompt));
    Sifre1Label->setText(row(20));
    Sifre2Label->setText(row(21));
    Sifrele->setText(row(kRowTextEncrypt));
    Coz->setText(row(kRowTextDecrypt));
    Kopyala->setText(row(kRowTextCopy));
    Temizle->setText(row(kRowTextClear));
    Kapat->setText(row(13));
}

void TMetinSifreleme::UpdateCaptions() {
    ApplyCaptions(Row);
}

void TMetinSifreleme::Message(const QString& text, bool warning) {
    // Owned by this window, so that it comes up above it.
    dialogs::ShowMessage(this, Row(39), text, warning ? QMessageBox::Warning : QMessageBox::Critical, QMessageBox::Ok);
}

bool TMetinSifreleme::CheckPasswords(bool twice) {
    const QString first = Sifre1->text(), second = Sifre2->text();
    if ((twice || !second.isEmpty()) && first != second) {
        Message(Row(52), false);
        Sifre1->clear();
        Sifre2->clear();
        return false;
    }
    if (first.isEmpty()) {
        Message(Row(61), true);
        return false;
    }
    return true;
}

void TMetinSifreleme::SifreleClick() {
    if (!CheckPasswords(true)) return;
    std::string password = Sifre1->text().toLocal8Bit().toStdString();
    QByteArray text = Metin->toPlainText().toUtf8();
    try {
        const std::string armour =
            ArmourText(std::string_view(text.constData(), static_cast<std::size_t>(text.size())), password);
        Metin->setPlainText(Latin(armour));
    } catch (const std::exception& e) {
        const auto* armour = dynamic_cast<const ArmourError*>(&e);
        if (armour && armour->Problem() == ArmourProblem::TooLarge)
            Message(Row(kRowTextTooLarge).arg(MaxArmouredTextSize / (1024 * 1024)), true);
        else
            Message(QString::fromUtf8(e.what()), false);
    }
    SecureClear(password);
    SecureClear(text.data(), static_cast<std::size_t>(text.size()));
}

void TMetinSifreleme::CozClick() {
    if (!CheckPasswords(false)) return;
    std::string password = Sifre1->text().toLocal8Bit().toStdString();
    const QByteArray pasted = Metin->toPlainText().toUtf8();
    try {
        std::string text =
            DearmourText(std::string_view(pasted.constData(), static_cast<std::size_t>(pasted.size())), password);
        Metin->setPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        SecureClear(text);
    } catch (const ArmourError& e) {
        switch (e.Problem()) {
        case ArmourProblem::NotFound:
            Message(Row(kRowTextNotFound).arg(Latin(ArmourBeginLine), Latin(ArmourEndLine)), true);
            break;
        case ArmourProblem::Damaged:
            Message(Row(kRowTextDamaged), false);
            break;
        case ArmourProblem::WrongPassword:
            Message(Row(99), false);
            break;
        case ArmourProblem::TooLarge:
            Message(Row(kRowTextTooLarge).arg(MaxArmouredTextSize / (1024 * 1024)), true);
            break;
        }
    } catch (const std::exception& e) {
        Message(QString::fromUtf8(e.what()), false);
    }
    SecureClear(password);
}

void TMetinSifreleme::KopyalaClick() {
    QGuiApplication::clipboard()->setText(Metin->toPlainText());
}

void TMetinSifreleme::TemizleClick() {
    Metin->clear();
    Metin->setFocus();
}

void TMetinSifreleme::KapatClick() {
    close();
}

void TMetinSifreleme::ClearAll() {
    Metin->clear();
    Sifre1->clear();
    Sifre2->clear();
}

void TMetinSifreleme::closeEvent(QCloseEvent* event) {
    ClearAll();
    QWidget::closeEvent(event);
}

void TMetinSifreleme::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        KapatClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace zarkent
