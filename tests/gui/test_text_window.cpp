// The text encryption window: encryption and decryption through its buttons, copy, clear and close, each
// message it shows, its captions in both languages, and how the main window opens it (offscreen, every
// dialog scripted).
#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <string>

#include "DialogScript.h"
#include "TempDir.h"
#include "core/container/Armour.h"
#include "core/lang/Language.h"
#include "core/state/SharedState.h"
#include "gui/app/AnaSayfa.h"
#include "gui/jobs/DurumBelirt.h"
#include "gui/jobs/DurumSayfasi.h"
#include "gui/jobs/WindowHelpers.h"
#include "gui/tools/MetinSifreleme.h"

using namespace zarkent;
using namespace zarkent::test;

namespace {

QString Turkish(int row) {
    return QString::fromUtf8(TurkishText(row).data(), static_cast<qsizetype>(TurkishText(row).size()));
}
QString English(int row) {
    return QString::fromUtf8(EnglishText(row).data(), static_cast<qsizetype>(EnglishText(row).size()));
}

const QString Secret = QString::fromUtf8("Gizli toplantı: yarın 10'da, Çarşı kapısında.\nŞifre: ğüşıöç ĞÜŞİÖÇ\n");
const QString Password = QString::fromUtf8("parola ğ 1");

// The armour the core writes for `text` and `password`.
QString ArmourOf(const QString& text, const QString& password) {
    const QByteArray utf8 = text.toUtf8();
    return QString::fromLatin1(ArmourText(utf8.toStdString(), password.toLocal8Bit().toStdString()));
}

void SetPasswords(TMetinSifreleme& window, const QString& first, const QString& second) {
    window.Sifre1->setText(first);
    window.Sifre2->setText(second);
}

// An error box of this window with `text`, answered with OK.
void ExpectError(DialogScript& script, const QString& text, QMessageBox::Icon icon) {
    script.ExpectMessage(Row(39), text, icon, QMessageBox::Ok).Answer(QMessageBox::Ok);
}

} // namespace

class TextWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        Lang().ActiveLanguage = kLanguageEnglish;
        Lang().CopySet();
    }

    // Encrypt replaces the text with its armour, Copy takes it to the clipboard, and the armour pasted back
    // inside a quoted reply decrypts to the text with the password typed once.
    void encryptCopyDecrypt() {
        DialogScript script;
        TMetinSifreleme window;
        window.show();
        window.Metin->setPlainText(Secret);
        SetPasswords(window, Password, Password);
        QTest::mouseClick(window.Sifrele, Qt::LeftButton);
        const QString armour = window.Metin->toPlainText();
        QCOMPARE(armour, ArmourOf(Secret, Password));
        QVERIFY(armour.startsWith("-----BEGIN ZARKENT ENCRYPTED TEXT-----\n"));

        QGuiApplication::clipboard()->clear();
        QTest::mouseClick(window.Kopyala, Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), armour);
        QCOMPARE(window.Metin->toPlainText(), armour); // copying leaves the box as it is

        QTest::mouseClick(window.Temizle, Qt::LeftButton);
        QCOMPARE(window.Metin->toPlainText(), QString());
        QCOMPARE(window.Sifre1->text(), Password); // Clear empties the text box only

        QString reply = "Ali wrote:\r\n";
        for (const QString& line : QGuiApplication::clipboard()->text().split('\n'))
            reply += "> " + line + "\r\n";
        window.Metin->setPlainText(reply + "\r\nThanks!\r\n");
        SetPasswords(window, Password, QString());
        QTest::mouseClick(window.Coz, Qt::LeftButton);
        QCOMPARE(window.Metin->toPlainText(), Secret);
        QVERIFY(script.VerifyDone());

        // An empty text encrypts and decrypts too.
        window.Metin->clear();
        SetPasswords(window, Password, Password);
        window.SifreleClick();
        QVERIFY(window.Metin->toPlainText().startsWith("-----BEGIN"));
        window.CozClick();
        QCOMPARE(window.Metin->toPlainText(), QString());
        QVERIFY(script.VerifyDone());
    }

    // Each refusal: its message (caption "Error", this window's text) and the box left as it was.
    void refusals_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("decrypt");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("warning");
        QTest::addColumn<bool>("passwordsCleared");

        const QString armour = ArmourOf(Secret, Password);
        QString damaged = armour;
        damaged[damaged.size() - 60] = damaged[damaged.size() - 60] == 'A' ? 'B' : 'A';
        QTest::newRow("encrypt without password") << Secret << ""
                                                  << "" << false << 61 << true << false;
        QTest::newRow("encrypt, passwords differ") << Secret << "a"
                                                   << "b" << false << 52 << false << true;
        QTest::newRow("encrypt, second empty") << Secret << "a"
                                               << "" << false << 52 << false << true;
        QTest::newRow("decrypt without password") << armour << ""
                                                  << "" << true << 61 << true << false;
        QTest::newRow("decrypt, passwords differ") << armour << "a"
                                                   << "b" << true << 52 << false << true;
        QTest::newRow("no armour") << Secret << Password << "" << true << kRowTextNotFound << true << false;
        QTest::newRow("damaged armour") << damaged << Password << "" << true << kRowTextDamaged << false << false;
        QTest::newRow("cut armour") << armour.left(armour.size() - 10) << Password << "" << true << kRowTextDamaged
                                    << false << false;
        QTest::newRow("wrong password") << armour << "parola ğ 2"
                                        << "" << true << 99 << false << false;
    }

    void refusals() {
        QFETCH(QString, text);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, decrypt);
        QFETCH(int, row);
        QFETCH(bool, warning);
        QFETCH(bool, passwordsCleared);
        TMetinSifreleme window;
        window.show();
        window.Metin->setPlainText(text);
        SetPasswords(window, first, second);
        DialogScript script;
        QString message = Row(row);
        if (row == kRowTextNotFound)
            message = message.arg("-----BEGIN ZARKENT ENCRYPTED TEXT-----", "-----END ZARKENT ENCRYPTED TEXT-----");
        ExpectError(script, message, warning ? QMessageBox::Warning : QMessageBox::Critical);
        QTest::mouseClick(decrypt ? window.Coz : window.Sifrele, Qt::LeftButton);
        QVERIFY(script.VerifyDone());
        QCOMPARE(window.Metin->toPlainText(), text);
        QCOMPARE(window.Sifre1->text(), passwordsCleared ? QString() : first);
        QCOMPARE(window.Sifre2->text(), passwordsCleared ? QString() : second);
    }

    // A text over the limit is refused with the limit in the message, before any work.
    void tooLongText() {
        TMetinSifreleme window;
        const QString line = QString(99, 'a') + '\n';
        window.Metin->setPlainText(line.repeated(static_cast<qsizetype>(MaxArmouredTextSize / 100 + 1)));
        SetPasswords(window, Password, Password);
        DialogScript script;
        ExpectError(script, Row(kRowTextTooLarge).arg(16), QMessageBox::Warning);
        window.SifreleClick();
        QVERIFY(script.VerifyDone());
        QCOMPARE(window.Metin->document()->blockCount(), static_cast<int>(MaxArmouredTextSize / 100 + 2));
    }

    // Close (button, Escape, close box) hides the window and forgets the text and the passwords.
    void closeForgets() {
        TMetinSifreleme window;
        for (int how = 0; how < 3; ++how) {
            window.show();
            window.Metin->setPlainText(Secret);
            SetPasswords(window, Password, Password);
            if (how == 0) QTest::mouseClick(window.Kapat, Qt::LeftButton);
            if (how == 1) QTest::keyClick(window.Metin, Qt::Key_Escape);
            if (how == 2) window.close();
            QVERIFY(!window.isVisible());
            QCOMPARE(window.Metin->toPlainText(), QString());
            QCOMPARE(window.Sifre1->text(), QString());
            QCOMPARE(window.Sifre2->text(), QString());
        }
    }

    // The menu item and the toolbar button open the window; its captions follow the language switch.
    void mainWindowOpensItAndSwitchesItsLanguage() {
        TempDir config;
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path().string()));
        DialogScript script;
        Lang().ActiveLanguage = 0;
        TSayfa1 main;
        main.Guncelle->stop(); // no start-up step: a first start would switch to the system's language
        TSifreEx passwordDialog;
        TDurumBelirt result;
        TDurumSayfasi page;
        TKlasoriciSifrelemePenceresi folder;
        TMetinSifreleme window;
        MainWindowPeers peers{&passwordDialog, &page, &result, &folder};
        peers.textWindow = &window;
        main.SetPeers(peers);
        main.show();

        QVERIFY(main.Araclar->actions().contains(main.EPostaYaziSifrele));
        main.EPostaYaziSifrele->trigger();
        QVERIFY(window.isVisible());
        QVERIFY(!window.isModal() && main.isEnabled());
        window.KapatClick();
        auto* button = qobject_cast<QToolButton*>(main.AracCubugu->widgetForAction(main.EPostaYaziSifrele));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(window.isVisible());

        const auto captions = [&] {
            return QStringList{window.windowTitle(),       window.MetinLabel->text(), window.Sifre1Label->text(),
                               window.Sifre2Label->text(), window.Sifrele->text(),    window.Coz->text(),
                               window.Kopyala->text(),     window.Temizle->text(),    window.Kapat->text()};
        };
        const auto rows = [](QString (*text)(int)) {
            QStringList list;
            for (int row :
                 {63, kRowTextPrompt, 20, 21, kRowTextEncrypt, kRowTextDecrypt, kRowTextCopy, kRowTextClear, 13})
                list << text(row);
            return list;
        };
        QCOMPARE(captions(), rows(Turkish)); // as designed
        main.EnglishExecute();
        QCOMPARE(captions(), rows(English));
        main.TurkceExecute();
        QCOMPARE(captions(), rows(Turkish));
        QCOMPARE(main.EPostaYaziSifrele->text(), Turkish(63));
        window.KapatClick();
        QVERIFY(script.VerifyDone());
    }
};

QTEST_MAIN(TextWindowTest)
#include "test_text_window.moc"
