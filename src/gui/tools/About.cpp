#include "gui/tools/About.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextEdit>
#include <QVBoxLayout>

#include <optional>

#include "core/lang/Language.h"
#include "core/state/SharedState.h"
#include "gui/jobs/WindowHelpers.h"
#include "gui/tools/Credits.h"

namespace zarkent {

namespace {

// More than any description needs; a larger file is read up to here.
constexpr qint64 kMaxDescriptionBytes = 1 << 20;
// The description box is wide enough for lines of this many characters.
constexpr int kDescriptionColumns = 80;
constexpr int kDescriptionLines = 14;

void SetTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// The lines of the description file, or nothing when it cannot be read. Only a regular file is opened, so a
// FIFO in its place cannot hold up the start of the program.
std::optional<QString> ReadDescription(const QString& path) {
    if (!QFileInfo(path).isFile()) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.read(kMaxDescriptionBytes);
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    QStringDecoder utf8(QStringConverter::Utf8); // an initial byte order mark is dropped
    QString text = utf8.decode(bytes);
    // Lines end in LF, CR LF or CR; the break after the last line starts no line of its own.
    text.replace(QRegularExpression(QStringLiteral("\r\n?")), QStringLiteral("\n"));
    if (text.endsWith('\n')) text.chop(1);
    return text;
}

} // namespace

THakkinda::THakkinda(QWidget* parent) : QWidget(parent, FixedToolDialogFlags()) {
    setAttribute(Qt::WA_QuitOnClose, false);
    openUrl_ = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    Baslik = new QLabel(this);
    QFont bold = Baslik->font();
    bold.setBold(true);
    Baslik->setFont(bold);
    Versiyon = new QLabel(QString::fromLatin1(kAboutVersion), this);
    WebSite = new QLabel(QString::fromLatin1(kAboutWebSite), this);
    QFont link = WebSite->font();
    link.setUnderline(true);
    WebSite->setFont(link);
    WebSite->setCursor(Qt::PointingHandCursor);
    SetTextColour(WebSite, Qt::black);
    WebSite->installEventFilter(this);
    Lisans = new QLabel(this);
    UcuncuTaraf = new QLabel(this);
    UcuncuTaraf->setWordWrap(true); // as wide as the description below it

    Hakkinda_Aciklama = new QTextEdit(this);
    Hakkinda_Aciklama->setReadOnly(true);
    Hakkinda_Aciklama->setAcceptRichText(false);
    Hakkinda_Aciklama->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Hakkinda_Aciklama->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Hakkinda_Aciklama->setLineWrapMode(QTextEdit::WidgetWidth);
    Hakkinda_Aciklama->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QFontMetrics metrics(Hakkinda_Aciklama->font());
    const int margins =
        2 * (Hakkinda_Aciklama->frameWidth() + static_cast<int>(Hakkinda_Aciklama->document()->documentMargin()) + 2);
    Hakkinda_Aciklama->setMinimumSize(metrics.horizontalAdvance(QString(kDescriptionColumns, 'M')) + margins +
                                          Hakkinda_Aciklama->verticalScrollBar()->sizeHint().width(),
                                      metrics.lineSpacing() * kDescriptionLines + margins);

    Kapat = new QPushButton(this);
    Credits = new QPushButton(QStringLiteral("?"), this);
    Credits->setFixedWidth(Credits->sizeHint().height() + 8);
    connect(Kapat, &QPushButton::clicked, this, &THakkinda::KapatClick);
    connect(Credits, &QPushButton::clicked, this, &THakkinda::CreditsClick);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Credits);
    buttons->addStretch(1);
    buttons->addWidget(Kapat);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    // Left-aligned at their own width: the space beside a text stays an empty part of the window.
    for (QLabel* label : {Baslik, Versiyon, WebSite, Lisans})
        layout->addWidget(label, 0, Qt::AlignLeft);
    layout->addWidget(UcuncuTaraf);
    layout->addSpacing(6);
    layout->addWidget(Hakkinda_Aciklama, 1);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    InstallKeyPreview(this, [this](const QKeyEvent& key) { return FormKeyPress(key); });

