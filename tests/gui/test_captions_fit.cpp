// Every caption of every window shows whole, in both languages, at a fixed font (DejaVu Sans, the font of
// Debian's Qt when no desktop chooses one): buttons, check boxes, radio buttons, group box titles and
// labels that neither wrap nor show a path are wide enough for their text, no two controls of one panel
// overlap, every control lies inside its window, and switching back and forth gives the same layout.
// Each window is a row of the table below; a new window is one more row.
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "DialogScript.h"
#include "core/lang/Language.h"
#include "core/state/SharedState.h"
#include "gui/app/AnaSayfa.h"
#include "gui/dialogs/InputBox.h"
#include "gui/jobs/CaptionFit.h"
#include "gui/jobs/DurumBelirt.h"
#include "gui/jobs/DurumSayfasi.h"
#include "gui/jobs/KlasordekiDosyalariSifrelemePenceresi.h"
#include "gui/jobs/SifreEkrani.h"
#include "gui/jobs/WindowHelpers.h"
#include "gui/tools/About.h"
#include "gui/tools/GucluSifre.h"
#include "gui/tools/MD5Summer.h"
#include "gui/tools/MetinSifreleme.h"
#include "gui/tools/RastgeleSayiUreteci.h"
#include "gui/tools/SeffaflikAyariPenceresi.h"
#include "gui/wipe/GuvenliDosyaSiliciDialog_Kaynak.h"

using namespace zarkent;

