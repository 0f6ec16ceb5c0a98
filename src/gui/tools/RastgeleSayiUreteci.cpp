#include "gui/tools/RastgeleSayiUreteci.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <exception>
#include <string_view>

#include "core/container/Random.h"
#include "core/state/Settings.h"
#include "core/tools/Generators.h"
#include "gui/jobs/WindowHelpers.h"

namespace zarkent {

namespace {

constexpr const char* kDefaultBound = "100";
constexpr const char* kDefaultCount = "10";
constexpr const char* LinkIdle = "QLabel { color: black; text-decoration: underline; }";
constexpr const char* LinkHot = "QLabel { color: red; text-decoration: underline; }";

} // namespace

TRastgeleSayiUreteciSayfa1::TRastgeleSayiUreteciSayfa1(QWidget* parent) : QWidget(parent, FixedToolDialogFlags()) {
    setAttribute(Qt::WA_QuitOnClose, false);

    SayiAraligiLabel = new QLabel(this);
    SayiAraligi = new QLineEdit(kDefaultBound, this);
    SayiAraligi->setFixedWidth(120);
    SayiAraligiLabel->setBuddy(SayiAraligi);
    UretilecekSayi = new QLineEdit(kDefaultCount, this);
    UretilecekSayi->setFixedWidth(90);
    KacTane = new QLabel(this);
    KacTane->setBuddy(UretilecekSayi);
    auto* numbers = new QHBoxLayout;
    numbers->addWidget(SayiAraligi);
    numbers->addSpacing(24);
    numbers->addWidget(UretilecekSayi);
    numbers->addWidget(KacTane);
    numbers->addStretch(1);

    Hex = new QCheckBox(this);
    chex = new QRadioButton(this);
    dhex = new QRadioButton(this);
    nhex = new QRadioButton(this);
    HexFormati = new QButtonGroup(this);
    auto* formats = new QHBoxLayout;
    formats->addSpacing(20);
    for (QRadioButton* option : {chex, dhex, nhex}) {
        HexFormati->addButton(option);
        option->setEnabled(false);
        formats->addWidget(option);
    }
    formats->addStretch(1);

    RastgeleSayilar = new QPlainTextEdit(this);
    // One block per line and no wrapping: a list of a million numbers is laid out in a moment.
    RastgeleSayilar->setLineWrapMode(QPlainTextEdit::NoWrap);
    RastgeleSayilar->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RastgeleSayilar->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RastgeleSayilar->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    RastgeleSayilar->setMinimumSize(560, 240);

    CopyToClipBoard = new QLabel(this);
    CopyToClipBoard->setCursor(Qt::PointingHandCursor);
    CopyToClipBoard->setStyleSheet(LinkIdle);
    Olustur = new QPushButton(this);
    Kaydet = new QPushButton(this);
    Kapat = new QPushButton(this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CopyToClipBoard);
    buttons->addStretch(1);
    buttons->addWidget(Olustur);
    buttons->addWidget(Kaydet);
    buttons->addWidget(Kapat);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SayiAraligiLabel);
    layout->addLayout(numbers);
    layout->addSpacing(4);
    layout->addWidget(Hex);
    layout->addLayout(formats);
    layout->addWidget(RastgeleSayilar, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Hex, &QCheckBox::toggled, this, &TRastgeleSayiUreteciSayfa1::HexClick);
    connect(Olustur, &QPushButton::clicked, this, &TRastgeleSayiUreteciSayfa1::OlusturClick);
    connect(Kaydet, &QPushButton::clicked, this, &TRastgeleSayiUreteciSayfa1::KaydetClick);
    connect(Kapat, &QPushButton::clicked, this, &TRastgeleSayiUreteciSayfa1::KapatClick);

    CopyToClipBoard->installEventFilter(this);
    InstallKeyPreview(this, [this](const QKeyEvent& key) { return FormKeyPress(key); });

    ApplyCaptions(TurkishRow); // the designed captions are the Turkish texts
    adjustSize();
    CentreOnScreen(this);
}

