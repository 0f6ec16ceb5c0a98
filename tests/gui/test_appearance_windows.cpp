// The transparency, about and credits windows: the opacity the slider gives the main window, which keys
// and clicks close each window, the description file, the link, and how the main window opens them
// (offscreen, every dialog scripted).
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTextEdit>
#include <QToolBar>
#include <QToolTip>
#include <QWindow>
#include <QtTest>

#include <fstream>

#include "DialogScript.h"
#include "TempDir.h"
#include "core/lang/Language.h"
#include "core/state/SharedState.h"
#include "gui/app/AnaSayfa.h"
#include "gui/jobs/DurumBelirt.h"
#include "gui/jobs/DurumSayfasi.h"
#include "gui/tools/About.h"
#include "gui/tools/Credits.h"
#include "gui/tools/SeffaflikAyariPenceresi.h"

using namespace zarkent;
using namespace zarkent::test;

// The program's pictures live in the window library.
static void InitResources() {
    Q_INIT_RESOURCE(zarkent);
}

namespace {

QString Turkish(int row) {
    return QString::fromUtf8(TurkishText(row).data(), static_cast<qsizetype>(TurkishText(row).size()));
}
QString English(int row) {
    return QString::fromUtf8(EnglishText(row).data(), static_cast<qsizetype>(EnglishText(row).size()));
}

// Shows a top-level window and waits until it has the keyboard.
bool ShowActive(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// The program folder for one test; the about window reads its description from there.
struct ProgramFolder {
    TempDir dir;
    std::string previous = State().ProgramFolder;
    ProgramFolder() { State().ProgramFolder = dir.Path().string() + "/"; }
    ~ProgramFolder() { State().ProgramFolder = previous; }
    std::string File() const { return dir / kAboutFileName; }
};

// Back to the built-in texts after a test that applied a language.
struct LanguageReset {
    ~LanguageReset() { Lang().ActiveLanguage = 0; }
};

bool ClickedOnEmptyArea(THakkinda& about, QPoint at) {
    if (about.childAt(at) != nullptr) return false;
    QTest::mouseClick(&about, Qt::LeftButton, Qt::NoModifier, at);
    return true;
}

} // namespace

class AppearanceWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InitResources(); }
    void init() { Lang().ActiveLanguage = 0; }

    // --- Transparency --------------------------------------------------------------------------------

    void sliderStartsOpaqueAndLeavesTheTargetAlone() {
        QWidget target;
        target.show();
        TSeffaflikAyari window(&target);
        QCOMPARE(window.SaydamlikSeviyesi->minimum(), 1);
        QCOMPARE(window.SaydamlikSeviyesi->maximum(), 255);
        QCOMPARE(window.SaydamlikSeviyesi->value(), 255);
        QCOMPARE(window.SaydamlikSeviyesi->tickPosition(), QSlider::NoTicks);
        QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QCOMPARE(AlphaBlendingOf(target), (AlphaBlending{false, 255}));
        QCOMPARE(target.windowOpacity(), 1.0);
    }

    void sliderSetsTheTargetsBlending_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("blended");
        QTest::newRow("lowest position") << 255 << 1 << true;
        QTest::newRow("middle") << 255 << 128 << true;
        QTest::newRow("just below the top") << 255 << 254 << true;
        QTest::newRow("top turns blending off") << 100 << 255 << false;
        QTest::newRow("down from translucent") << 200 << 60 << true;
    }
    void sliderSetsTheTargetsBlending() {
        QFETCH(int, from);
        QFETCH(int, position);
        QFETCH(bool, blended);
        QWidget target;
        target.show();
        QVERIFY(QTest::qWaitForWindowExposed(&target));
        TSeffaflikAyari window(&target);
        window.SaydamlikSeviyesi->setValue(from);
        window.SaydamlikSeviyesi->setValue(position);

        QCOMPARE(AlphaBlendingOf(target), (AlphaBlending{blended, position}));
        const double expected = blended ? position / 255.0 : 1.0;
        QCOMPARE(target.windowOpacity(), expected);
        // What the window system is asked to draw (it may not be able to; offscreen keeps the value only).
        QVERIFY(target.windowHandle() != nullptr);
        QVERIFY(qAbs(target.windowHandle()->opacity() - expected) < 1e-6);
        QCOMPARE(window.SaydamlikSeviyesi->value(), position);
    }

    void onlyEscapeClosesTheTransparencyWindow_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("a on the slider") << "slider" << int(Qt::Key_A) << false;
        QTest::newRow("x on the slider") << "slider" << int(Qt::Key_X) << false;
        QTest::newRow("F1 on the button") << "button" << int(Qt::Key_F1) << false;
        QTest::newRow("Escape on the slider") << "slider" << int(Qt::Key_Escape) << true;
        QTest::newRow("Escape on the button") << "button" << int(Qt::Key_Escape) << true;
        QTest::newRow("Escape on the window") << "window" << int(Qt::Key_Escape) << true;
    }
    void onlyEscapeClosesTheTransparencyWindow() {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(bool, closes);
        QWidget target;
        target.show();
        TSeffaflikAyari window(&target);
        QVERIFY(ShowActive(window));
        window.SaydamlikSeviyesi->setValue(90);
        QWidget* receiver = control == "slider"   ? static_cast<QWidget*>(window.SaydamlikSeviyesi)
                            : control == "button" ? static_cast<QWidget*>(window.Kapat)
                                                  : &window;
        receiver->setFocus();
        QTest::keyClick(receiver, Qt::Key(key));
        QCOMPARE(window.isVisible(), !closes);
        // Neither the key nor closing changes the level.
        QCOMPARE(AlphaBlendingOf(target), (AlphaBlending{true, 90}));
        QCOMPARE(window.SaydamlikSeviyesi->value(), 90);
    }

    void kapatClosesAndKeepsTheLevel() {
        QWidget target;
        target.show();
        TSeffaflikAyari window(&target);
        QVERIFY(ShowActive(window));
        window.SaydamlikSeviyesi->setValue(40);
        QTest::mouseClick(window.Kapat, Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QCOMPARE(AlphaBlendingOf(target), (AlphaBlending{true, 40}));
        QCOMPARE(target.windowOpacity(), 40 / 255.0);
    }

    // The main window's "x" and the transparency window work on one state.
    void xOnTheMainWindowTurnsBlendingOffEverywhere() {
        TempDir config;
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path().string()));
        TSayfa1 main;
        main.Guncelle->stop(); // no start-up step: a first start would switch to the system's language
        TSeffaflikAyari opacity(&main);
        MainWindowPeers peers;
        peers.opacityWindow = &opacity;
        main.SetPeers(peers);
        QVERIFY(ShowActive(main));

        main.Seffaflik->trigger();
        QVERIFY(opacity.isVisible());
        opacity.SaydamlikSeviyesi->setValue(100);
        QCOMPARE(AlphaBlendingOf(main), (AlphaBlending{true, 100}));
        QVERIFY(ShowActive(main));
        main.pass1->setFocus();
        QTest::keyClick(main.pass1, Qt::Key_X);
        QCOMPARE(AlphaBlendingOf(main), (AlphaBlending{false, 255}));
        QCOMPARE(main.windowOpacity(), 1.0);
        QCOMPARE(opacity.SaydamlikSeviyesi->value(), 255); // the open window shows it at once

        // An "x" typed in another window is that window's key, not the main window's.
        opacity.SaydamlikSeviyesi->setValue(100);
        QTest::keyClick(opacity.SaydamlikSeviyesi, Qt::Key_X);
        QCOMPARE(AlphaBlendingOf(main), (AlphaBlending{true, 100}));

        // Made translucent again and closed; "x"; opened again: the slider shows the opaque window.
        opacity.SaydamlikSeviyesi->setValue(30);
        opacity.close();
        QVERIFY(ShowActive(main));
        QTest::keyClick(main.pass1, Qt::Key_X, Qt::ShiftModifier);
        QCOMPARE(AlphaBlendingOf(main).AlphaBlend, false);
        main.Seffaflik->trigger();
        QCOMPARE(opacity.SaydamlikSeviyesi->value(), 255);
        QCOMPARE(main.windowOpacity(), 1.0);

        // Without blending "x" is only a letter.
        QVERIFY(ShowActive(main));
        QTest::keyClick(main.pass1, Qt::Key_X);
        QCOMPARE(AlphaBlendingOf(main), (AlphaBlending{false, 255}));
    }

    // --- About ---------------------------------------------------------------------------------------

    void descriptionComesFromTheProgramFolder() {
        ProgramFolder folder;
        const QString lines = QString::fromUtf8("Zarkent Bilgi Güvenliği Sistemi\n"
                                                "\n"
                                                "ŞİFRE ğüşıöç ĞÜŞİÖÇ — 10 × 3 ≠ 31 €");
        // A byte order mark and Windows line ends are not part of the text.
        QByteArray bytes = "\xEF\xBB\xBF" + lines.toUtf8() + "\n";
        bytes.replace("\n", "\r\n");
        WriteText(folder.File(), bytes.toStdString());
        DialogScript script; // nothing may be asked
        THakkinda about;
        QCOMPARE(about.Hakkinda_Aciklama->toPlainText(), lines);
        QVERIFY(about.Hakkinda_Aciklama->isReadOnly());
        const QFontMetrics metrics(about.Hakkinda_Aciklama->font()); // fixed pitch: every letter as wide
        QCOMPARE(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('M'));
        QVERIFY(script.VerifyDone());
    }

    void missingDescriptionLeavesOneEmptyLine_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("no file") << "missing";
        QTest::newRow("a folder of that name") << "folder";
        QTest::newRow("no read permission") << "unreadable";
    }
    void missingDescriptionLeavesOneEmptyLine() {
        QFETCH(QString, kind);
        ProgramFolder folder;
        if (kind == "folder") {
            std::filesystem::create_directory(folder.File());
        } else if (kind == "unreadable") {
            WriteText(folder.File(), "secret");
            std::filesystem::permissions(folder.File(), std::filesystem::perms::none);
            if (std::ifstream(folder.File()).good()) QSKIP("running with the right to read any file");
        }
        DialogScript script;
        THakkinda about;
        QCOMPARE(about.Hakkinda_Aciklama->toPlainText(), QString());
        QCOMPARE(about.Hakkinda_Aciklama->document()->blockCount(), 1);
        QVERIFY(script.VerifyDone());
    }

    void anyKeyClosesTheAboutWindow_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("a on the window") << "window" << int(Qt::Key_A) << true;
        QTest::newRow("Escape on the window") << "window" << int(Qt::Key_Escape) << true;
        QTest::newRow("down arrow in the text") << "text" << int(Qt::Key_Down) << true;
        QTest::newRow("F5 in the text") << "text" << int(Qt::Key_F5) << true;
        QTest::newRow("Enter on Kapat") << "Kapat" << int(Qt::Key_Return) << true;
        QTest::newRow("space on ?: closes, no credits") << "Credits" << int(Qt::Key_Space) << true;
        QTest::newRow("Shift alone waits for the key") << "text" << int(Qt::Key_Shift) << false;
    }
    void anyKeyClosesTheAboutWindow() {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(bool, closes);
        THakkinda about;
        QVERIFY(ShowActive(about));
        QWidget* receiver = control == "text"      ? static_cast<QWidget*>(about.Hakkinda_Aciklama)
                            : control == "Kapat"   ? static_cast<QWidget*>(about.Kapat)
                            : control == "Credits" ? static_cast<QWidget*>(about.Credits)
                                                   : &about;
        receiver->setFocus();
        QTest::keyClick(receiver, Qt::Key(key));
        QCOMPARE(about.isVisible(), !closes);
        QVERIFY(!about.CreditsPage()->isVisible()); // the key is used up by closing
    }

    void buttonsAndClicksOfTheAboutWindow() {
        THakkinda about;
        QVERIFY(ShowActive(about));
        QTest::mouseClick(about.Kapat, Qt::LeftButton);
        QVERIFY(!about.isVisible());

        // Clicks on controls keep it open: the text, the title, the version.
        QVERIFY(ShowActive(about));
        QTest::mouseClick(about.Hakkinda_Aciklama->viewport(), Qt::LeftButton);
        QTest::mouseClick(about.Baslik, Qt::LeftButton);
        QTest::mouseClick(about.Versiyon, Qt::LeftButton);
        QVERIFY(about.isVisible());
        // A press on a control released over an empty part is no click on the window.
        QTest::mousePress(about.Hakkinda_Aciklama->viewport(), Qt::LeftButton);
        QTest::mouseRelease(&about, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QVERIFY(about.isVisible());

        // The empty space beside a short label, and the margin, are empty parts.
        const QPoint besideVersion(about.Versiyon->geometry().right() + 20, about.Versiyon->geometry().center().y());
        QVERIFY(ClickedOnEmptyArea(about, besideVersion));
        QVERIFY(!about.isVisible());
        QVERIFY(ShowActive(about));
        QVERIFY(ClickedOnEmptyArea(about, QPoint(2, about.height() - 3)));
        QVERIFY(!about.isVisible());

        // "?" shows the credits page over the about window, which stays.
        QVERIFY(ShowActive(about));
        QTest::mouseClick(about.Credits, Qt::LeftButton);
        QVERIFY(about.CreditsPage()->isVisible());
        QVERIFY(about.isVisible());
        about.CreditsPage()->close();
    }

    void webAddressGoesToTheSeam() {
        THakkinda about;
        QList<QUrl> opened;
        about.SetOpenUrlHook([&opened](const QUrl& url) { opened << url; });
        QVERIFY(ShowActive(about));
        QCOMPARE(about.WebSite->text(), QString::fromLatin1(kAboutWebSite));
        QTest::mouseClick(about.WebSite, Qt::LeftButton);
        QCOMPARE(opened, QList<QUrl>{QUrl(kAboutWebSite)});
        QVERIFY(QUrl(kAboutWebSite).isValid() && QUrl(kAboutWebSite).scheme() == "https");
        QVERIFY(about.isVisible()); // the link is no empty part
        QCOMPARE(about.WebSite->cursor().shape(), Qt::PointingHandCursor);
        // A press elsewhere released on the link opens nothing.
        QTest::mousePress(about.Versiyon, Qt::LeftButton);
        QTest::mouseRelease(about.WebSite, Qt::LeftButton);
        QCOMPARE(opened.size(), 1);
    }

    void linkTurnsRedUnderTheMouse() {
        THakkinda about;
        QVERIFY(ShowActive(about));
        const auto colour = [&about] { return about.WebSite->palette().color(QPalette::WindowText); };
        const QPointF inside(3, 3);
        QEnterEvent enter(inside, about.WebSite->mapTo(&about, inside), about.WebSite->mapToGlobal(inside));
        QApplication::sendEvent(about.WebSite, &enter);
        QCOMPARE(colour(), QColor(Qt::red));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(about.WebSite, &leave);
        QCOMPARE(colour(), QColor(Qt::black));
        QApplication::sendEvent(about.WebSite, &enter);
        QCOMPARE(colour(), QColor(Qt::red));
    }

    // The window's hint shows over its parts, but not over the link.
    void hintOverTheWindowButNotTheLink() {
        THakkinda about;
        QVERIFY(ShowActive(about));
        QCOMPARE(about.toolTip(), Turkish(3));
        const auto hintOver = [](QWidget* widget) {
            QToolTip::hideText();
            QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), widget->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(widget, &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(hintOver(about.WebSite), QString());
        QCOMPARE(hintOver(about.Versiyon), Turkish(3));
        QToolTip::hideText();
    }

    // --- Credits -------------------------------------------------------------------------------------

    void creditsCoverTheScreen() {
        TCredits_page page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QVERIFY(page.screen() != nullptr);
        QCOMPARE(page.geometry(), page.screen()->geometry());
        QVERIFY(page.windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(page.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(page.palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(!page.Logo->pixmap().isNull());
        QCOMPARE(page.Logo->geometry().center(), page.rect().center());
        const QRect close = page.Credits_Kapat->geometry();
        QVERIFY(page.rect().contains(close));
        QVERIFY(close.right() > page.width() - 40 && close.top() < 40);
        QCOMPARE(page.Credits_Kapat->cursor().shape(), Qt::PointingHandCursor);
    }

    void theLicenceAndTheNoticesAreShownWhole() {
        THakkinda about;
        QVERIFY(ShowActive(about));
        for (QLabel* label : {about.Lisans, about.UcuncuTaraf}) {
            QVERIFY(label->isVisible());
            QVERIFY(!label->text().isEmpty());
            QVERIFY(about.rect().contains(label->geometry()));
            // Not cut off: the label is as high as its text needs at its width.
            const int needed = label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
            QVERIFY2(label->height() >= needed, qPrintable(label->text()));
            if (!label->wordWrap()) QVERIFY(label->width() >= label->sizeHint().width());
        }
        QVERIFY(about.UcuncuTaraf->text().contains("zlib") && about.UcuncuTaraf->text().contains("Qt"));
        QVERIFY(about.Lisans->text().contains("GPL-3.0-or-later"));

        about.Credits->click();
        TCredits_page& page = *about.CreditsPage();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QLabel* notice = page.Lisans_Notu;
        QVERIFY(notice->isVisible());
        QVERIFY(notice->text().contains("GNU General Public License") || notice->text().contains("GNU Genel Kamu"));
        QVERIFY(notice->y() >= page.Logo->geometry().bottom()); // below the picture, not over it
        QVERIFY(page.rect().contains(notice->geometry()));
        QVERIFY(notice->height() >= notice->heightForWidth(notice->width()));
    }

    void anyKeyOrClickClosesTheCredits_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("closes");
        QTest::newRow("key a") << "a" << true;
        QTest::newRow("key Escape") << "Escape" << true;
        QTest::newRow("key F10") << "F10" << true;
        QTest::newRow("Ctrl alone") << "Ctrl" << false;
        QTest::newRow("click on the page") << "page" << true;
        QTest::newRow("click on the logo") << "logo" << true;
        QTest::newRow("click on the close picture") << "close" << true;
        QTest::newRow("right click") << "right" << false;
    }
    void anyKeyOrClickClosesTheCredits() {
        QFETCH(QString, how);
        QFETCH(bool, closes);
        THakkinda about;
        TCredits_page& page = *about.CreditsPage();
        QVERIFY(ShowActive(about));
        about.Credits->click();
        QVERIFY(page.isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&page));
        if (how == "a") QTest::keyClick(&page, Qt::Key_A);
        if (how == "Escape") QTest::keyClick(&page, Qt::Key_Escape);
        if (how == "F10") QTest::keyClick(&page, Qt::Key_F10);
        if (how == "Ctrl") QTest::keyClick(&page, Qt::Key_Control);
        if (how == "page") QTest::mouseClick(&page, Qt::LeftButton, Qt::NoModifier, QPoint(20, page.height() - 20));
        if (how == "logo") QTest::mouseClick(page.Logo, Qt::LeftButton);
        if (how == "close") QTest::mouseClick(page.Credits_Kapat, Qt::LeftButton);
        if (how == "right") QTest::mouseClick(&page, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
        QCOMPARE(page.isVisible(), !closes);
        QVERIFY(about.isVisible()); // only the page goes
        // ... and the keys go to the about window again.
        if (closes) QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&about));
    }

    // --- Captions and the main window ----------------------------------------------------------------

    void captionsFollowTheLanguage() {
        LanguageReset reset;
        QWidget target;
        TSeffaflikAyari opacity(&target);
        THakkinda about;
        const auto captions = [&] {
            return QStringList{
                opacity.windowTitle(), opacity.Kapat->text(),     about.windowTitle(),
                about.Kapat->text(),   about.Baslik->text(),      about.toolTip(),
                about.Lisans->text(),  about.UcuncuTaraf->text(), about.CreditsPage()->Lisans_Notu->text()};
        };
        const int rows[] = {25, 13, 32, 4, 1, 3, kRowLicence, kRowThirdPartyNotices};
        QStringList turkish, english;
        for (const int row : rows) {
            turkish << Turkish(row);
            english << English(row);
        }
        // The credits page: the licence's own words, then the notices.
        turkish << Turkish(kRowLicenceNotice) + "\n\n" + Turkish(kRowThirdPartyNotices);
        english << English(kRowLicenceNotice) + "\n\n" + English(kRowThirdPartyNotices);
        QCOMPARE(captions(), turkish); // designed
        Lang().ActiveLanguage = kLanguageEnglish;
        QVERIFY(Lang().CopySet());
        opacity.UpdateCaptions();
        about.UpdateCaptions();
        QCOMPARE(captions(), english);
        QCOMPARE(about.Versiyon->text(), QString::fromLatin1(kAboutVersion));
        QCOMPARE(about.Credits->text(), QString("?"));
        Lang().ActiveLanguage = kLanguageTurkish;
        QVERIFY(Lang().CopySet());
        opacity.UpdateCaptions();
        about.UpdateCaptions();
        QCOMPARE(captions(), turkish);
    }

    void mainWindowOpensThemModelessAndSwitchesTheirLanguage() {
        LanguageReset reset;
        TempDir config;
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path().string()));
        TSayfa1 main;
        main.Guncelle->stop(); // no start-up step: a first start would switch to the system's language
        TSifreEx password;
        TDurumBelirt result;
        TDurumSayfasi page;
        TKlasoriciSifrelemePenceresi folder;
        TSeffaflikAyari opacity(&main);
        THakkinda about;
        MainWindowPeers peers{&password, &page, &result, &folder};
        peers.opacityWindow = &opacity;
        peers.aboutWindow = &about;
        main.SetPeers(peers);
        main.show();

        QVERIFY(main.Seffaflik->isEnabled());
        QVERIFY(main.Hakkinda->isEnabled());
        main.Seffaflik->trigger();
        QVERIFY(opacity.isVisible());
        main.Hakkinda->trigger();
        QVERIFY(about.isVisible());
        QVERIFY(!opacity.isModal() && !about.isModal() && QApplication::activeModalWidget() == nullptr);
        // Centred on the screen when they come up (the frame is known only once shown).
        const QPoint centre = about.screen()->availableGeometry().center();
        QVERIFY((about.frameGeometry().center() - centre).manhattanLength() <= 8);
        QVERIFY((opacity.frameGeometry().center() - centre).manhattanLength() <= 8);
        // The toolbar's about button is the same action.
        QVERIFY(main.AracCubugu->actions().contains(main.Hakkinda));

        Lang().ActiveLanguage = kLanguageEnglish;
        main.ApplyLanguage();
        QCOMPARE(opacity.windowTitle(), English(25));
        QCOMPARE(opacity.Kapat->text(), English(13));
        QCOMPARE(about.windowTitle(), English(32));
        QCOMPARE(about.Baslik->text(), English(1));
        QCOMPARE(about.toolTip(), English(3));
        Lang().ActiveLanguage = kLanguageTurkish;
        main.ApplyLanguage();
        QCOMPARE(opacity.windowTitle(), Turkish(25));
        QCOMPARE(about.Kapat->text(), Turkish(4));
    }
};

QTEST_MAIN(AppearanceWindowsTest)
#include "test_appearance_windows.moc"
