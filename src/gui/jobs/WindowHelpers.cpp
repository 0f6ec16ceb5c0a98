#include "gui/jobs/WindowHelpers.h"

#include "core/lang/Language.h"
#include "gui/dialogs/Dialogs_mod.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QSaveFile>
#include <QScreen>
#include <QWidget>

namespace zarkent {

QString Row(int row) {
    return QString::fromStdString(Lang().Row(row));
}

QString TurkishRow(int row) {
    const std::string_view text = TurkishText(row);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

namespace {
QString applicationTitle;
}

namespace {

class KeyPreview final : public QObject {
public:
    KeyPreview(QWidget* window, std::function<bool(const QKeyEvent&)> handler)
        : QObject(window), window_(window), handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_)
            return handler_(*static_cast<QKeyEvent*>(event));
        return false;
    }

private:
    QWidget* window_;
    std::function<bool(const QKeyEvent&)> handler_;
};

} // namespace

void InstallKeyPreview(QWidget* window, std::function<bool(const QKeyEvent&)> handler, KeyPreviewScope scope) {
    auto* preview = new KeyPreview(window, std::move(handler)); // owned by the window
    if (scope == KeyPreviewScope::Application) {
        qApp->installEventFilter(preview);
        return;
    }
    for (QWidget* child : window->findChildren<QWidget*>())
        child->installEventFilter(preview);
}

QString ApplicationTitle() {
    return applicationTitle.isEmpty() ? TurkishRow(1) : applicationTitle;
}

void SetApplicationTitle(const QString& title) {
    applicationTitle = title;
}

Qt::WindowFlags FixedToolDialogFlags() {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint;
}

void CentreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void ShowMatchMarks(const QString& first, const QString& second, QLabel* same, QLabel* different) {
    const bool bothEmpty = first.isEmpty() && second.isEmpty();
    different->setVisible(!bothEmpty && first != second);
    same->setVisible(!bothEmpty && first == second);
}

QLabel* StandardIconLabel(QWidget* parent, QStyle::StandardPixmap icon, int size) {
    auto* label = new QLabel(parent);
    label->setFixedSize(size, size);
    label->setAlignment(Qt::AlignCenter);
    label->setPixmap(parent->style()->standardIcon(icon, nullptr, parent).pixmap(size, size));
    return label;
}

bool ReplaceFileContents(const QString& path, const QByteArray& data, QString& error) {
    QSaveFile file(path);
    // Unbuffered, so that a short write shows here with its reason: a buffer flushed only by commit() can
    // fail part way and still be renamed over the old file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = file.errorString();
        return false;
    }
    for (qint64 done = 0; done < data.size();) {
        const qint64 written = file.write(data.constData() + done, data.size() - done);
        if (written <= 0) {
            error = file.errorString(); // the new file is discarded with `file`
            return false;
        }
        done += written;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

void ShowGeneralError(QWidget* parent, const QString& text) {
    dialogs::ShowMessage(parent, ApplicationTitle(), text, QMessageBox::Critical, QMessageBox::Ok);
}

bool LostBytes(const QString& name) {
    return name.contains(QChar::ReplacementCharacter) || !name.isValidUtf16();
}

std::optional<std::string> NameBytes(const QString& name) {
    if (LostBytes(name)) return std::nullopt;
    return name.toLocal8Bit().toStdString();
}

void RefuseUndecodableName(QWidget* parent, const QString& name) {
    const QString folder = QDir::toNativeSeparators(QFileInfo(name).path());
    dialogs::ShowMessage(parent, Row(39), Row(kRowUndecodableName).arg(folder), QMessageBox::Warning, QMessageBox::Ok);
}

QString ShownPath(const std::string& path) {
    return QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size()));
}

} // namespace zarkent
