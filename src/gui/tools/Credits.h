#pragma once

// The credits window: the program's picture on a white page that covers the whole screen, with the
// program's licence and the notices of the libraries it uses below it. A click, a key or the small close
// picture at the top right closes it.

#include <QString>
#include <QWidget>

#include <functional>

class QKeyEvent;
class QLabel;
class QMouseEvent;
class QResizeEvent;
class QShowEvent;

namespace zarkent {

class TCredits_page : public QWidget {
    Q_OBJECT

public:
    explicit TCredits_page(QWidget* parent = nullptr);

    QLabel* Logo;
    QLabel* Credits_Kapat;
    QLabel* Lisans_Notu; // the licence and the third-party notices

    // Writes the notices from `row` (the about window passes its captions on).
    void ApplyCaptions(const std::function<QString(int)>& row);

public slots:
    void Credits_KapatClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormClick();
    bool FormKeyPress(const QKeyEvent& event);
    // As high and as wide as the screen the window is on.
    void CoverScreen();
    void PlacePictures();

    bool pressed_ = false;
};

// Whether a key press is only a modifier (Shift, Ctrl, Alt, ...) held down on its way to another key.
bool IsModifierKey(const QKeyEvent& event);

} // namespace zarkent
