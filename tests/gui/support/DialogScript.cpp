#include "DialogScript.h"

#include <QTest>

namespace zarkent::test {

namespace {

QString IconName(QMessageBox::Icon icon) {
    switch (icon) {
    case QMessageBox::NoIcon:
        return QStringLiteral("no icon");
    case QMessageBox::Information:
        return QStringLiteral("information");
    case QMessageBox::Warning:
        return QStringLiteral("warning");
    case QMessageBox::Critical:
        return QStringLiteral("critical");
    case QMessageBox::Question:
        return QStringLiteral("question");
    }
    return QStringLiteral("icon %1").arg(static_cast<int>(icon));
}

QString ButtonsText(QMessageBox::StandardButtons buttons) {
    return QStringLiteral("0x%1").arg(static_cast<unsigned>(buttons.toInt()), 0, 16);
}

QString Quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString Describe(const ShownDialog& shown) {
    QString description = DialogKindName(shown.kind) + QLatin1Char(' ') + Quoted(shown.caption);
    switch (shown.kind) {
    case DialogKind::Message:
        description += QStringLiteral(" text ") + Quoted(shown.text) + QStringLiteral(", ") + IconName(shown.icon) +
                       QStringLiteral(", buttons ") + ButtonsText(shown.buttons);
        break;
    case DialogKind::QueryText:
        description += QStringLiteral(" prompt ") + Quoted(shown.text) + QStringLiteral(" value ") +
                       Quoted(shown.initial) + (shown.masked ? QStringLiteral(" masked") : QString());
        break;
    case DialogKind::OpenFile:
    case DialogKind::SaveFile:
        description +=
            QStringLiteral(" filter ") + Quoted(shown.filter) + QStringLiteral(" initial ") + Quoted(shown.initial);
        break;
    case DialogKind::Folder:
        description += QStringLiteral(" start ") + Quoted(shown.initial);
        break;
    }
    return description;
}

template <class T>
void Compare(QStringList& differences, const char* field, const std::optional<T>& expected, const T& actual,
             QString (*show)(const T&)) {
    if (expected && !(*expected == actual))
        differences << QStringLiteral("%1 is %2, expected %3").arg(QLatin1String(field), show(actual), show(*expected));
}

QString ShowText(const QString& text) {
    return Quoted(text);
}
QString ShowIcon(const QMessageBox::Icon& icon) {
    return IconName(icon);
}
QString ShowButtons(const QMessageBox::StandardButtons& buttons) {
    return ButtonsText(buttons);
}
QString ShowButton(const QMessageBox::StandardButton& button) {
    return ButtonsText(QMessageBox::StandardButtons(button));
}
QString ShowFlag(const bool& flag) {
    return flag ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

QString DialogKindName(DialogKind kind) {
    switch (kind) {
    case DialogKind::Message:
        return QStringLiteral("message box");
    case DialogKind::OpenFile:
        return QStringLiteral("open dialog");
    case DialogKind::SaveFile:
        return QStringLiteral("save dialog");
    case DialogKind::Folder:
        return QStringLiteral("folder dialog");
    case DialogKind::QueryText:
        return QStringLiteral("input box");
    }
    return QStringLiteral("dialog");
}

// --- Expectation ----------------------------------------------------------------------------------------

DialogScript::Expectation& DialogScript::Expectation::Caption(const QString& caption) {
    caption_ = caption;
    return *this;
}
DialogScript::Expectation& DialogScript::Expectation::Text(const QString& text) {
    text_ = text;
    return *this;
}
DialogScript::Expectation& DialogScript::Expectation::Icon(QMessageBox::Icon icon) {
    icon_ = icon;
    return *this;
}
DialogScript::Expectation& DialogScript::Expectation::Buttons(QMessageBox::StandardButtons buttons) {
    buttons_ = buttons;
    return *this;
}
DialogScript::Expectation& DialogScript::Expectation::DefaultButton(QMessageBox::StandardButton button) {
    defaultButton_ = button;
    return *this;
}
DialogScript::Expectation& DialogScript::Expectation::Filter(const QString& filter) {
    filter_ = filter;
    return *this;
}
DialogScript::Expectation& DialogScript::Expectation::Initial(const QString& initial) {
    initial_ = initial;
    return *this;
}
DialogScript::Expectation& DialogScript::Expectation::Masked(bool masked) {
    masked_ = masked;
    return *this;
}

void DialogScript::Expectation::Answer(QMessageBox::StandardButton button) {
    if (kind_ != DialogKind::Message) {
        script_->Fail(QStringLiteral("a button answer was scripted for a %1").arg(DialogKindName(kind_)));
        return;
    }
    if (buttons_ && !buttons_->testFlag(button)) {
        script_->Fail(QStringLiteral("the scripted answer %1 is not among the expected buttons %2")
                          .arg(ButtonsText(button), ButtonsText(*buttons_)));
        return;
    }
    answerKind_ = AnswerKind::Button;
    button_ = button;
}

void DialogScript::Expectation::Answer(const QString& value) {
    if (kind_ == DialogKind::Message) {
        script_->Fail(QStringLiteral("a text answer was scripted for a message box"));
        return;
    }
    answerKind_ = AnswerKind::Value;
    value_ = value;
}

void DialogScript::Expectation::Confirm() {
    if (kind_ != DialogKind::QueryText) {
        script_->Fail(QStringLiteral("Confirm() was scripted for a %1").arg(DialogKindName(kind_)));
        return;
    }
    answerKind_ = AnswerKind::Confirm;
}

void DialogScript::Expectation::Cancel() {
    answerKind_ = AnswerKind::Cancel;
}

// --- DialogScript ---------------------------------------------------------------------------------------

DialogScript::DialogScript(Mode mode, QStringList* failureLog)
    : mode_(mode), failureLog_(failureLog), previous_(dialogs::SetDialogResponder(this)) {
    // Referring to it links the refusing responder into every window test.
    if (!NoRealDialogsInstalled) QTest::qFail("no refusing dialog responder", __FILE__, __LINE__);
}

DialogScript::~DialogScript() {
    dialogs::SetDialogResponder(previous_);
    // After a test has already failed, leftovers are a consequence, not news.
    if (mode_ == Mode::FailTest && QTest::currentTestFailed()) return;
    VerifyDone();
}

DialogScript::Expectation& DialogScript::Enqueue(DialogKind kind) {
    queue_.push_back(std::unique_ptr<Expectation>(new Expectation(*this, kind)));
    return *queue_.back();
}

DialogScript::Expectation& DialogScript::ExpectMessage() {
    return Enqueue(DialogKind::Message);
}

DialogScript::Expectation& DialogScript::ExpectMessage(const QString& caption, const QString& text,
                                                       QMessageBox::Icon icon, QMessageBox::StandardButtons buttons) {
    return ExpectMessage().Caption(caption).Text(text).Icon(icon).Buttons(buttons);
}

DialogScript::Expectation& DialogScript::ExpectQueryText() {
    return Enqueue(DialogKind::QueryText);
}

DialogScript::Expectation& DialogScript::ExpectQueryText(const QString& caption, const QString& prompt) {
    return ExpectQueryText().Caption(caption).Text(prompt);
}

DialogScript::Expectation& DialogScript::ExpectOpenFile() {
    return Enqueue(DialogKind::OpenFile);
}

DialogScript::Expectation& DialogScript::ExpectSaveFile() {
    return Enqueue(DialogKind::SaveFile);
}

DialogScript::Expectation& DialogScript::ExpectFolder() {
    return Enqueue(DialogKind::Folder);
}

bool DialogScript::VerifyDone() {
    const bool clean = queue_.empty() && failures_.isEmpty();
    while (!queue_.empty()) {
        const Expectation& left = *queue_.front();
        Fail(QStringLiteral("an expected %1%2 was never shown")
                 .arg(DialogKindName(left.kind_),
                      left.caption_ ? QLatin1Char(' ') + Quoted(*left.caption_) : QString()));
        queue_.pop_front();
    }
    return clean;
}

std::vector<ShownDialog> DialogScript::Messages() const {
    std::vector<ShownDialog> messages;
    for (const ShownDialog& shown : shown_)
        if (shown.kind == DialogKind::Message) messages.push_back(shown);
    return messages;
}

void DialogScript::Fail(const QString& message) {
    failures_ << message;
    if (failureLog_) *failureLog_ << message;
    if (mode_ != Mode::FailTest) return;
    const QByteArray text = QStringLiteral("DialogScript: %1").arg(message).toUtf8();
    if (QTest::currentTestFunction())
        QTest::qFail(text.constData(), __FILE__, __LINE__);
    else
        qCritical("%s", text.constData());
}

std::unique_ptr<DialogScript::Expectation> DialogScript::Match(ShownDialog shown) {
    if (queue_.empty()) {
        shown_.push_back(shown);
        Fail(QStringLiteral("unexpected %1").arg(Describe(shown)));
        return nullptr;
    }
    std::unique_ptr<Expectation> next = std::move(queue_.front());
    queue_.pop_front();

    QStringList differences;
    if (next->kind_ != shown.kind) {
        differences << QStringLiteral("expected a %1").arg(DialogKindName(next->kind_));
    } else {
        Compare(differences, "caption", next->caption_, shown.caption, ShowText);
        Compare(differences, "text", next->text_, shown.text, ShowText);
        Compare(differences, "icon", next->icon_, shown.icon, ShowIcon);
        Compare(differences, "buttons", next->buttons_, shown.buttons, ShowButtons);
        Compare(differences, "default button", next->defaultButton_, shown.defaultButton, ShowButton);
        Compare(differences, "filter", next->filter_, shown.filter, ShowText);
        Compare(differences, "initial value", next->initial_, shown.initial, ShowText);
        Compare(differences, "masked", next->masked_, shown.masked, ShowFlag);
    }
    if (shown.kind == DialogKind::Message && next->answerKind_ == Expectation::AnswerKind::Button &&
        !shown.buttons.testFlag(next->button_))
        differences << QStringLiteral("the scripted answer %1 is not on the box").arg(ButtonsText(next->button_));

    shown.expected = differences.isEmpty();
    shown_.push_back(shown);
    if (!shown.expected) {
        Fail(QStringLiteral("%1 does not match the script: %2")
                 .arg(Describe(shown), differences.join(QStringLiteral("; "))));
        return nullptr;
    }
    return next;
}

QMessageBox::StandardButton DialogScript::Message(const dialogs::MessageRequest& request) {
    ShownDialog shown;
    shown.kind = DialogKind::Message;
    shown.caption = request.caption;
    shown.text = request.text;
    shown.icon = request.icon;
    shown.buttons = request.buttons;
    shown.defaultButton = request.defaultButton;
    const std::unique_ptr<Expectation> expectation = Match(shown);
    if (expectation && expectation->answerKind_ == Expectation::AnswerKind::Button) return expectation->button_;
    const QMessageBox::StandardButton escape = dialogs::EscapeButton(request.buttons);
    if (expectation && escape == QMessageBox::NoButton)
        Fail(QStringLiteral("Cancel() was scripted for a box without an escape button: %1").arg(Describe(shown)));
    return escape;
}

std::optional<QString> DialogScript::FileName(dialogs::FileDialogKind kind, const dialogs::FileDialogRequest& request) {
    ShownDialog shown;
    shown.kind = kind == dialogs::FileDialogKind::Open ? DialogKind::OpenFile : DialogKind::SaveFile;
    shown.caption = request.title;
    shown.filter = request.filter;
    shown.initial = request.initialPath;
    const std::unique_ptr<Expectation> expectation = Match(shown);
    if (expectation && expectation->answerKind_ == Expectation::AnswerKind::Value) return expectation->value_;
    return std::nullopt;
}

std::optional<QString> DialogScript::Folder(const dialogs::FolderRequest& request) {
    ShownDialog shown;
    shown.kind = DialogKind::Folder;
    shown.caption = request.title;
    shown.initial = request.initialPath;
    const std::unique_ptr<Expectation> expectation = Match(shown);
    if (expectation && expectation->answerKind_ == Expectation::AnswerKind::Value) return expectation->value_;
    return std::nullopt;
}

std::optional<QString> DialogScript::QueryText(const dialogs::QueryTextRequest& request) {
    ShownDialog shown;
    shown.kind = DialogKind::QueryText;
    shown.caption = request.caption;
    shown.text = request.prompt;
    shown.initial = request.value;
    shown.masked = request.masked;
    const std::unique_ptr<Expectation> expectation = Match(shown);
    if (!expectation) return std::nullopt;
    switch (expectation->answerKind_) {
    case Expectation::AnswerKind::Value:
        return expectation->value_;
    case Expectation::AnswerKind::Confirm:
        return request.value;
    default:
        return std::nullopt;
    }
}

} // namespace zarkent::test
