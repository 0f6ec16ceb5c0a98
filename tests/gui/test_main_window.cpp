// The main window: the main command, directions, command line, settings, drops, priorities, the close
// query, and one encryption from start to end (offscreen, every dialog scripted).
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QtTest>

#include <cctype>
#include <filesystem>

#include "DialogScript.h"
#include "TempDir.h"
#include "core/container/FileJob.h"
#include "core/lang/Language.h"
#include "core/platform/SettingsStore.h"
#include "core/state/Settings.h"
#include "core/state/SharedState.h"
#include "gui/app/AnaSayfa.h"
#include "gui/jobs/DurumBelirt.h"
#include "gui/jobs/DurumSayfasi.h"
#include "gui/jobs/SifreEkrani.h"
#include "gui/jobs/SifreleJobs.h"

using namespace zarkent;
using namespace zarkent::test;
namespace fs = std::filesystem;

namespace {

// Calls `onShow` each time `watched` is shown.
class ShowWatch : public QObject {
public:
    ShowWatch(QWidget* watched, std::function<void()> onShow) : watched_(watched), onShow_(std::move(onShow)) {
        watched_->installEventFilter(this);
    }
    ~ShowWatch() override { watched_->removeEventFilter(this); }
    bool eventFilter(QObject* object, QEvent* event) override {
        if (object == watched_ && event->type() == QEvent::Show) onShow_();
        return false;
    }

private:
    QWidget* watched_;
    std::function<void()> onShow_;
};

QString Row(int row) {
    return QString::fromStdString(Lang().Row(row));
}
QString Turkish(int row) {
    return QString::fromUtf8(TurkishText(row).data(), int(TurkishText(row).size()));
}
QString English(int row) {
    return QString::fromUtf8(EnglishText(row).data(), int(EnglishText(row).size()));
}
QString P(const TempDir& dir, const char* name) {
    return QString::fromStdString(dir / name);
}

// A path as a file manager writes it into a URI list: every byte outside the plain ones escaped.
QByteArray FileUri(const std::string& path) {
    QByteArray uri("file://");
    for (const char ch : path) {
        const auto byte = static_cast<unsigned char>(ch);
        if (std::isalnum(byte) || ch == '/' || ch == '.' || ch == '-' || ch == '_')
            uri += ch;
        else
            uri += '%' + QByteArray::number(byte, 16).rightJustified(2, '0').toUpper();
    }
    return uri;
}

void DropUriList(QWidget* window, const QByteArray& uriList) {
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), uriList);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
}

void ResetState() {
    SharedState& s = State();
    s.JobsActive = false;
    s.CloseWhenJobsFinish = false;
    s.CancelRequested = false;
    s.CompressOption = false;
    s.PriorityIndex = 3;
    s.PriorityChosenByUser = false;
    s.StartMode = 0;
    s.CmdLineFiles.clear();
    s.PasswordDialogFillsMain = false;
    s.BatchDirection = 0;
    s.BatchFolder.clear();
    s.BatchPassword.clear();
    s.BatchFileList.clear();
    s.BatchFromMain = false;
    // BatchStopRequested is left alone: every batch clears it when it starts.
    s.EncryptFailed = false;
    s.DecryptFailed = false;
    s.SelectedLanguage = 0;
    Lang().ActiveLanguage = 0;
}

QWidget* Control(const TSayfa1& window, const QString& name) {
    const std::pair<const char*, QWidget*> controls[] = {
        {"DosyaYolu", window.DosyaYolu}, {"pass1", window.pass1}, {"pass2", window.pass2},     {"Gozat", window.Gozat},
        {"Sifrele", window.Sifrele},     {"Coz", window.Coz},     {"Paketle", window.Paketle}, {"islem", window.islem},
    };
    for (const auto& [controlName, control] : controls)
        if (name == QLatin1String(controlName)) return control;
    return nullptr;
}

// The program's windows for one test, with settings in a folder of their own.
struct Program {
    TempDir config;
    std::unique_ptr<TSayfa1> main;
    TSifreEx password;
    TDurumBelirt result;
    TDurumSayfasi page;
    TKlasoriciSifrelemePenceresi folder;
    bool quit = false;

    explicit Program(const QStringList& args = {}) : Program(Bytes(args)) {}
    explicit Program(const std::vector<std::string>& args) {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path().string()));
        main = std::make_unique<TSayfa1>(args);
        // The start-up step runs when a test calls it: on its own, a first start would switch to the
        // system's language in the middle of a test.
        main->Guncelle->stop();
        main->SetQuitHook([this] { quit = true; });
        result.SetQuitHook([] {});
        main->SetPeers({&password, &page, &result, &folder});
        SetJobWindows(JobWindows(&page, &result, &folder, main.get()));
    }
    ~Program() { SetJobWindows(JobWindows()); }
    QString ConfigFile() const { return QString::fromStdString(config / "Zarkent/Zarkent.conf"); }

    static std::vector<std::string> Bytes(const QStringList& args) {
        std::vector<std::string> bytes;
        for (const QString& arg : args)
            bytes.push_back(arg.toStdString());
        return bytes;
    }
};

