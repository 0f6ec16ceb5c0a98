// The folder batches through the folder window, the batch jobs and the result window (offscreen).
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <system_error>
#include <thread>
#include <unistd.h>

#include "DialogScript.h"
#include "FileEventGate.h"
#include "TempDir.h"
#include "core/container/FileJob.h"
#include "core/container/Naming.h"
#include "core/lang/Language.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Paths.h"
#include "core/state/SharedState.h"
#include "gui/jobs/DurumBelirt.h"
#include "gui/jobs/DurumSayfasi.h"
#include "gui/jobs/KlasordekiDosyalariSifrelemePenceresi.h"
#include "gui/jobs/SifreleJobs.h"
#include "gui/jobs/TopluJobs.h"

using namespace zarkent;
using namespace zarkent::test;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {

QString Row(int row) {
    return QString::fromStdString(Lang().Row(row));
}

// Where a batch ran, as its report names it.
QString InFolder(const std::string& folder) {
    return Row(kRowBatchFolder).arg(QString::fromStdString(folder));
}
QString OfList(int files) {
    return Row(kRowBatchFileCount).arg(files);
}
// A batch's report: its title, where it ran and how many files it did.
QString Encrypted(const QString& where, int done, int titleRow = 95) {
    return Row(titleRow) + "\r\n" + where + "\r\n" + Row(kRowBatchEncryptedCount).arg(done);
}
QString Decrypted(const QString& where, int done, int titleRow = 97) {
    return Row(titleRow) + "\r\n" + where + "\r\n" + Row(kRowBatchDecryptedCount).arg(done);
}
// And of a batch that a file stopped: that file with its reason, and the files left untouched after it.
QString StoppedAt(const std::string& file, const QString& reason, int untouched) {
    return "\r\n" + Row(kRowBatchStoppedAt).arg(QString::fromStdString(file)) + "\r\n" + reason + "\r\n" +
           Row(kRowBatchUntouched).arg(untouched);
}

// Stands in for the main window.
struct FakeMain : FolderWindowHost {
    QWidget window;
    int resets = 0;
    int clearedWithRow = 0;
    void ResetToEncryption() override { ++resets; }
    void ClearAfterBatchStart(int captionRow) override { clearedWithRow = captionRow; }
    void ShowMainWindow() override { window.show(); }
};

} // namespace

class BatchesTest : public QObject {
    Q_OBJECT

    TDurumSayfasi* page = nullptr;
    TDurumBelirt* result = nullptr;
    TKlasoriciSifrelemePenceresi* folder = nullptr;
    std::unique_ptr<FakeMain> main;
    std::unique_ptr<TempDir> dir;
    int highestBar = 0; // the highest position the folder bar reached in this test

    std::string Folder() const { return dir->Path().string() + "/"; }
    void MakeFiles(int count, const char* prefix = "f") {
        for (int i = 0; i < count; ++i)
            WriteBytes(*dir / (prefix + std::to_string(1000 + i)), PatternBytes(100, i));
    }
    // Hands a folder over as the main window does, and presses basla.
    void StartFolder(int direction, const std::string& password = "pw") {
        State().BatchDirection = static_cast<std::uint8_t>(direction);
        State().BatchFolder = Folder();
        State().BatchFromMain = true;
        folder->show();
        State().BatchPassword = password;
        folder->basla->click();
    }
    void WaitForBatch() {
        QTRY_VERIFY_WITH_TIMEOUT(result->isVisible(), 60000);
        QTRY_VERIFY_WITH_TIMEOUT(!State().JobsActive, 60000);
        QCoreApplication::sendPostedEvents();
    }

private slots:
    void initTestCase() {
        Lang().ActiveLanguage = kLanguageEnglish;
        Lang().CopySet();
        page = new TDurumSayfasi;
        result = new TDurumBelirt;
        result->SetQuitHook([] {});
        folder = new TKlasoriciSifrelemePenceresi;
        connect(folder->Durum, &QProgressBar::valueChanged, this,
                [this](int value) { highestBar = std::max(highestBar, value); });
    }
    void cleanupTestCase() {
        SetJobWindows(JobWindows());
        delete folder;
        delete page;
        delete result;
    }
    void init() {
        dir = std::make_unique<TempDir>();
        main = std::make_unique<FakeMain>();
        main->window.show();
        folder->SetHost(main.get());
        SetJobWindows(JobWindows(page, result, folder, &main->window));
        result->hide();
        result->StopTimer();
        folder->hide();
        highestBar = 0;
        SharedState& s = State();
        s.StartMode = 0;
        s.JobsActive = false;
        s.CloseWhenJobsFinish = false;
        s.CancelRequested = false;
        // BatchStopRequested is left as the last test left it: starting a batch must clear it.
        s.EncryptFailed = false;
        s.DecryptFailed = false;
        s.BatchPassword.clear();
        s.BatchFolder.clear();
        s.BatchFileList.clear();
        s.ProgramFolder = "/opt/zarkent/";
    }