namespace {

// The default font of Debian's Qt outside a desktop: its generic sans-serif face at 9 points.
const QString kFontFamily = QStringLiteral("DejaVu Sans");
constexpr int kFontPoints = 9;

// One window as the program has it: the window and how it writes its captions in the language in force.
struct Subject {
    std::unique_ptr<QWidget> window;
    std::function<void()> captions;
};

// A window of the program, and a caption the program writes later on (empty: only the window's own).
struct Case {
    const char* name;
    std::function<Subject()> make;
    std::function<void(QWidget&)> state;
};

template <class W> Subject Own() {
    auto window = std::make_unique<W>();
    W* raw = window.get();
    return {std::move(window), [raw] { raw->UpdateCaptions(); }};
}

Subject MainWindow() {
    auto window = std::make_unique<TSayfa1>();
    window->Guncelle->stop(); // no start-up step: it would apply the stored language
    window->SetQuitHook([] {});
    TSayfa1* raw = window.get();
    return {std::move(window), [raw] { raw->UpdateCaptions(Row); }};
}

template <class W> std::function<void(QWidget&)> On(std::function<void(W&)> change) {
    return [change](QWidget& window) { change(static_cast<W&>(window)); };
}

std::vector<Case> Cases() {
    using Folder = TKlasoriciSifrelemePenceresi;
    return {
        {"main window", MainWindow, {}},
        {"main window, list hand-over", MainWindow, On<TSayfa1>([](TSayfa1& w) { w.islem->setText(Row(42)); })},
        {"main window, decryption", MainWindow, On<TSayfa1>([](TSayfa1& w) { w.islem->setText(Row(55)); })},
        {"main window, passwords differ", MainWindow, On<TSayfa1>([](TSayfa1& w) {
             w.pass1->setText("a");
             w.pass2->setText("b");
         })},
        {"password dialog", Own<TSifreEx>, {}},
        {"progress page", Own<TDurumSayfasi>, {}},
        {"progress page, compressing", Own<TDurumSayfasi>,
         On<TDurumSayfasi>([](TDurumSayfasi& w) { w.SetStatusText(Row(111)); })},
        {"progress page, decompressing", Own<TDurumSayfasi>,
         On<TDurumSayfasi>([](TDurumSayfasi& w) { w.SetStatusText(Row(112)); })},
        {"result window", Own<TDurumBelirt>, On<TDurumBelirt>([](TDurumBelirt& w) {
             w.SetQuitHook([] {});
             w.Report(ResultOutcome::Success, Row(95));
             w.StopTimer();
         })},
        {"folder window", Own<Folder>, {}},
        {"folder window, encryption", Own<Folder>, On<Folder>([](Folder& w) {
             w.mesaj->setText(Row(43));
             w.basla->setText(Row(14));
         })},
        {"folder window, decryption", Own<Folder>, On<Folder>([](Folder& w) {
             w.mesaj->setText(Row(44));
             w.basla->setText(Row(14));
         })},
        {"folder window, encryption running", Own<Folder>, On<Folder>([](Folder& w) { w.mesaj->setText(Row(91)); })},
        {"folder window, decryption running", Own<Folder>, On<Folder>([](Folder& w) { w.mesaj->setText(Row(92)); })},
        {"MD5 calculator", Own<TMD5Hesaplayici>, {}},
        {"MD5 calculator, hashing", Own<TMD5Hesaplayici>, On<TMD5Hesaplayici>([](TMD5Hesaplayici& w) {
             w.DosyaSec->setText(Row(76));
             w.progressLabel->setText("100%");
             w.progressLabel->show();
         })},
        {"secure deletion", Own<TGuvenliDosyaSiliciDialog>, {}},
        {"secure deletion, long path", Own<TGuvenliDosyaSiliciDialog>,
         On<TGuvenliDosyaSiliciDialog>([](TGuvenliDosyaSiliciDialog& w) {
             w.SilinmekUzereSeciliDosya->setText("/home/user/" + QString(40, 'x') + "/" + QString(40, 'y') + ".bin");
         })},
        {"password generator", Own<TGucluSifreSayfa1>, {}},
        {"random numbers", Own<TRastgeleSayiUreteciSayfa1>, {}},
        {"transparency",
         [] {
             auto window = std::make_unique<TSeffaflikAyari>(nullptr);
             TSeffaflikAyari* raw = window.get();
             return Subject{std::move(window), [raw] { raw->UpdateCaptions(); }};
         },
         {}},
        {"about", Own<THakkinda>, {}},
        {"text encryption", Own<TMetinSifreleme>, {}},
        {"input box",
         [] {
             // The box is made for each question, in the language of the moment; its buttons stay Turkish.
             auto box = std::make_unique<dialogs::InputBox>(Row(77), Row(21), QString(), true);
             return Subject{std::move(box), [] {}};
         },
         {}},
    };
}

QString Name(const QWidget* widget) {
    const QString name = widget->objectName().isEmpty() ? QString() : " " + widget->objectName();
    return QString::fromLatin1(widget->metaObject()->className()) + name;
}

// The widest line of a caption as drawn (a single "&" marks a shortcut and is not drawn).
int TextWidth(const QFontMetrics& metrics, QString text) {
    text.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
    int width = 0;
    for (const QString& line : text.split('\n'))
        width = std::max(width, metrics.horizontalAdvance(line));
    return width;
}

QStyleOptionButton ButtonOption(const QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    if (auto* push = qobject_cast<const QPushButton*>(button)) {
        if (push->autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
        if (push->isFlat()) option.features |= QStyleOptionButton::Flat;
    }
    return option;
}

// How much room the caption of `widget` has and how much it takes; nothing when it has no caption that
// must show whole.
std::optional<std::pair<int, int>> RoomAndNeed(const QWidget* widget) {
    const QStyle* style = widget->style();
    const QFontMetrics metrics = widget->fontMetrics();
    if (auto* push = qobject_cast<const QPushButton*>(widget)) {
        if (push->text().isEmpty()) return std::nullopt;
        const QStyleOptionButton option = ButtonOption(push);
        const int icon = push->icon().isNull() ? 0 : push->iconSize().width() + 4;
        return std::pair{style->subElementRect(QStyle::SE_PushButtonContents, &option, push).width(),
                         TextWidth(metrics, push->text()) + icon};
    }
    if (qobject_cast<const QCheckBox*>(widget) || qobject_cast<const QRadioButton*>(widget)) {
        auto* button = static_cast<const QAbstractButton*>(widget);
        if (button->text().isEmpty()) return std::nullopt;
        const QStyleOptionButton option = ButtonOption(button);
        const auto contents =
            qobject_cast<const QCheckBox*>(widget) ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents;
        return std::pair{style->subElementRect(contents, &option, button).width(), TextWidth(metrics, button->text())};
    }
    if (auto* tool = qobject_cast<const QToolButton*>(widget)) {
        if (tool->text().isEmpty() || tool->toolButtonStyle() == Qt::ToolButtonIconOnly) return std::nullopt;
        return std::pair{tool->width(), tool->sizeHint().width()};
    }
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
        if (label->text().isEmpty() || label->wordWrap() || ShowsPath(label)) return std::nullopt;
        int indent = label->indent();
        if (indent < 0) indent = label->frameWidth() > 0 ? metrics.horizontalAdvance(QLatin1Char('x')) / 2 : 0;
        return std::pair{label->contentsRect().width() - 2 * label->margin() - indent,
                         TextWidth(metrics, label->text())};
    }
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) {
        if (group->title().isEmpty()) return std::nullopt;
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.lineWidth = 1;
        option.textAlignment = group->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
        // The title may run to the box's right edge, no further.
        return std::pair{group->width() - std::max(0, title.left()), TextWidth(metrics, group->title())};
    }
    return std::nullopt;
}

// Panels hold controls placed side by side; compound controls (an edit box, a list) are one control.
bool IsPanel(const QWidget* widget) {
    const QMetaObject* kind = widget->metaObject();
    return kind == &QWidget::staticMetaObject || kind == &QFrame::staticMetaObject ||
           qobject_cast<const QGroupBox*>(widget) != nullptr;
}

