
#pragma once

// The one seam through which every message box, open/save file dialog, folder dialog and input box
// of the program goes. In the program the calls show the platform's dialogs; tests install a
// DialogScript that answers them from a queue (see tests/gui/support/DialogScript.h) so that no test ever
// blocks on a modal window.

#include <QMessageBox>
#include <QString>

#include <optional>

class QLineEdit;
class QWidget;

namespace zarkent::dialogs {

// A message box: caption, text, icon and buttons; returns the button pressed (Escape or the close box
// gives the escape button of the set: Cancel, else No, else the only button).
QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                                        QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

struct FileDialogRequest {
    QString title;
    QString filter;      // "Description|pattern|Description|pattern" as the language rows write it
    QString initialPath; // folder or file name to start with
    QString defaultSuffix;
};

// Open and save dialogs: return true and set `chosen` when the user picked a name. These and the folder
// dialog are Qt's own, never the platform's, which may list the chosen file among the recent files.
bool OpenFileName(QWidget* parent, const FileDialogRequest& request, QString& chosen);
bool SaveFileName(QWidget* parent, const FileDialogRequest& request, QString& chosen);
// The folder dialog: returns true and sets `chosen` when the user picked a folder.
bool FolderName(QWidget* parent, const QString& title, QString& chosen);

// The input box the program builds itself: a prompt, one edit (masked with "*" when asked, at most
// 255 characters) and the buttons "Tamam" and "iptal" in every language. Like every dialog here it is
// owned by `parent`, the window that asks, and so stays above it (also above a window that stays on top).
bool QueryText(QWidget* parent, const QString& caption, const QString& prompt, QString& value, bool masked);
// Puts an edit in password mode showing every character as "*" at once (not the platform's bullet,
// and never the last typed character in clear).
void MaskWithStars(QLineEdit* edit);

QString QueryTextOrDefault(QWidget* parent, const QString& caption, const QString& prompt, const QString& defaultValue,
                           bool masked);

// The button Escape or the close box gives for a set of buttons: Cancel, else No, else the only button;
// NoButton when the set has none of these (Escape then does nothing).
QMessageBox::StandardButton EscapeButton(QMessageBox::StandardButtons buttons);

// Open and save filters are written "Description|pattern|Description|pattern", with several patterns of
// one entry separated by ";". Returns Qt's form: "Description (pattern pattern);;Description (pattern)".
// "*.*" becomes "*" (every file, with or without a dot in its name), and a description that already ends
// with its patterns in brackets ("Zarkent Files (*.zrk)") does not get them a second time.
QString QtFileFilter(const QString& filter);

// --- Test hook -------------------------------------------------------------------------------------
// While a responder is installed, every call above goes to it instead of showing a window.

struct MessageRequest {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

enum class FileDialogKind { Open, Save };

struct FolderRequest {
    QString title;
    QString initialPath; // the value `chosen` held on entry
};

struct QueryTextRequest {
    QString caption;
    QString prompt;
    QString value; // initial value
    bool masked = false;
};

class DialogResponder {
public:
    virtual ~DialogResponder() = default;
    // The button the user pressed.
    virtual QMessageBox::StandardButton Message(const MessageRequest& request) = 0;
    // The chosen name, or nothing when the user cancelled.
    virtual std::optional<QString> FileName(FileDialogKind kind, const FileDialogRequest& request) = 0;
    virtual std::optional<QString> Folder(const FolderRequest& request) = 0;
    // The confirmed text, or nothing when the user cancelled.
    virtual std::optional<QString> QueryText(const QueryTextRequest& request) = 0;
};

// Installs `responder` (nullptr: real dialogs again) and returns the one it replaces. User-interface
// thread only, like the dialogs themselves.
DialogResponder* SetDialogResponder(DialogResponder* responder);
DialogResponder* CurrentDialogResponder();

} // namespace zarkent::dialogs