    // What a folder gives a batch, and how the bar moves: below 100 files one step per file with the
    // count as maximum; from 100 on, maximum 100 and one step every ceil(count / 100) files.
    void folderContents_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("steps");
        QTest::newRow("3 files and 2 subfolders") << 3 << 3 << 3;
        QTest::newRow("100 files") << 100 << 100 << 100;
        QTest::newRow("250 files") << 250 << 100 << 83;
    }
    void folderContents() {
        QFETCH(int, files);
        QFETCH(int, maximum);
        QFETCH(int, steps);
        MakeFiles(files);
        fs::create_directory(*dir / "sub1");
        fs::create_directory(*dir / "sub2");
        int seenMaximum = 0;
        {
            // The first file: the bar's maximum is set by then.
            FileEventGate gate(OutputCreation(), NameIs("f1000.zrk"));
            StartFolder(1);
            QTRY_VERIFY(gate.Reached());
            QCoreApplication::sendPostedEvents();
            seenMaximum = folder->Durum->maximum();
            QVERIFY(!main->window.isVisible()); // the main window is hidden while a batch runs
            QCOMPARE(folder->mesaj->text(), Row(91));
            QCOMPARE(folder->windowTitle(), Row(91));
            QCOMPARE(main->clearedWithRow, 54);
        }
        WaitForBatch();
        QCOMPARE(seenMaximum, maximum);
        QCOMPARE(highestBar, steps);
        QCOMPARE(result->Mesaj->text(), Encrypted(InFolder(Folder()), files));
        QVERIFY(main->window.isVisible());
        QVERIFY(!folder->isVisible());
        QCOMPARE(folder->Durum->maximum(), 100);
        QCOMPARE(folder->mesaj->text(), Row(43));
        QCOMPARE(folder->windowTitle(), Row(23));
        const Names entries = dir->Entries();
        QCOMPARE(int(entries.size()), files + 2);
        for (const std::string& name : entries)
            QVERIFY2(name.starts_with("sub") || name.ends_with(".zrk"), name.c_str());

        // And back: every .zrk file of the folder.
        result->hide();
        highestBar = 0;
        StartFolder(2);
        WaitForBatch();
        QCOMPARE(result->Mesaj->text(), Decrypted(InFolder(Folder()), files));
        QCOMPARE(highestBar, steps);
        QCOMPARE(int(dir->Entries().size()), files + 2);
        QVERIFY(ReadBytes(*dir / "f1000") == PatternBytes(100, 0));
    }

    // Names with blanks, quotes, commas, newlines or bytes that are not UTF-8 go through like any other.
    void oddNamesGoThrough() {
        const std::string names[] = {"a b, \"c\".txt", "new\nline", "bad \xff\xfe bytes"};
        for (const std::string& name : names)
            WriteBytes(*dir / name, PatternBytes(500));
        StartFolder(1);
        WaitForBatch();
        QCOMPARE(result->Mesaj->text(), Encrypted(InFolder(Folder()), 3));
        for (const std::string& name : names)
            QVERIFY2(fs::exists(*dir / (name + ".zrk")), name.c_str());
        result->hide();
        StartFolder(2);
        WaitForBatch();
        QCOMPARE(result->Mesaj->text(), Decrypted(InFolder(Folder()), 3));
        for (const std::string& name : names)
            QVERIFY2(ReadBytes(*dir / name) == PatternBytes(500), name.c_str());
    }

    // Only names ending exactly in ".zrk" are decrypted; a folder without any shows the warning and
    // resets the main window, and no batch starts.
    void decryptionTakesOnlyZrkFiles() {
        WriteBytes(*dir / "a", PatternBytes(10));
        RemoveSource(*dir / "a", EncryptOneFile(*dir / "a", "pw", {}));
        fs::copy_file(*dir / "a.zrk", *dir / "b.ZRK");
        StartFolder(2);
        WaitForBatch();
        QCOMPARE(result->Mesaj->text(), Decrypted(InFolder(Folder()), 1));
        QCOMPARE(dir->Entries(), (Names{"a", "b.ZRK"}));

        result->hide();
        DialogScript script;
        script.ExpectMessage(Row(77), Row(37), QMessageBox::Warning, QMessageBox::Ok).Answer(QMessageBox::Ok);
        fs::remove(*dir / "b.ZRK");
        StartFolder(2);
        QVERIFY(script.VerifyDone());
        QCOMPARE(main->resets, 1);
        QVERIFY(folder->isVisible()); // the window stays open
        QVERIFY(!State().JobsActive && !result->isVisible());
        QVERIFY(State().BatchPassword.empty() && State().BatchFolder.empty() && !State().BatchFromMain);
    }

    // A list without any ".zrk" name (handed over by the main window) reports row 94 and row 108.
    void listWithoutZrkNames() {
        WriteBytes(*dir / "x.ZRK", {1});
        State().StartMode = 4;
        State().CmdLineFiles = {*dir / "x.ZRK"};
        State().CmdLineFileCount = 1;
        State().BatchDirection = 2;
        StartFolder(2);
        WaitForBatch();
        QCOMPARE(result->Mesaj->text(), Row(94) + "\r\n" + Row(108));
        QCOMPARE(result->windowTitle(), Row(39));
        QCOMPARE(dir->Entries(), Names{"x.ZRK"});
    }

    // The first failed file stops the batch. The report names where the batch ran (the folder, or the
    // number of files handed over), how many files were done, the file that stopped it with the reason
    // its own job gives for that error (a damaged file, a wrong password, a full disk), and how many
    // files the batch left untouched after it; the failed file and the later ones keep their contents.
    void failedFileStopsTheBatch_data() {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("failing"); // index of the file that fails, of five
        QTest::addColumn<bool>("fromList");
        QTest::newRow("decryption, third of five damaged") << 2 << "damaged" << 2 << false;
        QTest::newRow("decryption, fourth has another password, list") << 2 << "password" << 3 << true;
        QTest::newRow("decryption, first has another password") << 2 << "password" << 0 << false;
        QTest::newRow("encryption, disk full at the third") << 1 << "full" << 2 << false;
        QTest::newRow("encryption, disk full at the second, list") << 1 << "full" << 1 << true;
    }
    void failedFileStopsTheBatch() {
        QFETCH(int, direction);
        QFETCH(QString, fault);
        QFETCH(int, failing);
        QFETCH(bool, fromList);
        MakeFiles(5);
        Names files;
        for (int i = 0; i < 5; ++i) {
            std::string file = *dir / ("f" + std::to_string(1000 + i));
            if (direction == 2) {
                RemoveSource(file, EncryptOneFile(file, fault == "password" && i == failing ? "other" : "pw", {}));
                file += ".zrk";
            }
            files.push_back(file);
        }
        const std::string failed = files[std::size_t(failing)];
        if (fault == "damaged") fs::resize_file(failed, fs::file_size(failed) / 2);
        if (fault == "full") {
            SetFileEventHook([name = NamePart(failed) + ".zrk"](FileEvent event, const std::string& path) {
                return event == FileEvent::SyncFile && NamePart(path) == name ? ENOSPC : 0;
            });
        }
        struct RemoveHook {
            ~RemoveHook() { SetFileEventHook({}); }
        } removeHook;
        std::vector<std::vector<std::uint8_t>> before;
        for (const std::string& file : files)
            before.push_back(ReadBytes(file));

        // What the file's own job says about it.
        if (direction == 1)
            jobs::JobThread::Start<TSifrele>(QString::fromStdString(failed), QString("pw"), true, false);
        else
            jobs::JobThread::Start<TSifreCoz>(QString::fromStdString(failed), QString("pw"), false, true);
        QVERIFY(jobs::JobThread::WaitForAll(std::chrono::seconds(20)));
        QCoreApplication::sendPostedEvents();
        QVERIFY(result->isVisible());
        const QString reason = result->Mesaj->text();
        if (fault == "password")
            QCOMPARE(reason, Row(99));
        else
            QVERIFY2(reason != Row(99) && !reason.isEmpty(), qPrintable(reason));
        result->hide();
        State().EncryptFailed = State().DecryptFailed = false;

        if (fromList) {
            State().StartMode = 4;
            State().CmdLineFiles = files;
            State().CmdLineFileCount = 5;
        }
        StartFolder(direction);
        QTRY_VERIFY_WITH_TIMEOUT(!State().JobsActive && result->isVisible(), 20000);
        QVERIFY(jobs::JobThread::WaitForAll(std::chrono::seconds(20)));
        QCoreApplication::sendPostedEvents();

        const QString where = fromList ? OfList(5) : InFolder(Folder());
        const QString expected = (direction == 1 ? Encrypted(where, failing, 96) : Decrypted(where, failing, 98)) +
                                 StoppedAt(failed, reason, 4 - failing);
        QCOMPARE(result->windowTitle(), Row(39));
        QCOMPARE(result->Mesaj->text(), expected);
        for (int i = 0; i < 5; ++i) {
            const std::string& file = files[std::size_t(i)];
            if (i < failing) {
                // Done: replaced by its counterpart.
                QVERIFY2(!fs::exists(file), file.c_str());
                QVERIFY(fs::exists(direction == 1 ? file + ".zrk" : file.substr(0, file.size() - 4)));
            } else {
                QVERIFY2(ReadBytes(file) == before[std::size_t(i)], file.c_str());
            }
        }
        QCOMPARE(int(dir->Entries().size()), 5);
        // Everything is as after any other end of a batch.
        QVERIFY(!folder->isVisible());
        QCOMPARE(folder->Durum->maximum(), 100);
        QCOMPARE(folder->Durum->value(), 0);
        QCOMPARE(folder->mesaj->text(), Row(direction == 1 ? 43 : 44));
        QCOMPARE(folder->windowTitle(), Row(23));
        QVERIFY(main->window.isVisible());
    }

    // The report in words, not only in rows: a damaged third file of five in a folder, in English.
    void stoppedReportReadsWell() {
        MakeFiles(5);
        for (int i = 0; i < 5; ++i) {
            const std::string file = *dir / ("f" + std::to_string(1000 + i));
            RemoveSource(file, EncryptOneFile(file, "pw", {}));
        }
        WriteBytes(*dir / "f1002.zrk", {1, 2, 3});
        StartFolder(2);
        QTRY_VERIFY_WITH_TIMEOUT(!State().JobsActive && result->isVisible(), 20000);
        QVERIFY(jobs::JobThread::WaitForAll(std::chrono::seconds(20)));
        QCoreApplication::sendPostedEvents();
        const QStringList lines = result->Mesaj->text().split("\r\n");
        QVERIFY2(lines.size() == 6, qPrintable(result->Mesaj->text()));
        QCOMPARE(lines[0], QString("Unable to Decrypt The Files Specified"));
        QCOMPARE(lines[1], "Folder: \"" + QString::fromStdString(Folder()) + "\"");
        QCOMPARE(lines[2], QString("Files decrypted: 2"));
        QCOMPARE(lines[3], "Stopped at the file: \"" + QString::fromStdString(*dir / "f1002.zrk") + "\"");
        QVERIFY(lines[4] != QString("The Password is Wrong"));
        QCOMPARE(lines[5], QString("Files left untouched: 2"));
    }

    // Every text of the folder window names the direction that runs, in both languages: the running
    // text and caption while a batch runs, and after it ends the choose-a-folder text of its direction
    // and the plain choose-a-folder caption, so that nothing of one direction stays for the other.
    void folderWindowNamesTheDirection_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("Turkish") << int(kLanguageTurkish);
        QTest::newRow("English") << int(kLanguageEnglish);
    }
    void folderWindowNamesTheDirection() {
        QFETCH(int, language);
        Lang().ActiveLanguage = static_cast<std::uint8_t>(language);
        Lang().CopySet();
        struct BackToEnglish {
            ~BackToEnglish() {
                Lang().ActiveLanguage = kLanguageEnglish;
                Lang().CopySet();
            }
        } backToEnglish;
        folder->UpdateCaptions();
        MakeFiles(2);
        for (int direction : {1, 2, 1}) {
            result->hide();
            {
                // Mid-way: the first output coming into being, or the first source going.
                FileEventGate gate(direction == 1 ? OutputCreation() : FileEvent::Remove, NameIs("f1000.zrk"));
                StartFolder(direction);
                QTRY_VERIFY(gate.Reached());
                QCoreApplication::sendPostedEvents();
                QCOMPARE(folder->mesaj->text(), Row(direction == 1 ? 91 : 92));
                QCOMPARE(folder->windowTitle(), Row(direction == 1 ? 91 : 92));
            }
            WaitForBatch();
            QCOMPARE(result->Mesaj->text(),
                     direction == 1 ? Encrypted(InFolder(Folder()), 2) : Decrypted(InFolder(Folder()), 2));
            QCOMPARE(folder->mesaj->text(), Row(direction == 1 ? 43 : 44));
            QCOMPARE(folder->windowTitle(), Row(23));
        }
        // A batch stopped with the cancel button resets the captions too.
        result->hide();
        {
            FileEventGate gate(FileEvent::Remove, NameIs("f1000.zrk"));
            StartFolder(2);
            QTRY_VERIFY(gate.Reached());
            folder->iptal->click();
        }
        QVERIFY(jobs::JobThread::WaitForAll(std::chrono::seconds(20)));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(folder->mesaj->text(), Row(44));
        QCOMPARE(folder->windowTitle(), Row(23));
        QCOMPARE(folder->Durum->maximum(), 100);
    }

    // Cancel in the folder window during file 3 of 10: files 1 to 3 are done, 4 to 10 untouched, no
    // report, the main window back.
    void cancelBetweenFiles() {
        MakeFiles(10);
        {
            FileEventGate gate(OutputCreation(), NameIs("f1002.zrk"));
            StartFolder(1);
            QTRY_VERIFY(gate.Reached());
            folder->iptal->click();
            QVERIFY(State().BatchStopRequested);
            QVERIFY(main->window.isVisible());
            QVERIFY(!folder->isVisible());
        }
        QVERIFY(jobs::JobThread::WaitForAll(std::chrono::seconds(20))); // the batch leaves after the third file
        QCoreApplication::sendPostedEvents();
        QVERIFY(!result->isVisible());
        Names expected{"f1000.zrk", "f1001.zrk", "f1002.zrk"};
        for (int i = 3; i < 10; ++i)
            expected.push_back("f" + std::to_string(1000 + i));
        QCOMPARE(dir->Entries(), expected);

        // The stop belonged to that batch: the next one takes every file of its folder.
        TempDir other;
        for (const char* name : {"a", "b", "c", "d"})
            WriteBytes(other / name, PatternBytes(300));
        State().BatchFolder = other.Path().string() + "/";
        State().BatchFromMain = true;
        folder->show();
        State().BatchPassword = "pw";
        folder->basla->click();
        QVERIFY(jobs::JobThread::WaitForAll(std::chrono::seconds(20)));
        QCoreApplication::sendPostedEvents();
        QVERIFY(result->isVisible());
        QCOMPARE(result->Mesaj->text(), Encrypted(InFolder(other.Path().string() + "/"), 4));
        QCOMPARE(other.Entries(), (Names{"a.zrk", "b.zrk", "c.zrk", "d.zrk"}));
    }

    // A folder of exactly as many files as a batch takes starts its batch.
    void tenThousandFilesStart() {
        for (int i = 0; i < 10000; ++i) {
            const std::string name = *dir / ("f" + std::to_string(10000 + i));
            const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        {
            FileEventGate gate(OutputCreation(), NameIs("f10000.zrk"));
            StartFolder(1);
            QTRY_VERIFY(gate.Reached());
            QCoreApplication::sendPostedEvents();
            QCOMPARE(State().CmdLineFileCount, 10000);
            QCOMPARE(folder->mesaj->text(), Row(91));
            QVERIFY(!main->window.isVisible());
            folder->iptal->click(); // one file is enough to know it started
        }
        QVERIFY(jobs::JobThread::WaitForAll(std::chrono::seconds(20)));
        QCoreApplication::sendPostedEvents();
        QVERIFY(!result->isVisible());
        const Names entries = dir->Entries();
        QCOMPARE(int(entries.size()), 10000);
        QCOMPARE(entries.front(), std::string("f10000.zrk"));
        QCOMPARE(entries[1], std::string("f10001"));
    }

    // A failure that is not a failed file (a job that cannot be started, memory running out) ends the
    // batch through its error step like any other: the error is reported, the folder window is reset,
    // the main window is back and JobsActive is clear; files before it stay processed.
    void otherFailuresGoThroughTheErrorStep_data() {
        QTest::addColumn<int>("direction");
        QTest::addColumn<bool>("outOfMemory");
        QTest::newRow("encryption, thread not started") << 1 << false;
        QTest::newRow("encryption, out of memory") << 1 << true;
        QTest::newRow("decryption, thread not started") << 2 << false;
        QTest::newRow("decryption, out of memory") << 2 << true;
    }
    void otherFailuresGoThroughTheErrorStep() {
        QFETCH(int, direction);
        QFETCH(bool, outOfMemory);
        MakeFiles(3);
        if (direction == 2) {
            for (int i = 0; i < 3; ++i) {
                const std::string file = *dir / ("f" + std::to_string(1000 + i));
                RemoveSource(file, EncryptOneFile(file, "pw", {}));
            }
        }
        const std::string second = direction == 1 ? "f1001" : "f1001.zrk";
        BatchJob::SetFileStartHook([second, outOfMemory](const std::string& file) {
            if (NamePart(file) != second) return;
            if (outOfMemory) throw std::bad_alloc();
            throw std::system_error(EAGAIN, std::generic_category(), "Cannot start a thread");
        });
        struct RemoveHook {
            ~RemoveHook() { BatchJob::SetFileStartHook({}); }
        } removeHook;
        StartFolder(direction);
        QVERIFY(jobs::JobThread::WaitForAll(std::chrono::seconds(20)));
        QCoreApplication::sendPostedEvents();

        const QString message =
            outOfMemory ? std::bad_alloc().what()
                        : std::system_error(EAGAIN, std::generic_category(), "Cannot start a thread").what();
        QVERIFY(result->isVisible());
        QCOMPARE(result->windowTitle(), Row(39));
        const QString where = InFolder(Folder());
        QCOMPARE(result->Mesaj->text(), (direction == 1 ? Encrypted(where, 1, 96) : Decrypted(where, 1, 98)) +
                                            StoppedAt(*dir / second, message, 1));
        QVERIFY(!State().JobsActive);
        QVERIFY(main->window.isVisible());
        QVERIFY(!folder->isVisible());
        QCOMPARE(folder->mesaj->text(), Row(direction == 1 ? 43 : 44));
        const Names expected =
            direction == 1 ? Names{"f1000.zrk", "f1001", "f1002"} : Names{"f1000", "f1001.zrk", "f1002.zrk"};
        QCOMPARE(dir->Entries(), expected);
    }

    // More files than a batch takes: row 107, nothing runs, no flag changes; the window stays open.
    void moreThan10000FilesAreRefused() {
        MakeFiles(2);
        State().StartMode = 4;
        State().CmdLineFiles = {*dir / "f1000", *dir / "f1001"};
        State().CmdLineFileCount = 10001;
        State().BatchStopRequested = true;
        DialogScript script;
        script.ExpectMessage().Text(Row(107)).Answer(QMessageBox::Ok);
        StartFolder(1);
        QVERIFY(script.VerifyDone());
        QVERIFY(State().BatchStopRequested && !State().JobsActive);
        QVERIFY(folder->isVisible() && main->window.isVisible());
        QCOMPARE(dir->Entries(), (Names{"f1000", "f1001"}));
        QVERIFY(State().BatchPassword.empty());
    }

    // Protected folders are refused however they are written (without their separator, through a link,
    // from the folder dialog or handed over), with a message that names the folder and says why; nothing
    // in them is listed or touched.
    void protectedFoldersAreRefused_data() {
        QTest::addColumn<QString>("given"); // "@name": a folder of the test's own
        QTest::addColumn<bool>("viaDialog");
        QTest::addColumn<int>("row");
        QTest::newRow("program folder without separator") << "@prog" << false << kRowProtectedProgramFolder;
        QTest::newRow("program folder through a link") << "@to-prog" << false << kRowProtectedProgramFolder;
        QTest::newRow("program folder chosen") << "@prog" << true << kRowProtectedProgramFolder;
        QTest::newRow("home folder") << "@home" << false << kRowProtectedHomeFolder;
        QTest::newRow("boot without separator") << "/boot" << false << kRowProtectedSystemFolder;
        QTest::newRow("etc chosen") << "/etc" << true << kRowProtectedSystemFolder;
        QTest::newRow("usr") << "/usr/" << false << kRowProtectedSystemFolder;
        QTest::newRow("root") << "/" << false << kRowProtectedSystemFolder;
    }
    void protectedFoldersAreRefused() {
        QFETCH(QString, given);
        QFETCH(bool, viaDialog);
        QFETCH(int, row);
        for (const char* name : {"prog", "home"}) {
            fs::create_directory(*dir / name);
            WriteBytes(*dir / (std::string(name) + "/f"), {1});
        }
        QVERIFY(MakeSymlink(*dir / "prog", *dir / "to-prog"));
        State().ProgramFolder = *dir / "prog/";
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QByteArray::fromStdString(*dir / "home"));
        const std::string path = given.startsWith('@') ? *dir / given.mid(1).toStdString() : given.toStdString();
        const std::string named = viaDialog && !path.ends_with('/') ? path + "/" : path;

        State().BatchDirection = 1;
        State().BatchPassword = "pw";
        DialogScript script;
        if (viaDialog) {
            script.ExpectFolder().Caption(Row(23)).Answer(QString::fromStdString(path));
        } else {
            State().BatchFolder = path;
            State().BatchFromMain = true;
        }
        script
            .ExpectMessage(Row(39), Row(row).arg(QString::fromStdString(named)), QMessageBox::Warning, QMessageBox::Ok)
            .Answer(QMessageBox::Ok);
        folder->show(); // a hand-over presses basla itself
        if (viaDialog) folder->baslaClick();
        qputenv("HOME", oldHome);
        QVERIFY(script.VerifyDone());
        QVERIFY(!folder->isVisible() && !State().JobsActive);
        QVERIFY(State().BatchFileList.empty());
        QCOMPARE(ReadBytes(*dir / "prog/f"), std::vector<std::uint8_t>{1});
        QCOMPARE(ReadBytes(*dir / "home/f"), std::vector<std::uint8_t>{1});
    }

    // Only the folder itself is protected: a folder below the program's folder is processed.
    void folderBelowAProtectedFolderIsProcessed() {
        MakeFiles(1);
        State().ProgramFolder = dir->Path().parent_path().string() + "/";
        StartFolder(1);
        WaitForBatch();
        QCOMPARE(result->Mesaj->text(), Encrypted(InFolder(Folder()), 1));
        QCOMPARE(dir->Entries(), (Names{"f1000.zrk"}));
    }

    // A folder chosen in the dialog whose name Qt could not decode is refused with its folder named:
    // it could lead to another folder.
    void undecodableFolderNameIsRefused() {
        fs::create_directory(*dir / "d\xff");
        fs::create_directory(*dir / "d\xef\xbf\xbd");
        WriteBytes(*dir / "d\xef\xbf\xbd/f", {1});
        State().BatchDirection = 1;
        State().BatchPassword = "pw";
        folder->show();
        DialogScript script;
        script.ExpectFolder().Answer(QString::fromStdString(*dir / "d\xff"));
        script
            .ExpectMessage(Row(39), Row(kRowUndecodableName).arg(QString::fromStdString(dir->Path().string())),
                           QMessageBox::Warning, QMessageBox::Ok)
            .Answer(QMessageBox::Ok);
        folder->baslaClick();
        QVERIFY(script.VerifyDone());
        QVERIFY(!folder->isVisible() && !State().JobsActive && State().BatchFileList.empty());
        QCOMPARE(ReadBytes(*dir / "d\xef\xbf\xbd/f"), std::vector<std::uint8_t>{1});
    }

    // An encryption batch never encrypts a .zrk file again (a second run over a folder after a stop):
    // neither from the folder scan nor from a list handed over. Other letter cases are plain files.
    void encryptionSkipsEncryptedFiles() {
        WriteBytes(*dir / "a.txt", PatternBytes(100, 1));
        WriteBytes(*dir / "b.zrk", {1, 2, 3});
        WriteBytes(*dir / "c.ZRK", PatternBytes(100, 3));
        StartFolder(1);
        WaitForBatch();
        QCOMPARE(result->Mesaj->text(), Encrypted(InFolder(Folder()), 2));
        QCOMPARE(dir->Entries(), (Names{"a.txt.zrk", "b.zrk", "c.ZRK.zrk"}));
        QCOMPARE(ReadBytes(*dir / "b.zrk"), (std::vector<std::uint8_t>{1, 2, 3}));
        QCOMPARE(highestBar, 2);

        result->hide();
        WriteBytes(*dir / "d", PatternBytes(100, 4));
        State().StartMode = 4;
        State().CmdLineFiles = {*dir / "b.zrk", *dir / "d"};
        State().CmdLineFileCount = 2;
        StartFolder(1);
        WaitForBatch();
        // A list counts every file handed over; the one already encrypted is not done again.
        QCOMPARE(result->Mesaj->text(), Encrypted(OfList(2), 1));
        QCOMPARE(dir->Entries(), (Names{"a.txt.zrk", "b.zrk", "c.ZRK.zrk", "d.zrk"}));
        QCOMPARE(ReadBytes(*dir / "b.zrk"), (std::vector<std::uint8_t>{1, 2, 3}));
    }

    // The password prompts: different texts are refused with row 52 and the window stays; two empty
    // answers (cancelled boxes) close the window.
    void passwordPrompts() {
        State().BatchDirection = 1;
        folder->show();
        {
            DialogScript script;
            script.ExpectQueryText(Row(77), Row(20)).Masked(true).Answer("one");
            script.ExpectQueryText(Row(77), Row(21)).Masked(true).Answer("two");
            script.ExpectMessage(Row(39), Row(52), QMessageBox::Critical, QMessageBox::Ok).Answer(QMessageBox::Ok);
            folder->baslaClick();
            QVERIFY(script.VerifyDone());
            QVERIFY(folder->isVisible() && State().BatchPassword.empty());
        }
        DialogScript script;
        script.ExpectQueryText(Row(77), Row(20)).Cancel();
        script.ExpectQueryText(Row(77), Row(21)).Cancel();
        folder->baslaClick();
        QVERIFY(script.VerifyDone());
        QVERIFY(!folder->isVisible());
    }

    // A second, smaller scan leaves nothing of the first in the list.
    void secondScanLeavesNoStaleNames() {
        MakeFiles(3);
        TempDir other;
        WriteBytes(other / "only", {1});
        {
            FileEventGate gate(OutputCreation(), NameIs("f1000.zrk"));
            StartFolder(1);
            QTRY_VERIFY(gate.Reached());
            QCOMPARE(State().BatchFileList.size(), std::size_t(3));
        }
        WaitForBatch();
        result->hide();
        State().BatchFolder = other.Path().string() + "/";
        State().BatchPassword = "pw";
        folder->basla->click();
        QCOMPARE(State().BatchFileList, Names{other.Path().string() + "/only"});
        WaitForBatch();
        QCOMPARE(other.Entries(), Names{"only.zrk"});
    }
};

QTEST_MAIN(BatchesTest)
#include "test_batches.moc"
