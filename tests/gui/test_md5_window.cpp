// The MD5 calculator window: file blocks and error lines from the job thread, the text digest, the saved
// rich text read back, copy, clear and close, and how the main window opens it (offscreen, every dialog
// scripted).
#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextEdit>
#include <QtTest>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "DialogScript.h"
#include "TempDir.h"
#include "core/lang/Language.h"
#include "core/state/SharedState.h"
#include "gui/app/AnaSayfa.h"
#include "gui/jobs/DurumBelirt.h"
#include "gui/jobs/DurumSayfasi.h"
#include "gui/tools/MD5Summer.h"

using namespace zarkent;
using namespace zarkent::test;
namespace fs = std::filesystem;

namespace {

constexpr const char* kEmptyDigest = "D41D8CD98F00B204E9800998ECF8427E";

QString Row(int row) {
    return QString::fromStdString(Lang().Row(row));
}
QString Turkish(int row) {
    return QString::fromUtf8(TurkishText(row).data(), qsizetype(TurkishText(row).size()));
}

// Reads the text back out of the rich text the window saves: paragraphs, tabs, escaped characters and
// Unicode escapes (with the one fallback character each announces); the font table and other
// destinations are skipped. Anything else an escape could mean fails the test.
QString TextOfRtf(const QByteArray& rtf) {
    QString text;
    int depth = 0;
    int skippedGroup = 0; // depth of the group being skipped, 0 for none
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
            if (skippedGroup == 0 && (rtf.mid(i + 1, 8) == "\\fonttbl" || rtf.mid(i + 1, 2) == "\\*"))
                skippedGroup = depth;
        } else if (c == '}') {
            if (depth == skippedGroup) skippedGroup = 0;
            --depth;
        } else if (c == '\r' || c == '\n') {
            continue;
        } else if (c != '\\') {
            if (skippedGroup == 0) text += QChar(uchar(c));
        } else {
            const char next = rtf[++i];
            if (next == '\\' || next == '{' || next == '}') {
                if (skippedGroup == 0) text += QChar(next);
                continue;
            }
            QByteArray word;
            while (i + 1 < rtf.size() && std::isalpha(uchar(rtf[i])))
                word += rtf[i++];
            QByteArray number;
            while (rtf[i] == '-' || std::isdigit(uchar(rtf[i])))
                number += rtf[i++];
            if (rtf[i] != ' ') --i; // a space ends the control word and belongs to it
            if (word.isEmpty()) {
                qWarning("unexpected escape \\%c", next);
                return QStringLiteral("<bad escape>");
            }
            if (skippedGroup != 0) continue;
            if (word == "par") {
                text += '\n';
            } else if (word == "tab") {
                text += '\t';
            } else if (word == "u") {
                const int unit = number.toInt();
                if (unit < -32768 || unit > 32767) return QStringLiteral("<\\u out of the signed 16-bit range>");
                text += QChar(char16_t(unit < 0 ? unit + 65536 : unit));
                ++i; // the fallback character
            }
        }
    }
    return depth == 0 ? text : QStringLiteral("<unbalanced groups>");
}

} // namespace

class Md5WindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TMD5Hesaplayici> window;
    std::unique_ptr<TempDir> dir;

    QString P(const char* name) const { return QString::fromStdString(*dir / name); }

    // Picks `path` in the open dialog; the job has been started when this returns.
    void ClickFile(const QString& path) {
        DialogScript script;
        script.ExpectOpenFile().Caption(Row(14)).Filter(QString()).Answer(path);
        window->DosyaSec->click();
    }
    void WaitForJobEnd() {
        QTRY_VERIFY_WITH_TIMEOUT(window->DosyaSec->isEnabled(), 60000);
        QVERIFY(!State().JobsActive);
        QCOMPARE(window->DosyaSec->text(), Row(22));
        QVERIFY(window->progressLabel->isHidden());
    }
    QStringList Lines() const { return window->Rapor->toPlainText().split('\n'); }

    // The second line of a block: the row, the date in the short format, the time of day (checked on its own
    // below), taken at some second between `before` and `after`.
    static bool IsDateTimeLine(const QString& line, const QDateTime& before, const QDateTime& after) {
        const QLocale locale = QLocale::system();
        for (QDateTime at = before.addMSecs(-before.time().msec()); at <= after; at = at.addSecs(1)) {
            if (line == Row(106) + " : " + locale.toString(at.date(), QLocale::ShortFormat) + " | " +
                            TimeOfDayText(locale, at.time()))
                return true;
        }
        return false;
    }

