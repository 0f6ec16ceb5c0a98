#include "gui/tools/MD5Summer.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <exception>
#include <string_view>

#include "core/base/Error.h"
#include "core/state/SharedState.h"
#include "gui/jobs/CaptionFit.h"
#include "gui/jobs/UiChannel.h"
#include "gui/jobs/WindowHelpers.h"

namespace zarkent {

QString MD5FileName;

namespace {

// A time format without its zone field ("t" to "tttt") and the blanks that set it off, along with
// brackets that held only the zone ("H:mm:ss (t)"). Quoted literals are kept as they are.
QString WithoutZoneField(const QString& format) {
    QString result = format;
    qsizetype i = 0;
    bool quoted = false;
    while (i < result.size()) {
        const QChar c = result[i];
        if (c == u'\'') {
            quoted = !quoted; // a doubled quote turns quoting off and on again: still literal
            ++i;
            continue;
        }
        if (quoted || c != u't') {
            ++i;
            continue;
        }
        qsizetype begin = i, end = i;
        while (end < result.size() && result[end] == u't')
            ++end;
        if (begin > 0 && end < result.size() &&
            ((result[begin - 1] == u'(' && result[end] == u')') ||
             (result[begin - 1] == u'[' && result[end] == u']'))) {
            --begin;
            ++end;
        }
        if (begin > 0) {
            while (begin > 0 && result[begin - 1].isSpace())
                --begin;
        } else {
            while (end < result.size() && result[end].isSpace())
                ++end;
        }
        result.remove(begin, end - begin);
        i = begin;
    }
    return result;
}

} // namespace

QString TimeOfDayText(const QLocale& locale, const QTime& time) {
    return locale.toString(time, WithoutZoneField(locale.timeFormat(QLocale::LongFormat)));
}

QByteArray ReportToRtf(const QString& text) {
    // Courier New with the Turkish character set: the digests line up, and readers that ignore the
    // Unicode escapes still pick the right code page for the fallbacks.
    QByteArray rtf("{\\rtf1\\ansi\\ansicpg1254\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset162 Courier New;}}\n"
                   "\\viewkind4\\uc1\\pard\\f0\\fs20 ");
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit == u'\n') {
            rtf += "\\par\n";
        } else if (unit == u'\\' || unit == u'{' || unit == u'}') {
            rtf += '\\';
            rtf += static_cast<char>(unit);
        } else if (unit == u'\t') {
            rtf += "\\tab ";
        } else if (unit >= 0x20 && unit < 0x7f) {
            rtf += static_cast<char>(unit);
        } else {
            // \uN takes a signed 16-bit number; "?" is the one fallback character \uc1 announces.
            rtf += "\\u" + QByteArray::number(static_cast<std::int16_t>(unit)) + '?';
        }
    }
    rtf += "}\n";
    return rtf;
}

TMD5Hesaplayici::TMD5Hesaplayici(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      channel_(std::make_shared<UiChannel>(this)) {
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(489, 305);

    raporBaslik = new QLabel(this);
    raporBaslik->setGeometry(8, 8, 300, 17);
    progressLabel = new QLabel(this);
    progressLabel->setGeometry(401, 8, 80, 17);
    progressLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    progressLabel->hide();

    Rapor = new QTextEdit(this);
    Rapor->setGeometry(8, 28, 473, 233);
    Rapor->setReadOnly(true);
    Rapor->setAcceptRichText(true);
    Rapor->setLineWrapMode(QTextEdit::NoWrap);
    Rapor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Rapor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Rapor->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    md5Menu = new QMenu(this);
    Kopyala1 = md5Menu->addAction(QString());
    N1 = md5Menu->addSeparator();
    TabloyuTemizle1 = md5Menu->addAction(QString());
    connect(Kopyala1, &QAction::triggered, this, &TMD5Hesaplayici::Kopyala1Click);
    connect(TabloyuTemizle1, &QAction::triggered, this, &TMD5Hesaplayici::TabloyuTemizle1Click);
    Rapor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Rapor, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { md5Menu->popup(Rapor->viewport()->mapToGlobal(at)); });

    DosyaSec = new QPushButton(this);
    DosyaSec->setGeometry(8, 270, 150, 27);
    connect(DosyaSec, &QPushButton::clicked, this, &TMD5Hesaplayici::DosyaSecClick);
    TextMD5 = new QPushButton(this);
    TextMD5->setGeometry(164, 270, 120, 27);
    connect(TextMD5, &QPushButton::clicked, this, &TMD5Hesaplayici::TextMD5Click);
    md5Rapor = new QPushButton(this);
    md5Rapor->setGeometry(290, 270, 93, 27);
    connect(md5Rapor, &QPushButton::clicked, this, &TMD5Hesaplayici::md5RaporClick);
    Kapat = new QPushButton(this);
    Kapat->setGeometry(389, 270, 92, 27);
    connect(Kapat, &QPushButton::clicked, this, &TMD5Hesaplayici::KapatClick);

    ApplyCaptions(TurkishRow); // the designed captions are the Turkish texts
    KeepCaptionsFitted(this);
    CentreOnScreen(this);
}

