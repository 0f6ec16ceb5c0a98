// Every prompt a window opens (input boxes, message boxes, file and folder dialogs) is owned by that window:
// its parent is the window and the window system sees it as the window's transient, which keeps it above a
// window that stays on top. The real dialogs are shown and answered from their own event loops.
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>
#include <QWindow>
#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

#include "DialogScript.h"
#include "TempDir.h"
#include "core/lang/Language.h"
#include "core/state/SharedState.h"
#include "gui/app/AnaSayfa.h"
#include "gui/dialogs/InputBox.h"
#include "gui/jobs/DurumSayfasi.h"
#include "gui/jobs/KlasordekiDosyalariSifrelemePenceresi.h"
#include "gui/jobs/SifreEkrani.h"
#include "gui/jobs/WindowHelpers.h"
#include "gui/tools/GucluSifre.h"
#include "gui/tools/MD5Summer.h"
#include "gui/tools/RastgeleSayiUreteci.h"
#include "gui/wipe/GuvenliDosyaSiliciDialog_Kaynak.h"

using namespace zarkent;
using namespace zarkent::test;

namespace {

// How one prompt is answered: it gets the prompt and must end it.
using Answer = std::function<void(QDialog&)>;

void Dismiss(QDialog& prompt) {
    prompt.reject();
}

Answer TypeAndConfirm(const QString& text) {
    return [text](QDialog& prompt) {
        auto* box = qobject_cast<dialogs::InputBox*>(&prompt);
        QVERIFY2(box, "expected an input box");
        box->Edit()->setText(text);
        box->accept();
    };
}

struct Prompt {
    QString kind;  // class of the prompt
    QString title; // its caption
    QWidget* parent = nullptr;
    QWindow* transientParent = nullptr;
    bool ownerVisible = false; // a hidden owner leaves the prompt to the window manager's mercy
};

// While it lives the real dialogs are shown; each modal prompt that comes up is recorded and answered with the
// next answer of the list (dismissed when the list is used up).
class PromptRecorder {
public:
    explicit PromptRecorder(std::vector<Answer> answers)
        : answers_(std::move(answers)), refusing_(dialogs::SetDialogResponder(nullptr)) {
        QObject::connect(&poll_, &QTimer::timeout, &poll_, [this] { Poll(); });
        poll_.start(5);
    }
    ~PromptRecorder() { dialogs::SetDialogResponder(refusing_); }
    const std::vector<Prompt>& Prompts() const { return prompts_; }

private:
    void Poll() {
        auto* prompt = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!prompt || prompt == handled_) return;
        handled_ = prompt;
        QWindow* handle = prompt->windowHandle();
        prompts_.push_back({QString::fromLatin1(prompt->metaObject()->className()), prompt->windowTitle(),
                            prompt->parentWidget(), handle ? handle->transientParent() : nullptr,
                            prompt->parentWidget() && prompt->parentWidget()->isVisible()});
        const Answer answer = next_ < answers_.size() ? answers_[next_++] : Answer(Dismiss);
        answer(*prompt);
        if (prompt->isVisible()) prompt->reject(); // an answer that left it open must not hang the test
    }

    std::vector<Answer> answers_;
    std::size_t next_ = 0;
    QPointer<QDialog> handled_;
    std::vector<Prompt> prompts_;
    QTimer poll_;
    dialogs::DialogResponder* refusing_;
};

struct Case {
    const char* name;
    std::function<std::unique_ptr<QWidget>()> make;
    std::function<void(QWidget&)> trigger;
    std::vector<Answer> answers;
    QStringList kinds; // the prompts expected, in order
};

template <class W> std::function<std::unique_ptr<QWidget>()> Make() {
    return [] { return std::make_unique<W>(); };
}

template <class W> std::function<void(QWidget&)> On(std::function<void(W&)> action) {
    return [action](QWidget& window) { action(static_cast<W&>(window)); };
}

const QString InputBoxKind = QStringLiteral("zarkent::dialogs::InputBox");
const QString MessageKind = QStringLiteral("QMessageBox");
const QString FileKind = QStringLiteral("QFileDialog");

TempDir& EmptyFolder() {
    static TempDir folder;
    return folder;
}

std::unique_ptr<QWidget> MakeMainWindow() {
    auto window = std::make_unique<TSayfa1>();
    window->Guncelle->stop(); // no start-up step: it would store settings and register the desktop entries
    window->SetQuitHook([] {});
    return window;
}

