// The secure deletion dialog with its job, its progress updater and the result window (offscreen).
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <thread>

#include "DialogScript.h"
#include "FileEventGate.h"
#include "TempDir.h"
#include "core/lang/Language.h"
#include "core/platform/FileSystem.h"
#include "core/state/SharedState.h"
#include "gui/app/AnaSayfa.h"
#include "gui/jobs/DurumBelirt.h"
#include "gui/jobs/DurumSayfasi.h"
#include "gui/jobs/SifreleJobs.h"
#include "gui/wipe/GuvenliDosyaSiliciDialog_Kaynak.h"

using namespace zarkent;
using namespace zarkent::test;
namespace fs = std::filesystem;

namespace {

QString Row(int row) {
    return QString::fromStdString(Lang().Row(row));
}
QString Turkish(int row) {
    return QString::fromUtf8(TurkishText(row).data(), static_cast<qsizetype>(TurkishText(row).size()));
}
QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

} // namespace

class WipeDialogTest : public QObject {
    Q_OBJECT

    TDurumBelirt* result = nullptr;
    std::unique_ptr<TGuvenliDosyaSiliciDialog> dialog;
    std::unique_ptr<TempDir> dir;
    int quits = 0;

    QString P(const char* name) const { return QString::fromStdString(*dir / name); }

