#pragma once

// Captions that fit. The windows place their controls with fixed geometry, sized for the captions at the
// font they were designed with; another font or the other language can need more room. Each designed
// size is a minimum: a control whose caption needs more grows to the right, a control to its right on
// the same row moves only as far as it would otherwise overlap, and the window grows with its content.
// When captions get shorter again, everything goes back towards the designed geometry.

class QLabel;
class QWidget;

namespace zarkent {

// Fits the captions of `window` (a top-level window; for a main window, its central widget's controls).
// Controls managed by a layout are left to the layout, which sizes them for their captions itself.
void FitCaptions(QWidget* window);

// FitCaptions now, and again whenever a caption of the shown window changes or one of its controls is
// shown (in the event loop, once for any number of changes), and whenever the window is about to be shown.
// Call it once the window's controls exist, before the window is placed on the screen.
void KeepCaptionsFitted(QWidget* window);

// A label that shows a path keeps its width: a long path is cut, it never widens the window.
void MarkShowsPath(QLabel* label);
bool ShowsPath(const QWidget* widget);

// The width `widget` needs to show its whole caption (buttons, check boxes, radio buttons, labels that do
// not wrap, group box titles); 0 when it has none to fit.
int CaptionWidth(const QWidget* widget);

} // namespace zarkent
