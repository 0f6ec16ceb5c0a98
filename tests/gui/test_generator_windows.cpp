// The strong password generator and the random number generator windows: options, length controls,
// refusals, copy, save, close and reset, captions, and how the main window and the password dialog open
// them (offscreen, every dialog scripted).
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QEnterEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "DialogScript.h"
#include "TempDir.h"
#include "core/lang/Language.h"
#include "core/tools/Generators.h"
#include "gui/app/AnaSayfa.h"
#include "gui/jobs/DurumBelirt.h"
#include "gui/jobs/DurumSayfasi.h"
#include "gui/jobs/WindowHelpers.h"
#include "gui/tools/GucluSifre.h"
#include "gui/tools/RastgeleSayiUreteci.h"

using namespace zarkent;
using namespace zarkent::test;

namespace {

QString Turkish(int row) {
    return QString::fromUtf8(TurkishText(row).data(), static_cast<qsizetype>(TurkishText(row).size()));
}
QString Pool(std::string_view pool) {
    return QString::fromLatin1(pool.data(), static_cast<qsizetype>(pool.size()));
}

// The general error box with `text`, answered with OK. Its caption is the program's title in force (the
// designed Turkish one while no language has been applied).
void ExpectGeneralError(DialogScript& script, const QString& text) {
    script.ExpectMessage(ApplicationTitle(), text, QMessageBox::Critical, QMessageBox::Ok).Answer(QMessageBox::Ok);
}

QByteArray ReadFile(const QString& path) {
    return QByteArray::fromStdString(ReadText(path.toStdString()));
}

// Whether `label` shows pixels of a clear red.
bool ShowsRed(QLabel* label) {
    const QImage image = label->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 160 && c.green() < 90 && c.blue() < 90) return true;
        }
    return false;
}

} // namespace

class GeneratorWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> dir;

    QString P(const char* name) const { return QString::fromStdString(*dir / name); }

    static QString Generate(TGucluSifreSayfa1& window) {
        window.SifreOlustur->click();
        return window.UretilenSifre->toPlainText();
    }

    static QString ListShown(const TRastgeleSayiUreteciSayfa1& window) { return window.RastgeleSayilar->toPlainText(); }
    static QString Model(const TRastgeleSayiUreteciSayfa1& window) {
        return QString::fromStdString(window.GeneratedList());
    }

