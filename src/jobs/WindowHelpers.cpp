#include "jobs/WindowHelpers.h"

#include "lang/Language.h"

#include <QGuiApplication>
#include <QLabel>
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

} // namespace zarkent