// Takes the URLs the program hands to the desktop instead of opening them.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls << url; }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        ResetState();
        // Tests start from the built-in texts; a test that needs a language applies it.
        Lang().ActiveLanguage = 0;
    }

    void designedCaptionsAndSize() {
        Program p;
        QCOMPARE(p.main->windowTitle(), Turkish(1));
        QCOMPARE(p.main->islem->text(), Turkish(54));
        QCOMPARE(p.main->Sifrele->text(), Turkish(35));
        QCOMPARE(p.main->pass1Label->text(), Turkish(20));
        QVERIFY(p.main->Sifrele->isChecked());
        QVERIFY(!p.main->Paketle->isChecked());
        QVERIFY(p.main->islem->isDefault());
        QCOMPARE(p.main->minimumWidth(), 550);
        QCOMPARE(p.main->maximumWidth(), 550);
        QCOMPARE(p.main->minimumHeight(), 321);
        QCOMPARE(p.main->maximumHeight(), 337);
        QCOMPARE(p.main->BirDosyaSifrele->shortcut(), QKeySequence("Ctrl+S"));
        QCOMPARE(p.main->BirKlasordekiDosyalariTopluOlarakAc->shortcut(), QKeySequence("Ctrl+Alt+A"));
        QCOMPARE(p.main->YardimKitabi->shortcut(), QKeySequence("F1"));
        QCOMPARE(p.main->Hiz_NormaldenYuksek->text(), QString("4 "));
        for (QAction* a : PriorityActions(*p.main))
            QVERIFY(!a->isChecked());
        QCOMPARE(p.main->pass1->echoMode(), QLineEdit::Password);
    }

    // Mismatch, missing fields, not-found paths and single-file jobs, in the main command's order.
    void mainCommandDecisions() {
        TempDir files;
        WriteBytes(files / "a.txt", {1, 2, 3});
        const QString file = QString::fromStdString(files / "a.txt");
        const QString missing = QString::fromStdString(files / "nope.txt");
        {
            Program p;
            p.main->pass1->setText("abc");
            p.main->DosyaYolu->setText(file);
            DialogScript script;
            script.ExpectMessage(Row(39), Row(52), QMessageBox::Critical, QMessageBox::Ok);
            p.main->islemClick();
            QVERIFY(script.VerifyDone());
            QVERIFY(p.main->pass1->text().isEmpty() && p.main->pass2->text().isEmpty());
            QCOMPARE(p.main->DosyaYolu->text(), file);
        }
        for (bool decrypt : {false, true}) { // all empty: the open action of the direction, then the password dialog
            Program p;
            if (decrypt) p.main->Coz->click();
            DialogScript script;
            script.ExpectOpenFile().Filter(Row(decrypt ? 56 : 45)).Answer(file);
            p.main->islemClick();
            QVERIFY(script.VerifyDone());
            QCOMPARE(p.main->DosyaYolu->text(), file);
            QVERIFY(p.password.isVisible());
            QVERIFY(State().PasswordDialogFillsMain);
        }
        {
            Program p; // no password, path given: only the password dialog
            p.main->DosyaYolu->setText(file);
            DialogScript script;
            p.main->islemClick();
            QVERIFY(script.VerifyDone());
            QVERIFY(p.password.isVisible());
        }
        {
            Program p; // password given, no path: Browse
            p.main->pass1->setText("pw");
            p.main->pass2->setText("pw");
            DialogScript script;
            script.ExpectOpenFile().Cancel();
            p.main->islemClick();
            QVERIFY(script.VerifyDone());
            QVERIFY(!p.password.isVisible());
        }
        {
            Program p;
            p.main->pass1->setText("pw");
            p.main->pass2->setText("pw");
            p.main->DosyaYolu->setText(missing);
            DialogScript script;
            script.ExpectMessage(Row(39), Row(38) + "\r\n \" " + missing + " \" ", QMessageBox::Warning,
                                 QMessageBox::Ok);
            p.main->islemClick();
            QVERIFY(script.VerifyDone());
            QCOMPARE(p.main->pass1->text(), QString("pw"));
            QCOMPARE(p.main->DosyaYolu->text(), missing);
        }
    }

    void mainCommandRunsAJobAndClearsTheFields() {
        TempDir files;
        WriteBytes(files / "a.txt", PatternBytes(5000));
        Program p;
        p.main->pass1->setText("pw");
        p.main->pass2->setText("pw");
        p.main->DosyaYolu->setText(QString::fromStdString(files / "a.txt"));
        p.main->islemClick();
        QVERIFY(p.main->pass1->text().isEmpty() && p.main->pass2->text().isEmpty());
        QVERIFY(p.main->DosyaYolu->text().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(p.result.isVisible(), 10000);
        QTRY_VERIFY(!State().JobsActive);
        QCOMPARE(files.Entries(), std::vector<std::string>{"a.txt.zrk"});
    }

    // A failed job gives its file back to an empty path field (not the passwords), with the direction
    // its name asks for; a path typed meanwhile stays.
    void failedJobGivesThePathBack() {
        TempDir files;
        WriteBytes(files / "a.txt", PatternBytes(5000));
        const QString encrypted = QString::fromStdString(files / "a.txt.zrk");
        Program p;
        auto run = [&](const QString& path, const QString& password) {
            p.main->pass1->setText(password);
            p.main->pass2->setText(password);
            QTest::keyClicks(p.main->DosyaYolu, path); // typed: the direction follows
            p.main->islemClick();
            QVERIFY(p.main->DosyaYolu->text().isEmpty());
            QTRY_VERIFY_WITH_TIMEOUT(p.result.isVisible(), 10000);
            QTRY_VERIFY(!State().JobsActive);
            p.result.TamamClick();
        };
        run(QString::fromStdString(files / "a.txt"), "right");
        QVERIFY(p.main->DosyaYolu->text().isEmpty()); // a success gives nothing back
        run(encrypted, "wrong");
        QCOMPARE(p.result.Mesaj->text(), Row(99));
        QCOMPARE(p.main->DosyaYolu->text(), encrypted);
        QVERIFY(p.main->Coz->isChecked());
        QVERIFY(p.main->pass1->text().isEmpty() && p.main->pass2->text().isEmpty());
        // With the right password the same form works.
        p.main->pass1->setText("right");
        p.main->pass2->setText("right");
        p.main->islemClick();
        QTRY_VERIFY_WITH_TIMEOUT(!State().JobsActive && p.result.isVisible(), 10000);
        QCOMPARE(files.Entries(), std::vector<std::string>{"a.txt"});
        p.main->DosyaYolu->setText("typed meanwhile");
        p.main->RestoreFailedPath((files / "a.txt.zrk"));
        QCOMPARE(p.main->DosyaYolu->text(), QString("typed meanwhile"));
    }

    // The direction follows the path as it is typed or pasted; a radio button clicked afterwards stands
    // until the next edit; "Compress" is off limits while decrypting.
    void directionFollowsTypedPath() {
        Program p;
        p.main->show();
        QLineEdit* path = p.main->DosyaYolu;
        path->setFocus();
        QTest::keyClicks(path, "/tmp/big.bin.zrk");
        QVERIFY(p.main->Coz->isChecked());
        QCOMPARE(p.main->islem->text(), Row(55));
        QVERIFY(!p.main->Paketle->isEnabled());
        p.main->Sifrele->click();
        QVERIFY(p.main->Sifrele->isChecked());
        QVERIFY(p.main->Paketle->isEnabled());
        QTest::keyClick(path, Qt::Key_Backspace);
        QVERIFY(p.main->Sifrele->isChecked());
        QTest::keyClicks(path, "k");
        QVERIFY(p.main->Coz->isChecked());
        QApplication::clipboard()->setText("/home/me/notes.txt");
        path->selectAll();
        QTest::keyClick(path, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(path->text(), QString("/home/me/notes.txt"));
        QVERIFY(p.main->Sifrele->isChecked());
        QCOMPARE(p.main->islem->text(), Row(54));
        QVERIFY(p.main->Paketle->isEnabled());
        // A path put there from code (command line, drop, Browse) sets its direction itself.
        p.main->Coz->click();
        path->setText("/tmp/x.txt");
        QVERIFY(p.main->Coz->isChecked());
    }

    // Several command-line paths: decryption keeps only the .zrk paths when both kinds came.
    // Several command-line paths go to the folder window as a list: for decryption only the .zrk
    // paths of a mixed list, for encryption every path; the batch runs and reports.
    void severalPathsHandOver() {
        for (bool decrypt : {false, true}) {
            ResetState();
            TempDir dir;
            const auto data = PatternBytes(3000);
            for (const char* name : {"a", "b.txt", "c"})
                WriteBytes(dir / name, data);
            if (decrypt) {
                for (const char* name : {"a", "c"})
                    RemoveSource(dir / name, EncryptOneFile(dir / name, "pw", {}));
            }
            const QStringList args = decrypt ? QStringList{P(dir, "a.zrk"), P(dir, "b.txt"), P(dir, "c.zrk")}
                                             : QStringList{P(dir, "a"), P(dir, "b.txt"), P(dir, "c")};
            Program p(args);
            QCOMPARE(int(State().StartMode), 4);
            QCOMPARE(p.main->Coz->isChecked(), decrypt);
            p.main->pass1->setText("pw");
            p.main->pass2->setText("pw");
            // The folder window's text when the hand-over shows it names the direction.
            QString shownWith;
            ShowWatch watch(&p.folder, [&] { shownWith = p.folder.mesaj->text(); });
            p.main->islemClick();
            QCOMPARE(shownWith, Row(decrypt ? 44 : 43));
            QCOMPARE(p.folder.mesaj->text(), Row(decrypt ? 92 : 91));
            QCOMPARE(int(State().BatchDirection), decrypt ? 2 : 1);
            QCOMPARE(State().BatchFileList.size(), std::size_t(decrypt ? 2 : 3));
            QVERIFY(State().BatchPassword.empty() && !State().BatchFromMain); // used once
            QTRY_VERIFY(p.result.isVisible() && !State().JobsActive);
            // A list handed over is named by its number of files.
            QCOMPARE(p.result.Mesaj->text(),
                     Row(decrypt ? 97 : 95) + "\r\n" + Row(kRowBatchFileCount).arg(decrypt ? 2 : 3) + "\r\n" +
                         Row(decrypt ? kRowBatchDecryptedCount : kRowBatchEncryptedCount).arg(decrypt ? 2 : 3));
            const std::vector<std::string> after = decrypt ? std::vector<std::string>{"a", "b.txt", "c"}
                                                           : std::vector<std::string>{"a.zrk", "b.txt.zrk", "c.zrk"};
            QCOMPARE(dir.Entries(), after);
            QVERIFY(p.main->isVisible());
        }
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("decrypt");
        QTest::addColumn<int>("captionRow");
        QTest::addColumn<QString>("path");
        QTest::newRow("none") << QStringList{} << 0 << false << 54 << QString();
        QTest::newRow("file") << QStringList{"/x/a.txt"} << 2 << false << 54 << "/x/a.txt";
        QTest::newRow("zrk") << QStringList{"/x/a.zrk"} << 1 << true << 55 << "/x/a.zrk";
        QTest::newRow("ZRK is encrypted again") << QStringList{"/x/a.ZRK"} << 2 << false << 54 << "/x/a.ZRK";
        QTest::newRow("folder") << QStringList{"/tmp"} << 3 << false << 42 << "/tmp";
        // The list's direction follows the last path; turning to decrypt also sets the button's caption.
        QTest::newRow("three") << QStringList{"/x/a", "/x/b c", "/x/d.zrk"} << 4 << true << 55
                               << " \"/x/a\",\"/x/b c\",\"/x/d.zrk\"";
        QTest::newRow("three plain") << QStringList{"/x/a", "/x/b", "/x/c"} << 4 << false << 42
                                     << " \"/x/a\",\"/x/b\",\"/x/c\"";
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(int, mode);
        QFETCH(bool, decrypt);
        QFETCH(int, captionRow);
        QFETCH(QString, path);
        Program p(args);
        QCOMPARE(int(State().StartMode), mode);
        QCOMPARE(p.main->Coz->isChecked(), decrypt);
        QCOMPARE(p.main->islem->text(), mode == 0 ? Turkish(54) : Row(captionRow));
        QCOMPARE(p.main->DosyaYolu->text(), path);
        QCOMPARE(State().PasswordDialogFillsMain.load(), mode != 0);
        if (mode == 4) QCOMPARE(int(State().CmdLineFiles.size()), int(args.size()));
        // The start-up step shows the password dialog when a path came.
        DialogScript script;
        p.main->GuncelleTimer();
        QCOMPARE(p.password.isVisible(), mode != 0);
    }

    void settings() {
        // A first start speaks the system's language: applied, stored and ticked as a switch would be.
        const QByteArray lcAll = qgetenv("LC_ALL"), lcMessages = qgetenv("LC_MESSAGES"), lang = qgetenv("LANG");
        qunsetenv("LC_ALL");
        for (const auto& [messages, language] :
             {std::pair{"tr_TR.UTF-8", kLanguageTurkish}, std::pair{"en_US.UTF-8", kLanguageEnglish}}) {
            ResetState();
            qputenv("LANG", "de_DE.UTF-8");
            qputenv("LC_MESSAGES", messages);
            Program p;
            p.main->GuncelleTimer();
            QSettings stored(p.ConfigFile(), QSettings::IniFormat);
            QCOMPARE(stored.value("Language").toString(), QString::number(language));
            QCOMPARE(stored.value("ProgramHizAyari").toString(), QString("tpnormal"));
            QCOMPARE(Lang().ActiveLanguage.load(), language);
            const bool turkish = language == kLanguageTurkish;
            QCOMPARE(p.main->islem->text(), turkish ? Turkish(54) : English(54));
            QCOMPARE(p.main->windowTitle(), turkish ? Turkish(1) : English(1));
            QCOMPARE(p.main->Turkce->isChecked(), turkish);
            QCOMPARE(p.main->English->isChecked(), !turkish);
            QCOMPARE(Row(52), turkish ? Turkish(52) : English(52));
            QVERIFY(p.main->Hiz_Normal->isChecked());
        }
        qputenv("LC_ALL", lcAll);
        qputenv("LC_MESSAGES", lcMessages);
        qputenv("LANG", lang);
        for (const auto& [name, value] :
             {std::pair{"LC_ALL", lcAll}, std::pair{"LC_MESSAGES", lcMessages}, std::pair{"LANG", lang}})
            if (value.isEmpty()) qunsetenv(name);
        struct Case {
            const char* language;
            const char* priority;
            int expectedPriority;
            bool english;
            const char* pageTitle; // the progress page follows the language applied, if any
        };
        for (const Case& c : {Case{"2", "tphighest", 5, true, "Please Wait..."},
                              Case{"abc", "tphighest", 3, false, " Lütfen Bekleyiniz..."},
                              Case{"2", "TPHIGHER", 3, true, "Please Wait..."},
                              Case{"1", "tpidle", 0, false, "Lütfen Bekleyiniz..."}}) {
            ResetState();
            Program p;
            {
                QDir().mkpath(QFileInfo(p.ConfigFile()).path());
                QSettings stored(p.ConfigFile(), QSettings::IniFormat);
                stored.setValue("Language", c.language);
                stored.setValue("ProgramHizAyari", c.priority);
            }
            p.main->GuncelleTimer();
            QCOMPARE(int(State().PriorityIndex), c.expectedPriority);
            QCOMPARE(p.main->islem->text(), c.english ? English(54) : Turkish(54));
            QCOMPARE(p.main->English->isChecked(), c.english);
            QCOMPARE(p.page.windowTitle(), QString::fromUtf8(c.pageTitle));
        }
        // Saving stores the language and the priority in force.
        ResetState();
        Program p;
        State().SelectedLanguage = 2;
        State().PriorityIndex = 6;
        auto store = OpenUserSettings();
        QVERIFY(SaveSettings(*store, State()));
        QSettings stored(p.ConfigFile(), QSettings::IniFormat);
        QCOMPARE(stored.value("Language").toString(), QString("2"));
        QCOMPARE(stored.value("ProgramHizAyari").toString(), QString("tptimecritical"));
    }

    void directionAndDrop() {
        TempDir files;
        WriteBytes(files / "report.ZRK", {1});
        WriteBytes(files / "x.zrk", {1});
        Program p;
        p.main->show();
        for (const auto& [name, decrypt] : {std::pair{"report.ZRK", false}, std::pair{"x.zrk", true}}) {
            p.main->Gozat->setFocus();
            DialogScript script;
            script.ExpectOpenFile().Answer(QString::fromStdString(files / name));
            p.main->GozatClick();
            QVERIFY(script.VerifyDone());
            QCOMPARE(p.main->Coz->isChecked(), decrypt);
            QCOMPARE(p.main->focusWidget(), p.main->pass1); // typing goes on with the password
        }
        // A browsed name that does not exist is reported and the field and the focus stay.
        p.main->Gozat->setFocus();
        DialogScript script;
        script.ExpectOpenFile().Answer(QString::fromStdString(files / "gone.txt"));
        script.ExpectMessage(Row(39), Row(37), QMessageBox::Warning, QMessageBox::Ok);
        p.main->GozatClick();
        QVERIFY(script.VerifyDone());
        QCOMPARE(p.main->DosyaYolu->text(), QString::fromStdString(files / "x.zrk"));
        QCOMPARE(p.main->focusWidget(), p.main->Gozat);

        // A drop of x.zrk and a folder: the folder wins, mode 3, encrypt.
        p.main->DropPaths({files / "x.zrk", files.Path().string()});
        QCOMPARE(p.main->DosyaYolu->text(), QString::fromStdString(files.Path().string()));
        QCOMPARE(int(State().StartMode), 3);
        QVERIFY(p.main->Sifrele->isChecked());
    }

    // A name that is not UTF-8 reaches the job with its own bytes, from the command line and from a drop,
    // beside the file that its U+FFFD form names, which stays untouched. A name that reached the window as
    // decoded text holding U+FFFD (typed, or chosen in the open dialog) is refused with its folder named.
    void undecodableNamesNeverLeadToAnotherFile() {
        TempDir dir;
        const std::string odd = dir / "x\xff", twin = dir / "x\xef\xbf\xbd";
        WriteBytes(odd, PatternBytes(500, 1));
        WriteBytes(twin, PatternBytes(500, 2));
        {
            Program p(std::vector<std::string>{odd});
            QCOMPARE(p.main->DosyaYolu->text(), QString::fromStdString(twin)); // shown with U+FFFD
            p.main->pass1->setText("pw");
            p.main->pass2->setText("pw");
            p.main->islemClick();
            QTRY_VERIFY(p.result.isVisible() && !State().JobsActive);
            QCOMPARE(dir.Entries(), (std::vector<std::string>{"x\xef\xbf\xbd", "x\xff.zrk"}));

            // Dropped back as a raw URI list: the very bytes are decrypted.
            p.result.hide();
            p.main->show(); // drops reach a window on the screen
            DropUriList(p.main.get(), FileUri(odd + ".zrk") + "\r\n");
            QVERIFY(p.main->Coz->isChecked());
            p.main->pass1->setText("pw");
            p.main->pass2->setText("pw");
            p.main->islemClick();
            QTRY_VERIFY(p.result.isVisible() && !State().JobsActive);
            QCOMPARE(dir.Entries(), (std::vector<std::string>{"x\xef\xbf\xbd", "x\xff"}));
            QVERIFY(ReadBytes(odd) == PatternBytes(500, 1));
        }
        QVERIFY(ReadBytes(twin) == PatternBytes(500, 2));

        ResetState();
        Program p;
        const QString refusal = Row(kRowUndecodableName).arg(QString::fromStdString(dir.Path().string()));
        {
            DialogScript script;
            script.ExpectMessage(Row(39), refusal, QMessageBox::Warning, QMessageBox::Ok).Answer(QMessageBox::Ok);
            p.main->DosyaYolu->setText(QString::fromStdString(twin));
            p.main->pass1->setText("pw");
            p.main->pass2->setText("pw");
            p.main->islemClick();
            QVERIFY(script.VerifyDone());
        }
        p.main->DosyaYolu->clear();
        for (QAction* open : {static_cast<QAction*>(nullptr), p.main->BirDosyaSifrele}) {
            DialogScript script;
            script.ExpectOpenFile().Answer(QString::fromStdString(twin));
            script.ExpectMessage(Row(39), refusal, QMessageBox::Warning, QMessageBox::Ok).Answer(QMessageBox::Ok);
            if (open)
                open->trigger();
            else
                p.main->GozatClick();
            QVERIFY(script.VerifyDone());
            QVERIFY(p.main->DosyaYolu->text().isEmpty());
        }
        QVERIFY(!State().JobsActive);
        QCOMPARE(dir.Entries(), (std::vector<std::string>{"x\xef\xbf\xbd", "x\xff"}));
        QVERIFY(ReadBytes(twin) == PatternBytes(500, 2));
    }

    // A folder handed over (command line, drop) whose files are all .zrk files starts with decryption;
    // any other file, or no file at all, leaves encryption.
    void folderOfEncryptedFilesStartsWithDecryption() {
        const struct {
            std::vector<std::string> names;
            bool decrypt;
        } cases[] = {
            {{"a.zrk", "b.zrk", "sub/"}, true},
            {{"a.zrk", "c.txt"}, false},
            {{"a.zrk", "b.ZRK"}, false},
            {{}, false},
        };
        for (const auto& c : cases) {
            ResetState();
            TempDir dir;
            for (const std::string& name : c.names) {
                if (name.ends_with('/'))
                    fs::create_directory(dir / name);
                else
                    WriteBytes(dir / name, {1});
            }
            Program p(std::vector<std::string>{dir.Path().string()});
            QCOMPARE(int(State().StartMode), 3);
            QCOMPARE(p.main->Coz->isChecked(), c.decrypt);
            QCOMPARE(p.main->islem->text(), Row(42));
            Program q;
            q.main->DropPaths({dir.Path().string()});
            QCOMPARE(q.main->Coz->isChecked(), c.decrypt);
        }
    }

    // A folder without .zrk files puts the main window back to encryption: the main button's caption,
    // and Browse offers every file again, not only .zrk files.
    void noFilesFoundResetsToEncryption() {
        TempDir files, plain;
        WriteBytes(files / "x.zrk", {1});
        WriteBytes(plain / "a.txt", {1});
        Program p;
        Lang().ActiveLanguage = kLanguageEnglish;
        p.main->ApplyLanguage();
        {
            DialogScript script;
            script.ExpectOpenFile().Answer(P(files, "x.zrk"));
            p.main->GozatClick();
            QVERIFY(script.VerifyDone());
        }
        QVERIFY(p.main->Coz->isChecked());
        p.main->BirKlasordekiDosyalariTopluOlarakAc->trigger();
        {
            DialogScript script;
            script.ExpectQueryText(Row(77), Row(20)).Answer("pw");
            script.ExpectQueryText(Row(77), Row(21)).Answer("pw");
            script.ExpectFolder().Answer(QString::fromStdString(plain.Path().string()));
            script.ExpectMessage(Row(77), Row(37), QMessageBox::Warning, QMessageBox::Ok).Answer(QMessageBox::Ok);
            p.folder.basla->click();
            QVERIFY(script.VerifyDone());
        }
        QVERIFY(!State().JobsActive);
        QVERIFY(p.main->Sifrele->isChecked());
        QVERIFY(p.main->DosyaYolu->text().isEmpty());
        QCOMPARE(p.main->islem->text(), Row(54));
        DialogScript script;
        script.ExpectOpenFile().Filter(Row(45)).Cancel();
        p.main->GozatClick();
        QVERIFY(script.VerifyDone());
        QVERIFY(p.main->Sifrele->isChecked());
    }

    // The speed menu always ticks the priority the next job runs at.
    void priorityAndCompression() {
        Program p;
        p.main->GuncelleTimer();
        QVERIFY(p.main->Hiz_Normal->isChecked());
        p.main->Paketle->click();
        QVERIFY(State().CompressOption);
        QCOMPARE(int(State().PriorityIndex), 2);
        QVERIFY(p.main->Hiz_NormaldenDusuk->isChecked());
        p.main->Paketle->click();
        QCOMPARE(int(State().PriorityIndex), 3);
        QVERIFY(p.main->Hiz_Normal->isChecked());
        State().PriorityIndex = 2; // a compressing job lowered it
        emit p.main->HizAyari->aboutToShow();
        QVERIFY(p.main->Hiz_NormaldenDusuk->isChecked());
        p.main->Hiz_Yuksek->trigger();
        QVERIFY(State().PriorityChosenByUser);
        QVERIFY(p.main->Hiz_Yuksek->isChecked());
        p.main->Paketle->click();
        QCOMPARE(int(State().PriorityIndex), 5);
        p.main->Hiz_EnDusuk->trigger();
        QVERIFY(!p.main->Hiz_Yuksek->isChecked() && p.main->Hiz_EnDusuk->isChecked());
    }

    void matchMarks() {
        Program p;
        p.main->show();
        p.main->pass1->setText("a");
        QVERIFY(p.main->SifrelerinKontrolu_FARKLI->isVisible() && !p.main->SifrelerinKontrolu_AYNI->isVisible());
        p.main->pass2->setText("a");
        QVERIFY(!p.main->SifrelerinKontrolu_FARKLI->isVisible() && p.main->SifrelerinKontrolu_AYNI->isVisible());
        p.main->SilClick();
        QVERIFY(!p.main->SifrelerinKontrolu_FARKLI->isVisible() && !p.main->SifrelerinKontrolu_AYNI->isVisible());
    }

    void closeQuery() {
        struct Case {
            bool jobs;
            QMessageBox::StandardButton answer;
            bool closes;
            bool closeLater;
        };
        for (const Case& c :
             {Case{false, QMessageBox::NoButton, true, false}, Case{true, QMessageBox::Yes, false, true},
              Case{true, QMessageBox::No, true, false}, Case{true, QMessageBox::Cancel, false, false}}) {
            ResetState();
            Program p;
            p.main->show();
            State().JobsActive = c.jobs;
            DialogScript script;
            if (c.jobs)
                script
                    .ExpectMessage(Row(47), Row(46), QMessageBox::Question,
                                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
                    .Answer(c.answer);
            p.main->close();
            QVERIFY(script.VerifyDone());
            QCOMPARE(p.quit, c.closes);
            QCOMPARE(State().CloseWhenJobsFinish.load(), c.closeLater);
            QCOMPARE(p.main->isVisible(), !c.closes && !c.closeLater);
        }
    }

    // Enter runs the main button from every control of the window that has no use for Enter itself; a
    // push button with the focus takes Enter for itself. Different passwords tell the main command
    // (an error box) from Browse (the open dialog).
    void enterRunsMainButton_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("runsMainCommand");
        const QString controls[] = {"DosyaYolu", "pass1", "pass2", "Sifrele", "Coz", "Paketle", "islem"};
        for (const QString& control : controls) {
            QTest::newRow(qPrintable(control + " Return")) << control << int(Qt::Key_Return) << true;
            QTest::newRow(qPrintable(control + " Enter")) << control << int(Qt::Key_Enter) << true;
        }
        QTest::newRow("Gozat Return") << QString("Gozat") << int(Qt::Key_Return) << false;
    }
    void enterRunsMainButton() {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(bool, runsMainCommand);
        Program p;
        p.main->show();
        p.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.main.get()));
        QWidget* target = Control(*p.main, control);
        QVERIFY(target);
        const bool compress = p.main->Paketle->isChecked();
        const bool decrypt = p.main->Coz->isChecked();
        p.main->pass1->setText("a");
        p.main->pass2->setText("b");
        target->setFocus();
        QCOMPARE(QApplication::focusWidget(), target);
        DialogScript script;
        if (runsMainCommand)
            script.ExpectMessage(Row(39), Row(52), QMessageBox::Critical, QMessageBox::Ok);
        else
            script.ExpectOpenFile().Cancel();
        QTest::keyClick(target, Qt::Key(key));
        QVERIFY(script.VerifyDone());
        QCOMPARE(p.main->pass1->text().isEmpty(), runsMainCommand);
        QCOMPARE(p.main->Paketle->isChecked(), compress); // Enter is not a click on the control
        QCOMPARE(p.main->Coz->isChecked(), decrypt);
    }

    // Key preview: "x" or "X" makes a see-through window opaque wherever the focus is, and the control
    // with the focus still gets the key.
    void xMakesWindowOpaqueFromAnyControl_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("opaque");
        QTest::addColumn<QString>("fieldText"); // for fields: their text afterwards
        QTest::newRow("x in the path field") << "DosyaYolu"
                                             << "x" << true << "x";
        QTest::newRow("X in a password field") << "pass1"
                                               << "X" << true << "X";
        QTest::newRow("x on the check box") << "Paketle"
                                            << "x" << true << QString();
        QTest::newRow("X on a push button") << "Gozat"
                                            << "X" << true << QString();
        QTest::newRow("other letters do nothing") << "pass2"
                                                  << "y" << false << "y";
    }
    void xMakesWindowOpaqueFromAnyControl() {
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(bool, opaque);
        QFETCH(QString, fieldText);
        Program p;
        p.main->show();
        p.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.main.get()));
        p.main->setWindowOpacity(0.5);
        QWidget* target = Control(*p.main, control);
        QVERIFY(target);
        target->setFocus();
        QCOMPARE(QApplication::focusWidget(), target);
        QTest::keyClicks(target, typed);
        QCOMPARE(p.main->windowOpacity() == 1.0, opaque);
        if (auto* field = qobject_cast<QLineEdit*>(target)) QCOMPARE(field->text(), fieldText);
    }

    // Inside a field the editing keys edit (no menu command runs); elsewhere the menu's keys work;
    // dropped files reach the window, not a field, and the focus goes to the first password field.
    void keyboardAndDrops() {
        TempDir files;
        Program p;
        p.main->show();
        p.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.main.get()));
        QApplication::clipboard()->clear();
        {
            DialogScript script; // any dialog fails the test
            QLineEdit* path = p.main->DosyaYolu;
            path->setFocus();
            QTest::keyClicks(path, "/tmp/abc");
            QTest::keyClick(path, Qt::Key_A, Qt::ControlModifier); // select all, not "open encrypted file"
            QCOMPARE(path->selectedText(), QString("/tmp/abc"));
            QTest::keyClick(path, Qt::Key_C, Qt::ControlModifier);
            QCOMPARE(QApplication::clipboard()->text(), QString("/tmp/abc"));
            QTest::keyClick(path, Qt::Key_X, Qt::ControlModifier);
            QVERIFY(path->text().isEmpty());
            QTest::keyClick(path, Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(path, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(path->text(), QString("/tmp/abc/tmp/abc"));
            QTest::keyClick(path, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(path->text(), QString("/tmp/abc"));
            QTest::keyClick(path, Qt::Key_Y, Qt::ControlModifier); // redo, not "encrypt e-mail or text"
            QTest::keyClick(path, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            QTest::keyClick(path, Qt::Key_Home);
            QTest::keyClick(path, Qt::Key_K, Qt::ControlModifier); // not the folder window
            QVERIFY(!p.folder.isVisible());
            QTest::keyClick(p.main->pass1, Qt::Key_A, Qt::ControlModifier);
            QVERIFY(script.VerifyDone());
            QVERIFY(p.main->Sifrele->isChecked());
        }
        p.main->Gozat->setFocus();
        {
            DialogScript script;
            script.ExpectOpenFile().Filter(Row(56)).Cancel(); // Ctrl+A outside a field: open an encrypted file
            QTest::keyClick(p.main->Gozat, Qt::Key_A, Qt::ControlModifier);
            QVERIFY(script.VerifyDone());
            QVERIFY(p.main->Coz->isChecked());
        }
        for (QLineEdit* edit : {p.main->DosyaYolu, p.main->pass1, p.main->pass2})
            QVERIFY(!edit->acceptDrops());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(files.Path().string()))});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(p.main->DosyaYolu, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(p.main->DosyaYolu, &drop); // a drop on a field reaches the window
        QCOMPARE(p.main->DosyaYolu->text(), QString::fromStdString(files.Path().string()));
        QCOMPARE(int(State().StartMode), 3);
        QCOMPARE(QApplication::focusWidget(), p.main->pass1);
    }

    // After "close when the jobs finish", a result that keeps the program open brings the window back.
    void hiddenWindowComesBack() {
        Program p;
        p.main->show();
        State().JobsActive = true;
        {
            DialogScript script;
            script.ExpectMessage().Caption(Row(47)).Answer(QMessageBox::Yes);
            p.main->close();
            QVERIFY(script.VerifyDone());
        }
        QVERIFY(!p.main->isVisible());
        State().JobsActive = false;
        State().CloseWhenJobsFinish = false; // a cancel or an error cleared it
        p.result.Report(ResultOutcome::Cancelled, Row(41));
        p.result.TamamClick();
        QVERIFY(p.main->isVisible());
        QVERIFY(!p.quit);
    }

    // The help page opens in the language in force; a missing one is reported in that language.
    void helpPageFollowsLanguage() {
        TempDir folder;
        WriteBytes(folder / "help.html", {'<'});
        State().ProgramFolder = folder.Path().string() + "/";
        UrlCatcher opened;
        QDesktopServices::setUrlHandler("file", &opened, "Open");
        Program p;
        Lang().ActiveLanguage = kLanguageEnglish;
        p.main->ApplyLanguage();
        p.main->YardimKitabi->trigger();
        QCOMPARE(opened.urls, QList<QUrl>{QUrl::fromLocalFile(P(folder, "help.html"))});
        Lang().ActiveLanguage = kLanguageTurkish;
        p.main->ApplyLanguage();
        {
            DialogScript script;
            script.ExpectMessage(Turkish(39), Turkish(57), QMessageBox::Critical, QMessageBox::Ok);
            p.main->YardimKitabi->trigger();
            QVERIFY(script.VerifyDone());
        }
        WriteBytes(folder / "help_tr.html", {'<'});
        p.main->YardimKitabi->trigger();
        QCOMPARE(opened.urls.size(), 2);
        QCOMPARE(opened.urls.back(), QUrl::fromLocalFile(P(folder, "help_tr.html")));
        QDesktopServices::unsetUrlHandler("file");
        State().ProgramFolder.clear();
    }

    // A missing help page is reported in the language in force; nothing else changes.
    void missingCompanions() {
        TempDir folder;
        State().ProgramFolder = folder.Path().string() + "/";
        Program p;
        Lang().ActiveLanguage = kLanguageEnglish;
        p.main->ApplyLanguage();
        DialogScript script;
        script.ExpectMessage("Error", English(57), QMessageBox::Critical, QMessageBox::Ok);
        p.main->YardimKitabi->trigger();
        QVERIFY(script.VerifyDone());
        State().ProgramFolder.clear();
    }

    // A file on the command line, the password dialog, the main button: the .zrk file and no source.
    void endToEnd() {
        TempDir files;
        WriteBytes(files / "doc.txt", PatternBytes(100000));
        Program p({QString::fromStdString(files / "doc.txt")});
        p.main->show();
        p.main->GuncelleTimer();
        QVERIFY(p.password.isVisible());
        p.password.Sifre->setText("gizli şifre");
        p.password.TekrarSifre->setText("gizli şifre");
        p.password.TamamClick();
        QVERIFY(!p.password.isVisible());
        QCOMPARE(p.main->pass1->text(), QString("gizli şifre"));
        p.main->islemClick();
        QTRY_VERIFY_WITH_TIMEOUT(p.result.isVisible(), 10000);
        QTRY_VERIFY(!State().JobsActive);
        QCOMPARE(files.Entries(), std::vector<std::string>{"doc.txt.zrk"});
    }

    // `zarkent FOLDER`: the password dialog, the main button, the folder batch and its report, with
    // the main window back at the end.
    void endToEndFolder() {
        TempDir files;
        for (const char* name : {"a.txt", "b.txt"})
            WriteBytes(files / name, PatternBytes(70000));
        fs::create_directory(files.Path() / "sub");
        Program p({QString::fromStdString(files.Path().string())});
        QCOMPARE(int(State().StartMode), 3);
        p.main->show();
        p.main->GuncelleTimer();
        p.password.Sifre->setText("pw");
        p.password.TekrarSifre->setText("pw");
        p.password.TamamClick();
        p.main->islemClick();
        QCOMPARE(p.folder.mesaj->text(), Row(91));
        QTRY_VERIFY_WITH_TIMEOUT(p.result.isVisible(), 20000);
        QTRY_VERIFY(!State().JobsActive && p.main->isVisible());
        QCOMPARE(p.result.Mesaj->text(), Row(95) + "\r\n" +
                                             Row(kRowBatchFolder).arg(QString::fromStdString(files.Path().string())) +
                                             "\r\n" + Row(kRowBatchEncryptedCount).arg(2));
        QCOMPARE(files.Entries(), (std::vector<std::string>{"a.txt.zrk", "b.txt.zrk", "sub"}));
        QVERIFY(p.main->pass1->text().isEmpty() && p.main->DosyaYolu->text().isEmpty());
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