private slots:
    void initTestCase() {
        Lang().ActiveLanguage = kLanguageEnglish;
        Lang().CopySet();
    }
    void init() { dir = std::make_unique<TempDir>(); }

    void captionsDesignedTurkishThenLanguage() {
        TGucluSifreSayfa1 password;
        TRastgeleSayiUreteciSayfa1 numbers;
        const auto captions = [&] {
            return QStringList{password.windowTitle(),
                               password.Secenekler->title(),
                               password.Kapat->text(),
                               password.A->text(),
                               password.B->text(),
                               password.C->text(),
                               password.SifreUzunlugu->text(),
                               password.SifreOlustur->text(),
                               password.GucluSifre_HafizayaKopyala->text(),
                               numbers.windowTitle(),
                               numbers.Hex->text(),
                               numbers.KacTane->text(),
                               numbers.Olustur->text(),
                               numbers.Kapat->text(),
                               numbers.Kaydet->text(),
                               numbers.DosyaKaydet.title,
                               numbers.SayiAraligiLabel->text(),
                               numbers.CopyToClipBoard->text(),
                               numbers.chex->text(),
                               numbers.dhex->text(),
                               numbers.nhex->text()};
        };
        const int rows[] = {26, 12, 13, 64, 65, 66, 67, 68, 72, 27, 85, 90, 68, 13, 15, 15, 84, 89, 86, 87, 88};
        QStringList turkish, english;
        for (const int row : rows) {
            turkish << Turkish(row);
            english << Row(row);
        }
        QCOMPARE(captions(), turkish);
        password.UpdateCaptions();
        numbers.UpdateCaptions();
        QCOMPARE(captions(), english);

        for (QWidget* window : {static_cast<QWidget*>(&password), static_cast<QWidget*>(&numbers)}) {
            const Qt::WindowFlags flags = window->windowFlags();
            QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
            QVERIFY(flags.testFlag(Qt::CustomizeWindowHint) && !flags.testFlag(Qt::WindowCloseButtonHint));
            QVERIFY(!window->testAttribute(Qt::WA_QuitOnClose));
        }
        // Defaults as designed.
        QCOMPARE(password.Uzunluk->minimum(), 1);
        QCOMPARE(password.Uzunluk->maximum(), 64);
        QCOMPARE(password.Uzunluk->value(), 8);
        QCOMPARE(password.UzunlukDegeri->text(), "8");
        QVERIFY(!password.A->isChecked() && password.B->isChecked() && !password.C->isChecked());
        QCOMPARE(numbers.SayiAraligi->text(), "100");
        QCOMPARE(numbers.UretilecekSayi->text(), "10");
        QVERIFY(!numbers.Hex->isChecked());
        for (QRadioButton* option : {numbers.chex, numbers.dhex, numbers.nhex})
            QVERIFY(!option->isEnabled());
    }

    // --- Strong password generator ---------------------------------------------------------------

    // Clicks on A, B and C (in order; a click on a disabled box does nothing), then a 64-character password.
    void passwordOptions_data() {
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QString>("checked"); // A, B, C: "1" checked
        QTest::addColumn<QString>("enabled"); // A, B
        QTest::addColumn<QString>("pool");
        QTest::newRow("defaults: mixed") << ""
                                         << "010"
                                         << "11" << Pool(kMixedPool);
        QTest::newRow("A: digits, B off and locked") << "A"
                                                     << "100"
                                                     << "10" << Pool(kDigitPool);
        QTest::newRow("A twice: letters") << "AA"
                                          << "000"
                                          << "11" << Pool(kLetterPool);
        QTest::newRow("B off: letters") << "B"
                                        << "000"
                                        << "11" << Pool(kLetterPool);
        QTest::newRow("A, B click ignored") << "AB"
                                            << "100"
                                            << "10" << Pool(kDigitPool);
        QTest::newRow("C: user's characters, A and B locked") << "C"
                                                              << "011"
                                                              << "00"
                                                              << "ab";
        QTest::newRow("A then C") << "AC"
                                  << "101"
                                  << "00"
                                  << "ab";
        QTest::newRow("A, C, C: both enabled again, digits") << "ACC"
                                                             << "100"
                                                             << "11" << Pool(kDigitPool);
        QTest::newRow("A, C, C, B: A and B checked, mixed wins") << "ACCB"
                                                                 << "110"
                                                                 << "11" << Pool(kMixedPool);
        QTest::newRow("C twice: defaults") << "CC"
                                           << "010"
                                           << "11" << Pool(kMixedPool);
    }
    void passwordOptions() {
        QFETCH(QString, clicks);
        QFETCH(QString, checked);
        QFETCH(QString, enabled);
        QFETCH(QString, pool);
        TGucluSifreSayfa1 window;
        window.KullaniciYazisi->setText("ab");
        window.UzunlukDegeri->setText("64");
        for (const QChar click : clicks)
            (click == 'A' ? window.A : click == 'B' ? window.B : window.C)->click();
        const auto flag = [](bool on) { return on ? QChar('1') : QChar('0'); };
        QCOMPARE(QString() + flag(window.A->isChecked()) + flag(window.B->isChecked()) + flag(window.C->isChecked()),
                 checked);
        QCOMPARE(QString() + flag(window.A->isEnabled()) + flag(window.B->isEnabled()), enabled);
        QVERIFY(window.C->isEnabled());

        const QString password = Generate(window);
        QCOMPARE(PasswordAlphabet, pool);
        QCOMPARE(password.size(), 64);
        for (const QChar c : password)
            QVERIFY2(pool.contains(c), qPrintable(password));
        // 64 draws from two characters show both (a miss has a chance of 2^-63).
        if (pool == "ab") QVERIFY(password.contains('a') && password.contains('b'));
    }

    // The length box typed as a whole (as by a paste) with the slider at a position; -1: refused.
    void lengthControls_data() {
        QTest::addColumn<int>("sliderAt");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("slider");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("error");
        for (const int at : {8, 64}) {
            const QByteArray from = " at " + QByteArray::number(at);
            QTest::newRow("0" + from) << at << "0" << 1 << "1" << 1 << "";
            QTest::newRow("1" + from) << at << "1" << 1 << "1" << 1 << "";
            QTest::newRow("64" + from) << at << "64" << 64 << "64" << 64 << "";
        }
        QTest::newRow("65 at 8: moved and rewritten") << 8 << "65" << 64 << "64" << 64 << "";
        QTest::newRow("100 at 8: moved and rewritten") << 8 << "100" << 64 << "64" << 64 << "";
        QTest::newRow("65 at 64: kept") << 64 << "65" << 64 << "65" << 65 << "";
        QTest::newRow("100 at 64: kept") << 64 << "100" << 64 << "100" << 100 << "";
        QTest::newRow("4096 at 64: the limit") << 64 << "4096" << 64 << "4096" << 4096 << "";
        QTest::newRow("4097 at 64: beyond the limit")
            << 64 << "4097" << 64 << "4097" << -1 << "A password can have at most 4096 characters";
        QTest::newRow("0 at 1: empty password") << 1 << "0" << 1 << "0" << 0 << "";
        QTest::newRow("-5 at 1: empty password") << 1 << "-5" << 1 << "-5" << 0 << "";
        QTest::newRow("abc: emptied") << 8 << "abc" << 8 << "" << -1 << "'' is not a valid integer value";
        QTest::newRow("empty") << 8 << "" << 8 << "" << -1 << "'' is not a valid integer value";
        QTest::newRow("beyond int: emptied")
            << 8 << "99999999999" << 8 << "" << -1 << "'' is not a valid integer value";
    }
    void lengthControls() {
        QFETCH(int, sliderAt);
        QFETCH(QString, typed);
        QFETCH(int, slider);
        QFETCH(QString, box);
        QFETCH(int, length);
        QFETCH(QString, error);
        TGucluSifreSayfa1 window;
        window.Uzunluk->setValue(sliderAt);
        QCOMPARE(window.UzunlukDegeri->text(), QString::number(sliderAt)); // the slider writes the box
        window.UretilenSifre->setPlainText("previous");
        window.UzunlukDegeri->setText(typed);
        QCOMPARE(window.Uzunluk->value(), slider);
        QCOMPARE(window.UzunlukDegeri->text(), box);

        DialogScript script;
        if (length < 0) ExpectGeneralError(script, error);
        const QString password = Generate(window);
        QVERIFY(script.VerifyDone());
        if (length < 0)
            QCOMPARE(password, QString("previous"));
        else
            QCOMPARE(password.size(), length);
    }

    void typedKeyByKey() {
        // Each key is an edit of its own: "1" and "10" move the slider down first, "100" then takes it to 64.
        TGucluSifreSayfa1 window;
        window.Uzunluk->setValue(64);
        window.UzunlukDegeri->selectAll();
        QTest::keyClicks(window.UzunlukDegeri, "100");
        QCOMPARE(window.Uzunluk->value(), 64);
        QCOMPARE(window.UzunlukDegeri->text(), "64");
    }

    void userCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("characters"); // every one occurs; empty: refused
        QTest::newRow("ab") << "ab"
                            << "ab";
        QTest::newRow("Turkish letters stay whole") << QString::fromUtf8("ğü") << QString::fromUtf8("ğü");
        QTest::newRow("blanks among others stay") << " a"
                                                  << " a";
        QTest::newRow("repeats weigh more, still only those") << "xxy"
                                                              << "xy";
        QTest::newRow("blanks only") << "   " << QString();
        QTest::newRow("empty") << "" << QString();
    }
    void userCharacters() {
        QFETCH(QString, text);
        QFETCH(QString, characters);
        TGucluSifreSayfa1 window;
        window.C->click();
        window.KullaniciYazisi->setText(text);
        window.UzunlukDegeri->setText("64");
        window.UretilenSifre->setPlainText("previous");
        DialogScript script;
        if (characters.isEmpty()) ExpectGeneralError(script, Row(81));
        const QString password = Generate(window);
        QVERIFY(script.VerifyDone());
        if (characters.isEmpty()) {
            QCOMPARE(password, QString("previous"));
            return;
        }
        QCOMPARE(password.size(), 64);
        for (const QChar c : password)
            QVERIFY2(characters.contains(c), qPrintable(password));
        for (const QChar c : characters)
            QVERIFY2(password.contains(c), qPrintable(password));
    }

    void passwordsDiffer() {
        // Drawn from the system's source: two passwords made in the same instant are not the same.
        TGucluSifreSayfa1 window;
        window.UzunlukDegeri->setText("32");
        QVERIFY(Generate(window) != Generate(window));
    }

    // Every way of closing empties the fields and resets the options; only the copy button changes the
    // clipboard.
    void passwordCloseResets_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("copy") << "copy";
        QTest::newRow("Kapat") << "Kapat";
        QTest::newRow("Escape in the user's characters") << "escape-edit";
        QTest::newRow("Escape in the password box") << "escape-box";
        QTest::newRow("Escape on the slider") << "escape-slider";
    }
    void passwordCloseResets() {
        QFETCH(QString, how);
        TGucluSifreSayfa1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.A->click();
        window.C->click(); // A and B both locked now
        window.KullaniciYazisi->setText("xyz");
        window.Uzunluk->setValue(30);
        const QString password = Generate(window);
        QCOMPARE(password.size(), 30);
        QGuiApplication::clipboard()->setText("before");

        if (how == "copy") window.GucluSifre_HafizayaKopyala->click();
        if (how == "Kapat") window.Kapat->click();
        if (how == "escape-edit") QTest::keyClick(window.KullaniciYazisi, Qt::Key_Escape);
        if (how == "escape-box") QTest::keyClick(window.UretilenSifre, Qt::Key_Escape);
        if (how == "escape-slider") QTest::keyClick(window.Uzunluk, Qt::Key_Escape);

        QVERIFY(!window.isVisible());
        QCOMPARE(QGuiApplication::clipboard()->text(), how == "copy" ? password : QString("before"));
        QCOMPARE(window.UretilenSifre->toPlainText(), QString());
        QCOMPARE(window.KullaniciYazisi->text(), QString());
        QCOMPARE(window.Uzunluk->value(), 8);
        QCOMPARE(window.UzunlukDegeri->text(), "8");
        QVERIFY(!window.A->isChecked() && window.B->isChecked() && !window.C->isChecked());
        QVERIFY(window.A->isEnabled() && window.B->isEnabled());
        // The next opening starts from the defaults.
        QCOMPARE(Generate(window).size(), 8);
        QCOMPARE(PasswordAlphabet, Pool(kMixedPool));
    }

    // --- Random number generator -----------------------------------------------------------------

    // The list in the model (CR LF) and in the box (the same lines): `count` entries matching `entry`, each
    // below the bound, `perLine` to a line; `some` (when given) matches at least one entry.
    void numberLists_data() {
        QTest::addColumn<QString>("format"); // "" decimal, else the option: c, d, n
        QTest::addColumn<QString>("bound");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<qint64>("largest"); // largest value allowed
        QTest::addColumn<QString>("some");
        QTest::newRow("defaults: one line of ten") << ""
                                                   << "100"
                                                   << "10"
                                                   << "[0-9]{1,2}" << 99ll << "";
        QTest::newRow("decimal: twenty to a line") << ""
                                                   << "1000"
                                                   << "45"
                                                   << "[0-9]{1,3}" << 999ll << "^[0-9]{3}$";
        QTest::newRow("chex: eight, then the break") << "c"
                                                     << "100"
                                                     << "8"
                                                     << "0x00[0-6][0-9A-F]" << 99ll << "";
        QTest::newRow("dhex 70000: four or five digits") << "d"
                                                         << "70000"
                                                         << "400"
                                                         << "\\$[0-9A-F]{4,5}" << 69999ll << "^\\$[0-9A-F]{5}$";
        QTest::newRow("nhex bound 1: zeros") << "n"
                                             << "1"
                                             << "9"
                                             << "0000" << 0ll << "";
        QTest::newRow("decimal bound 0: zeros") << ""
                                                << "0"
                                                << "21"
                                                << "0" << 0ll << "";
        QTest::newRow("negative bound, decimal: wraps") << ""
                                                        << "-1"
                                                        << "40"
                                                        << "-?[0-9]{1,10}" << 4294967294ll << "^-";
        QTest::newRow("negative bound, chex: up to eight digits")
            << "c"
            << "-2"
            << "40"
            << "0x[0-9A-F]{4,8}" << 4294967293ll << "^0x[0-9A-F]{8}$";
        QTest::newRow("count 0: empty") << ""
                                        << "100"
                                        << "0"
                                        << "" << 0ll << "";
        QTest::newRow("count -5 with a bad bound: empty, the bound unread") << ""
                                                                            << "x"
                                                                            << "-5"
                                                                            << "" << 0ll << "";
    }
    void numberLists() {
        QFETCH(QString, format);
        QFETCH(QString, bound);
        QFETCH(QString, count);
        QFETCH(QString, entry);
        QFETCH(qint64, largest);
        QFETCH(QString, some);
        TRastgeleSayiUreteciSayfa1 window;
        if (!format.isEmpty()) {
            window.Hex->click();
            (format == "c" ? window.chex : format == "d" ? window.dhex : window.nhex)->click();
        }
        window.SayiAraligi->setText(bound);
        window.UretilecekSayi->setText(count);
        window.RastgeleSayilar->setPlainText("previous");
        window.Olustur->click();

        const int n = std::max(0, count.toInt());
        const int perLine = format.isEmpty() ? 20 : 8;
        const QString model = Model(window);
        const QRegularExpression layout(QString("^(?:(?:%1,){%2}\\r\\n){%3}(?:%1,){%4}$")
                                            .arg(entry.isEmpty() ? "x" : entry)
                                            .arg(perLine)
                                            .arg(n / perLine)
                                            .arg(n % perLine));
        QVERIFY2(layout.match(model).hasMatch(), qPrintable(model.left(400)));
        QCOMPARE(ListShown(window), QString(model).replace("\r\n", "\n"));

        const QStringList entries = QString(model).remove("\r\n").split(',', Qt::SkipEmptyParts);
        QCOMPARE(entries.size(), n);
        bool someMatched = some.isEmpty();
        for (const QString& e : entries) {
            bool ok = false;
            const qint64 value = format.isEmpty() ? qint64(quint32(e.toInt(&ok)))
                                                  : QString(e).remove("0x").remove('$').toLongLong(&ok, 16);
            QVERIFY(ok && value >= 0 && value <= largest);
            if (!some.isEmpty() && QRegularExpression(some).match(e).hasMatch()) someMatched = true;
        }
        QVERIFY(someMatched);
    }

    void hexOptions() {
        TRastgeleSayiUreteciSayfa1 window;
        const auto enabled = [&] {
            return QList<bool>{window.chex->isEnabled(), window.dhex->isEnabled(), window.nhex->isEnabled()};
        };
        window.Hex->click();
        QCOMPARE(enabled(), (QList<bool>{true, true, true}));
        QVERIFY(window.nhex->isChecked());
        window.chex->click();
        QVERIFY(window.chex->isChecked() && !window.dhex->isChecked() && !window.nhex->isChecked());
        window.dhex->click();
        QVERIFY(!window.chex->isChecked() && window.dhex->isChecked() && !window.nhex->isChecked());
        window.Hex->click();
        QCOMPARE(enabled(), (QList<bool>{false, false, false}));
        QVERIFY(window.dhex->isChecked()); // the selection stays
        window.Olustur->click();
        QVERIFY(!Model(window).contains('$')); // decimal while Hex is off
        window.Hex->click();
        QVERIFY(window.nhex->isChecked());
    }

    // A bad field shows the error and leaves the list as it was.
    void numberErrorsKeepTheList_data() {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("bound");
        QTest::addColumn<QString>("error");
        QTest::newRow("count not a number") << "abc"
                                            << "100"
                                            << "'abc' is not a valid integer value";
        QTest::newRow("count empty") << ""
                                     << "100"
                                     << "'' is not a valid integer value";
        QTest::newRow("count with a blank") << "5 "
                                            << "100"
                                            << "'5 ' is not a valid integer value";
        QTest::newRow("bound not a number") << "5"
                                            << "1e3"
                                            << "'1e3' is not a valid integer value";
        QTest::newRow("bound empty") << "5"
                                     << ""
                                     << "'' is not a valid integer value";
        QTest::newRow("bound beyond 32 bits") << "5"
                                              << "4294967296"
                                              << "'4294967296' is not a valid integer value";
        QTest::newRow("count beyond the limit") << "1000001"
                                                << "100"
                                                << "A list can hold at most 1000000 numbers";
    }
    void numberErrorsKeepTheList() {
        QFETCH(QString, count);
        QFETCH(QString, bound);
        QFETCH(QString, error);
        TRastgeleSayiUreteciSayfa1 window;
        window.Olustur->click();
        const QString before = ListShown(window);
        const std::string model = window.GeneratedList();
        QVERIFY(!model.empty());
        window.UretilecekSayi->setText(count);
        window.SayiAraligi->setText(bound);
        DialogScript script;
        ExpectGeneralError(script, error);
        window.Olustur->click();
        QVERIFY(script.VerifyDone());
        QCOMPARE(ListShown(window), before);
        QCOMPARE(window.GeneratedList(), model);
    }

    void savesCrLfLines() {
        TRastgeleSayiUreteciSayfa1 window;
        const QString path = P("list"); // no extension is added
        // An older, longer file is replaced whole.
        std::ofstream(path.toStdString(), std::ios::binary) << std::string(5000, 'o');
        const struct {
            bool hex;
            const char* count;
        } lists[] = {{false, "25"}, {true, "16"}, {false, "0"}};
        for (const auto& list : lists) {
            if (window.Hex->isChecked() != list.hex) window.Hex->click();
            window.UretilecekSayi->setText(list.count);
            window.Olustur->click();
            DialogScript script;
            script.ExpectSaveFile().Caption(Turkish(15)).Filter(Row(45)).Answer(path);
            window.Kaydet->click();
            QVERIFY(script.VerifyDone());
            // Every line ends in CR LF, the last one included: 25 decimal numbers make a full and a part line,
            // 16 hexadecimal ones two full lines.
            QByteArray expected = QByteArray::fromStdString(window.GeneratedList());
            if (!expected.isEmpty() && !expected.endsWith("\r\n")) expected += "\r\n";
            QCOMPARE(ReadFile(path), expected);
            QCOMPARE(expected.count("\r\n"), qsizetype(list.hex ? 2 : std::atoi(list.count) > 0 ? 2 : 0));
        }
        QCOMPARE(dir->Entries(), std::vector<std::string>{"list"});

        // Edits in the box are saved as they are shown, each line ended by CR LF.
        window.RastgeleSayilar->setPlainText("1,2,\n\n3,");
        {
            DialogScript script;
            script.ExpectSaveFile().Answer(path);
            script.ExpectSaveFile().Cancel();
            window.Kaydet->click();
            window.Kaydet->click(); // cancelled: nothing written
        }
        QCOMPARE(ReadFile(path), QByteArray("1,2,\r\n\r\n3,\r\n"));
    }

    void failedSaveKeepsTheOldFile() {
#ifdef _WIN32
        QSKIP("a file-size limit makes the write fail; Windows has none");
#else
        TRastgeleSayiUreteciSayfa1 window;
        window.UretilecekSayi->setText("1000");
        window.Olustur->click();
        const QString path = P("old.txt");
        std::ofstream(path.toStdString(), std::ios::binary) << "old list";

        // A file-size limit makes the writing fail part way (root ignores folder permissions).
        const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 1000;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        DialogScript script;
        script.ExpectSaveFile().Answer(path);
        script.ExpectMessage().Caption(Row(39)).Icon(QMessageBox::Critical).Buttons(QMessageBox::Ok);
        window.Kaydet->click();
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &saved), 0);
        std::signal(SIGXFSZ, previousSignal);
        QVERIFY(script.VerifyDone());
        QCOMPARE(script.Messages().back().text,
                 "Cannot create file \"" + path + "\". " + QString::fromLocal8Bit(std::strerror(EFBIG)));
        QCOMPARE(ReadFile(path), QByteArray("old list"));
        QCOMPARE(dir->Entries(), std::vector<std::string>{"old.txt"});

        // A folder that does not exist.
        DialogScript missing;
        missing.ExpectSaveFile().Answer(P("no/such/list"));
        missing.ExpectMessage().Caption(Row(39)).Icon(QMessageBox::Critical).Buttons(QMessageBox::Ok);
        window.Kaydet->click();
        QVERIFY(missing.Messages().back().text.startsWith("Cannot create file \"" + P("no/such/list") + "\". "));