    // The confirmation of wiping `path` with the method chosen: the file, the method and the warning, with
    // No as the default button.
    static QString Confirmation(const QString& path) {
        const QString method = QString::fromStdString(Lang().WipeMethodName(State().SelectedWipeMethod)).trimmed();
        return Row(kRowWipeConfirmFile).arg(path) + "\r\n" + Row(kRowWipeConfirmMethod).arg(method) + "\r\n\r\n" +
               Row(50);
    }
    // The open dialog answered with `path`, then the confirmation with `answer`.
    static void ScriptChoice(DialogScript& script, const QString& path, QMessageBox::StandardButton answer) {
        script.ExpectOpenFile().Caption(Row(49)).Filter(Row(45)).Answer(path);
        script.ExpectMessage(Row(47), Confirmation(path), QMessageBox::Question, QMessageBox::Yes | QMessageBox::No)
            .DefaultButton(QMessageBox::No)
            .Answer(answer);
    }
    void WaitForReport() {
        QTRY_VERIFY_WITH_TIMEOUT(result->isVisible(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->DosyaSil_DosyaSec->isEnabled(), 30000);
    }
    void ExpectIdle() {
        QVERIFY(dialog->DosyaSil_DosyaSec->isEnabled());
        QCOMPARE(dialog->DosyaSil_DosyaSec->text(), Row(22));
        QCOMPARE(dialog->SilinmekUzereSeciliDosya->text(), QString("..."));
        QVERIFY(!State().JobsActive);
        QVERIFY(!State().WipeFinished); // the updater cleared it for the next deletion
    }
    void ExpectReport(int captionRow, QLabel* image) {
        QCOMPARE(result->windowTitle(), Row(captionRow));
        for (QLabel* each : {result->Ok, result->Hata, result->UyariResim})
            QCOMPARE(each->isVisibleTo(result), each == image);
    }

private slots:
    void initTestCase() {
        Lang().ActiveLanguage = kLanguageEnglish;
        Lang().CopySet();
        result = new TDurumBelirt;
        result->SetQuitHook([] {});
        SetJobWindows(JobWindows(nullptr, result));
    }
    void cleanupTestCase() {
        SetJobWindows(JobWindows());
        delete result;
    }
    void init() {
        dir = std::make_unique<TempDir>();
        dialog = std::make_unique<TGuvenliDosyaSiliciDialog>();
        dialog->SetQuitHook([this] { ++quits; });
        dialog->UpdateCaptions(); // English; the designed captions have a test of their own
        quits = 0;
        result->hide();
        result->StopTimer();
        State().CloseWhenJobsFinish = false;
        State().SelectedWipeMethod = 2;
    }
    void cleanup() {
        QVERIFY(jobs::JobThread::WaitForAll(std::chrono::seconds(30)));
        QCoreApplication::sendPostedEvents();
        dialog.reset();
        dir.reset();
    }

    void designedState() {
        TGuvenliDosyaSiliciDialog fresh;
        QCOMPARE(fresh.windowTitle(), Turkish(29));
        QCOMPARE(fresh.GuvenlisilBaslik->text(), Turkish(29));
        QCOMPARE(Items(fresh.SilmeYontemiSecimi),
                 QStringList({"En Hızlı (Tek tur)", "Hızlı (3 Tur) ", "Normalden Hızlı (7 Tur)", "Normal (35 Tur)",
                              "Normalden Güçlü (80 Tur)", "Güçlü (100 Tur)", "Aşırı Güçlü (120 Tur)"}));
        QCOMPARE(fresh.SilmeYontemiSecimi->currentIndex(), 2);
        QVERIFY(!fresh.SilmeYontemiSecimi->isEditable());
        QCOMPARE(State().SelectedWipeMethod.load(), 2);
        QCOMPARE(fresh.SilmeYuzdeDurumu->text(), QString("0%"));
        QCOMPARE(fresh.SilinmekUzereSeciliDosya->text(), QString("..."));
        QCOMPARE(fresh.DosyaSil_DosyaSec->text(), Turkish(22));
        QCOMPARE(fresh.Silmekicin_DosyaAc.title, Turkish(49));
        QCOMPARE(fresh.DurumCubugu->maximum(), 100);
        // Minimise and maximise are not offered.
        QVERIFY(!(fresh.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(fresh.windowFlags() & Qt::WindowStaysOnTopHint);
    }

    // A switch fills the list with the names in force and starts again from item 2.
    void languageSwitchRefillsTheList_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("Turkish") << int(kLanguageTurkish);
        QTest::newRow("English") << int(kLanguageEnglish);
    }
    void languageSwitchRefillsTheList() {
        QFETCH(int, language);
        dialog->SilmeYontemiSecimi->setCurrentIndex(5);
        Lang().ActiveLanguage = static_cast<std::uint8_t>(language);
        Lang().CopySet();
        dialog->UpdateCaptions();
        QStringList names;
        for (int row = 114; row <= 120; ++row)
            names << Row(row);
        QCOMPARE(Items(dialog->SilmeYontemiSecimi), names);
        QCOMPARE(dialog->SilmeYontemiSecimi->currentIndex(), 2);
        QCOMPARE(State().SelectedWipeMethod.load(), 2);
        QCOMPARE(dialog->SilmeYonteminAciklamasi->text(), Row(123));
        QCOMPARE(dialog->windowTitle(), Row(29));
        QCOMPARE(dialog->GuvenlisilBaslik->text(), Row(29));
        QCOMPARE(dialog->Durum->text(), Row(58));
        QCOMPARE(dialog->DosyaSil_DosyaSec->text(), Row(22));
        QCOMPARE(dialog->DosyaSil_Kapat->text(), Row(13));
        QCOMPARE(dialog->Silmekicin_DosyaAc.filter, Row(45));
        QCOMPARE(dialog->Silmekicin_DosyaAc.title, Row(49));
        Lang().ActiveLanguage = kLanguageEnglish;
        Lang().CopySet();
    }

    // Choosing a method sets the shared choice and its description; every way of closing the dialog
    // brings it back to item 2.
    void methodChoiceAndClosing_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("closeBy");
        QTest::newRow("fastest, close button") << 0 << "button";
        QTest::newRow("strong, Escape on the list") << 5 << "escape";
        QTest::newRow("strongest, close box") << 6 << "close";
    }
    void methodChoiceAndClosing() {
        QFETCH(int, item);
        QFETCH(QString, closeBy);
        dialog->show();
        dialog->SilmeYontemiSecimi->setCurrentIndex(item);
        QCOMPARE(State().SelectedWipeMethod.load(), item);
        QCOMPARE(dialog->SilmeYonteminAciklamasi->text(), QString::fromStdString(Lang().WipeMethodDescription(item)));
        if (closeBy == "button")
            dialog->DosyaSil_Kapat->click();
        else if (closeBy == "escape")
            QTest::keyClick(dialog->SilmeYontemiSecimi, Qt::Key_Escape);
        else
            dialog->close();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(quits, 0);
        QCOMPARE(dialog->SilmeYontemiSecimi->currentIndex(), 2);
        QCOMPARE(State().SelectedWipeMethod.load(), 2);
        QCOMPARE(dialog->SilmeYonteminAciklamasi->text(), Row(123));
    }

    void closeButtonEndsTheProgramWhenAsked() {
        dialog->show();
        State().CloseWhenJobsFinish = true;
        dialog->DosyaSil_Kapat->click();
        QCOMPARE(quits, 1);
    }

    // The whole deletion: the file and its random name are gone, the success report follows, and the
    // counter and the bar end on 100, wherever the wipe's own count stopped (one step for a single
    // block, past 100 for a small file with many passes).
    void deletesTheChosenFile_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("inMemory");
        // 100 bytes, 1 pass: one block, one step of the count.
        QTest::newRow("fastest, 100 bytes") << 0 << 100 << false;
        // 7 passes of 15 blocks, each block a step (a hundredth of the total is 32760 bytes): 105.
        QTest::newRow("7 passes, 468000 bytes") << 2 << 468000 << false;
        QTest::newRow("fastest, in memory") << 0 << 1 << true;
    }
    void deletesTheChosenFile() {
        QFETCH(int, item);
        QFETCH(int, size);
        QFETCH(bool, inMemory);
        if (inMemory) {
#ifdef _WIN32
            QSKIP("Windows has no memory file system");
#endif
            if (!fs::is_directory("/dev/shm")) QSKIP("no memory file system at /dev/shm");
            const QByteArray saved = qgetenv("TMPDIR");
            qputenv("TMPDIR", "/dev/shm");
            dir = std::make_unique<TempDir>();
            saved.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", saved);
        }
        const QString path = P("secret.txt");
        WriteBytes(path.toStdString(), PatternBytes(static_cast<std::size_t>(size)));
        const bool memory = File::OpenRead(path.toStdString()).OnMemoryFileSystem();
        if (inMemory) QVERIFY(memory);

        dialog->show();
        dialog->SilmeYontemiSecimi->setCurrentIndex(item);
        DialogScript script;
        ScriptChoice(script, path, QMessageBox::Yes);
        dialog->DosyaSil_DosyaSec->click();
        QVERIFY(script.VerifyDone());
        QCOMPARE(dialog->SilinmekUzereSeciliDosya->toolTip(), path);
        WaitForReport();

        ExpectReport(101, result->Ok);
        QString expected = "^File Succesfully Deleted  Time:0:00:\\d\\d";
        if (memory) expected += QRegularExpression::escape("\r\n" + Row(kRowWipeMemoryFileSystem));
        QVERIFY2(QRegularExpression(expected + "$").match(result->Mesaj->text()).hasMatch(),
                 qPrintable(result->Mesaj->text()));
        QVERIFY(dir->Entries().empty());
        QCOMPARE(dialog->SilmeYuzdeDurumu->text(), QString("100"));
        QCOMPARE(dialog->DurumCubugu->value(), 100);
        ExpectIdle();
        QCOMPARE(dialog->SilinmekUzereSeciliDosya->toolTip(), path); // the hint keeps the last deletion
        QCOMPARE(State().WipePercent.load(), 0);
    }