void TRastgeleSayiUreteciSayfa1::ApplyCaptions(const std::function<QString(int)>& row) {
    setWindowTitle(row(27));
    Hex->setText(row(85));
    KacTane->setText(row(90));
    Olustur->setText(row(68));
    Kapat->setText(row(13));
    Kaydet->setText(row(15));
    DosyaKaydet.title = row(15);
    SayiAraligiLabel->setText(row(84));
    CopyToClipBoard->setText(row(89));
    chex->setText(row(86));
    dhex->setText(row(87));
    nhex->setText(row(88));
}

void TRastgeleSayiUreteciSayfa1::UpdateCaptions() {
    ApplyCaptions(Row);
}

void TRastgeleSayiUreteciSayfa1::OlusturClick() {
    RandomizeFromClock();
    NumberStyle style = NumberStyle::Decimal;
    if (Hex->isChecked()) {
        style = chex->isChecked() ? NumberStyle::CHex : NumberStyle::PascalHex;
        if (nhex->isChecked()) style = NumberStyle::PlainHex;
    }
    std::string list;
    try {
        // Both fields are read before anything is drawn, and the list in the box is replaced only by a
        // complete new one: a mistyped field costs the user nothing.
        const int count = TextToInteger(UretilecekSayi->text().toStdString());
        const std::uint32_t bound = count > 0 ? ParseBound(SayiAraligi->text().toStdString()) : 0;
        list = MakeNumberList(style, count, bound, RandomBelow);
    } catch (const std::exception& e) {
        ShowGeneralError(this, QString::fromUtf8(e.what()));
        return;
    }
    generated_ = std::move(list);
    // Set once: appending number by number would lay the whole text out again each time.
    RastgeleSayilar->setPlainText(QString::fromLatin1(generated_.data(), static_cast<qsizetype>(generated_.size())));
}

void TRastgeleSayiUreteciSayfa1::HexClick() {
    const bool hex = Hex->isChecked();
    for (QRadioButton* option : {chex, dhex, nhex})
        option->setEnabled(hex);
    if (hex) nhex->setChecked(true); // unchecking keeps the selection
}

void TRastgeleSayiUreteciSayfa1::KaydetClick() {
    DosyaKaydet.filter = Row(45);
    QString chosen;
    if (!dialogs::SaveFileName(this, DosyaKaydet, chosen)) return;
    // The box as the user sees it (edits included), every line ended by CR LF.
    const QByteArray shown = RastgeleSayilar->toPlainText().toLocal8Bit();
    const std::string text = ListFileText(std::string_view(shown.constData(), static_cast<std::size_t>(shown.size())));
    QString error;
    if (!ReplaceFileContents(chosen, QByteArray::fromStdString(text), error)) {
        dialogs::ShowMessage(this, Row(39), QStringLiteral("Cannot create file \"%1\". %2").arg(chosen, error),
                             QMessageBox::Critical, QMessageBox::Ok);
    }
}

void TRastgeleSayiUreteciSayfa1::CopyToClipBoardClick() {
    RastgeleSayilar->selectAll();
    QGuiApplication::clipboard()->setText(RastgeleSayilar->toPlainText());
}

void TRastgeleSayiUreteciSayfa1::CopyToClipBoardMouseEnter() {
    CopyToClipBoard->setStyleSheet(LinkHot);
}

void TRastgeleSayiUreteciSayfa1::CopyToClipBoardMouseLeave() {
    CopyToClipBoard->setStyleSheet(LinkIdle);
}

void TRastgeleSayiUreteciSayfa1::KapatClick() {
    RastgeleSayilar->clear();
    generated_.clear();
    SayiAraligi->setText(kDefaultBound);
    UretilecekSayi->setText(kDefaultCount);
    Hex->setChecked(false); // HexClick disables the prefix options
    close();
}

bool TRastgeleSayiUreteciSayfa1::FormKeyPress(const QKeyEvent& event) {
    if (event.key() != Qt::Key_Escape) return false;
    KapatClick();
    return true;
}

void TRastgeleSayiUreteciSayfa1::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyPress(*event)) QWidget::keyPressEvent(event);
}

bool TRastgeleSayiUreteciSayfa1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == CopyToClipBoard) {
        if (event->type() == QEvent::Enter) CopyToClipBoardMouseEnter();
        if (event->type() == QEvent::Leave) CopyToClipBoardMouseLeave();
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
            CopyToClipBoard->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            CopyToClipBoardClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zarkent
