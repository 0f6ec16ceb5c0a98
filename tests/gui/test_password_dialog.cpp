#include "DesignFont.h"
#include "DialogScript.h"
#include "core/lang/Language.h"
#include "core/state/SharedState.h"
#include "gui/jobs/SifreEkrani.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace zarkent;
using zarkent::test::DialogScript;

namespace {

QString En(int row) {
    return QString::fromUtf8(EnglishText(row).data(), static_cast<qsizetype>(EnglishText(row).size()));
}

struct FakeMainWindow final : PasswordTarget {
    QStringList written;
    void SetPasswords(const QString& password) override { written << password; }
};

// A shown dialog wired to a fake main window.
struct Fixture {
    FakeMainWindow main;
    TSifreEx dialog;
    Fixture() {
        dialog.SetPasswordTarget(&main);
        dialog.show();
    }
    void Enter(const QString& first, const QString& second) {
        dialog.Sifre->setText(first);
        dialog.TekrarSifre->setText(second);
    }
    bool Emptied() const { return dialog.Sifre->text().isEmpty() && dialog.TekrarSifre->text().isEmpty(); }
};

} // namespace

class PasswordDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        Lang().ActiveLanguage = kLanguageEnglish;
        QVERIFY(Lang().CopySet());
    }

    void init() { State().PasswordDialogFillsMain = true; }

    void design() {
        const test::DesignFont font; // the designed geometry, where every designed caption fits it
        TSifreEx dialog;
        const Qt::WindowFlags flags = dialog.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!dialog.isModal());
        QCOMPARE(dialog.size(), QSize(440, 87));
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8(" Lütfen Bir Şifre Giriniz"));

        QCOMPARE(dialog.Sifre->geometry(), QRect(18, 23, 191, 22));
        QCOMPARE(dialog.TekrarSifre->geometry(), QRect(215, 23, 194, 22));
        QCOMPARE(dialog.SifreLabel->text(), QString::fromUtf8("Şifre"));
        QCOMPARE(dialog.TekrarSifreLabel->text(), QString::fromUtf8("Tekrar Şifre"));
        QVERIFY(dialog.SifreLabel->geometry().bottom() < dialog.Sifre->y());
        for (QLabel* mark : {dialog.SifrelerinKontrolu_AYNI, dialog.SifrelerinKontrolu_FARKLI}) {
            QCOMPARE(mark->geometry(), QRect(415, 23, 22, 22));
            QVERIFY(mark->isHidden());
        }
        QCOMPARE(dialog.Tamam->geometry(), QRect(320, 54, 89, 25));
        QCOMPARE(dialog.Tamam->text(), QString::fromUtf8("Tamam"));
        QVERIFY(dialog.Tamam->isDefault());
        QCOMPARE(dialog.iptal->geometry(), QRect(224, 54, 90, 25));
        QCOMPARE(dialog.iptal->text(), QString::fromUtf8("iptal"));
        QCOMPARE(dialog.SifreYardim->geometry(), QRect(18, 54, 143, 25));
        QCOMPARE(dialog.SifreYardim->text(), QString::fromUtf8("Güçlü Şifre Oluşturucu"));
    }

    void captionsFollowLanguage() {
        TSifreEx dialog;
        dialog.UpdateCaptions();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Please enter a password"));
        QCOMPARE(dialog.Tamam->text(), QStringLiteral("Ok"));
        QCOMPARE(dialog.iptal->text(), QStringLiteral("Cancel"));
        QCOMPARE(dialog.SifreLabel->text(), QStringLiteral("Password"));
        QCOMPARE(dialog.TekrarSifreLabel->text(), QStringLiteral("Please enter password again"));
        QCOMPARE(dialog.SifreYardim->text(), QStringLiteral("Strong Password Generator"));
    }

    // Each showing starts in the first field, wherever the focus was when the dialog went.
    void opensWithFocusInFirstField() {
        TSifreEx dialog;
        for (int showing = 0; showing < 2; ++showing) {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QCOMPARE(dialog.focusWidget(), dialog.Sifre);
            dialog.TekrarSifre->setFocus();
            QCOMPARE(dialog.focusWidget(), dialog.TekrarSifre);
            dialog.iptalClick();
        }
    }

    // Typed entries show one "*" per character and stop at 128 characters, typed or pasted.
    void entriesAreMaskedAndLimited() {
        Fixture f;
        for (QLineEdit* edit : {f.dialog.Sifre, f.dialog.TekrarSifre}) {
            QTest::keyClicks(edit, QString::fromUtf8("gÜz1"));
            QCOMPARE(edit->text(), QString::fromUtf8("gÜz1"));
            QCOMPARE(edit->displayText(), QStringLiteral("****"));

            edit->clear();
            QTest::keyClicks(edit, QString(130, QLatin1Char('x')));
            QCOMPARE(edit->text(), QString(128, QLatin1Char('x')));
            edit->setText(QString(200, QLatin1Char('y')));
            QCOMPARE(edit->text().size(), 128);
            QCOMPARE(edit->displayText(), QString(128, QLatin1Char('*')));
        }
    }

    void marksFollowEntries_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("same");
        QTest::addColumn<bool>("different");
        QTest::newRow("equal") << "abc"
                               << "abc" << true << false;
        QTest::newRow("different") << "abc"
                                   << "abd" << false << true;
        QTest::newRow("letter case differs") << "Abc"
                                             << "abc" << false << true;
        QTest::newRow("second empty") << "abc"
                                      << "" << false << true;
        QTest::newRow("first empty") << ""
                                     << "abc" << false << true;
        QTest::newRow("both empty") << ""
                                    << "" << false << false;
    }
    void marksFollowEntries() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, same);
        QFETCH(bool, different);
        Fixture f;
        f.Enter(QStringLiteral("zz"), QStringLiteral("yy")); // start from the other mark
        f.Enter(first, second);
        QCOMPARE(!f.dialog.SifrelerinKontrolu_AYNI->isHidden(), same);
        QCOMPARE(!f.dialog.SifrelerinKontrolu_FARKLI->isHidden(), different);
    }

    void typingSwitchesMarks() {
        Fixture f;
        QTest::keyClicks(f.dialog.Sifre, QStringLiteral("ab"));
        QTest::keyClicks(f.dialog.TekrarSifre, QStringLiteral("a"));
        QVERIFY(!f.dialog.SifrelerinKontrolu_FARKLI->isHidden());
        QTest::keyClicks(f.dialog.TekrarSifre, QStringLiteral("b"));
        QVERIFY(!f.dialog.SifrelerinKontrolu_AYNI->isHidden());
        QVERIFY(f.dialog.SifrelerinKontrolu_FARKLI->isHidden());
    }

    void okOutcomes_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("fillsMain");
        QTest::addColumn<bool>("noPasswordBox");
        QTest::addColumn<bool>("mismatchBox");
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<bool>("closed");
        QTest::newRow("equal") << "s3cret"
                               << "s3cret" << true << false << false << QStringList{"s3cret"} << true;
        QTest::newRow("different") << "s3cret"
                                   << "S3cret" << true << false << true << QStringList{} << false;
        QTest::newRow("second empty") << "s3cret"
                                      << "" << true << true << true << QStringList{} << false;
        QTest::newRow("first empty") << ""
                                     << "s3cret" << true << true << true << QStringList{} << false;
        QTest::newRow("both empty") << ""
                                    << "" << true << true << false << QStringList{""} << true;
        // Without the main window's request OK hands nothing over and the dialog stays as it is.
        QTest::newRow("not asked to fill") << "s3cret"
                                           << "s3cret" << false << false << false << QStringList{} << false;
    }
    void okOutcomes() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, fillsMain);
        QFETCH(bool, noPasswordBox);
        QFETCH(bool, mismatchBox);
        QFETCH(QStringList, written);
        QFETCH(bool, closed);
        State().PasswordDialogFillsMain = fillsMain;
        Fixture f;
        f.Enter(first, second);

        DialogScript script;
        if (noPasswordBox) {
            script.ExpectMessage(En(39), En(61), QMessageBox::NoIcon, QMessageBox::Ok).Answer(QMessageBox::Ok);
        }
        if (mismatchBox) {
            script.ExpectMessage(En(39), En(52), QMessageBox::Critical, QMessageBox::Ok).Answer(QMessageBox::Ok);
        }
        QTest::mouseClick(f.dialog.Tamam, Qt::LeftButton);
        QVERIFY(script.VerifyDone());

        QCOMPARE(f.main.written, written);
        QCOMPARE(f.dialog.isVisible(), !closed);
        if (closed) {
            QVERIFY(f.Emptied());
        } else {
            QCOMPARE(f.dialog.Sifre->text(), first);
            QCOMPARE(f.dialog.TekrarSifre->text(), second);
        }
    }

    // Tamam is the default button: Enter in an entry confirms.
    void enterConfirms() {
        Fixture f;
        f.Enter(QStringLiteral("pw"), QStringLiteral("pw"));
        QTest::keyClick(f.dialog.TekrarSifre, Qt::Key_Return);
        QCOMPARE(f.main.written, QStringList{QStringLiteral("pw")});
        QVERIFY(!f.dialog.isVisible());
    }

    // iptal and Escape discard the entries; a close from elsewhere (a batch starting) keeps them.
    void leavingWithoutOk_data() {
        QTest::addColumn<int>("how"); // 0 iptal, 1 Escape in an entry, 2 close()
        QTest::addColumn<bool>("emptied");
        QTest::newRow("iptal") << 0 << true;
        QTest::newRow("Escape") << 1 << true;
        QTest::newRow("closed by another window") << 2 << false;
    }
    void leavingWithoutOk() {
        QFETCH(int, how);
        QFETCH(bool, emptied);
        Fixture f;
        f.Enter(QStringLiteral("pw"), QStringLiteral("pw"));
        DialogScript script; // no message box expected
        if (how == 0) {
            QTest::mouseClick(f.dialog.iptal, Qt::LeftButton);
        } else if (how == 1) {
            QTest::keyClick(f.dialog.TekrarSifre, Qt::Key_Escape);
        } else {
            f.dialog.close();
        }
        QVERIFY(script.VerifyDone());
        QVERIFY(!f.dialog.isVisible());
        QVERIFY(f.main.written.isEmpty());
        QCOMPARE(f.Emptied(), emptied);
    }

    void generatorButtonFollowsAction() {
        TSifreEx dialog;
        QVERIFY(!dialog.SifreYardim->isEnabled());

        auto action = std::make_unique<QAction>();
        QSignalSpy triggered(action.get(), &QAction::triggered);
        dialog.SetPasswordGeneratorAction(action.get());
        QVERIFY(dialog.SifreYardim->isEnabled());
        QTest::mouseClick(dialog.SifreYardim, Qt::LeftButton);
        QCOMPARE(triggered.count(), 1);

        action->setEnabled(false);
        QVERIFY(!dialog.SifreYardim->isEnabled());
        action->setEnabled(true);
        QVERIFY(dialog.SifreYardim->isEnabled());
        action.reset();
        QVERIFY(!dialog.SifreYardim->isEnabled());
        dialog.SifreYardimClick(); // nothing left to run
    }
};

QTEST_MAIN(PasswordDialogTest)
#include "test_password_dialog.moc"
