#include "DialogScript.h"
#include "core/lang/Language.h"
#include "gui/dialogs/Dialogs_mod.h"
#include "gui/dialogs/InputBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace zarkent::dialogs;
using zarkent::test::DialogKind;
using zarkent::test::DialogScript;

Q_DECLARE_METATYPE(QMessageBox::StandardButtons)
Q_DECLARE_METATYPE(QMessageBox::StandardButton)

namespace {

const QString kLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
const QString kLongPrompt = QStringLiteral(
    "Bu klasördeki bütün dosyalar aynı şifre ile şifrelenecektir. Şifreyi unutursanız dosyalarınızı geri "
    "açmanın hiçbir yolu yoktur; lütfen şifrenizi güvenli bir yerde saklayınız.");

// Drives the modal window of type W that the code under test shows next: once it is showing (inside
// its exec()), `interact` runs on it. A window still open a second later is closed and reported, so a
// faulty test cannot hang the suite. While it lives the real dialogs are shown (window tests otherwise
// refuse every dialog that no script answers).
template <class W> class ModalDriver {
public:
    explicit ModalDriver(std::function<void(W&)> interact)
        : interact_(std::move(interact)), refusing_(SetDialogResponder(nullptr)) {
        QObject::connect(&poll_, &QTimer::timeout, &poll_, [this] { Poll(); });
        poll_.start(5);
    }
    ~ModalDriver() { SetDialogResponder(refusing_); }
    bool Ran() const { return ran_; }
    bool LeftOpen() const { return leftOpen_; }

private:
    void Poll() {
        W* window = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!window) {
            if (++attempts_ > 200) poll_.stop(); // it never came
            return;
        }
        poll_.stop();
        ran_ = true;
        QTimer::singleShot(1000, window, [this, window] {
            leftOpen_ = true;
            window->close();
        });
        interact_(*window);
    }

    std::function<void(W&)> interact_;
    QTimer poll_;
    int attempts_ = 0;
    bool ran_ = false;
    bool leftOpen_ = false;
    DialogResponder* refusing_;
};