    // A wipe that ends within one poll of the updater (the counter moves on, then the finished flag is set)
    // still leaves its final count in the dialog, not the one the updater saw before.
    void updaterEndsOnTheFinalCount() {
        State().WipeFinished = false;
        State().WipePercent = 10;
        std::atomic<int> polls{0};
        TSilmeDurumu::SetPollHook([&polls] {
            if (++polls == 3) {
                State().WipePercent = 42;
                State().WipeFinished = true;
            }
        });
        jobs::JobThread::StartOwned<TSilmeDurumu>(dialog.get(), dialog->Channel()).reset(); // waits for its end
        TSilmeDurumu::SetPollHook({});
        QVERIFY(polls >= 3);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(dialog->SilmeYuzdeDurumu->text(), QString("42"));
        QCOMPARE(dialog->DurumCubugu->value(), 42);
        QVERIFY(!State().WipeFinished);
        State().WipePercent = 0;
    }

    // Nothing is deleted and nothing reported when the open dialog is cancelled, the name leads
    // nowhere, or the user says No.
    void stopsBeforeDeleting_data() {
        QTest::addColumn<QString>("step");
        QTest::newRow("cancelled open dialog") << "cancel";
        QTest::newRow("missing file") << "missing";
        QTest::newRow("folder") << "folder";
        QTest::newRow("answer No") << "no";
        // A name holding U+FFFD lost bytes in decoding: the file it names now is another one.
        QTest::newRow("undecodable name") << "undecodable";
    }
    void stopsBeforeDeleting() {
        QFETCH(QString, step);
        WriteBytes(*dir / "keep.txt", PatternBytes(5000));
        fs::create_directory(*dir / "sub");
        DialogScript script;
        if (step == "cancel") {
            script.ExpectOpenFile().Cancel();
        } else if (step == "no") {
            ScriptChoice(script, P("keep.txt"), QMessageBox::No);
        } else if (step == "undecodable") {
            WriteBytes(*dir / "x\xff", PatternBytes(5000));
            WriteBytes(*dir / "x\xef\xbf\xbd", PatternBytes(5000));
            script.ExpectOpenFile().Answer(P("x\xef\xbf\xbd"));
            script
                .ExpectMessage(Row(39), Row(kRowUndecodableName).arg(QString::fromStdString(dir->Path().string())),
                               QMessageBox::Warning, QMessageBox::Ok)
                .Answer(QMessageBox::Ok);
        } else {
            script.ExpectOpenFile().Answer(step == "missing" ? P("gone.txt") : P("sub"));
            script.ExpectMessage(Row(39), Row(37), QMessageBox::Warning, QMessageBox::Ok).Answer(QMessageBox::Ok);
        }
        dialog->DosyaSil_DosyaSec->click();
        QVERIFY(script.VerifyDone());
        QVERIFY(!State().JobsActive);
        QCoreApplication::processEvents();
        QVERIFY(!result->isVisible());
        QVERIFY(ReadBytes(*dir / "keep.txt") == PatternBytes(5000));
        if (step == "undecodable") {
            QVERIFY(ReadBytes(*dir / "x\xff") == PatternBytes(5000));
            QVERIFY(ReadBytes(*dir / "x\xef\xbf\xbd") == PatternBytes(5000));
        }
        QCOMPARE(dialog->SilinmekUzereSeciliDosya->text(), QString("..."));
        QVERIFY(dialog->DosyaSil_DosyaSec->isEnabled());
    }

