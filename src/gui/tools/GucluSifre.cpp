#include "gui/tools/GucluSifre.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <exception>
#include <string>
#include <string_view>

#include "core/base/Secure.h"
#include "core/platform/SecureRandom.h"
#include "core/state/Settings.h"
#include "core/tools/Generators.h"
#include "gui/jobs/WindowHelpers.h"

namespace zarkent {

QString PasswordAlphabet;

namespace {

constexpr int kDefaultLength = 8;

} // namespace

TGucluSifreSayfa1::TGucluSifreSayfa1(QWidget* parent) : QWidget(parent, FixedToolDialogFlags()) {
    setAttribute(Qt::WA_QuitOnClose, false);

    Secenekler = new QGroupBox(this);
    A = new QCheckBox(Secenekler);
    B = new QCheckBox(Secenekler);
    B->setChecked(true);
    C = new QCheckBox(Secenekler);
    KullaniciYazisi = new QLineEdit(Secenekler);
    auto* options = new QVBoxLayout(Secenekler);
    options->addWidget(A);
    options->addWidget(B);
    options->addWidget(C);
    options->addWidget(KullaniciYazisi);

    SifreUzunlugu = new QLabel(this);
    Uzunluk = new QSlider(Qt::Horizontal, this);
    Uzunluk->setRange(1, 64);
    Uzunluk->setValue(kDefaultLength);
    Uzunluk->setTickPosition(QSlider::TicksBelow);
    Uzunluk->setTickInterval(8);
    UzunlukDegeri = new QLineEdit(QString::number(kDefaultLength), this);
    UzunlukDegeri->setFixedWidth(56);
    SifreUzunlugu->setBuddy(UzunlukDegeri);
    auto* length = new QHBoxLayout;
    length->addWidget(SifreUzunlugu);
    length->addWidget(Uzunluk, 1);
    length->addWidget(UzunlukDegeri);

    UretilenSifre = new QPlainTextEdit(this);
    UretilenSifre->setLineWrapMode(QPlainTextEdit::NoWrap);
    UretilenSifre->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    UretilenSifre->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    UretilenSifre->setMinimumWidth(440);
    UretilenSifre->setFixedHeight(72);

    SifreOlustur = new QPushButton(this);
    GucluSifre_HafizayaKopyala = new QPushButton(this);
    Kapat = new QPushButton(this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(SifreOlustur);
    buttons->addWidget(GucluSifre_HafizayaKopyala);
    buttons->addWidget(Kapat);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Secenekler);
    layout->addLayout(length);
    layout->addWidget(UretilenSifre);
    layout->addLayout(buttons);
    // The window takes the size its captions need, in either language.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(A, &QCheckBox::toggled, this, &TGucluSifreSayfa1::AClick);
    connect(C, &QCheckBox::toggled, this, &TGucluSifreSayfa1::CClick);
    connect(Uzunluk, &QSlider::valueChanged, this, &TGucluSifreSayfa1::UzunlukChange);
    connect(UzunlukDegeri, &QLineEdit::textChanged, this, &TGucluSifreSayfa1::UzunlukDegeriChange);
    connect(SifreOlustur, &QPushButton::clicked, this, &TGucluSifreSayfa1::SifreOlusturClick);
    connect(GucluSifre_HafizayaKopyala, &QPushButton::clicked, this,
            &TGucluSifreSayfa1::GucluSifre_HafizayaKopyalaClick);
    connect(Kapat, &QPushButton::clicked, this, &TGucluSifreSayfa1::KapatClick);

    InstallKeyPreview(this, [this](const QKeyEvent& key) { return FormKeyPress(key); });

    ApplyCaptions(TurkishRow); // the designed captions are the Turkish texts
    adjustSize();
    CentreOnScreen(this);
}

void TGucluSifreSayfa1::ApplyCaptions(const std::function<QString(int)>& row) {
    setWindowTitle(row(26));
    Secenekler->setTitle(row(12));
    Kapat->setText(row(13));
    A->setText(row(64));
    B->setText(row(65));
    C->setText(row(66));
    SifreUzunlugu->setText(row(67));
    SifreOlustur->setText(row(68));
    GucluSifre_HafizayaKopyala->setText(row(72));
}

void TGucluSifreSayfa1::UpdateCaptions() {
    ApplyCaptions(Row);
}

void TGucluSifreSayfa1::SifreUret() {
    const PasswordPool pool = ChoosePasswordPool(A->isChecked(), B->isChecked(), C->isChecked());
    if (pool == PasswordPool::User) {
        PasswordAlphabet = KullaniciYazisi->text();
        // Blanks alone would make a password of blanks; blanks among other characters stay in the pool.
        if (!UsablePool(PasswordAlphabet.toUtf8().toStdString())) {
            ShowGeneralError(this, Row(81));
            return;
        }
    } else {
        const std::string_view text = PoolText(pool);
        PasswordAlphabet = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    }
    try {
        // The length is the box's text, which may lie beyond the slider's range.
        const int length = TextToInteger(UzunlukDegeri->text().toStdString());
        // Whole characters of the user's text are drawn, never single bytes of one.
        const QByteArray alphabet = PasswordAlphabet.toUtf8();
        std::string password = MakePassword(std::string_view(alphabet.constData(), std::size_t(alphabet.size())),
                                            length, SecureRandomBelow);
        UretilenSifre->setPlainText(QString::fromUtf8(password.data(), static_cast<qsizetype>(password.size())));
        SecureClear(password);
    } catch (const std::exception& e) {
        ShowGeneralError(this, QString::fromUtf8(e.what()));
    }
}

void TGucluSifreSayfa1::SifreOlusturClick() {
    SifreUret();
}

void TGucluSifreSayfa1::GucluSifre_HafizayaKopyalaClick() {
    UretilenSifre->selectAll();
    QGuiApplication::clipboard()->setText(UretilenSifre->toPlainText());
    KapatClick();
}

void TGucluSifreSayfa1::KapatClick() {
    UretilenSifre->clear();
    KullaniciYazisi->clear();
    close();
}

void TGucluSifreSayfa1::AClick() {
    if (A->isChecked()) {
        B->setChecked(false);
        B->setEnabled(false);
    } else {
        B->setEnabled(true);
    }
}

void TGucluSifreSayfa1::CClick() {
    // The check marks of A and B stay; they count again once C is unchecked.
    const bool others = !C->isChecked();
    A->setEnabled(others);
    B->setEnabled(others);
}

void TGucluSifreSayfa1::UzunlukChange() {
    UzunlukDegeri->setText(QString::number(Uzunluk->value()));
}

void TGucluSifreSayfa1::UzunlukDegeriChange() {
    const QString text = UzunlukDegeri->text();
    if (text.isEmpty()) return;
    int value = 0;
    try {
        value = TextToInteger(text.toStdString());
    } catch (const std::exception&) {
        UzunlukDegeri->clear();
        return;
    }
    // The slider keeps itself within its range; only when that moves it is the corrected value written
    // back (through UzunlukChange), so a length beyond the range typed while the slider already stands at
    // its end stays in the box.
    Uzunluk->setValue(value);
}

void TGucluSifreSayfa1::FormClose() {
    Uzunluk->setValue(kDefaultLength);
    B->setChecked(true);
    A->setChecked(false); // runs AClick and CClick when they change: A and B end up enabled
    C->setChecked(false);
    UzunlukDegeri->setText(QString::number(kDefaultLength));
}

void TGucluSifreSayfa1::closeEvent(QCloseEvent* event) {
    FormClose();
    QWidget::closeEvent(event);
}

bool TGucluSifreSayfa1::FormKeyPress(const QKeyEvent& event) {
    if (event.key() != Qt::Key_Escape) return false;
    KapatClick();
    return true;
}

void TGucluSifreSayfa1::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyPress(*event)) QWidget::keyPressEvent(event);
}

} // namespace zarkent
