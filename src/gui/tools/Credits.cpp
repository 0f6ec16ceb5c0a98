#include "gui/tools/Credits.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QScreen>

#include "core/lang/Language.h"

namespace zarkent {

namespace {

constexpr int kCloseSize = 24;
constexpr int kCloseMargin = 8;
constexpr int kNoticeWidth = 640;
constexpr int kNoticeMargin = 24;

// A grey cross in a thin frame: the page's close button.
QPixmap ClosePicture() {
    QPixmap picture(kCloseSize, kCloseSize);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    painter.drawRect(QRectF(0.5, 0.5, kCloseSize - 1, kCloseSize - 1));
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(7, 7), QPointF(kCloseSize - 7, kCloseSize - 7));
    painter.drawLine(QPointF(kCloseSize - 7, 7), QPointF(7, kCloseSize - 7));
    return picture;
}

} // namespace

bool IsModifierKey(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return true;
    default:
        return false;
    }
}

TCredits_page::TCredits_page(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_QuitOnClose, false);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setFocusPolicy(Qt::StrongFocus); // keys reach the page itself: none of its pictures takes the focus

    Logo = new QLabel(this);
    Logo->setPixmap(QPixmap(QStringLiteral(":/zarkent/zarkent.png"))); // drawn on the page, its alpha kept
    Logo->adjustSize();

    Credits_Kapat = new QLabel(this);
    Credits_Kapat->setPixmap(ClosePicture());
    Credits_Kapat->setFixedSize(kCloseSize, kCloseSize);
    Credits_Kapat->setCursor(Qt::PointingHandCursor);
    Credits_Kapat->installEventFilter(this);

    Lisans_Notu = new QLabel(this);
    Lisans_Notu->setWordWrap(true);
    Lisans_Notu->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette dark = Lisans_Notu->palette();
    dark.setColor(QPalette::WindowText, QColor(0x40, 0x40, 0x40));
    Lisans_Notu->setPalette(dark);

    FormCreate();
}

void TCredits_page::FormCreate() {
    CoverScreen();
}

void TCredits_page::CoverScreen() {
    QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    setGeometry(screen->geometry());
}

void TCredits_page::ApplyCaptions(const std::function<QString(int)>& row) {
    Lisans_Notu->setText(row(kRowLicenceNotice) + QStringLiteral("\n\n") + row(kRowThirdPartyNotices));
    PlacePictures();
}

void TCredits_page::PlacePictures() {
    Logo->move((width() - Logo->width()) / 2, (height() - Logo->height()) / 2);
    // The notices under the picture, at most as wide as a comfortable line, inside the page.
    const int noticeWidth = qMax(0, qMin(kNoticeWidth, width() - 2 * kNoticeMargin));
    const int noticeTop = Logo->y() + Logo->height() + kNoticeMargin;
    Lisans_Notu->setFixedWidth(noticeWidth);
    Lisans_Notu->setFixedHeight(qMax(0, qMin(Lisans_Notu->heightForWidth(noticeWidth), height() - noticeTop)));
    Lisans_Notu->move((width() - noticeWidth) / 2, noticeTop);
    Credits_Kapat->move(width() - kCloseSize - kCloseMargin, kCloseMargin);
    Credits_Kapat->raise();
}

void TCredits_page::resizeEvent(QResizeEvent* event) {
    PlacePictures();
    QWidget::resizeEvent(event);
}

void TCredits_page::showEvent(QShowEvent* event) {
    CoverScreen(); // the screen may have changed size, or the page moved to another screen
    QWidget::showEvent(event);
}

void TCredits_page::Credits_KapatClick() {
    close();
}

void TCredits_page::FormClick() {
    close();
}

bool TCredits_page::FormKeyPress(const QKeyEvent& event) {
    if (IsModifierKey(event)) return false;
    close();
    return true;
}

void TCredits_page::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyPress(*event)) QWidget::keyPressEvent(event);
}

// A click is a press and a release of the left button on the page (the logo passes its clicks up).
void TCredits_page::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void TCredits_page::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) FormClick();
}

bool TCredits_page::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Credits_Kapat) {
        if (event->type() == QEvent::MouseButtonPress) {
            pressed_ = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const bool click = pressed_ && mouse->button() == Qt::LeftButton &&
                               Credits_Kapat->rect().contains(mouse->position().toPoint());
            pressed_ = false;
            if (click) Credits_KapatClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zarkent