    // The confirmation names the file and the method in the language in force, and No is its default
    // button, so that Enter alone never wipes.
    void confirmationNamesFileAndMethod_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("Turkish") << int(kLanguageTurkish);
        QTest::newRow("English") << int(kLanguageEnglish);
    }
    void confirmationNamesFileAndMethod() {
        QFETCH(int, language);
        const LanguageSet set = language == kLanguageTurkish ? LanguageSet::Turkish : LanguageSet::English;
        Lang().ActiveLanguage = static_cast<std::uint8_t>(language);
        Lang().CopySet();
        struct BackToEnglish {
            ~BackToEnglish() {
                Lang().ActiveLanguage = kLanguageEnglish;
                Lang().CopySet();
            }
        } backToEnglish;
        dialog->UpdateCaptions();
        dialog->SilmeYontemiSecimi->setCurrentIndex(4);
        const QString path = P("dear diary.txt");
        WriteBytes(path.toStdString(), PatternBytes(2000));

        DialogScript script;
        ScriptChoice(script, path, QMessageBox::No);
        dialog->DosyaSil_DosyaSec->click();
        QVERIFY(script.VerifyDone());
        const QString text = script.Shown().back().text;
        const std::string_view method = SetText(set, kWipeMethodNameRow + 4);
        QVERIFY2(text.contains("\"" + path + "\""), qPrintable(text));
        QVERIFY2(text.contains(QString::fromUtf8(method.data(), qsizetype(method.size())).trimmed()), qPrintable(text));
        QVERIFY2(text.endsWith(QString::fromUtf8(SetText(set, 50).data(), qsizetype(SetText(set, 50).size()))),
                 qPrintable(text));
        QVERIFY(ReadBytes(path.toStdString()) == PatternBytes(2000));
        QVERIFY(!State().JobsActive);
    }

    void readOnlyFileIsReportedAndKept() {
        const QString path = P("ro.txt");
        WriteBytes(path.toStdString(), PatternBytes(3000));
        QCOMPARE(::chmod(path.toLocal8Bit().constData(), 0444), 0);
        dialog->SilmeYontemiSecimi->setCurrentIndex(1);
        DialogScript script;
        ScriptChoice(script, path, QMessageBox::Yes);
        dialog->DosyaSil_DosyaSec->click();
        WaitForReport();

        ExpectReport(39, result->Hata);
        QCOMPARE(result->Mesaj->text(),
                 "Unable To Delete The File\r\nCannot open file \"" + path + "\". Permission denied");
        QVERIFY(ReadBytes(path.toStdString()) == PatternBytes(3000));
        QCOMPARE(dir->Entries(), std::vector<std::string>{"ro.txt"});
        QCOMPARE(dialog->DurumCubugu->value(), 0); // only a finished wipe shows 100
        ExpectIdle();
        QCOMPARE(State().SelectedWipeMethod.load(), 1); // the choice stays for the next try
    }

    // While a wipe runs the button is locked, and Escape, the close box or the close button ask whether to
    // stop it: Yes stops it after the group being written, leaving the file under its name, partly
    // overwritten, with a report saying so; No closes the dialog and the deletion still ends and reports;
    // Cancel keeps the dialog open.
    void closingDuringAWipeAsksToStopIt_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("answer");
        QTest::newRow("Escape, stop") << "escape" << int(QMessageBox::Yes);
        QTest::newRow("Escape, go on") << "escape" << int(QMessageBox::No);
        QTest::newRow("Escape, cancel") << "escape" << int(QMessageBox::Cancel);
        QTest::newRow("close box, stop") << "close" << int(QMessageBox::Yes);
        QTest::newRow("close button, quitting, stop") << "button" << int(QMessageBox::Yes);
    }
    void closingDuringAWipeAsksToStopIt() {
        QFETCH(QString, how);
        QFETCH(int, answer);
        const QString path = P("big.bin");
        WriteBytes(path.toStdString(), PatternBytes(70000));
        State().CloseWhenJobsFinish = how == "button";
        dialog->show();
        dialog->SilmeYontemiSecimi->setCurrentIndex(0);
        // Held at the first flush: the deletion is then known to be running.
        FileEventGate gate(FileEvent::SyncFile,
                           [file = path.toStdString()](const std::string& p) { return p == file; });
        DialogScript script;
        ScriptChoice(script, path, QMessageBox::Yes);
        dialog->DosyaSil_DosyaSec->click();
        QTRY_VERIFY(gate.Reached());

        QVERIFY(!dialog->DosyaSil_DosyaSec->isEnabled());
        QCOMPARE(dialog->DosyaSil_DosyaSec->text(), Row(76));
        QCOMPARE(dialog->SilinmekUzereSeciliDosya->text(), path);
        QVERIFY(State().JobsActive);
        dialog->DosyaSil_DosyaSecClick(); // a second deletion cannot start meanwhile
        QVERIFY(script.VerifyDone());

        script
            .ExpectMessage(Row(47), Row(kRowWipeStopQuestion).arg(path), QMessageBox::Question,
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
            .Answer(static_cast<QMessageBox::StandardButton>(answer));
        if (how == "escape") QTest::keyClick(dialog->DosyaSil_DosyaSec, Qt::Key_Escape);
        if (how == "close") dialog->close();
        if (how == "button") dialog->DosyaSil_Kapat->click();
        QVERIFY(script.VerifyDone());
        QCOMPARE(quits, 0); // never ended with the wipe half done
        QCOMPARE(dialog->isVisible(), answer == QMessageBox::Cancel);
        QCoreApplication::processEvents();
        QVERIFY(QFileInfo::exists(path));
        QVERIFY(!result->isVisible());

        gate.Open();
        WaitForReport();
        if (answer == QMessageBox::Yes) {
            ExpectReport(39, result->Hata);
            QCOMPARE(result->Mesaj->text(), "Unable To Delete The File\r\n" + Row(kRowWipeStopped).arg(path));
            QCOMPARE(dir->Entries(), std::vector<std::string>{"big.bin"});
            // Stopped after the zeros of the first block and their flush; the rest is as it was.
            const std::vector<std::uint8_t> now = ReadBytes(path.toStdString());
            const std::vector<std::uint8_t> original = PatternBytes(70000);
            QCOMPARE(now.size(), original.size());
            QVERIFY(std::all_of(now.begin(), now.begin() + 32768, [](std::uint8_t b) { return b == 0; }));
            QVERIFY(std::equal(now.begin() + 32768, now.end(), original.begin() + 32768));
        } else {
            ExpectReport(101, result->Ok);
            QVERIFY(result->Mesaj->text().startsWith("File Succesfully Deleted  Time:"));
            QVERIFY(dir->Entries().empty());
        }
        ExpectIdle();
        QVERIFY(!State().WipeRunning);
        State().CloseWhenJobsFinish = false;
    }

    // The main window's close question, answered "do not wait" while a wipe runs, offers to stop the wipe
    // rather than leave the file half-overwritten without a word; stopping hides the window and the
    // program ends once the report has been seen.
    void mainWindowCloseOffersToStopAWipe_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("stop") << int(QMessageBox::Yes);
        QTest::newRow("keep the window") << int(QMessageBox::No);
    }
    void mainWindowCloseOffersToStopAWipe() {
        QFETCH(int, answer);
        TempDir config;
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path().string()));
        TSayfa1 main;
        main.Guncelle->stop(); // no start-up step: a first start would switch to the system's language
        int mainQuits = 0;
        main.SetQuitHook([&mainQuits] { ++mainQuits; });
        main.show();
        const QString path = P("big.bin");
        WriteBytes(path.toStdString(), PatternBytes(70000));
        dialog->SilmeYontemiSecimi->setCurrentIndex(0);
        FileEventGate gate(FileEvent::SyncFile,
                           [file = path.toStdString()](const std::string& p) { return p == file; });
        DialogScript script;
        ScriptChoice(script, path, QMessageBox::Yes);
        dialog->DosyaSil_DosyaSec->click();
        QTRY_VERIFY(gate.Reached());

        script
            .ExpectMessage(Row(47), Row(46), QMessageBox::Question,
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
            .Answer(QMessageBox::No);
        script
            .ExpectMessage(Row(47), Row(kRowWipeStopQuestion).arg(path), QMessageBox::Question,
                           QMessageBox::Yes | QMessageBox::No)
            .Answer(static_cast<QMessageBox::StandardButton>(answer));
        main.close();
        QVERIFY(script.VerifyDone());
        QCOMPARE(mainQuits, 0);
        QCOMPARE(main.isVisible(), answer == QMessageBox::No);
        QCOMPARE(State().CloseWhenJobsFinish.load(), answer == QMessageBox::Yes);

        gate.Open();
        WaitForReport();
        if (answer == QMessageBox::Yes) {
            QCOMPARE(result->Mesaj->text(), "Unable To Delete The File\r\n" + Row(kRowWipeStopped).arg(path));
            QCOMPARE(dir->Entries(), std::vector<std::string>{"big.bin"});
        } else {
            ExpectReport(101, result->Ok);
            QVERIFY(dir->Entries().empty());
        }
        State().CloseWhenJobsFinish = false;
    }

    // The main window's action opens the dialog without waiting, and a language switch reaches it.
    void mainWindowOpensAndTranslatesTheDialog() {
        TempDir config;
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path().string()));
        TSayfa1 main;
        main.Guncelle->stop(); // no start-up step: a first start would switch to the system's language
        TSifreEx password;
        TDurumSayfasi page;
        main.SetPeers({&password, &page, result, nullptr, dialog.get()});
        QVERIFY(main.GuvenliDosyaSilme->isEnabled());
        main.GuvenliDosyaSilme->trigger();
        QVERIFY(dialog->isVisible());

        dialog->SilmeYontemiSecimi->setCurrentIndex(4);
        Lang().ActiveLanguage = kLanguageTurkish;
        main.ApplyLanguage();
        QCOMPARE(dialog->windowTitle(), Turkish(29));
        QCOMPARE(dialog->SilmeYontemiSecimi->itemText(0), Turkish(114));
        QCOMPARE(State().SelectedWipeMethod.load(), 2);
        Lang().ActiveLanguage = kLanguageEnglish;
        Lang().CopySet();
    }
};

QTEST_MAIN(WipeDialogTest)
#include "test_wipe_dialog.moc"
