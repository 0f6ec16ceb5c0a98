// The single-file jobs end to end with the real progress page and result window (offscreen).
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "DialogScript.h"
#include "FileEventGate.h"
#include "TempDir.h"
#include "core/lang/Language.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Paths.h"
#include "core/state/SharedState.h"
#include "gui/jobs/DurumBelirt.h"
#include "gui/jobs/DurumSayfasi.h"
#include "gui/jobs/SifreleJobs.h"

using namespace zarkent;
using namespace zarkent::test;
namespace fs = std::filesystem;

class JobsTest : public QObject {
    Q_OBJECT

    TDurumSayfasi* page = nullptr;
    TDurumBelirt* result = nullptr;
    std::unique_ptr<TempDir> dir;

    static QString Row(int row) { return QString::fromStdString(Lang().Row(row)); }
    QString P(const char* name) const { return QString::fromStdString(*dir / name); }

    // Waits for the job's report and for the job flags to settle.
    void WaitForReport() {
        QTRY_VERIFY_WITH_TIMEOUT(result->isVisible(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!State().JobsActive, 20000);
    }
    void ExpectReport(const QString& caption, QLabel* image) {
        QCOMPARE(result->windowTitle(), caption);
        QVERIFY(image->isVisibleTo(result));
        for (QLabel* other : {result->Ok, result->Hata, result->UyariResim})
            if (other != image) QVERIFY(!other->isVisibleTo(result));
    }
    // Starts the encryption or decryption of `name` as the main window does (both windows on).
    void StartWindowJob(bool encrypt, const char* name) {
        if (encrypt)
            jobs::JobThread::Start<TSifrele>(P(name), QString("pw"), true, true);
        else
            jobs::JobThread::Start<TSifreCoz>(P(name), QString("pw"), true, true);
    }
    // Delivers what finished jobs queued for the windows.
    static void DeliverQueuedCalls() { QCoreApplication::sendPostedEvents(); }

private slots:
    void initTestCase() {
        Lang().ActiveLanguage = kLanguageEnglish;
        Lang().CopySet();
        page = new TDurumSayfasi;
        result = new TDurumBelirt;
        result->SetQuitHook([] {});
        SetJobWindows(JobWindows(page, result));
    }
    void cleanupTestCase() {
        SetJobWindows(JobWindows());
        delete page;
        delete result;
    }
    void init() {
        dir = std::make_unique<TempDir>();
        result->hide();
        result->StopTimer();
        State().CancelRequested = false;
        State().CompressOption = false;
        State().EncryptFailed = false;
        State().DecryptFailed = false;
    }

    void formatsElapsedTime_data() {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0 << "0:00:00";
        QTest::newRow("seven") << 7 << "0:00:07";
        QTest::newRow("hour") << 3725 << "1:02:05";
        QTest::newRow("day") << 90061 << "25:01:01";
        QTest::newRow("negative") << -5 << "0:00:00";
    }
    void formatsElapsedTime() {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        QCOMPARE(FormatElapsed(std::chrono::seconds(seconds)), text);
    }

    void encryptsAndDecryptsWithProgressAndResult() {
        const auto data = PatternBytes(3u << 20);
        WriteBytes(*dir / "a.txt", data);
        for (bool compress : {false, true}) {
            State().CompressOption = compress;
            jobs::JobThread::Start<TSifrele>(P("a.txt"), QString("şifre"), true, true);
            QVERIFY(State().JobsActive);
            QTRY_VERIFY(page->isVisible() || result->isVisible());
            WaitForReport();
            ExpectReport(Row(101), result->Ok);
            QVERIFY(QRegularExpression("^File Succesfully Encrypted Time:\\(0:00:\\d\\d\\)$")
                        .match(result->Mesaj->text())
                        .hasMatch());
            QVERIFY(!page->isVisible());
            QCOMPARE(page->Durum->value(), 0);
            QCOMPARE(dir->Entries(), std::vector<std::string>{"a.txt.zrk"});

            result->hide();
            jobs::JobThread::Start<TSifreCoz>(P("a.txt.zrk"), QString("şifre"), true, true);
            WaitForReport();
            ExpectReport(Row(101), result->Ok);
            QVERIFY(result->Mesaj->text().startsWith("Files Succesfully Decrypted Time:(0:00:"));
            QCOMPARE(dir->Entries(), std::vector<std::string>{"a.txt"});
            QVERIFY(ReadBytes(*dir / "a.txt") == data);
            result->hide();
        }
    }

    void wrongPasswordKeepsTheZrkFile() {
        WriteBytes(*dir / "a.txt", PatternBytes(1000));
        jobs::JobThread::Start<TSifrele>(P("a.txt"), QString("right"), true, true);
        WaitForReport();
        result->hide();
        const auto zrk = ReadBytes(*dir / "a.txt.zrk");
        jobs::JobThread::Start<TSifreCoz>(P("a.txt.zrk"), QString("wrong"), true, true);
        WaitForReport();
        ExpectReport(Row(39), result->Hata);
        QCOMPARE(result->Mesaj->text(), QString("The Password is Wrong"));
        QVERIFY(State().DecryptFailed);
        QVERIFY(ReadBytes(*dir / "a.txt.zrk") == zrk);
        QCOMPARE(dir->Entries(), std::vector<std::string>{"a.txt.zrk"});
    }

    void encryptionFailureKeepsTheSource() {
        WriteBytes(*dir / "a.txt", PatternBytes(10));
        State().CloseWhenJobsFinish = true;
        jobs::JobThread::Start<TSifrele>(P("a.txt"), QString(""), true, true);
        WaitForReport();
        ExpectReport(Row(39), result->Hata);
        QCOMPARE(result->Mesaj->text(), QString("Unable To Encrypt The File\r\n\"'-' is not a valid integer value\""));
        QVERIFY(State().EncryptFailed);
        QVERIFY(!State().CloseWhenJobsFinish); // an error is always seen: the program stays
        QCOMPARE(dir->Entries(), std::vector<std::string>{"a.txt"});

        // The next encryption that succeeds clears the failure and removes its source.
        result->hide();
        jobs::JobThread::Start<TSifrele>(P("a.txt"), QString("pw"), true, true);
        WaitForReport();
        ExpectReport(Row(101), result->Ok);
        QVERIFY(!State().EncryptFailed);
        QCOMPARE(dir->Entries(), std::vector<std::string>{"a.txt.zrk"});
    }

    // Jobs of a batch show nothing, except a failed decryption.
    void jobsWithoutWindowsShowOnlyDecryptionFailures() {
        WriteBytes(*dir / "a.txt", PatternBytes(100));
        auto job = jobs::JobThread::StartOwned<TSifrele>(P("a.txt"), QString("pw"), false, false);
        job->WaitFor();
        DeliverQueuedCalls();
        QVERIFY(!result->isVisible() && !page->isVisible());
        QCOMPARE(dir->Entries(), std::vector<std::string>{"a.txt.zrk"});

        auto failed = jobs::JobThread::StartOwned<TSifrele>(P("missing"), QString("pw"), false, false);
        failed->WaitFor();
        DeliverQueuedCalls();
        QVERIFY(!result->isVisible());
        QVERIFY(State().EncryptFailed);

        auto wrong = jobs::JobThread::StartOwned<TSifreCoz>(P("a.txt.zrk"), QString("bad"), false, false);
        wrong->WaitFor();
        QTRY_VERIFY(result->isVisible());
        QCOMPARE(result->Mesaj->text(), QString("The Password is Wrong"));
    }

    // Cancel on the progress page: No lets the job run on, Yes stops it; the source stays.
    void cancelQuestion() {
        const auto data = PatternBytes(300000);
        for (bool confirm : {false, true}) {
            WriteBytes(*dir / "a.bin", data);
            {
                FileEventGate gate(OutputCreation(), NameIs("a.bin.zrk"));
                jobs::JobThread::Start<TSifrele>(P("a.bin"), QString("pw"), true, true);
                QTRY_VERIFY(gate.Reached() && page->isVisible());
                DialogScript script;
                script
                    .ExpectMessage(Row(77), Row(40), QMessageBox::Warning,
                                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
                    .Answer(confirm ? QMessageBox::Yes : QMessageBox::No);
                page->iptalClick();
                QVERIFY(script.VerifyDone());
                QCOMPARE(page->isVisible(), !confirm);
                QCOMPARE(State().CancelRequested.load(), confirm);
            }
            WaitForReport();
            if (confirm) {
                ExpectReport(Row(77), result->UyariResim);
                QCOMPARE(result->Mesaj->text(), QString("Process Has Been Cancelled !"));
                QVERIFY(!State().CancelRequested);
                QCOMPARE(dir->Entries(), std::vector<std::string>{"a.bin"});
                QVERIFY(ReadBytes(*dir / "a.bin") == data);
            } else {
                ExpectReport(Row(101), result->Ok);
                QCOMPARE(dir->Entries(), std::vector<std::string>{"a.bin.zrk"});
                fs::remove(*dir / "a.bin.zrk");
            }
            result->hide();
        }
    }

    // A cancel confirmed after the last chunk, while the output is being flushed, still discards
    // the finished output and keeps the source.
    void cancelAfterTheLastChunkDiscardsTheOutput() {
        const auto data = PatternBytes(5000);
        WriteBytes(*dir / "a.txt", data);
        jobs::JobThread::Start<TSifrele>(P("a.txt"), QString("pw"), true, true);
        WaitForReport();
        result->hide();
        const auto zrk = ReadBytes(*dir / "a.txt.zrk");
        // While the output's contents are flushed, and after its folder entry is flushed.
        for (auto [encrypt, when] : {std::pair{true, FileEvent::SyncFile}, std::pair{true, FileEvent::SyncFolder},
                                     std::pair{false, FileEvent::SyncFile}, std::pair{false, FileEvent::SyncFolder}}) {
            if (encrypt) WriteBytes(*dir / "b.txt", data);
            SetFileEventHook([when](FileEvent event, const std::string&) {
                if (event == when) { // what a confirmed cancel on the page does
                    State().CancelRequested = true;
                    State().JobsActive = false;
                }
                return 0;
            });
            StartWindowJob(encrypt, encrypt ? "b.txt" : "a.txt.zrk");
            WaitForReport();
            SetFileEventHook({});
            ExpectReport(Row(77), result->UyariResim);
            QCOMPARE(result->Mesaj->text(), QString("Process Has Been Cancelled !"));
            QVERIFY(!State().CancelRequested);
            QCOMPARE(dir->Entries(), (std::vector<std::string>{"a.txt.zrk", "b.txt"}));
            QVERIFY(ReadBytes(*dir / "a.txt.zrk") == zrk);
            result->hide();
        }
    }

    // The output is complete but the source cannot be removed: an error that says both, with the
    // job's own success text; both files stay.
    void sourceThatCannotBeRemovedIsAnError_data() {
        QTest::addColumn<bool>("encrypt");
        QTest::newRow("encryption") << true;
        QTest::newRow("decryption") << false;
    }
    void sourceThatCannotBeRemovedIsAnError() {
        QFETCH(bool, encrypt);
        const auto data = PatternBytes(5000);
        WriteBytes(*dir / "a.txt", data);
        if (!encrypt) {
            jobs::JobThread::Start<TSifrele>(P("a.txt"), QString("pw"), true, true);
            WaitForReport();
            result->hide();
        }
        const std::string source = *dir / (encrypt ? "a.txt" : "a.txt.zrk");
        SetFileEventHook([source](FileEvent event, const std::string& path) {
            return event == FileEvent::Remove && path == source ? EACCES : 0;
        });
        State().CloseWhenJobsFinish = true;
        StartWindowJob(encrypt, encrypt ? "a.txt" : "a.txt.zrk");
        WaitForReport();
        SetFileEventHook({});
        ExpectReport(Row(39), result->Hata);
        const QString text = result->Mesaj->text();
        const QString success =
            encrypt ? "File Succesfully Encrypted Time:(0:00:" : "Files Succesfully Decrypted Time:(0:00:";
        QVERIFY2(text.startsWith(success), qPrintable(text));
        QVERIFY2(
            text.endsWith(")\r\n\"Cannot delete file \"" + QString::fromStdString(source) + "\". Permission denied\""),
            qPrintable(text));
        QVERIFY(encrypt ? State().EncryptFailed : State().DecryptFailed);
        QVERIFY(!State().CloseWhenJobsFinish);
        QCOMPARE(dir->Entries(), (std::vector<std::string>{"a.txt", "a.txt.zrk"}));
        QVERIFY(ReadBytes(*dir / "a.txt") == data);
    }

    // Continue in background hides the page; the job goes on and still reports.
    void continueInBackground() {
        WriteBytes(*dir / "a.bin", PatternBytes(300000));
        {
            FileEventGate gate(OutputCreation(), NameIs("a.bin.zrk"));
            jobs::JobThread::Start<TSifrele>(P("a.bin"), QString("pw"), true, true);
            QTRY_VERIFY(gate.Reached() && page->isVisible());
            page->ArkaplandaDevamEtClick();
            QVERIFY(!page->isVisible());
        }
        WaitForReport();
        ExpectReport(Row(101), result->Ok);
        QVERIFY(!page->isVisible());
        QCOMPARE(page->Durum->value(), 0);
        QCOMPARE(dir->Entries(), std::vector<std::string>{"a.bin.zrk"});
    }
};

QTEST_MAIN(JobsTest)
#include "test_jobs.moc"