    creditsPage_ = std::make_unique<TCredits_page>();
    creditsPage_->installEventFilter(this);
    FormCreate();
    ApplyCaptions(TurkishRow); // the designed captions are the Turkish texts
    adjustSize();
    CentreOnScreen(this);
}

THakkinda::~THakkinda() = default;

void THakkinda::FormCreate() {
    QString folder = QString::fromLocal8Bit(State().ProgramFolder.c_str());
    if (folder.isEmpty()) folder = QCoreApplication::applicationDirPath() + '/';
    // The same description serves both languages; without it the box holds one empty line and nothing is said.
    Hakkinda_Aciklama->setPlainText(ReadDescription(folder + QString::fromLatin1(kAboutFileName)).value_or(QString()));
}

void THakkinda::ApplyCaptions(const std::function<QString(int)>& row) {
    Kapat->setText(row(4));
    Baslik->setText(row(1));
    setWindowTitle(row(32));
    setToolTip(row(3));
    Lisans->setText(row(kRowLicence));
    UcuncuTaraf->setText(row(kRowThirdPartyNotices));
    creditsPage_->ApplyCaptions(row);
}

void THakkinda::UpdateCaptions() {
    ApplyCaptions(Row);
}

void THakkinda::KapatClick() {
    close();
}

void THakkinda::CreditsClick() {
    TCredits_page* page = creditsPage_.get();
    page->setScreen(screen()); // the screen the about window is on
    page->show();
    page->raise();
    page->activateWindow();
}

void THakkinda::WebSiteClick() {
    openUrl_(QUrl(WebSite->text()));
}

void THakkinda::WebSiteMouseEnter() {
    SetTextColour(WebSite, Qt::red);
}

void THakkinda::WebSiteMouseLeave() {
    SetTextColour(WebSite, Qt::black);
}

void THakkinda::FormClick() {
    close();
}

bool THakkinda::FormKeyPress(const QKeyEvent& event) {
    if (IsModifierKey(event)) return false;
    // The key is used up: a button with the focus must not act on it as well.
    close();
    return true;
}

void THakkinda::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyPress(*event)) QWidget::keyPressEvent(event);
}

bool THakkinda::IsEmptyArea(const QPoint& point) const {
    return rect().contains(point) && childAt(point) == nullptr;
}

// A click on an empty part is a press and a release of the left button there; the labels other than the
// link pass their clicks up but are not empty.
void THakkinda::mousePressEvent(QMouseEvent* event) {
    pressedOnEmptyArea_ = event->button() == Qt::LeftButton && IsEmptyArea(event->position().toPoint());
    QWidget::mousePressEvent(event);
}

void THakkinda::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        pressedOnEmptyArea_ && event->button() == Qt::LeftButton && IsEmptyArea(event->position().toPoint());
    pressedOnEmptyArea_ = false;
    if (click)
        FormClick();
    else
        QWidget::mouseReleaseEvent(event);
}

bool THakkinda::eventFilter(QObject* watched, QEvent* event) {
    if (watched == creditsPage_.get() && event->type() == QEvent::Hide && isVisible()) {
        // Back from the credits page: keys go to this window again, not to whatever lies below.
        raise();
        activateWindow();
    }
    if (watched == WebSite) {
        switch (event->type()) {
        case QEvent::Enter:
            WebSiteMouseEnter();
            break;
        case QEvent::Leave:
            WebSiteMouseLeave();
            break;
        case QEvent::ToolTip:
            return true; // the link has no hint, not even the window's
        case QEvent::MouseButtonPress:
            pressedOnWebSite_ = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
            return true;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const bool click = pressedOnWebSite_ && mouse->button() == Qt::LeftButton &&
                               WebSite->rect().contains(mouse->position().toPoint());
            pressedOnWebSite_ = false;
            if (click) WebSiteClick();
            return true;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zarkent