TMD5Hesaplayici::~TMD5Hesaplayici() {
    channel_->Detach();
}

void TMD5Hesaplayici::ApplyCaptions(const std::function<QString(int)>& row) {
    setWindowTitle(row(28));
    raporBaslik->setText(row(69));
    md5Rapor->setText(row(71));
    Kopyala1->setText(row(72));
    TabloyuTemizle1->setText(row(34));
    TextMD5->setText(row(75));
    Kapat->setText(row(13));
    // A file being hashed keeps its wait caption until the job ends.
    DosyaSec->setText(row(hashing_ ? 76 : 22));
    dosyaacmd5.title = row(14);
    md5raporKaydet.title = row(15);
}

void TMD5Hesaplayici::UpdateCaptions() {
    ApplyCaptions(Row);
}

void TMD5Hesaplayici::AppendLine(const QString& line) {
    // Plain text at the end: a file name or an error text is never read as markup.
    QTextCursor cursor(Rapor->document());
    cursor.movePosition(QTextCursor::End);
    if (!Rapor->document()->isEmpty()) cursor.insertBlock();
    cursor.insertText(line);
}

void TMD5Hesaplayici::AppendReportBlock(const QString& digestHex, const QDateTime& at) {
    const QLocale locale = QLocale::system();
    AppendLine(Row(7) + " : " + MD5FileName);
    AppendLine(Row(106) + " : " + locale.toString(at.date(), QLocale::ShortFormat) + " | " +
               TimeOfDayText(locale, at.time()));
    AppendLine(Row(70) + " : " + digestHex);
    AppendLine(QString());
}

void TMD5Hesaplayici::AppendErrorLine(const QString& error) {
    AppendLine(Row(39) + " # " + error);
}

void TMD5Hesaplayici::ShowPercent(int percent) {
    if (!hashing_) return;
    progressLabel->setText(QString::number(percent) + '%');
    progressLabel->show();
}

void TMD5Hesaplayici::FileJobEnded() {
    hashing_ = false;
    progressLabel->hide();
    progressLabel->clear();
    DosyaSec->setText(Row(22));
    DosyaSec->setEnabled(true);
}

void TMD5Hesaplayici::StopHashing() {
    if (stop_) *stop_ = true;
}

void TMD5Hesaplayici::DosyaSecClick() {
    if (hashing_) return; // one file at a time
    QString chosen;
    if (!dialogs::OpenFileName(this, dosyaacmd5, chosen)) return;
    // A name that lost bytes in decoding may name another file: refused, never hashed in its place.
    if (LostBytes(chosen)) {
        RefuseUndecodableName(this, chosen);
        return;
    }
    MD5FileName = chosen;
    hashing_ = true;
    DosyaSec->setText(Row(76));
    DosyaSec->setEnabled(false);
    stop_ = std::make_shared<std::atomic<bool>>(false);
    jobs::JobThread::Start<TMD5KoduVer>(this, chosen, stop_);
}