// A plain frame drawn around a control belongs to it.
bool IsDecoration(const QWidget* widget) {
    return widget->metaObject() == &QFrame::staticMetaObject && widget->children().isEmpty();
}

void CheckPanel(const QWidget* panel, QStringList& problems) {
    std::vector<const QWidget*> shown;
    for (QObject* child : panel->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow() || !widget->isVisible()) continue;
        shown.push_back(widget);
        if (!QRect(QPoint(), panel->size()).contains(widget->geometry()))
            problems << QStringLiteral("%1 at %2,%3 %4x%5 lies outside %6 (%7x%8)")
                            .arg(Name(widget))
                            .arg(widget->x())
                            .arg(widget->y())
                            .arg(widget->width())
                            .arg(widget->height())
                            .arg(Name(panel))
                            .arg(panel->width())
                            .arg(panel->height());
        if (const auto fit = RoomAndNeed(widget); fit && fit->second > fit->first) {
            const QString caption =
                qobject_cast<const QGroupBox*>(widget) ? static_cast<const QGroupBox*>(widget)->title()
                : qobject_cast<const QLabel*>(widget)  ? static_cast<const QLabel*>(widget)->text()
                                                       : static_cast<const QAbstractButton*>(widget)->text();
            problems << QStringLiteral("%1 \"%2\" needs %3 pixels, has %4")
                            .arg(Name(widget), caption)
                            .arg(fit->second)
                            .arg(fit->first);
        }
        if (IsPanel(widget)) CheckPanel(widget, problems);
    }
    for (std::size_t i = 0; i < shown.size(); ++i)
        for (std::size_t j = i + 1; j < shown.size(); ++j)
            if (!IsDecoration(shown[i]) && !IsDecoration(shown[j]) &&
                shown[i]->geometry().intersects(shown[j]->geometry()))
                problems << QStringLiteral("%1 overlaps %2").arg(Name(shown[i]), Name(shown[j]));
}

QStringList Problems(QWidget* window) {
    QStringList problems;
    QWidget* content = window;
    if (auto* main = qobject_cast<QMainWindow*>(window)) content = main->centralWidget();
    CheckPanel(content, problems);
    return problems;
}

// Every control's place, for comparing two moments.
std::map<QString, QRect> Geometries(QWidget* window) {
    std::map<QString, QRect> geometries;
    int index = 0;
    for (QWidget* widget : window->findChildren<QWidget*>())
        if (!widget->isWindow()) geometries[QString::number(index++) + " " + Name(widget)] = widget->geometry();
    geometries[QStringLiteral("window")] = QRect(QPoint(), window->size());
    return geometries;
}

void SetLanguage(std::uint8_t language) {
    Lang().ActiveLanguage = language;
    Lang().CopySet();
}

} // namespace

class TestCaptionsFit : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QFont font(kFontFamily, kFontPoints);
        QApplication::setFont(font);
        // The offscreen platform takes its fonts from fontconfig: without the font installed the test would
        // measure another one.
        QVERIFY2(QFontInfo(QApplication::font()).family() == kFontFamily,
                 "DejaVu Sans is not installed (scripts/setup.sh installs fonts-dejavu-core)");
    }

    void captionsFit_data() {
        QTest::addColumn<int>("index");
        const std::vector<Case> cases = Cases();
        for (std::size_t i = 0; i < cases.size(); ++i)
            QTest::newRow(cases[i].name) << int(i);
    }
    // Shown in Turkish, switched to English while shown, and back: each time every caption fits, and the
    // way back gives the Turkish layout again.
    void captionsFit() {
        QFETCH(int, index);
        const Case c = Cases()[std::size_t(index)];
        SetLanguage(kLanguageTurkish);
        Subject subject = c.make();
        QWidget& window = *subject.window;
        std::map<QString, QRect> turkish;
        for (const std::uint8_t language : {kLanguageTurkish, kLanguageEnglish, kLanguageTurkish}) {
            SetLanguage(language);
            subject.captions();
            if (c.state) c.state(window);
            if (!window.isVisible()) {
                window.show();
                QVERIFY(QTest::qWaitForWindowExposed(&window));
            }
            QCoreApplication::processEvents();
            const QStringList problems = Problems(&window);
            const QByteArray report =
                ((language == kLanguageTurkish ? "Turkish:\n" : "English:\n") + problems.join('\n')).toUtf8();
            QVERIFY2(problems.isEmpty(), report.constData());
            if (turkish.empty())
                turkish = Geometries(&window);
            else if (language == kLanguageTurkish)
                QVERIFY(Geometries(&window) == turkish);
        }
    }
};

QTEST_MAIN(TestCaptionsFit)
#include "test_captions_fit.moc"
