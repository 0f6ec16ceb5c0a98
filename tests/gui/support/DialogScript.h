#pragma once

// Answers the program's dialogs from a queue so that no test ever shows (and blocks on) one.
//
//     DialogScript script;   // installed until it goes out of scope
//     script.ExpectMessage("Onay", "Sure?", QMessageBox::Question, QMessageBox::Yes | QMessageBox::No)
//         .Answer(QMessageBox::Yes);
//     script.ExpectQueryText("Uyarı", "Lütfen Şifre Giriniz").Masked(true).Answer("secret");
//     script.ExpectOpenFile().Answer("/tmp/a.txt");
//     script.ExpectFolder().Cancel();
//     ... drive the window ...
//     QVERIFY(script.VerifyDone());
//
// A dialog that arrives with nothing queued, or that differs from the next expectation in kind or in
// any field the expectation checks, is a failure; so is an expectation still queued at the end
// (VerifyDone, or the destructor). Failures are recorded and, unless the script was made with
// RecordOnly, reported to the running test with QTest::qFail (the self-tests of the script use
// RecordOnly). An unexpected dialog is answered as the
// user would cancel it (the escape button, or no name / no text).

#include "gui/dialogs/Dialogs_mod.h"

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace zarkent::test {

// Installed before any test runs: every dialog that no DialogScript answers fails the running test.
extern const bool NoRealDialogsInstalled;

enum class DialogKind { Message, OpenFile, SaveFile, Folder, QueryText };
QString DialogKindName(DialogKind kind);

// One dialog as it was asked for.
struct ShownDialog {
    DialogKind kind = DialogKind::Message;
    QString caption; // message caption, file or folder dialog title, input box caption
    QString text;    // message text or input box prompt
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QString filter;  // file dialogs, as the caller wrote it
    QString initial; // input box value, file dialog initial path, folder dialog start
    bool masked = false;
    bool expected = false; // matched the script
};

class DialogScript final : public dialogs::DialogResponder {
public:
    enum class Mode { FailTest, RecordOnly };

    // One queued dialog: the fields to check and the answer.
    class Expectation {
    public:
        Expectation& Caption(const QString& caption);
        Expectation& Text(const QString& text);
        Expectation& Icon(QMessageBox::Icon icon);
        Expectation& Buttons(QMessageBox::StandardButtons buttons);
        Expectation& DefaultButton(QMessageBox::StandardButton button);
        Expectation& Filter(const QString& filter);
        Expectation& Initial(const QString& initial);
        Expectation& Masked(bool masked);

        // Message boxes: the button pressed (must be one of the buttons shown).
        void Answer(QMessageBox::StandardButton button);
        // File, folder and input dialogs: the name chosen or the text confirmed.
        void Answer(const QString& value);
        // Input box: OK with the value left as it was offered.
        void Confirm();
        // Escape: the escape button of a message box, no name, no text.
        void Cancel();

    private:
        friend class DialogScript;
        Expectation(DialogScript& script, DialogKind kind) : script_(&script), kind_(kind) {}

        DialogScript* script_;
        DialogKind kind_;
        std::optional<QString> caption_, text_, filter_, initial_;
        std::optional<QMessageBox::Icon> icon_;
        std::optional<QMessageBox::StandardButtons> buttons_;
        std::optional<QMessageBox::StandardButton> defaultButton_;
        std::optional<bool> masked_;
        enum class AnswerKind { Cancel, Button, Value, Confirm } answerKind_ = AnswerKind::Cancel;
        QMessageBox::StandardButton button_ = QMessageBox::NoButton;
        QString value_;
    };

    // `failureLog`, when given, receives a copy of every failure and outlives the script (so a test can
    // see what the destructor found).
    explicit DialogScript(Mode mode = Mode::FailTest, QStringList* failureLog = nullptr);
    ~DialogScript() override;
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    Expectation& ExpectMessage();
    Expectation& ExpectMessage(const QString& caption, const QString& text, QMessageBox::Icon icon,
                               QMessageBox::StandardButtons buttons);
    Expectation& ExpectQueryText();
    Expectation& ExpectQueryText(const QString& caption, const QString& prompt);
    Expectation& ExpectOpenFile();
    Expectation& ExpectSaveFile();
    Expectation& ExpectFolder();

    // Fails for every expectation still queued and drops them; true when none was left and no failure
    // was recorded so far.
    bool VerifyDone();

    std::size_t Pending() const { return queue_.size(); }
    const QStringList& Failures() const { return failures_; }
    const std::vector<ShownDialog>& Shown() const { return shown_; }
    // The message boxes among Shown(), in order.
    std::vector<ShownDialog> Messages() const;

    // DialogResponder
    QMessageBox::StandardButton Message(const dialogs::MessageRequest& request) override;
    std::optional<QString> FileName(dialogs::FileDialogKind kind, const dialogs::FileDialogRequest& request) override;
    std::optional<QString> Folder(const dialogs::FolderRequest& request) override;
    std::optional<QString> QueryText(const dialogs::QueryTextRequest& request) override;

private:
    Expectation& Enqueue(DialogKind kind);
    // Takes the next expectation if it matches `shown`; records the failure otherwise.
    std::unique_ptr<Expectation> Match(ShownDialog shown);
    void Fail(const QString& message);

    Mode mode_;
    QStringList* failureLog_;
    dialogs::DialogResponder* previous_;
    std::deque<std::unique_ptr<Expectation>> queue_;
    std::vector<ShownDialog> shown_;
    QStringList failures_;
};

} // namespace zarkent::test