#endif
    }

    void copyLinkAndHover() {
        TRastgeleSayiUreteciSayfa1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.UretilecekSayi->setText("45");
        window.Olustur->click();
        QGuiApplication::clipboard()->setText("before");
        QTest::mouseClick(window.CopyToClipBoard, Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), ListShown(window));
        QCOMPARE(window.RastgeleSayilar->textCursor().selectedText().size(), ListShown(window).size());
        QCOMPARE(window.CopyToClipBoard->cursor().shape(), Qt::PointingHandCursor);

        QVERIFY(!ShowsRed(window.CopyToClipBoard));
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(window.CopyToClipBoard, &enter);
        QVERIFY(ShowsRed(window.CopyToClipBoard));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(window.CopyToClipBoard, &leave);
        QVERIFY(!ShowsRed(window.CopyToClipBoard));
        window.KapatClick();
    }

    void numbersCloseResets_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Kapat") << "Kapat";
        QTest::newRow("Escape in the bound") << "escape-bound";
        QTest::newRow("Escape in the list") << "escape-list";
        QTest::newRow("Escape on Hex") << "escape-hex";
    }
    void numbersCloseResets() {
        QFETCH(QString, how);
        TRastgeleSayiUreteciSayfa1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.SayiAraligi->setText("5");
        window.UretilecekSayi->setText("33");
        window.Hex->click();
        window.Olustur->click();
        QVERIFY(!ListShown(window).isEmpty());

        if (how == "Kapat") window.Kapat->click();
        if (how == "escape-bound") QTest::keyClick(window.SayiAraligi, Qt::Key_Escape);
        if (how == "escape-list") QTest::keyClick(window.RastgeleSayilar, Qt::Key_Escape);
        if (how == "escape-hex") QTest::keyClick(window.Hex, Qt::Key_Escape);

        QVERIFY(!window.isVisible());
        QCOMPARE(ListShown(window), QString());
        QVERIFY(window.GeneratedList().empty());
        QCOMPARE(window.SayiAraligi->text(), "100");
        QCOMPARE(window.UretilecekSayi->text(), "10");
        QVERIFY(!window.Hex->isChecked());
        for (QRadioButton* option : {window.chex, window.dhex, window.nhex})
            QVERIFY(!option->isEnabled());
    }

    // --- Main window and password dialog ---------------------------------------------------------

    void mainWindowOpensThem() {
        TempDir config;
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path().string()));
        TSayfa1 main;
        main.Guncelle->stop(); // no start-up step: a first start would switch to the system's language
        TSifreEx passwordDialog;
        TDurumBelirt result;
        TDurumSayfasi page;
        TKlasoriciSifrelemePenceresi folder;
        TGucluSifreSayfa1 generator;
        TRastgeleSayiUreteciSayfa1 numbers;
        MainWindowPeers peers{&passwordDialog, &page, &result, &folder};
        peers.passwordGenerator = &generator;
        peers.randomNumbers = &numbers;
        main.SetPeers(peers);
        main.show();

        QVERIFY(main.GucluSifreYaratici->isEnabled());
        QVERIFY(main.RastgeleSayiMotoru->isEnabled());
        main.GucluSifreYaratici->trigger();
        QVERIFY(generator.isVisible());
        main.RastgeleSayiMotoru->trigger();
        QVERIFY(numbers.isVisible());
        QVERIFY(!generator.isModal() && !numbers.isModal() && QApplication::activeModalWidget() == nullptr);
        QVERIFY(main.isEnabled());

        // The password dialog's helper button opens the generator through the same action.
        generator.KapatClick();
        QVERIFY(!generator.isVisible());
        passwordDialog.show();
        QVERIFY(passwordDialog.SifreYardim->isEnabled());
        QTest::mouseClick(passwordDialog.SifreYardim, Qt::LeftButton);
        QVERIFY(generator.isVisible());

        // Captions follow the language switch.
        QCOMPARE(generator.windowTitle(), Turkish(26));
        QCOMPARE(numbers.windowTitle(), Turkish(27));
        Lang().ActiveLanguage = kLanguageTurkish;
        main.ApplyLanguage();
        QCOMPARE(generator.C->text(), Turkish(66));
        QCOMPARE(numbers.SayiAraligiLabel->text(), Turkish(84));
        Lang().ActiveLanguage = kLanguageEnglish;
        main.ApplyLanguage();
        QCOMPARE(generator.windowTitle(), Row(26));
        QCOMPARE(generator.C->text(), Row(66));
        QCOMPARE(numbers.windowTitle(), Row(27));
        QCOMPARE(numbers.SayiAraligiLabel->text(), Row(84));
        generator.KapatClick();
        numbers.KapatClick();
    }
};

QTEST_MAIN(GeneratorWindowsTest)
#include "test_generator_windows.moc"
