#pragma once

// Small pieces the job windows share.

#include <QString>
#include <QStyle>

#include <functional>
#include <optional>
#include <string>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QWidget;

namespace zarkent {

// Language row `row` of the table in force, and of the designed (Turkish) captions.
QString Row(int row);
QString TurkishRow(int row);

// The marks beside two password entries: "different" while they differ, "same" while they are equal,
// neither while both are empty.
void ShowMatchMarks(const QString& first, const QString& second, QLabel* same, QLabel* different);

// The program's title in the language in force (the designed Turkish title until a language is applied);
// the caption of the general error box. User-interface thread only.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

// Flags of a dialog-style tool window without a close box that stays above other windows.
Qt::WindowFlags FixedToolDialogFlags();

// Places a top-level window in the centre of the screen it is on (the primary screen at first).
void CentreOnScreen(QWidget* window);

// Key preview: `handler` sees every key pressed in `window` before the control that has the focus, and
// a true result uses the key up. Only keys of the window's own controls count: an open drop-down list is
// a window of its own and keeps its Escape. A key that no control takes passes up through the parents
// and is seen once more on each, so the handler must not mind seeing a key twice.
enum class KeyPreviewScope {
    Controls,   // the window's controls of the moment
    Application // every widget, also those made later (through the application object)
};
void InstallKeyPreview(QWidget* window, std::function<bool(const QKeyEvent&)> handler,
                       KeyPreviewScope scope = KeyPreviewScope::Controls);

// A label of `size` by `size` showing one of the style's standard icons.
QLabel* StandardIconLabel(QWidget* parent, QStyle::StandardPixmap icon, int size);

// Writes `data` as the whole new content of `path`, replacing any file there: written beside it and renamed
// over it only once every byte is written, so a failed save leaves the old file whole. On failure returns
// false with the reason in `error`.
bool ReplaceFileContents(const QString& path, const QByteArray& data, QString& error);

// The program's box for an error that a window's handler could not deal with itself (a number field that
// holds no number, a request beyond a limit): the program's title as caption, the error's text, OK.
void ShowGeneralError(QWidget* parent, const QString& text);

// Names decoded by Qt (a file dialog's choice, typed text). U+FFFD marks bytes Qt could not decode, and a
// lone surrogate cannot be encoded back: such a name would lead to another file, so it is refused, never
// mapped to one.
bool LostBytes(const QString& name);
// The exact bytes of `name` for the file system, or nothing when it lost bytes.
std::optional<std::string> NameBytes(const QString& name);
// Tells the user that `name` was refused: the undecodable-name row with the folder the name is in.
void RefuseUndecodableName(QWidget* parent, const QString& name);
// A path's bytes as text to show (bytes that are not UTF-8 show as U+FFFD; the bytes themselves are kept
// wherever the path is used).
QString ShownPath(const std::string& path);

} // namespace zarkent
