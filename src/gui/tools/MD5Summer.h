#pragma once

// The MD5 calculator: the digest of a chosen file (hashed on a job thread, reported as a block of lines)
// and of a typed text (shown at once in the input box). The report can be copied, cleared and saved as
// a rich-text file.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

#include "core/tools/md5.h"
#include "gui/dialogs/Dialogs_mod.h"
#include "gui/jobs/JobThread.h"

class QAction;
class QCloseEvent;
class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;
class QTextEdit;

namespace zarkent {

class UiChannel;

// The path last chosen in the MD5 window; emptied when the window closes. User-interface thread only.
extern QString MD5FileName;

// The report's text as a rich-text document that word processors open with every character intact:
// Windows Turkish as the declared code page, every character outside ASCII as a Unicode escape (UTF-16
// code units, so characters beyond the first plane take two), "\", "{" and "}" escaped, one paragraph
// per line.
QByteArray ReportToRtf(const QString& text);

// The time of day as the report shows it: the locale's long time format without its time-zone field
// (a time of day has no zone; Qt's long formats mostly end in one, "14:03:05 +03").
QString TimeOfDayText(const QLocale& locale, const QTime& time);

class TMD5Hesaplayici : public QWidget {
    Q_OBJECT

public:
    explicit TMD5Hesaplayici(QWidget* parent = nullptr);
    ~TMD5Hesaplayici() override;

    QLabel* raporBaslik;
    QTextEdit* Rapor;
    QPushButton* DosyaSec;
    QPushButton* TextMD5;
    QPushButton* md5Rapor;
    QPushButton* Kapat;
    QMenu* md5Menu;
    QAction* Kopyala1;
    QAction* N1;
    QAction* TabloyuTemizle1;
    dialogs::FileDialogRequest dosyaacmd5;
    dialogs::FileDialogRequest md5raporKaydet;
    // How far the running file has been read ("37%"); shown only while a file is hashed.
    QLabel* progressLabel;

    // Rewrites the captions from the language table in force.
    void UpdateCaptions();

    // What the file job does to the window (user-interface thread).
    void ShowPercent(int percent);
    // The four lines of a file's block; its first line names MD5FileName as it is now.
    void AppendReportBlock(const QString& digestHex, const QDateTime& at);
    void AppendErrorLine(const QString& error);
    // The file button back to its caption and enabled, the percentage gone.
    void FileJobEnded();
    // Asks a file job still running to stop at its next read (the program is ending); it reports nothing.
    void StopHashing();

    // The channel through which the file job posts to this window.
    std::shared_ptr<UiChannel> Channel() const { return channel_; }

public slots:
    void DosyaSecClick();
    void TextMD5Click();
    void md5RaporClick();
    void Kopyala1Click();
    void TabloyuTemizle1Click();
    void KapatClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ApplyCaptions(const std::function<QString(int)>& row);
    void AppendLine(const QString& line);
    bool FormKeyPress(const QKeyEvent& event);
    void FormClose();

    bool hashing_ = false;
    std::shared_ptr<std::atomic<bool>> stop_; // the running job's stop request
    std::shared_ptr<UiChannel> channel_;
};

// Hashes one file on its own thread and writes the outcome into the MD5 window.
class TMD5KoduVer : public jobs::JobThread {
    Q_OBJECT

public:
    TMD5KoduVer(StartKey key, TMD5Hesaplayici* window, QString FileName, std::shared_ptr<std::atomic<bool>> stop);

    Md5Digest FDigest;
    QString FFileName;
    QString FDigestHex;

protected:
    void Execute() override;

private:
    TMD5Hesaplayici* window_; // touched only inside calls posted through channel_
    std::shared_ptr<UiChannel> channel_;
    std::shared_ptr<std::atomic<bool>> stop_;
};

} // namespace zarkent