private slots:
    void initTestCase() {
        Lang().ActiveLanguage = kLanguageEnglish;
        Lang().CopySet();
        window = std::make_unique<TMD5Hesaplayici>();
        window->UpdateCaptions();
    }
    void cleanupTestCase() {
        QVERIFY(jobs::JobThread::WaitForAll(std::chrono::seconds(30)));
        QCoreApplication::sendPostedEvents();
        window.reset();
    }
    void init() {
        dir = std::make_unique<TempDir>();
        window->hide();
        window->Rapor->clear();
        MD5FileName.clear();
        State().JobsActive = false;
    }

    void captionsDesignedTurkishThenLanguage() {
        TMD5Hesaplayici fresh;
        const auto captions = [&fresh] {
            return QStringList{fresh.windowTitle(),       fresh.raporBaslik->text(),     fresh.DosyaSec->text(),
                               fresh.TextMD5->text(),     fresh.md5Rapor->text(),        fresh.Kapat->text(),
                               fresh.Kopyala1->text(),    fresh.TabloyuTemizle1->text(), fresh.dosyaacmd5.title,
                               fresh.md5raporKaydet.title};
        };
        const int rows[] = {28, 69, 22, 75, 71, 13, 72, 34, 14, 15};
        QStringList turkish, english;
        for (const int row : rows) {
            turkish << Turkish(row);
            english << Row(row);
        }
        QCOMPARE(captions(), turkish);
        fresh.UpdateCaptions();
        QCOMPARE(captions(), english);
        QVERIFY(fresh.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(fresh.Rapor->isReadOnly());
        const QList<QAction*> menu = fresh.md5Menu->actions();
        QCOMPARE(menu.size(), 3);
        QVERIFY(menu[0] == fresh.Kopyala1 && menu[1]->isSeparator() && menu[2] == fresh.TabloyuTemizle1);
    }

    // The report's time of day is the long time format without the time zone that Qt's long formats carry,
    // wherever the locale puts it (after the time, before it, in brackets, after a quoted literal).
    void timeOfDayHasNoZone_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Turkish") << "tr_TR"
                                 << "14:03:05";
        QTest::newRow("English") << "en_US"
                                 << "2:03:05 PM";
        QTest::newRow("zone first") << "zh_CN"
                                    << "14:03:05";
        QTest::newRow("quoted literal") << "bg_BG" << QString::fromUtf8("14:03:05 ч.");
        QTest::newRow("zone in brackets") << "fa_IR" << QString::fromUtf8("۱۴:۰۳:۰۵");
    }
    void timeOfDayHasNoZone() {
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        QCOMPARE(TimeOfDayText(QLocale(locale), QTime(14, 3, 5)), expected);
    }

    void hashesAFileIntoABlock_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("digest");
        QTest::newRow("empty") << "empty.bin" << QByteArray() << kEmptyDigest;
        QTest::newRow("abc") << "abc.txt" << QByteArray("abc") << "900150983CD24FB0D6963F7D28E17F72";
        QTest::newRow("no dot, Turkish name")
            << QString::fromUtf8("özet ğİ") << QByteArray("message digest") << "F96B697D7CB7938D525A2F31AAF161D0";
    }
    void hashesAFileIntoABlock() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, digest);
        const QString path = P(name.toUtf8().constData());
        WriteText(path.toStdString(), content.toStdString());

        const QDateTime before = QDateTime::currentDateTime();
        ClickFile(path);
        WaitForJobEnd();
        const QDateTime after = QDateTime::currentDateTime();

        const QStringList lines = Lines();
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], Row(7) + " : " + path);
        QVERIFY2(IsDateTimeLine(lines[1], before, after), qPrintable(lines[1]));
        QCOMPARE(lines[2], Row(70) + " : " + digest);
        QCOMPARE(lines[3], QString());
        QCOMPARE(MD5FileName, path);
    }

    // A name holding U+FFFD lost bytes in decoding and may name another file: it is refused with its
    // folder named, and nothing is hashed in its place.
    void undecodableNameIsRefused() {
        WriteBytes(*dir / "x\xff", {1});
        WriteBytes(*dir / "x\xef\xbf\xbd", {2});
        DialogScript script;
        script.ExpectOpenFile().Answer(P("x\xef\xbf\xbd"));
        script
            .ExpectMessage(Row(39), Row(kRowUndecodableName).arg(QString::fromStdString(dir->Path().string())),
                           QMessageBox::Warning, QMessageBox::Ok)
            .Answer(QMessageBox::Ok);
        window->DosyaSec->click();
        QVERIFY(script.VerifyDone());
        QVERIFY(!State().JobsActive && window->DosyaSec->isEnabled());
        QVERIFY(window->Rapor->toPlainText().isEmpty());
        QVERIFY(MD5FileName.isEmpty());
    }

    void blocksAndErrorLinesFollowEachOther() {
#ifdef _WIN32
        QSKIP("FIFOs and the POSIX error texts");
#else
        WriteText(*dir / "a", "abc");
        fs::create_directory(*dir / "folder");
        QVERIFY(::mkfifo((*dir / "fifo").c_str(), 0600) == 0);
        const struct {
            QString path;
            QString line; // the whole error line, or the block's first and third line
            QString digestLine;
        } steps[] = {
            {P("missing"), Row(39) + " # Cannot open file \"" + P("missing") + "\". " + std::strerror(ENOENT), {}},
            {P("a"), Row(7) + " : " + P("a"), Row(70) + " : 900150983CD24FB0D6963F7D28E17F72"},
            {P("folder"), Row(39) + " # Cannot open file \"" + P("folder") + "\". " + std::strerror(EISDIR), {}},
            // A FIFO with no writer would block a plain open.
            {P("fifo"), Row(39) + " # Cannot open file \"" + P("fifo") + "\". It is a FIFO, not a regular file", {}},
            {P("a"), Row(7) + " : " + P("a"), Row(70) + " : 900150983CD24FB0D6963F7D28E17F72"},
        };
        QStringList expected;
        for (const auto& step : steps) {
            ClickFile(step.path);
            WaitForJobEnd();
            expected << step.line;
            if (!step.digestLine.isEmpty()) expected << QString() << step.digestLine << QString();
        }
        QStringList lines = Lines();
        QCOMPARE(lines.size(), expected.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (lines[i].startsWith(Row(106) + " : ")) lines[i].clear(); // the time is checked above
        QCOMPARE(lines, expected);
#endif
    }

    void buttonWaitsWhileAFileIsHashed() {
        WriteText(*dir / "a", "abc");
        ClickFile(P("a"));
        // Nothing the job posts has been delivered yet.
        QVERIFY(!window->DosyaSec->isEnabled());
        QCOMPARE(window->DosyaSec->text(), Row(76));
        QVERIFY(State().JobsActive);
        // A language switch meanwhile keeps the wait caption; a second start is refused without a dialog.
        Lang().ActiveLanguage = kLanguageTurkish;
        Lang().CopySet();
        window->UpdateCaptions();
        QCOMPARE(window->DosyaSec->text(), Turkish(76));
        Lang().ActiveLanguage = kLanguageEnglish;
        Lang().CopySet();
        window->UpdateCaptions();
        window->DosyaSecClick();
        WaitForJobEnd();
        QCOMPARE(Lines().size(), 4);
    }

    void showsProgressAndStops() {
        // A sparse 4 GiB file takes seconds to read.
        const std::string big = *dir / "big";
        std::ofstream(big).close();
        fs::resize_file(big, 4ull << 30);
        ClickFile(QString::fromStdString(big));
        static const QRegularExpression percent(QStringLiteral("^([1-9][0-9]?)%$"));
        QTRY_VERIFY_WITH_TIMEOUT(percent.match(window->progressLabel->text()).hasMatch(), 20000);
        QVERIFY(window->progressLabel->isVisibleTo(window.get()));
        QVERIFY(State().JobsActive);
        // The program is ending: the job stops at its next read and reports nothing.
        window->StopHashing();
        QVERIFY(jobs::JobThread::WaitForAll(std::chrono::seconds(5)));
        WaitForJobEnd();
        QCOMPARE(window->Rapor->toPlainText(), QString());
    }

    void textDigest_data() {
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("digest");
        QTest::newRow("abc") << true << "abc"
                             << "900150983CD24FB0D6963F7D28E17F72";
        QTest::newRow("Turkish letter, as UTF-8")
            << true << QString::fromUtf8("ğ") << "1F4707E216E56F3385D7BE592B694BF6";
        QTest::newRow("cancelled") << false << QString() << kEmptyDigest;
    }
    void textDigest() {
        QFETCH(bool, confirmed);
        QFETCH(QString, text);
        QFETCH(QString, digest);
        {
            DialogScript script;
            auto& first = script.ExpectQueryText("Text MD5", Row(79)).Initial(QString()).Masked(false);
            if (confirmed)
                first.Answer(text);
            else
                first.Cancel();
            script.ExpectQueryText("MD5", Row(80)).Initial(digest).Masked(false).Answer("ignored");
            window->TextMD5->click();
        }
        QCOMPARE(window->Rapor->toPlainText(), QString());
    }

    void savesTheReportAsRichText() {
        {
            DialogScript script;
            script.ExpectMessage(Row(77), Row(78), QMessageBox::Warning, QMessageBox::Ok).Answer(QMessageBox::Ok);
            window->md5Rapor->click(); // empty: no save dialog
        }
        // A name with every character the writer must escape, Turkish letters and one beyond the first plane.
#ifdef _WIN32
        // Windows names hold neither a backslash nor a tab.
        const QString name = QString::fromUtf8("ğüşıöçĞÜŞİÖÇ {x}\U0001F600");
#else
        const QString name = QString::fromUtf8("ğüşıöçĞÜŞİÖÇ \\{x}\t\U0001F600");
#endif
        // Through QFile: a narrow std::filesystem path would take the system's code page on Windows.
        const QString named = P("") + name;
        QFile file(named);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("abc") == 3);
        file.close();
        ClickFile(named);
        WaitForJobEnd();
        const QString report = window->Rapor->toPlainText();
        QVERIFY(report.contains(name));

        {
            DialogScript script;
            script.ExpectSaveFile().Caption(Row(15)).Filter(Row(110)).Answer(P("rapor.rtf"));
            window->md5Rapor->click();
        }
        QVERIFY(!fs::exists(*dir / "rapor.rtf"));
        QFile saved(P("rapor.rtf.rtf"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray rtf = saved.readAll();
        saved.close();
        QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1254"));
        for (const char c : rtf)
            QVERIFY2(uchar(c) < 0x80, "the saved file is plain ASCII");
        QCOMPARE(TextOfRtf(rtf), report);

        // Saving again replaces the file; a cancelled dialog writes nothing.
        window->TabloyuTemizle1->trigger();
        window->AppendErrorLine("x");
        {
            DialogScript script;
            script.ExpectSaveFile().Answer(P("rapor.rtf"));
            script.ExpectSaveFile().Cancel();
            window->md5Rapor->click();
            window->md5Rapor->click();
        }
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(TextOfRtf(saved.readAll()), Row(39) + " # x");
        QCOMPARE(dir->Entries().size(), std::size_t(2));

        // A folder that does not exist: an error box, nothing written.
        DialogScript script;
        script.ExpectSaveFile().Answer(P("no/such/rapor"));
        script.ExpectMessage().Caption(Row(39)).Icon(QMessageBox::Critical).Buttons(QMessageBox::Ok);
        window->md5Rapor->click();
        QVERIFY(script.Messages().back().text.startsWith("Cannot create file \"" + P("no/such/rapor.rtf") + "\". "));
    }

    void failedSaveKeepsTheOldReport() {
#ifdef _WIN32
        QSKIP("a file-size limit makes the write fail; Windows has none");
#else
        window->AppendErrorLine(QString(300, 'x'));
        const QString path = P("rapor.rtf");
        WriteText(path.toStdString(), "old report");
        // A file-size limit makes the writing fail part way.
        const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 100;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        DialogScript script;
        script.ExpectSaveFile().Answer(P("rapor"));
        script.ExpectMessage().Caption(Row(39)).Icon(QMessageBox::Critical).Buttons(QMessageBox::Ok);
        window->md5Rapor->click();
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &saved), 0);
        std::signal(SIGXFSZ, previousSignal);
        QVERIFY(script.VerifyDone());
        QCOMPARE(script.Messages().back().text,
                 "Cannot create file \"" + path + "\". " + QString::fromLocal8Bit(std::strerror(EFBIG)));
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old report"));
        QCOMPARE(dir->Entries().size(), std::size_t(1));
#endif
    }

    void copiesAndClears() {
        WriteText(*dir / "a", "abc");
        ClickFile(P("a"));
        WaitForJobEnd();
        window->Rapor->selectAll();
        QGuiApplication::clipboard()->clear();
        window->Kopyala1->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), window->Rapor->toPlainText());
        window->TabloyuTemizle1->trigger();
        QCOMPARE(window->Rapor->toPlainText(), QString());
        QCOMPARE(MD5FileName, P("a")); // clearing keeps the chosen path
    }

    void closingForgetsReportAndPath_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Kapat") << 0;
        QTest::newRow("Escape in the report") << 1;
        QTest::newRow("Escape on a button") << 2;
    }
    void closingForgetsReportAndPath() {
        QFETCH(int, how);
        WriteText(*dir / "a", "abc");
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        ClickFile(P("a"));
        WaitForJobEnd();
        QVERIFY(!window->Rapor->toPlainText().isEmpty());
        if (how == 0) window->Kapat->click();
        if (how == 1) QTest::keyClick(window->Rapor, Qt::Key_Escape);
        if (how == 2) QTest::keyClick(window->TextMD5, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QCOMPARE(window->Rapor->toPlainText(), QString());
        QCOMPARE(MD5FileName, QString());
    }

    void blockAfterCloseHasNoPath() {
        WriteText(*dir / "a", "abc");
        window->show();
        ClickFile(P("a"));
        window->close(); // before the job's block is delivered
        WaitForJobEnd();
        const QStringList lines = Lines();
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], Row(7) + " : ");
        QCOMPARE(lines[2], Row(70) + " : 900150983CD24FB0D6963F7D28E17F72");
    }

    void mainWindowOpensItModeless() {
        TempDir config;
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path().string()));
        TSayfa1 main;
        main.Guncelle->stop(); // no start-up step: a first start would switch to the system's language
        TSifreEx password;
        TDurumBelirt result;
        TDurumSayfasi page;
        TKlasoriciSifrelemePenceresi folder;
        TMD5Hesaplayici md5;
        main.SetPeers({&password, &page, &result, &folder, nullptr, &md5});
        main.show();
        QVERIFY(main.MD5HesaplamaAraci->isEnabled());
        main.MD5HesaplamaAraci->trigger();
        QVERIFY(md5.isVisible());
        QVERIFY(!md5.isModal() && QApplication::activeModalWidget() == nullptr);
        QCOMPARE(md5.windowTitle(), Turkish(28));

        Lang().ActiveLanguage = kLanguageTurkish;
        main.ApplyLanguage();
        QCOMPARE(md5.windowTitle(), Turkish(28));
        QCOMPARE(md5.DosyaSec->text(), Turkish(22));
        Lang().ActiveLanguage = kLanguageEnglish;
        main.ApplyLanguage();
        QCOMPARE(md5.windowTitle(), Row(28));
        QCOMPARE(md5.md5Rapor->text(), Row(71));
    }
};

QTEST_MAIN(Md5WindowTest)
#include "test_md5_window.moc"
