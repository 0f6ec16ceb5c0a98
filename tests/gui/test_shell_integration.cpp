// Desktop integration from the program's side: the MIME database the desktop builds from our package,
// and when the main window writes its entries (creation, start-up step, language apply) and how it
// tells the user about problems. Every test has a home of its own.
#include <QMimeDatabase>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include <filesystem>
#include <fstream>

#include "DialogScript.h"
#include "TempDir.h"
#include "core/shell/ShellPlan.h"
#include "core/state/SharedState.h"
#include "gui/app/AnaSayfa.h"
#include "gui/jobs/WindowHelpers.h"

using namespace zarkent;
using namespace zarkent::test;
namespace fs = std::filesystem;

namespace {

bool Holds(const std::string& path, const std::string& text) {
    return ReadText(path).find(text) != std::string::npos;
}
std::string Str(std::string_view text) {
    return std::string(text);
}

// A home of its own for the XDG folders.
struct Home {
    TempDir dir;
    std::string data = dir / "data", config = dir / "config";
    Home() {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config));
    }
    std::string Data(const std::string& path) const { return data + "/" + path; }
    std::string Config(const std::string& path) const { return config + "/" + path; }
};

} // namespace

class ShellIntegrationTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        Lang().ActiveLanguage = 0;
        Lang().CopySet(); // nothing copied: the table keeps what it had
        State().SelectedLanguage = 0;
        State().StartMode = 0;
        State().PasswordDialogFillsMain = false;
        State().ProgramFile = "/opt/zarkent/zarkent";
    }

    // Our package, run through the desktop's own tool, makes "a.zrk" (and only that spelling) ours.
    void mimeDatabaseKnowsEncryptedFiles() {
        if (QStandardPaths::findExecutable("update-mime-database").isEmpty())
            QSKIP("update-mime-database is not installed");
        Home home; // before the MIME database is first used in this process
        const ShellWriteResult result =
            ApplyLinuxPlan(shell::LinuxAssociationPlan(shell::InputFor("/opt/zarkent/zarkent", Lang())),
                           {home.data, home.config}, {std::chrono::seconds(20)});
        QVERIFY(result.Ok());
        QCOMPARE(result.toolsRun.size(), std::size_t(2));
        const QMimeDatabase db;
        QCOMPARE(db.mimeTypeForFile("a.zrk", QMimeDatabase::MatchExtension).name(), QString(shell::MimeType));
        QVERIFY(db.mimeTypeForFile("A.ZRK", QMimeDatabase::MatchExtension).name() != QString(shell::MimeType));
        QVERIFY(db.mimeTypeForFile("a.Zrk", QMimeDatabase::MatchExtension).name() != QString(shell::MimeType));
        const QMimeType type = db.mimeTypeForName(shell::MimeType);
        QCOMPARE(type.iconName(), QString("zarkent"));
        QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
        const QString turkish = type.comment();
        QLocale::setDefault(QLocale::c());
        QCOMPARE(turkish, QString::fromUtf8(TurkishText(60).data(), qsizetype(TurkishText(60).size())));
    }

    // Creation writes the Send To entry, the start-up step the association and the entries in the stored
    // language, a language apply the association again, a moved program new paths.
    void entriesAtCreationStartUpAndLanguageApply() {
        Home home;
        DialogScript script; // no message expected
        TSayfa1 window;
        QVERIFY(Holds(home.Data("Thunar/sendto/zarkent-encrypt-file.desktop"), "Name=" + Lang().Row(54) + "\n"));
        QCOMPARE(QString::fromStdString(window.SendToFolder), QString::fromStdString(home.Data("Thunar/sendto")));
        QVERIFY(!fs::exists(home.Data("applications/zarkent.desktop")));

        {
            QSettings stored(QString::fromStdString(home.Config("Zarkent/Zarkent.conf")), QSettings::IniFormat);
            stored.setValue("Language", "1");
        }
        window.GuncelleTimer();
        QVERIFY(Holds(home.Data("Thunar/sendto/zarkent-encrypt-file.desktop"), "Name=" + Str(TurkishText(54)) + "\n"));
        QVERIFY(Holds(home.Data("kio/servicemenus/zarkent-folder.desktop"), "Name=" + Str(TurkishText(42)) + "\n"));
        QVERIFY(fs::exists(home.Data("nautilus/scripts/" + shell::NautilusScriptName(Str(TurkishText(42))))));
        QVERIFY(Holds(home.Config("mimeapps.list"), "application/x-zarkent-encrypted=zarkent.desktop\n"));
        QVERIFY(Holds(home.Data("applications/zarkent.desktop"), "TryExec=/opt/zarkent/zarkent\n"));

        // The apply itself brings the association along; the Send To entry follows its own call.
        Lang().ActiveLanguage = kLanguageEnglish;
        window.ApplyLanguage();
        QVERIFY(Holds(home.Data("kio/servicemenus/zarkent-folder.desktop"), "Name=" + Str(EnglishText(42)) + "\n"));
        QVERIFY(Holds(home.Data("Thunar/sendto/zarkent-encrypt-file.desktop"), "Name=" + Str(TurkishText(54)) + "\n"));
        window.CreateSendToShortcut();
        QVERIFY(Holds(home.Data("Thunar/sendto/zarkent-encrypt-file.desktop"), "Name=" + Str(EnglishText(54)) + "\n"));

        State().ProgramFile = "/home/user/moved/zarkent";
        QVERIFY(window.RegisterAssociation());
        QVERIFY(Holds(home.Data("applications/zarkent.desktop"), "TryExec=/home/user/moved/zarkent\n"));
        QTest::qWait(20); // no message is queued either
        QVERIFY(script.VerifyDone());
    }

    // Problems of creation and start-up come in one message at the end of the start-up step, each once;
    // the start goes on, and a problem already shown is not shown again.
    void problemsAreShownOnceAtStartUp() {
        Home home;
        WriteText(home.Data("Thunar"), "in the way");
        WriteText(home.Data("applications"), "in the way");
        {
            // Not a first start: that would switch to the system's language on the way.
            QSettings stored(QString::fromStdString(home.Config("Zarkent/Zarkent.conf")), QSettings::IniFormat);
            stored.setValue("Language", "2");
        }
        DialogScript script;
        TSayfa1 window; // the Send To entry fails here already; nothing is shown yet
        QVERIFY(script.Shown().empty());
        const QString sendTo = QString::fromStdString("Cannot write in folder \"" + home.Data("Thunar/sendto") +
                                                      "\". \"" + home.Data("Thunar") + "\" is not a folder.");
        const QString applications = QString::fromStdString("Cannot write in folder \"" + home.Data("applications") +
                                                            "\". A file of that name is in the way.");
        script.ExpectMessage()
            .Caption(Row(39))
            .Icon(QMessageBox::Warning)
            .Buttons(QMessageBox::Ok)
            .Answer(QMessageBox::Ok);
        State().StartMode = 1;
        // The event loop runs the start-up step from the window's own timer, as in the program.
        QTRY_VERIFY(State().PasswordDialogFillsMain);
        QTest::qWait(20);
        QVERIFY(script.VerifyDone());
        const QString text = script.Messages().at(0).text;
        QVERIFY2(text.endsWith("\n\n" + sendTo + "\n" + applications), qPrintable(text));
        QCOMPARE(script.Shown().size(), std::size_t(1)); // the step went on to the password dialog
        QVERIFY(fs::exists(home.Data("mime/packages/zarkent.xml")));

        // A language switch meets the same problems: nothing new to tell.
        Lang().ActiveLanguage = kLanguageEnglish;
        window.ApplyLanguage();
        window.CreateSendToShortcut();
        QTest::qWait(20);
        QCOMPARE(script.Shown().size(), std::size_t(1));
        // A new one after the start is shown on its own, once for both halves of the switch.
        fs::remove_all(home.Data("nemo"));
        WriteText(home.Data("nemo"), "in the way");
        script.ExpectMessage().Icon(QMessageBox::Warning).Answer(QMessageBox::Ok);
        Lang().ActiveLanguage = kLanguageTurkish;
        window.ApplyLanguage();
        window.CreateSendToShortcut();
        QTRY_COMPARE(script.Shown().size(), std::size_t(2));
        QVERIFY(script.Messages().at(1).text.endsWith(
            QString::fromStdString("\n\nCannot write in folder \"" + home.Data("nemo/actions") + "\". \"" +
                                   home.Data("nemo") + "\" is not a folder.")));
        QVERIFY(script.VerifyDone());
    }
};

QTEST_MAIN(ShellIntegrationTest)
#include "test_shell_integration.moc"