void TMD5Hesaplayici::TextMD5Click() {
    const QByteArray text =
        dialogs::QueryTextOrDefault(this, QStringLiteral("Text MD5"), Row(79), QString(), false).toLocal8Bit();
    const std::string hex = Md5ToHex(Md5OfString(std::string_view(text.constData(), std::size_t(text.size()))));
    // Shown selected in the edit so that it can be copied; the answer does not matter.
    dialogs::QueryTextOrDefault(this, QStringLiteral("MD5"), Row(80), QString::fromStdString(hex), false);
}

void TMD5Hesaplayici::md5RaporClick() {
    md5raporKaydet.filter = Row(110);
    const QString report = Rapor->toPlainText();
    if (report.isEmpty()) {
        dialogs::ShowMessage(this, Row(77), Row(78), QMessageBox::Warning, QMessageBox::Ok);
        return;
    }
    QString chosen;
    if (!dialogs::SaveFileName(this, md5raporKaydet, chosen)) return;
    const QString path = chosen + ".rtf";
    // Written beside the old file and renamed over it, so a failed save leaves the old report whole.
    QString error;
    if (!ReplaceFileContents(path, ReportToRtf(report), error)) {
        dialogs::ShowMessage(this, Row(39), QStringLiteral("Cannot create file \"%1\". %2").arg(path, error),
                             QMessageBox::Critical, QMessageBox::Ok);
    }
}

void TMD5Hesaplayici::Kopyala1Click() {
    Rapor->copy();
}

void TMD5Hesaplayici::TabloyuTemizle1Click() {
    Rapor->clear();
}

void TMD5Hesaplayici::KapatClick() {
    close();
}

bool TMD5Hesaplayici::FormKeyPress(const QKeyEvent& event) {
    if (event.key() != Qt::Key_Escape) return false;
    close();
    return true;
}

void TMD5Hesaplayici::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyPress(*event)) QWidget::keyPressEvent(event);
}

void TMD5Hesaplayici::FormClose() {
    MD5FileName.clear();
    Rapor->clear();
}

void TMD5Hesaplayici::closeEvent(QCloseEvent* event) {
    FormClose(); // a file still being hashed goes on and reports into the hidden window
    QWidget::closeEvent(event);
}

// --- The file job ----------------------------------------------------------------------------------------

TMD5KoduVer::TMD5KoduVer(StartKey key, TMD5Hesaplayici* window, QString FileName,
                         std::shared_ptr<std::atomic<bool>> stop)
    : JobThread(key), FFileName(std::move(FileName)), window_(window), channel_(window->Channel()),
      stop_(std::move(stop)) {
    State().JobsActive = true;
}

void TMD5KoduVer::Execute() {
    int shown = -1;
    const auto progress = [this, &shown](std::uint64_t done, std::uint64_t total) {
        if (*stop_) throw ZarkentError("Stopped", ErrorKind::Cancelled);
        // A file that grew while it was read stays at 100.
        const int percent = total == 0 ? 100 : static_cast<int>(std::min(done, total) * 100 / total);
        if (percent == shown) return;
        shown = percent;
        channel_->Post([window = window_, percent] { window->ShowPercent(percent); });
    };
    try {
        FDigest = Md5OfFile(FFileName.toLocal8Bit().toStdString(), progress);
    } catch (const std::exception& e) {
        const bool stopped = KindOf(e) == ErrorKind::Cancelled;
        const QString message = QString::fromLocal8Bit(e.what());
        channel_->Post([window = window_, message, stopped] {
            if (!stopped) window->AppendErrorLine(message);
            window->FileJobEnded();
        });
        State().JobsActive = false;
        return;
    }
    State().JobsActive = false;
    FDigestHex = QString::fromStdString(Md5ToHex(FDigest));
    channel_->Post([window = window_, hex = FDigestHex, at = QDateTime::currentDateTime()] {
        window->AppendReportBlock(hex, at);
        window->FileJobEnded();
    });
}

} // namespace zarkent