// The files a file dialog's model lists as selectable in `folder`, sorted.
QStringList OfferedNames(const QFileSystemModel& model, const QString& folder) {
    const QModelIndex root = model.index(folder);
    QStringList names;
    for (int i = 0; i < model.rowCount(root); ++i) {
        const QModelIndex entry = model.index(i, 0, root);
        if (!model.isDir(entry) && model.flags(entry).testFlag(Qt::ItemIsEnabled)) names << model.fileName(entry);
    }
    names.sort();
    return names;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(CurrentDialogResponder() != nullptr); } // the refusing responder

    void mulDivRoundsToNearest_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("numerator");
        QTest::addColumn<int>("denominator");
        QTest::addColumn<int>("result");
        QTest::newRow("exact") << 180 << 6 << 4 << 270;
        QTest::newRow("half rounds up") << 50 << 7 << 4 << 88; // 87.5
        QTest::newRow("below half") << 14 << 15 << 8 << 26;    // 26.25
        QTest::newRow("above half") << 14 << 17 << 8 << 30;    // 29.75
        QTest::newRow("negative half") << -5 << 3 << 2 << -8;  // -7.5
        QTest::newRow("negative divisor") << 5 << 3 << -2 << -8;
        QTest::newRow("no overflow") << 2000000000 << 3 << 4 << 1500000000;
        QTest::newRow("divide by zero") << 1 << 1 << 0 << 0;
    }
    void mulDivRoundsToNearest() {
        QFETCH(int, number);
        QFETCH(int, numerator);
        QFETCH(int, denominator);
        QFETCH(int, result);
        QCOMPARE(MulDivRound(number, numerator, denominator), result);
    }

    // Known answers for the layout arithmetic (multiply first, then round to nearest).
    void layoutArithmetic_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QSize>("promptSize");
        QTest::addColumn<int>("editHeight");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QRect>("prompt");
        QTest::addColumn<QRect>("edit");
        QTest::addColumn<QRect>("ok");
        QTest::addColumn<QRect>("cancel");
        QTest::newRow("6x13") << 6 << 13 << QSize(100, 13) << 21 << QSize(270, 103) << QRect(12, 13, 100, 13)
                              << QRect(12, 31, 246, 21) << QRect(57, 67, 75, 23) << QRect(138, 67, 75, 23);
        QTest::newRow("7x15, two lines") << 7 << 15 << QSize(287, 30) << 23 << QSize(315, 127) << QRect(14, 15, 287, 30)
                                         << QRect(14, 50, 287, 23) << QRect(67, 88, 88, 26) << QRect(161, 88, 88, 26);
        QTest::newRow("9x17, too wide prompt")
            << 9 << 17 << QSize(400, 17) << 25 << QSize(405, 122) << QRect(18, 17, 369, 17) << QRect(18, 39, 369, 25)
            << QRect(86, 79, 113, 30) << QRect(207, 79, 113, 30);
    }
    void layoutArithmetic() {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QSize, promptSize);
        QFETCH(int, editHeight);
        const InputBoxLayout layout = ComputeInputBoxLayout({x, y}, promptSize, editHeight);
        QTEST(layout.client, "client");
        QTEST(layout.prompt, "prompt");
        QTEST(layout.edit, "edit");
        QTEST(layout.okButton, "ok");
        QTEST(layout.cancelButton, "cancel");
    }

    // The box measures its units from its own font and places every control by them.
    void boxFollowsItsFont_data() {
        QTest::addColumn<QFont>("font");
        QTest::addColumn<QString>("prompt");
        const QFont base = QApplication::font();
        QFont small = base;
        small.setPointSize(8);
        QFont large = base;
        large.setPointSize(16);
        QFont serif(QStringLiteral("DejaVu Serif"), 11);
        QFont boldPixels = base;
        boldPixels.setPixelSize(19);
        boldPixels.setBold(true);
        QTest::newRow("application font") << base << QStringLiteral("Lütfen Şifre Giriniz");
        QTest::newRow("8 pt") << small << QStringLiteral("Please enter a password");
        QTest::newRow("16 pt, long prompt") << large << kLongPrompt;
        QTest::newRow("serif 11 pt, long prompt") << serif << kLongPrompt;
        QTest::newRow("bold 19 px") << boldPixels << QStringLiteral("MD5 Kodunuz Aşağıdadır");
        QTest::newRow("empty prompt") << base << QString();
    }
    void boxFollowsItsFont() {
        QFETCH(QFont, font);
        QFETCH(QString, prompt);
        InputBox box(QStringLiteral("Uyarı"), prompt, QString(), false);
        box.setFont(font);

        const QFontMetrics metrics(font);
        const int x = metrics.horizontalAdvance(kLetters) / 52;
        const int y = metrics.size(Qt::TextSingleLine, kLetters).height();
        const int maxWidth = MulDivRound(164, x, 4);
        const QRect wrapped =
            metrics.boundingRect(QRect(0, 0, maxWidth, 100000), Qt::TextWordWrap, prompt.isEmpty() ? " " : prompt);
        const InputBoxLayout expected = ComputeInputBoxLayout({x, y}, wrapped.size(), box.Edit()->sizeHint().height());

        QCOMPARE(box.Layout().promptMaxWidth, maxWidth);
        QCOMPARE(box.size(), expected.client);
        QCOMPARE(box.minimumSize(), expected.client); // fixed size
        QCOMPARE(box.maximumSize(), expected.client);
        QCOMPARE(box.PromptLabel()->geometry(), expected.prompt);
        QCOMPARE(box.Edit()->geometry(), expected.edit);
        QCOMPARE(box.OkButton()->geometry(), expected.okButton);
        QCOMPARE(box.CancelButton()->geometry(), expected.cancelButton);
        // The label itself needs exactly the measured height at that width, so no line is cut off.
        if (!prompt.isEmpty())
            QCOMPARE(box.PromptLabel()->heightForWidth(expected.prompt.width()), expected.prompt.height());
        // The edit's height is the one the style wants for the new font.
        QLineEdit fresh;
        fresh.setFont(font);
        QCOMPARE(box.Edit()->height(), fresh.sizeHint().height());
    }

    // A long prompt wraps within 164·X/4 and pushes the edit, the buttons and the bottom edge down.
    void longPromptWrapsAndPushesDown() {
        InputBox shortBox(QStringLiteral("Uyarı"), QStringLiteral("Lütfen Şifre Giriniz"), QString(), true);
        InputBox longBox(QStringLiteral("Uyarı"), kLongPrompt, QString(), true);
        const InputBoxLayout& a = shortBox.Layout();
        const InputBoxLayout& b = longBox.Layout();
        const QFontMetrics metrics(longBox.font());
        QVERIFY(b.prompt.width() <= b.promptMaxWidth);
        QVERIFY(metrics.horizontalAdvance(kLongPrompt) > b.promptMaxWidth);
        QVERIFY(b.prompt.height() >= 3 * metrics.height());
        const int pushed = b.prompt.height() - a.prompt.height();
        QVERIFY(pushed > 0);
        QCOMPARE(b.edit.top() - a.edit.top(), pushed);
        QCOMPARE(b.okButton.top() - a.okButton.top(), pushed);
        QCOMPARE(b.cancelButton.top() - a.cancelButton.top(), pushed);
        QCOMPARE(longBox.height() - shortBox.height(), pushed);
        QCOMPARE(longBox.width(), shortBox.width());
        QCOMPARE(longBox.height(), b.cancelButton.top() + b.cancelButton.height() + 13);
    }

    void boxControls() {
        zarkent::Lang().ActiveLanguage = zarkent::kLanguageEnglish;
        QVERIFY(zarkent::Lang().CopySet());
        InputBox box(QStringLiteral("Text MD5"), QStringLiteral("prompt"), QStringLiteral("initial"), false);
        QCOMPARE(box.windowTitle(), QStringLiteral("Text MD5"));
        QCOMPARE(box.OkButton()->text(), QStringLiteral("Tamam"));
        QCOMPARE(box.CancelButton()->text(), QStringLiteral("iptal"));
        QVERIFY(box.OkButton()->isDefault());
        QVERIFY(!box.CancelButton()->isDefault());
        QCOMPARE(box.Edit()->maxLength(), 255);
        QCOMPARE(box.Edit()->echoMode(), QLineEdit::Normal);
        QVERIFY(box.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!box.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(QApplication::focusWidget(), box.Edit());
        QCOMPARE(box.Edit()->selectedText(), QStringLiteral("initial"));
        QTest::keyClicks(box.Edit(), QStringLiteral("new"));
        QCOMPARE(box.Text(), QStringLiteral("new")); // typing replaces the selected initial value
        QTest::keyClicks(box.Edit(), QString(300, QLatin1Char('x')));
        QCOMPARE(box.Text().size(), 255);
    }

    void maskedBoxShowsAsterisks() {
        InputBox box(QStringLiteral("Uyarı"), QStringLiteral("Lütfen Şifre Giriniz"), QString(), true);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::keyClicks(box.Edit(), QStringLiteral("Gizli sifre"));
        QCOMPARE(box.Edit()->displayText(), QString(11, QLatin1Char('*')));
        QCOMPARE(box.Text(), QStringLiteral("Gizli sifre"));
        // What is painted is asterisks, not the platform's bullets: the edit looks exactly like one that
        // holds eleven "*" in clear.
        box.Edit()->clearFocus();
        QLineEdit reference;
        reference.setStyleSheet(box.Edit()->styleSheet());
        reference.setFont(box.Edit()->font());
        reference.resize(box.Edit()->size());
        reference.setText(QString(11, QLatin1Char('*')));
        QCOMPARE(box.Edit()->grab().toImage().convertToFormat(QImage::Format_RGB32),
                 reference.grab().toImage().convertToFormat(QImage::Format_RGB32));
    }

    // The real modal box, driven from its own event loop.
    void queryTextFlows_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("masked");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("value");
        QTest::newRow("type and Enter") << "enter" << false << true << "typed";
        QTest::newRow("masked, type and Enter") << "enter" << true << true << "typed";
        QTest::newRow("click Tamam keeps initial") << "ok" << false << true << "initial";
        QTest::newRow("type and Escape") << "escape" << false << false << "initial";
        QTest::newRow("click iptal") << "cancel" << true << false << "initial";
        QTest::newRow("close box") << "close" << false << false << "initial";
    }
    void queryTextFlows() {
        QFETCH(QString, action);
        QFETCH(bool, masked);
        bool maskedAsAsked = false;
        ModalDriver<InputBox> driver([&](InputBox& box) {
            maskedAsAsked = (box.Edit()->echoMode() == QLineEdit::Password) == masked;
            if (action == "enter" || action == "escape") QTest::keyClicks(box.Edit(), QStringLiteral("typed"));
            if (action == "enter") QTest::keyClick(box.Edit(), Qt::Key_Return);
            if (action == "escape") QTest::keyClick(box.Edit(), Qt::Key_Escape);
            if (action == "ok") QTest::mouseClick(box.OkButton(), Qt::LeftButton);
            if (action == "cancel") QTest::mouseClick(box.CancelButton(), Qt::LeftButton);
            if (action == "close") box.close();
        });
        QString value = QStringLiteral("initial");
        const bool confirmed =
            QueryText(nullptr, QStringLiteral("Uyarı"), QStringLiteral("Lütfen Şifre Giriniz"), value, masked);
        QVERIFY(driver.Ran());
        QVERIFY(!driver.LeftOpen());
        QVERIFY(maskedAsAsked);
        QTEST(confirmed, "confirmed");
        QTEST(value, "value");
    }

    void queryTextOrDefaultReturnsDefaultOnCancel() {
        {
            ModalDriver<InputBox> driver([](InputBox& box) {
                QTest::keyClicks(box.Edit(), QStringLiteral("abc"));
                QTest::keyClick(box.Edit(), Qt::Key_Escape);
            });
            QCOMPARE(
                QueryTextOrDefault(nullptr, QStringLiteral("Text MD5"), QStringLiteral("prompt"), QString(), false),
                QString());
            QVERIFY(driver.Ran() && !driver.LeftOpen());
        }
        {
            ModalDriver<InputBox> driver([](InputBox& box) { QTest::keyClick(box.Edit(), Qt::Key_Escape); });
            QCOMPARE(QueryTextOrDefault(nullptr, QStringLiteral("MD5"), QStringLiteral("prompt"),
                                        QStringLiteral("D41D8CD9"), false),
                     QStringLiteral("D41D8CD9"));
            QVERIFY(driver.Ran() && !driver.LeftOpen());
        }
        {
            // Enter on the keypad confirms too; the selected default is replaced by what is typed.
            ModalDriver<InputBox> driver([](InputBox& box) {
                QTest::keyClicks(box.Edit(), QStringLiteral("abc"));
                QTest::keyClick(box.Edit(), Qt::Key_Enter);
            });
            QCOMPARE(QueryTextOrDefault(nullptr, QStringLiteral("Text MD5"), QStringLiteral("prompt"),
                                        QStringLiteral("old"), false),
                     QStringLiteral("abc"));
            QVERIFY(driver.Ran() && !driver.LeftOpen());
        }
    }

    // The real message box: caption, text, icon, default and escape buttons.
    void messageBoxAnswers_data() {
        QTest::addColumn<QMessageBox::StandardButtons>("buttons");
        QTest::addColumn<QMessageBox::StandardButton>("defaultButton");
        QTest::addColumn<int>("key");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("Yes/No, Escape") << QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No)
                                        << QMessageBox::Yes << int(Qt::Key_Escape) << QMessageBox::No;
        QTest::newRow("Yes/No/Cancel, Escape")
            << QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
            << QMessageBox::NoButton << int(Qt::Key_Escape) << QMessageBox::Cancel;
        QTest::newRow("OK, Escape") << QMessageBox::StandardButtons(QMessageBox::Ok) << QMessageBox::NoButton
                                    << int(Qt::Key_Escape) << QMessageBox::Ok;
        QTest::newRow("Yes/No, default No, Enter") << QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No)
                                                   << QMessageBox::No << int(Qt::Key_Return) << QMessageBox::No;
        QTest::newRow("Yes/No, default Yes, Enter") << QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No)
                                                    << QMessageBox::Yes << int(Qt::Key_Return) << QMessageBox::Yes;
    }
    void messageBoxAnswers() {
        QFETCH(QMessageBox::StandardButtons, buttons);
        QFETCH(QMessageBox::StandardButton, defaultButton);
        QFETCH(int, key);
        QString seen;
        ModalDriver<QMessageBox> driver([&](QMessageBox& box) {
            seen = box.windowTitle() + '|' + box.text() + '|' + QString::number(box.icon());
            QTest::keyClick(&box, Qt::Key(key));
        });
        const QMessageBox::StandardButton answer = ShowMessage(
            nullptr, QStringLiteral("Onay"), QStringLiteral("Devam?"), QMessageBox::Question, buttons, defaultButton);
        QVERIFY(driver.Ran() && !driver.LeftOpen());
        QCOMPARE(seen, QStringLiteral("Onay|Devam?|%1").arg(int(QMessageBox::Question)));
        QTEST(answer, "answer");
    }

    void filterConversion_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("qt");
        QTest::newRow("one entry") << "Zengin Metin Belgesi|*.rtf"
                                   << "Zengin Metin Belgesi (*.rtf)";
        QTest::newRow("two entries, two patterns") << "Metin|*.txt;*.log|Tüm Dosyalar|*.*"
                                                   << "Metin (*.txt *.log);;Tüm Dosyalar (*)";
        QTest::newRow("patterns already in the description") << "Zarkent Şifreli Dosyaları (*.zrk)|*.zrk"
                                                             << "Zarkent Şifreli Dosyaları (*.zrk)";
        QTest::newRow("every file, named in the description") << "All (*.*)|*.*"
                                                              << "All (*)";
        QTest::newRow("brackets naming other patterns stay") << "Yedek (eski)|*.bak"
                                                             << "Yedek (eski) (*.bak)";
        QTest::newRow("*.* among others") << "Hepsi|*.txt;*.*;*"
                                          << "Hepsi (*.txt *)";
        QTest::newRow("blanks around patterns") << "Text| *.txt ; *.doc "
                                                << "Text (*.txt *.doc)";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("description without pattern") << "Hepsi"
                                                     << "Hepsi (*)";
        QTest::newRow("trailing bar") << "Zarkent|*.zrk|"
                                      << "Zarkent (*.zrk)";
        QTest::newRow("pattern without description") << "|*.zrk"
                                                     << "*.zrk";
    }
    void filterConversion() {
        QFETCH(QString, filter);
        QTEST(QtFileFilter(filter), "qt");
    }

    // The real file dialogs: title, converted filter, default suffix, cancel.
    void fileDialogs() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QStringList filters;
        QString title;
        QList<bool> ownDialog; // Qt's dialog, never the platform's (which may record recent files)
        auto save = std::make_unique<ModalDriver<QFileDialog>>([&](QFileDialog& dialog) {
            ownDialog << dialog.testOption(QFileDialog::DontUseNativeDialog);
            filters = dialog.nameFilters();
            title = dialog.windowTitle();
            dialog.selectFile(folder.filePath("report"));
            QMetaObject::invokeMethod(&dialog, "accept");
        });
        QString chosen;
        QVERIFY(SaveFileName(nullptr,
                             {QStringLiteral("Kaydet"), QStringLiteral("Zengin Metin Belgesi|*.rtf|Hepsi|*.*"),
                              folder.path(), QStringLiteral("rtf")},
                             chosen));
        QVERIFY(save->Ran() && !save->LeftOpen());
        save.reset();
        QCOMPARE(title, QStringLiteral("Kaydet"));
        QCOMPARE(filters, (QStringList{"Zengin Metin Belgesi (*.rtf)", "Hepsi (*)"}));
        QCOMPARE(chosen, folder.filePath("report.rtf"));

        ModalDriver<QFileDialog> cancel([&](QFileDialog& dialog) {
            ownDialog << dialog.testOption(QFileDialog::DontUseNativeDialog);
            dialog.reject();
        });
        chosen = QStringLiteral("unchanged");
        QVERIFY(!OpenFileName(nullptr, {QStringLiteral("Aç"), QString(), folder.path(), QString()}, chosen));
        QVERIFY(cancel.Ran() && !cancel.LeftOpen());
        QCOMPARE(chosen, QStringLiteral("unchanged"));

        QVERIFY(QDir(folder.path()).mkdir("inner"));
        ModalDriver<QFileDialog> pickFolder([&](QFileDialog& dialog) {
            ownDialog << dialog.testOption(QFileDialog::DontUseNativeDialog);
            title = dialog.windowTitle();
            dialog.selectFile(folder.filePath("inner"));
            QMetaObject::invokeMethod(&dialog, "accept");
        });
        chosen = folder.path();
        QVERIFY(FolderName(nullptr, QStringLiteral("Klasör Seçiniz"), chosen));
        QVERIFY(pickFolder.Ran() && !pickFolder.LeftOpen());
        QCOMPARE(title, QStringLiteral("Klasör Seçiniz"));
        QCOMPARE(chosen, folder.filePath("inner"));
        QCOMPARE(ownDialog, (QList<bool>{true, true, true}));
    }

    // What the open dialog offers under the main window's two filters: "all files" includes names
    // without a dot (README, id_rsa), as it does on Windows.
    void openDialogOffersFilesOfItsFilter_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("qtFilter");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("all files") << 45 << QString::fromUtf8("Tüm Dosyalar (*)")
                                   << QStringList{"README", "a.zrk", "id_rsa", "notes.txt"};
        QTest::newRow("encrypted files") << 56 << QString::fromUtf8("Zarkent Şifreli Dosyaları (*.zrk)")
                                         << QStringList{"a.zrk"};
    }
    void openDialogOffersFilesOfItsFilter() {
        QFETCH(int, row);
        QFETCH(QString, qtFilter);
        QFETCH(QStringList, offered);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        for (const char* name : {"README", "a.zrk", "id_rsa", "notes.txt"}) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const std::string_view text = zarkent::TurkishText(row);
        QStringList filters, shown;
        ModalDriver<QFileDialog> driver([&](QFileDialog& dialog) {
            filters = dialog.nameFilters();
            const auto* model = dialog.findChild<QFileSystemModel*>();
            if (!model) return dialog.reject();
            // The folder is read in the background; the files a filter lets through arrive together (what
            // they are is compared below).
            (void)QTest::qWaitFor(
                [&] {
                    shown = OfferedNames(*model, folder.path());
                    return shown.size() >= offered.size();
                },
                800);
            dialog.reject();
        });
        QString chosen;
        OpenFileName(
            nullptr,
            {QStringLiteral("Aç"), QString::fromUtf8(text.data(), qsizetype(text.size())), folder.path(), QString()},
            chosen);
        QVERIFY(driver.Ran() && !driver.LeftOpen());
        QCOMPARE(shown, offered);
        QCOMPARE(filters, QStringList{qtFilter});
    }

    // --- The test hook and the scripted responder ---------------------------------------------------

    void scriptAnswersEveryKind() {
        DialogResponder* const before = CurrentDialogResponder();
        QStringList log;
        {
            DialogScript script(DialogScript::Mode::FailTest, &log);
            QCOMPARE(CurrentDialogResponder(), static_cast<DialogResponder*>(&script));
            script.ExpectMessage("Onay", "Sil?", QMessageBox::Question, QMessageBox::Yes | QMessageBox::No)
                .DefaultButton(QMessageBox::No)
                .Answer(QMessageBox::Yes);
            script.ExpectMessage().Icon(QMessageBox::Warning); // no answer: Escape
            script.ExpectOpenFile().Caption("Aç").Filter("Zarkent|*.zrk").Answer("/tmp/a.zrk");
            script.ExpectSaveFile().Answer("/tmp/rapor.rtf");
            script.ExpectFolder().Initial("/home").Answer("/home/user");
            script.ExpectQueryText("Uyarı", "Lütfen Şifre Giriniz").Masked(true).Answer("gizli");
            script.ExpectQueryText().Initial("ABCD").Confirm();
            script.ExpectQueryText().Cancel();

            QCOMPARE(ShowMessage(nullptr, "Onay", "Sil?", QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No),
                     QMessageBox::Yes);
            QCOMPARE(ShowMessage(nullptr, "Hata", "x", QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No),
                     QMessageBox::No);
            QString chosen;
            QVERIFY(OpenFileName(nullptr, {"Aç", "Zarkent|*.zrk", QString(), QString()}, chosen));
            QCOMPARE(chosen, QStringLiteral("/tmp/a.zrk"));
            QVERIFY(SaveFileName(nullptr, {}, chosen));
            QCOMPARE(chosen, QStringLiteral("/tmp/rapor.rtf"));
            chosen = "/home";
            QVERIFY(FolderName(nullptr, "Klasör", chosen));
            QCOMPARE(chosen, QStringLiteral("/home/user"));
            QString value;
            QVERIFY(QueryText(nullptr, "Uyarı", "Lütfen Şifre Giriniz", value, true));
            QCOMPARE(value, QStringLiteral("gizli"));
            QCOMPARE(QueryTextOrDefault(nullptr, "MD5", "p", "ABCD", false), QStringLiteral("ABCD"));
            QCOMPARE(QueryTextOrDefault(nullptr, "Text MD5", "p", "default", false), QStringLiteral("default"));

            QVERIFY(script.VerifyDone());
            QCOMPARE(script.Shown().size(), std::size_t{8});
            QCOMPARE(script.Messages().size(), std::size_t{2});
            QCOMPARE(script.Messages()[1].caption, QStringLiteral("Hata"));
            QCOMPARE(script.Shown()[4].kind, DialogKind::Folder);
        }
        QVERIFY(log.isEmpty());
        QCOMPARE(CurrentDialogResponder(), before); // the script puts back what it replaced
    }

    void scriptDetectsFaults_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("failure");
        QTest::newRow("unexpected dialog") << 0 << "unexpected message box \"Hata\"";
        QTest::newRow("different caption") << 1 << "caption is \"Hata\", expected \"Uyarı\"";
        QTest::newRow("different kind") << 2 << "expected a message box";
        QTest::newRow("left over, VerifyDone") << 3 << "an expected open dialog \"Aç\" was never shown";
        QTest::newRow("left over, destructor") << 4 << "an expected folder dialog was never shown";
        QTest::newRow("answer not on the box") << 5 << "not among the expected buttons";
        QTest::newRow("different buttons") << 6 << "buttons is 0x14000, expected 0x400";
    }
    void scriptDetectsFaults() {
        QFETCH(int, fault);
        QFETCH(QString, failure);
        DialogResponder* const before = CurrentDialogResponder();
        QStringList log;
        {
            DialogScript script(DialogScript::Mode::RecordOnly, &log);
            QString value = "kept";
            switch (fault) {
            case 0:
                QCOMPARE(ShowMessage(nullptr, "Hata", "t", QMessageBox::Critical, QMessageBox::Yes | QMessageBox::No),
                         QMessageBox::No); // answered like Escape
                QVERIFY(!script.Shown()[0].expected);
                break;
            case 1:
                script.ExpectMessage().Caption("Uyarı").Answer(QMessageBox::Ok);
                QCOMPARE(ShowMessage(nullptr, "Hata", "t", QMessageBox::Critical, QMessageBox::Ok), QMessageBox::Ok);
                QCOMPARE(script.Pending(), std::size_t{0});
                break;
            case 2:
                script.ExpectMessage();
                QVERIFY(!QueryText(nullptr, "c", "p", value, false));
                QCOMPARE(value, QStringLiteral("kept"));
                break;
            case 3:
                script.ExpectOpenFile().Caption("Aç").Answer("/a");
                QVERIFY(!script.VerifyDone());
                QCOMPARE(script.Pending(), std::size_t{0});
                break;
            case 4:
                script.ExpectFolder().Answer("/a");
                break;
            case 5:
                script.ExpectMessage("c", "t", QMessageBox::Question, QMessageBox::Yes | QMessageBox::No)
                    .Answer(QMessageBox::Ok);
                break;
            case 6:
                script.ExpectMessage().Buttons(QMessageBox::Ok).Answer(QMessageBox::Ok);
                QCOMPARE(ShowMessage(nullptr, "c", "t", QMessageBox::Question, QMessageBox::Yes | QMessageBox::No),
                         QMessageBox::No);
                break;
            }
            if (fault != 4) QVERIFY(!script.VerifyDone());
        }
        QVERIFY2(!log.isEmpty(), "no failure recorded");
        QVERIFY2(log.front().contains(failure), qPrintable(log.front()));
        QCOMPARE(CurrentDialogResponder(), before);
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