std::vector<Case> Cases() {
    using Folder = TKlasoriciSifrelemePenceresi;
    return {
        {"folder window, password boxes cancelled",
         Make<Folder>(),
         On<Folder>([](Folder& w) { w.baslaClick(); }),
         {},
         {InputBoxKind, InputBoxKind}},
        {"folder window, passwords differ",
         Make<Folder>(),
         On<Folder>([](Folder& w) { w.baslaClick(); }),
         {TypeAndConfirm("one"), TypeAndConfirm("two")},
         {InputBoxKind, InputBoxKind, MessageKind}},
        {"folder window, folder dialog",
         Make<Folder>(),
         On<Folder>([](Folder& w) {
             State().BatchDirection = 1;
             w.baslaClick();
         }),
         {TypeAndConfirm("pw"), TypeAndConfirm("pw")},
         {InputBoxKind, InputBoxKind, FileKind}},
        {"folder window, empty folder",
         Make<Folder>(),
         On<Folder>([](Folder& w) {
             SharedState& state = State();
             state.BatchDirection = 1;
             state.BatchPassword = "pw";
             state.BatchFolder = EmptyFolder().Path().string() + "/";
             w.baslaClick();
         }),
         {},
         {MessageKind}},
        {"folder window, protected folder",
         Make<Folder>(),
         On<Folder>([](Folder& w) {
             SharedState& state = State();
             state.BatchDirection = 1;
             state.BatchPassword = "pw";
#ifdef _WIN32
             state.BatchFolder = qEnvironmentVariable("SystemRoot").toStdString() + "\\";
#else
             state.BatchFolder = "/etc/";
#endif
             w.baslaClick();
         }),
         {},
         {MessageKind}},
        {"MD5 of a text",
         Make<TMD5Hesaplayici>(),
         On<TMD5Hesaplayici>([](TMD5Hesaplayici& w) { w.TextMD5Click(); }),
         {TypeAndConfirm("abc")},
         {InputBoxKind, InputBoxKind}},
        {"MD5, empty report",
         Make<TMD5Hesaplayici>(),
         On<TMD5Hesaplayici>([](TMD5Hesaplayici& w) { w.md5RaporClick(); }),
         {},
         {MessageKind}},
        {"MD5, save the report",
         Make<TMD5Hesaplayici>(),
         On<TMD5Hesaplayici>([](TMD5Hesaplayici& w) {
             w.Rapor->setPlainText("report");
             w.md5RaporClick();
         }),
         {},
         {FileKind}},
        {"MD5, choose a file",
         Make<TMD5Hesaplayici>(),
         On<TMD5Hesaplayici>([](TMD5Hesaplayici& w) { w.DosyaSecClick(); }),
         {},
         {FileKind}},
        {"password dialog, one entry empty",
         Make<TSifreEx>(),
         On<TSifreEx>([](TSifreEx& w) {
             w.Sifre->setText("a");
             w.TamamClick();
         }),
         {},
         {MessageKind, MessageKind}},
        {"progress page, cancel",
         Make<TDurumSayfasi>(),
         On<TDurumSayfasi>([](TDurumSayfasi& w) { w.iptalClick(); }),
         {},
         {MessageKind}},
        {"secure deletion, choose a file",
         Make<TGuvenliDosyaSiliciDialog>(),
         On<TGuvenliDosyaSiliciDialog>([](TGuvenliDosyaSiliciDialog& w) { w.DosyaSil_DosyaSecClick(); }),
         {},
         {FileKind}},
        {"random numbers, save",
         Make<TRastgeleSayiUreteciSayfa1>(),
         On<TRastgeleSayiUreteciSayfa1>([](TRastgeleSayiUreteciSayfa1& w) { w.KaydetClick(); }),
         {},
         {FileKind}},
        {"main window, browse", MakeMainWindow, On<TSayfa1>([](TSayfa1& w) { w.GozatClick(); }), {}, {FileKind}},
        {"main window, passwords differ",
         MakeMainWindow,
         On<TSayfa1>([](TSayfa1& w) {
             w.pass1->setText("a");
             w.pass2->setText("b");
             w.islemClick();
         }),
         {},
         {MessageKind}},
    };
}

} // namespace

class TestPromptOwners : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        Lang().ActiveLanguage = kLanguageEnglish;
        Lang().CopySet();
    }

    void init() {
        SharedState& state = State();
        state.BatchPassword.clear();
        state.BatchFolder.clear();
        state.BatchFromMain = false;
        state.StartMode = 0;
    }

    void promptsAreOwnedByTheirWindow_data() {
        QTest::addColumn<int>("index");
        const std::vector<Case> cases = Cases();
        for (std::size_t i = 0; i < cases.size(); ++i)
            QTest::newRow(cases[i].name) << int(i);
    }
    void promptsAreOwnedByTheirWindow() {
        QFETCH(int, index);
        const Case c = Cases()[std::size_t(index)];
        std::unique_ptr<QWidget> window = c.make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        std::vector<Prompt> prompts;
        {
            PromptRecorder recorder(c.answers);
            c.trigger(*window);
            prompts = recorder.Prompts();
        }
        QStringList kinds;
        for (const Prompt& prompt : prompts)
            kinds << prompt.kind;
        QCOMPARE(kinds, c.kinds);
        for (const Prompt& prompt : prompts) {
            const QByteArray what = (prompt.kind + " \"" + prompt.title + "\"").toUtf8();
            QVERIFY2(prompt.parent == window.get(), what.constData());
            QVERIFY2(prompt.transientParent != nullptr, what.constData());
            QVERIFY2(prompt.transientParent == window->windowHandle(), what.constData());
            QVERIFY2(prompt.ownerVisible, what.constData());
        }
    }
};

QTEST_MAIN(TestPromptOwners)
#include "test_prompt_owners.moc"
