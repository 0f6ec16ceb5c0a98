#include "jobs/WindowHelpers.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

namespace zarkent {

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

QLabel* StandardIconLabel(QWidget* parent, QStyle::StandardPixmap icon, int size) {
    auto* label = new QLabel(parent);
    label->setFixedSize(size, size);
    label->setAlignment(Qt::AlignCenter);
    label->setPixmap(parent->style()->standardIcon(icon, nullptr, parent).pixmap(size, size));
    return label;
}

} // namespace zarkent
