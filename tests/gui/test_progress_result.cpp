#include "DesignFont.h"
#include "DialogScript.h"
#include "core/lang/Language.h"
#include "core/state/SharedState.h"
#include "gui/jobs/DurumBelirt.h"
#include "gui/jobs/DurumSayfasi.h"
#include "gui/jobs/JobWindows.h"
#include "gui/jobs/UiChannel.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using namespace zarkent;
using zarkent::test::DialogScript;

namespace {

QString En(int row) {
    return QString::fromUtf8(EnglishText(row).data(), static_cast<qsizetype>(EnglishText(row).size()));
}

void VerifyToolDialogFlags(const QWidget& window) {
    const Qt::WindowFlags flags = window.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
}

// A result window whose real timer never fires during a test: the tests drive the ticks.
struct ResultWindow {
    TDurumBelirt window;
    int quitCalls = 0;
    ResultWindow() {
        window.Zamanlayici->setInterval(24 * 3600 * 1000);
        window.SetQuitHook([this] { ++quitCalls; });
    }
    void Tick(int count) {
        for (int i = 0; i < count; ++i) {
            window.ZamanlayiciTimer();
        }
    }
};

// A page at 40% of a running job whose cancel button gets `answer` to its question.
void AnswerCancelQuestion(TDurumSayfasi& page, QMessageBox::StandardButton answer) {
    page.ShowPage();
    page.SetBarPosition(40);
    State().JobsActive = true;
    State().CloseWhenJobsFinish = true;
    DialogScript script;
    script.ExpectMessage(En(77), En(40), QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
        .Answer(answer);
    QTest::mouseClick(page.iptal, Qt::LeftButton);
    QVERIFY(script.VerifyDone());
}

} // namespace

class ProgressResultTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        Lang().ActiveLanguage = kLanguageEnglish;
        QVERIFY(Lang().CopySet());
    }

    void init() {
        SharedState& state = State();
        state.JobsActive = false;
        state.CloseWhenJobsFinish = false;
        state.CancelRequested = false;
        state.ResultTicks = 0;
    }

    void progressPageDesign() {
        const test::DesignFont font; // the designed geometry, where every designed caption fits it
        State().CancelRequested = true;
        TDurumSayfasi page;
        QVERIFY(!State().CancelRequested); // cleared when the page is created

        VerifyToolDialogFlags(page);
        QCOMPARE(page.size(), QSize(432, 96));
        QCOMPARE(page.windowTitle(), QString::fromUtf8(" Lütfen Bekleyiniz..."));
        QCOMPARE(page.Durum->geometry(), QRect(8, 12, 416, 17));
        QCOMPARE(page.Durum->maximum(), 100);
        QCOMPARE(page.Durum->value(), 0);
        QCOMPARE(page.DurumBasligi->pos(), QPoint(8, 35));
        QCOMPARE(page.DurumBasligi->text(), QString::fromUtf8("Durum"));
        QCOMPARE(page.YuzdeDurum->pos(), QPoint(72, 35));
        QCOMPARE(page.YuzdeDurum->text(), QString::fromUtf8("%0"));
        QVERIFY(page.YuzdeDurum->font().bold());
        QCOMPARE(page.iptal->geometry(), QRect(349, 64, 75, 25));
        QCOMPARE(page.iptal->text(), QString::fromUtf8("iptal"));
        QCOMPARE(page.ArkaplandaDevamEt->geometry(), QRect(205, 64, 138, 25));
        QCOMPARE(page.ArkaplandaDevamEt->text(), QString::fromUtf8("Arka Planda Devam Et"));
        QVERIFY(!page.isVisible());
    }

    void resultWindowDesign() {
        TDurumBelirt window;
        VerifyToolDialogFlags(window);
        QCOMPARE(window.size(), QSize(510, 143));
        QCOMPARE(window.windowTitle(), QString::fromUtf8(" Hata"));
        QCOMPARE(window.Mesaj->pos(), QPoint(63, 7));
        QCOMPARE(window.Mesaj->text(), QString::fromUtf8("Hata. Şifre Hatalı"));
        QVERIFY(window.Mesaj->font().bold());
        QVERIFY(window.Mesaj->wordWrap());
        for (QLabel* image : {window.Ok, window.Hata, window.UyariResim}) {
            QCOMPARE(image->geometry(), QRect(8, 7, 49, 49));
            QVERIFY(image->isHidden());
            QVERIFY(!image->pixmap().isNull());
        }
        QCOMPARE(window.Tamam->geometry(), QRect(410, 107, 94, 29));
        QCOMPARE(window.Tamam->text(), QString::fromUtf8("Tamam"));
        QCOMPARE(window.Zamanlayici->interval(), 1000);
        QVERIFY(!window.Zamanlayici->isActive());
    }

    void captionsFollowLanguage() {
        TDurumSayfasi page;
        TDurumBelirt result;
        page.UpdateCaptions();
        result.UpdateCaptions();
        QCOMPARE(page.windowTitle(), QStringLiteral("Please Wait..."));
        QCOMPARE(page.iptal->text(), QStringLiteral("Cancel"));
        QCOMPARE(page.DurumBasligi->text(), QStringLiteral("State"));
        QCOMPARE(page.ArkaplandaDevamEt->text(), QStringLiteral("Continue at Background"));
        QCOMPARE(result.Tamam->text(), QStringLiteral("Ok"));
    }

    void cancelNotConfirmedChangesNothing_data() {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("No") << QMessageBox::No;
        QTest::newRow("Cancel") << QMessageBox::Cancel;
    }
    void cancelNotConfirmedChangesNothing() {
        QFETCH(QMessageBox::StandardButton, answer);
        TDurumSayfasi page;
        AnswerCancelQuestion(page, answer);

        QVERIFY(page.isVisible());
        QVERIFY(!State().CancelRequested);
        QVERIFY(State().JobsActive);
        QVERIFY(State().CloseWhenJobsFinish);
        QCOMPARE(page.Durum->value(), 40);
        QCOMPARE(page.Durum->maximum(), 100);
        QCOMPARE(page.YuzdeDurum->text(), QStringLiteral("40%"));
    }

    void cancelConfirmedStopsJobAndClosesPage() {
        TDurumSayfasi page;
        AnswerCancelQuestion(page, QMessageBox::Yes);

        QVERIFY(State().CancelRequested);
        QVERIFY(!State().JobsActive);
        QVERIFY(!State().CloseWhenJobsFinish);
        QCOMPARE(page.Durum->maximum(), 0);
        QCOMPARE(page.Durum->value(), 0);
        QVERIFY(!page.isVisible());
        QCOMPARE(page.YuzdeDurum->text(), QStringLiteral("%0")); // the close handling ran
    }

    // Continue in background only hides: the close handling ("%0") runs only when a visible page is
    // closed, so after the job's reset the hidden page keeps its last percentage.
    void closeHandlingRunsOnlyForVisiblePage() {
        TDurumSayfasi page;
        page.ShowPage();
        page.SetBarPosition(37);
        QTest::mouseClick(page.ArkaplandaDevamEt, Qt::LeftButton);
        QVERIFY(!page.isVisible());
        QCOMPARE(page.Durum->value(), 37);
        QCOMPARE(page.YuzdeDurum->text(), QStringLiteral("37%"));

        page.SetBarMaximum(50);
        page.ResetAndClose();
        QCOMPARE(page.Durum->value(), 0);
        QCOMPARE(page.Durum->maximum(), 100);
        QCOMPARE(page.YuzdeDurum->text(), QStringLiteral("37%"));

        page.ShowPage();
        page.SetBarPosition(12);
        page.ResetAndClose();
        QVERIFY(!page.isVisible());
        QCOMPARE(page.Durum->value(), 0);
        QCOMPARE(page.YuzdeDurum->text(), QStringLiteral("%0"));
    }

    // A job's calls are queued (never run on, nor waited for by, the job thread) and carried out on
    // the user-interface thread in the order the job made them, across both windows.
    void jobCallsArriveInOrderOnUiThread() {
        TDurumSayfasi page;
        ResultWindow result;
        QList<int> positions;
        bool offUiThread = false;
        connect(page.Durum, &QProgressBar::valueChanged, this, [&](int value) {
            positions.push_back(value);
            offUiThread = offUiThread || QThread::currentThread() != qApp->thread();
        });
        QSignalSpy toBack(&result.window, &TDurumBelirt::MainWindowToBack);

        const JobWindows windows(&page, &result.window);
        std::thread job([windows] {
            ProgressPageSink sink = windows.Progress();
            windows.ShowProgress();
            sink.SetMaximum(100);
            for (int p = 1; p <= 100; ++p) {
                sink.SetPosition(p);
                if (p == 60) {
                    sink.SetStatus("Compressing ...");
                }
            }
            windows.ResetAndCloseProgress();
            windows.StopResultTimer();
            windows.Report(ResultOutcome::Cancelled, QString::fromUtf8("İşlem İptal Edildi!"));
        });
        job.join();

        // Nothing has touched the windows yet: the job only queued its calls.
        QVERIFY(positions.empty());
        QVERIFY(!page.isVisible());
        QVERIFY(!result.window.isVisible());

        QTRY_VERIFY(result.window.isVisible());
        QVERIFY(!offUiThread);
        // Positions in order (a fast job's are thinned out): the first, the one the status text came
        // after, the end, then the reset.
        QVERIFY(positions.size() >= 4);
        QCOMPARE(positions.front(), 1);
        QVERIFY(positions.contains(60));
        QVERIFY(std::is_sorted(positions.begin(), positions.end() - 1));
        QCOMPARE(positions.mid(positions.size() - 2), (QList<int>{100, 0}));
        QVERIFY(!page.isVisible());
        QCOMPARE(page.YuzdeDurum->text(), QStringLiteral("%0"));
        QCOMPARE(result.window.Mesaj->text(), QString::fromUtf8("İşlem İptal Edildi!"));
        QVERIFY(!result.window.UyariResim->isHidden());
        // Shown from hidden, so the auto-close runs even though the job stopped the timer first.
        QVERIFY(result.window.Zamanlayici->isActive());
        QCOMPARE(toBack.count(), 1);
    }

    // A status text takes the label's place; the bar goes on showing its own figure, also while it
    // moves under the status text, and only its percentage: 5 of a maximum of 50 is 10%.
    void statusTextReplacesPercentage() {
        TDurumSayfasi page;
        QVERIFY(page.Durum->isTextVisible());
        QCOMPARE(page.Durum->text(), QStringLiteral("0%"));
        ProgressPageSink sink(&page);
        sink.SetPosition(5);
        sink.SetStatus(Lang().Row(111));
        QTRY_COMPARE(page.YuzdeDurum->text(), En(111));
        QCOMPARE(page.Durum->value(), 5);
        QCOMPARE(page.Durum->text(), QStringLiteral("5%"));
        page.MoveBar(40); // while compressing, the bar moves under the text
        QCOMPARE(page.Durum->value(), 40);
        QCOMPARE(page.Durum->text(), QStringLiteral("40%"));
        QCOMPARE(page.YuzdeDurum->text(), En(111));
        page.SetBarMaximum(50);
        page.MoveBar(5);
        QCOMPARE(page.Durum->text(), QStringLiteral("10%"));
        // The figure fits inside the bar's height.
        QVERIFY(page.Durum->fontMetrics().height() <= page.Durum->height());
    }

    // A fast job's positions reach the page at most once per interval, so the user-interface thread is
    // never flooded, and the end always arrives; positions further apart than the interval all arrive,
    // and a position held back goes before a status text.
    void positionsAreThrottled() {
        TDurumSayfasi page;
        QList<int> values;
        connect(page.Durum, &QProgressBar::valueChanged, this, [&](int value) { values.push_back(value); });
        const JobWindows windows(&page, nullptr);

        std::thread fast([windows] {
            ProgressPageSink sink = windows.Progress();
            for (int p = 1; p <= 100; ++p) {
                sink.SetPosition(p);
            }
        });
        fast.join();
        QTRY_VERIFY(!values.empty() && values.last() == 100);
        QVERIFY2(values.size() <= 10, qPrintable(QString::number(values.size())));
        QCOMPARE(values.front(), 1);
        QCOMPARE(page.YuzdeDurum->text(), QStringLiteral("100%"));

        values.clear();
        std::thread slow([windows] {
            ProgressPageSink sink = windows.Progress();
            sink.SetStatus("Compressing ...");
            for (int p : {10, 20, 30}) {
                sink.MoveBar(p);
                std::this_thread::sleep_for(ProgressPageSink::MinimumInterval + std::chrono::milliseconds(10));
            }
            sink.MoveBar(31); // held back: too soon after 30
            sink.SetStatus("Decompressing ...");
        });
        slow.join();
        QTRY_COMPARE(page.YuzdeDurum->text(), QStringLiteral("Decompressing ..."));
        QCOMPARE(values, (QList<int>{10, 20, 30, 31}));
    }

    // Calls queued for a receiver that is destroyed, or posted after it is gone, are dropped.
    void callsToDestroyedReceiversAreDropped() {
        int ran = 0;
        auto receiver = std::make_unique<QObject>();
        UiChannel channel(receiver.get());
        channel.Post([&ran] { ran += 1; });
        QCoreApplication::sendPostedEvents();
        QCOMPARE(ran, 1);

        channel.Post([&ran] { ran += 10; });
        channel.Detach();
        receiver.reset();
        channel.Post([&ran] { ran += 100; });
        QCoreApplication::sendPostedEvents();
        QCOMPARE(ran, 1);

        // The windows detach their channels when destroyed: what was queued for them is discarded with
        // them, and a job that outlives them posts nowhere. Counting calls ride the same channels, in
        // order with the job's own calls.
        auto page = std::make_unique<TDurumSayfasi>();
        auto result = std::make_unique<TDurumBelirt>();
        const std::shared_ptr<UiChannel> pageChannel = page->Channel();
        const std::shared_ptr<UiChannel> resultChannel = result->Channel();
        const JobWindows windows(page.get(), result.get());
        int delivered = 0;
        pageChannel->Post([&delivered] { delivered += 1; });
        resultChannel->Post([&delivered] { delivered += 1; });
        QCoreApplication::sendPostedEvents();
        QCOMPARE(delivered, 2); // the channels do deliver while their windows live

        windows.ShowProgress();
        windows.Report(ResultOutcome::Success, QStringLiteral("queued before"));
        pageChannel->Post([&delivered] { delivered += 10; });
        resultChannel->Post([&delivered] { delivered += 10; });
        page.reset();
        result.reset();
        std::thread job([windows, pageChannel, resultChannel, &delivered] {
            windows.Progress().SetPosition(3);
            windows.ResetAndCloseProgress();
            windows.Report(ResultOutcome::Error, QStringLiteral("after"));
            pageChannel->Post([&delivered] { delivered += 100; });
            resultChannel->Post([&delivered] { delivered += 100; });
        });
        job.join();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(delivered, 2);
    }

    void reportShowsOutcome_data() {
        QTest::addColumn<ResultOutcome>("outcome");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("image"); // 0 Ok, 1 Hata, 2 UyariResim
        QTest::newRow("success") << ResultOutcome::Success << QStringLiteral("Success") << 0;
        QTest::newRow("error") << ResultOutcome::Error << QStringLiteral("Error") << 1;
        QTest::newRow("cancelled") << ResultOutcome::Cancelled << QStringLiteral("Warning") << 2;
    }
    void reportShowsOutcome() {
        QFETCH(ResultOutcome, outcome);
        QFETCH(QString, caption);
        QFETCH(int, image);
        ResultWindow result;
        TDurumBelirt& window = result.window;
        QSignalSpy toBack(&window, &TDurumBelirt::MainWindowToBack);
        // A window that showed another outcome before keeps no trace of it.
        window.Report(ResultOutcome::Success, QStringLiteral("earlier"));
        window.TamamClick();

        const QString message = QStringLiteral("<b>a.txt</b>\r\n\"disk full\"");
        window.Report(outcome, message);
        QVERIFY(window.isVisible());
        QCOMPARE(window.windowTitle(), caption);
        QCOMPARE(window.Mesaj->text(), message);
        QCOMPARE(window.Mesaj->textFormat(), Qt::PlainText); // a file name is never read as markup
        const QLabel* images[] = {window.Ok, window.Hata, window.UyariResim};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(images[i]->isHidden(), i != image);
        }
        QVERIFY(window.Zamanlayici->isActive());
        QCOMPARE(toBack.count(), 2);
    }

    // Only a change from hidden to shown starts the timer; a report into a visible window keeps it.
    void reportIntoVisibleWindowKeepsTimerState() {
        ResultWindow result;
        TDurumBelirt& window = result.window;
        QSignalSpy toBack(&window, &TDurumBelirt::MainWindowToBack);
        window.Report(ResultOutcome::Success, QStringLiteral("first"));
        QVERIFY(window.Zamanlayici->isActive());

        window.StopTimer();
        window.Report(ResultOutcome::Error, QStringLiteral("second"));
        QVERIFY(!window.Zamanlayici->isActive());
        QCOMPARE(toBack.count(), 1);
        QVERIFY(window.Ok->isHidden());
        QVERIFY(!window.Hata->isHidden());
        QCOMPARE(window.Mesaj->text(), QStringLiteral("second"));
    }

    void tenthTickClosesAndClearsMessage() {
        ResultWindow result;
        TDurumBelirt& window = result.window;
        window.Report(ResultOutcome::Success, QStringLiteral("done"));
        result.Tick(9);
        QVERIFY(window.isVisible());
        QCOMPARE(int(State().ResultTicks), 9);
        QCOMPARE(window.Mesaj->text(), QStringLiteral("done"));

        result.Tick(1);
        QVERIFY(!window.isVisible());
        QVERIFY(window.Mesaj->text().isEmpty());
        QVERIFY(!window.Zamanlayici->isActive());
        QCOMPARE(int(State().ResultTicks), 0); // the close handling ran
        QCOMPARE(result.quitCalls, 0);
    }

    void tenthTickEndsProgramWhenAskedTo() {
        ResultWindow result;
        result.window.Report(ResultOutcome::Success, QStringLiteral("done"));
        State().CloseWhenJobsFinish = true;
        result.Tick(9);
        QCOMPARE(result.quitCalls, 0);
        result.Tick(1);
        QCOMPARE(result.quitCalls, 1);
        QVERIFY(!result.window.Zamanlayici->isActive());
    }

    // Tamam hides without the close handling: the ticks count on, so the next showing closes after
    // the remaining ones.
    void tamamHidesKeepingTicks_data() {
        QTest::addColumn<bool>("closeWhenJobsFinish");
        QTest::newRow("program stays") << false;
        QTest::newRow("program ends") << true;
    }
    void tamamHidesKeepingTicks() {
        QFETCH(bool, closeWhenJobsFinish);
        ResultWindow result;
        TDurumBelirt& window = result.window;
        State().CloseWhenJobsFinish = closeWhenJobsFinish;
        window.Report(ResultOutcome::Success, QStringLiteral("done"));
        result.Tick(3);
        QTest::mouseClick(window.Tamam, Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QVERIFY(!window.Zamanlayici->isActive());
        QCOMPARE(int(State().ResultTicks), 3);
        QCOMPARE(result.quitCalls, closeWhenJobsFinish ? 1 : 0);
        if (closeWhenJobsFinish) {
            return;
        }

        window.Report(ResultOutcome::Success, QStringLiteral("next"));
        QVERIFY(window.Zamanlayici->isActive());
        result.Tick(6);
        QVERIFY(window.isVisible());
        result.Tick(1);
        QVERIFY(!window.isVisible());
        QVERIFY(window.Mesaj->text().isEmpty());
    }

    // Escape closes (ticks back to 0) but leaves the timer running: ten ticks later the hidden
    // window clears its message and closes again, or ends the program if that was asked for
    // meanwhile. That second close ends the showing too, so the next report gets its full ten ticks.
    // Enter and Space dismiss the window as Escape does.
    void escapeClosesButKeepsTicking_data() {
        QTest::addColumn<bool>("endWhileHidden");
        QTest::addColumn<bool>("endAfterNextReport");
        QTest::addColumn<int>("key");
        QTest::newRow("program stays") << false << false << int(Qt::Key_Escape);
        QTest::newRow("asked to end while hidden") << true << false << int(Qt::Key_Escape);
        QTest::newRow("asked to end before the next report") << false << true << int(Qt::Key_Escape);
        QTest::newRow("Enter") << false << false << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << false << false << int(Qt::Key_Enter);
        QTest::newRow("Space, asked to end while hidden") << true << false << int(Qt::Key_Space);
    }
    void escapeClosesButKeepsTicking() {
        QFETCH(bool, endWhileHidden);
        QFETCH(bool, endAfterNextReport);
        QFETCH(int, key);
        ResultWindow result;
        TDurumBelirt& window = result.window;
        QSignalSpy dismissed(&window, &TDurumBelirt::Dismissed);
        window.Report(ResultOutcome::Error, QStringLiteral("failed"));
        result.Tick(4);
        QTest::keyClick(&window, Qt::Key(key));
        QVERIFY(!window.isVisible());
        QCOMPARE(int(State().ResultTicks), 0);
        QVERIFY(window.Zamanlayici->isActive());
        QCOMPARE(dismissed.count(), 1);

        State().CloseWhenJobsFinish = endWhileHidden;
        result.Tick(9);
        QCOMPARE(window.Mesaj->text(), QStringLiteral("failed"));
        QCOMPARE(result.quitCalls, 0);
        result.Tick(1);
        QVERIFY(!window.Zamanlayici->isActive());
        if (endWhileHidden) {
            QCOMPARE(result.quitCalls, 1);
            QCOMPARE(window.Mesaj->text(), QStringLiteral("failed"));
            return;
        }
        QVERIFY(window.Mesaj->text().isEmpty());
        QCOMPARE(int(State().ResultTicks), 0);
        QCOMPARE(result.quitCalls, 0);

        State().CloseWhenJobsFinish = endAfterNextReport;
        window.Report(ResultOutcome::Success, QStringLiteral("next"));
        QVERIFY(window.Zamanlayici->isActive());
        result.Tick(9);
        QVERIFY(window.isVisible());
        QCOMPARE(window.Mesaj->text(), QStringLiteral("next"));
        QCOMPARE(result.quitCalls, 0);
        result.Tick(1);
        QCOMPARE(result.quitCalls, endAfterNextReport ? 1 : 0);
        QCOMPARE(window.isVisible(), endAfterNextReport);
    }
};

QTEST_MAIN(ProgressResultTest)
#include "test_progress_result.moc"
