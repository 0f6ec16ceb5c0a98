#pragma once

// The transparency window: a slider that sets how opaque the main window is drawn. The setting lives only
// as long as the program runs.

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QKeyEvent;
class QPushButton;
class QShowEvent;
class QSlider;

namespace zarkent {

// Alpha blending of a top-level window as this program sets it: on at a level (0..255), or off, which
// draws the window opaque. It is kept with the window itself and read back from there, not from the window
// system, which may draw no opacity at all (the offscreen platform, an X server without a compositor): the
// setting reads the same everywhere, and everyone who changes it (the transparency window, the main
// window's "x" key) changes the one state.
struct AlphaBlending {
    bool AlphaBlend = false;
    int AlphaBlendValue = 255;
    bool operator==(const AlphaBlending&) const = default;
};
// Off at 255 for a window that was never set.
AlphaBlending AlphaBlendingOf(const QWidget& window);
// Stores the setting (the level clamped to 0..255) and draws it: level/255 while on, opaque while off.
void SetAlphaBlending(QWidget& window, bool on, int level);

class TSeffaflikAyari : public QWidget {
    Q_OBJECT

public:
    // `target` is the window whose opacity the slider sets (the main window).
    explicit TSeffaflikAyari(QWidget* target, QWidget* parent = nullptr);

    QSlider* SaydamlikSeviyesi;
    QPushButton* Kapat;

    // Rewrites the captions from the language table in force.
    void UpdateCaptions();
    // Moves the slider to the target's blending as it is now, without touching the target: the main
    // window may have been made opaque by other means since the slider last moved.
    void ShowTargetLevel();

public slots:
    void SaydamlikSeviyesiChange(int position);
    void KapatClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ApplyCaptions(const std::function<QString(int)>& row);
    bool FormKeyPress(const QKeyEvent& event);

    QPointer<QWidget> target_;
};

} // namespace zarkent
