#include "gui/dialogs/Dialogs_mod.h"

#include <QLineEdit>

#include "gui/dialogs/InputBox.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QRegularExpression>
#include <QStringList>

#include <atomic>

namespace zarkent::dialogs {

namespace {

std::atomic<DialogResponder*> g_responder{nullptr};

// The names of protected files are nobody else's business: Qt's own dialog never adds the chosen file
// to the desktop's recently used list, while a platform dialog (GTK, the desktop portal) may.
QFileDialog::Options PrivateDialogOptions() {
    return QFileDialog::DontUseNativeDialog;
}

bool RunFileDialog(QWidget* parent, FileDialogKind kind, const FileDialogRequest& request, QString& chosen) {
    if (DialogResponder* responder = g_responder.load()) {
        std::optional<QString> answer = responder->FileName(kind, request);
        if (!answer) return false;
        chosen = *answer;
        return true;
    }
    QFileDialog dialog(parent, request.title, request.initialPath, QtFileFilter(request.filter));
    dialog.setOptions(PrivateDialogOptions());
    if (kind == FileDialogKind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty()) return false;
    chosen = files.front();
    return true;
}

} // namespace

DialogResponder* SetDialogResponder(DialogResponder* responder) {
    return g_responder.exchange(responder);
}

DialogResponder* CurrentDialogResponder() {
    return g_responder.load();
}

QMessageBox::StandardButton EscapeButton(QMessageBox::StandardButtons buttons) {
    if (buttons.testFlag(QMessageBox::Cancel)) return QMessageBox::Cancel;
    if (buttons.testFlag(QMessageBox::No)) return QMessageBox::No;
    const auto bits = static_cast<unsigned>(buttons.toInt());
    if (bits != 0 && (bits & (bits - 1)) == 0) return static_cast<QMessageBox::StandardButton>(bits);
    return QMessageBox::NoButton;
}

QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                                        QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) {
    if (DialogResponder* responder = g_responder.load())
        return responder->Message({caption, text, icon, buttons, defaultButton});

    QMessageBox box(icon, caption, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    const QMessageBox::StandardButton escape = EscapeButton(buttons);
    if (escape != QMessageBox::NoButton) box.setEscapeButton(escape);
    box.exec();
    if (QAbstractButton* clicked = box.clickedButton()) return box.standardButton(clicked);
    return escape;
}

bool OpenFileName(QWidget* parent, const FileDialogRequest& request, QString& chosen) {
    return RunFileDialog(parent, FileDialogKind::Open, request, chosen);
}

bool SaveFileName(QWidget* parent, const FileDialogRequest& request, QString& chosen) {
    return RunFileDialog(parent, FileDialogKind::Save, request, chosen);
}

bool FolderName(QWidget* parent, const QString& title, QString& chosen) {
    if (DialogResponder* responder = g_responder.load()) {
        std::optional<QString> answer = responder->Folder({title, chosen});
        if (!answer) return false;
        chosen = *answer;
        return true;
    }
    const QString folder =
        QFileDialog::getExistingDirectory(parent, title, chosen, QFileDialog::ShowDirsOnly | PrivateDialogOptions());
    if (folder.isEmpty()) return false;
    chosen = folder;
    return true;
}

bool QueryText(QWidget* parent, const QString& caption, const QString& prompt, QString& value, bool masked) {
    if (DialogResponder* responder = g_responder.load()) {
        std::optional<QString> answer = responder->QueryText({caption, prompt, value, masked});
        if (!answer) return false;
        value = *answer;
        return true;
    }
    InputBox box(caption, prompt, value, masked, parent);
    if (box.exec() != QDialog::Accepted) return false;
    value = box.Text();
    return true;
}

QString QueryTextOrDefault(QWidget* parent, const QString& caption, const QString& prompt, const QString& defaultValue,
                           bool masked) {
    QString value = defaultValue;
    QueryText(parent, caption, prompt, value, masked);
    return value;
}

namespace {

// "*.*" means every file where the filters come from; Qt matches it only against names with a dot, so
// README or Makefile would not be offered. "*" is what Qt reads as every file.
QString QtPattern(const QString& pattern) {
    return pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern;
}

// The description's own "(*.zrk)" when it names exactly the entry's patterns: Qt's form adds them once.
QString WithoutOwnPatterns(const QString& description, const QStringList& patterns) {
    if (!description.endsWith(QLatin1Char(')'))) return description;
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open < 0) return description;
    const QStringList named = description.mid(open + 1, description.size() - open - 2)
                                  .split(QRegularExpression(QStringLiteral("[ ;]+")), Qt::SkipEmptyParts);
    if (named != patterns) return description;
    return description.left(open).trimmed();
}

} // namespace

QString QtFileFilter(const QString& filter) {
    if (filter.isEmpty()) return {};
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QStringList written;
        if (i + 1 < parts.size()) {
            for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
                const QString trimmed = pattern.trimmed();
                if (!trimmed.isEmpty()) written << trimmed;
            }
        }
        const QString description = WithoutOwnPatterns(parts[i].trimmed(), written);
        QStringList patterns;
        for (const QString& pattern : written)
            if (!patterns.contains(QtPattern(pattern))) patterns << QtPattern(pattern);
        if (patterns.isEmpty()) patterns << QStringLiteral("*"); // an entry without a pattern shows every file
        if (description.isEmpty() && written.isEmpty() && i + 1 >= parts.size())
            continue; // a trailing "|" adds nothing
        entries << (description.isEmpty()
                        ? patterns.join(QLatin1Char(' '))
                        : description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

void MaskWithStars(QLineEdit* edit) {
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(
        QStringLiteral("QLineEdit { lineedit-password-character: 42; lineedit-password-mask-delay: 0; }"));
}

} // namespace zarkent::dialogs
