// Window tests never show a real dialog: until a DialogScript takes over, any dialog fails the running
// test (or ends the program outside a test) instead of blocking on a modal window.
#include <QtTest>

#include <cstdio>
#include <cstdlib>

#include "DialogScript.h"
#include "gui/dialogs/Dialogs_mod.h"

namespace zarkent::test {
namespace {

class NoRealDialogs final : public dialogs::DialogResponder {
public:
    QMessageBox::StandardButton Message(const dialogs::MessageRequest& request) override {
        Unexpected("message box \"" + request.caption + "\": " + request.text);
        return dialogs::EscapeButton(request.buttons);
    }
    std::optional<QString> FileName(dialogs::FileDialogKind, const dialogs::FileDialogRequest& request) override {
        Unexpected("file dialog \"" + request.title + "\"");
        return std::nullopt;
    }
    std::optional<QString> Folder(const dialogs::FolderRequest& request) override {
        Unexpected("folder dialog \"" + request.title + "\"");
        return std::nullopt;
    }
    std::optional<QString> QueryText(const dialogs::QueryTextRequest& request) override {
        Unexpected("input box \"" + request.caption + "\"");
        return std::nullopt;
    }

private:
    static void Unexpected(const QString& what) {
        const QByteArray message = ("Unexpected " + what).toLocal8Bit();
        if (QTest::currentTestFunction()) {
            QTest::qFail(message.constData(), __FILE__, __LINE__);
            return;
        }
        std::fprintf(stderr, "%s\n", message.constData());
        std::abort();
    }
};

NoRealDialogs noRealDialogs;
} // namespace

const bool NoRealDialogsInstalled = (dialogs::SetDialogResponder(&noRealDialogs), true);

} // namespace zarkent::test
