#pragma once

// Small pieces the job windows share.

#include <QStyle>

class QLabel;
class QLineEdit;
class QWidget;

namespace zarkent {

// Flags of a dialog-style tool window without a close box that stays above other windows.
Qt::WindowFlags FixedToolDialogFlags();

// Places a top-level window in the centre of the screen it is on (the primary screen at first).
void CentreOnScreen(QWidget* window);

// A label of `size` by `size` showing one of the style's standard icons.
QLabel* StandardIconLabel(QWidget* parent, QStyle::StandardPixmap icon, int size);

} // namespace zarkent
