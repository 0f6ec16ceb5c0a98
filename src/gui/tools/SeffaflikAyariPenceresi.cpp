#include "gui/tools/SeffaflikAyariPenceresi.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

#include "gui/jobs/WindowHelpers.h"

namespace zarkent {

namespace {

// Where a window keeps its blending (dynamic properties, so any top-level window can carry it).
constexpr const char* kAlphaBlendProperty = "zarkentAlphaBlend";
constexpr const char* kAlphaBlendValueProperty = "zarkentAlphaBlendValue";

constexpr int kLowestLevel = 1;
constexpr int kOpaqueLevel = 255;

} // namespace

AlphaBlending AlphaBlendingOf(const QWidget& window) {
    AlphaBlending blending;
    blending.AlphaBlend = window.property(kAlphaBlendProperty).toBool();
    const QVariant value = window.property(kAlphaBlendValueProperty);
    if (value.isValid()) blending.AlphaBlendValue = value.toInt();
    return blending;
}

void SetAlphaBlending(QWidget& window, bool on, int level) {
    level = std::clamp(level, 0, kOpaqueLevel);
    window.setProperty(kAlphaBlendProperty, on);
    window.setProperty(kAlphaBlendValueProperty, level);
    // Qt keeps the opacity whether or not the window system can draw it, so nothing fails where it can't.
    window.setWindowOpacity(on ? level / 255.0 : 1.0);
}

TSeffaflikAyari::TSeffaflikAyari(QWidget* target, QWidget* parent)
    : QWidget(parent, FixedToolDialogFlags()), target_(target) {
    setAttribute(Qt::WA_QuitOnClose, false);

    SaydamlikSeviyesi = new QSlider(Qt::Horizontal, this);
    SaydamlikSeviyesi->setRange(kLowestLevel, kOpaqueLevel);
    SaydamlikSeviyesi->setValue(kOpaqueLevel);
    SaydamlikSeviyesi->setTickPosition(QSlider::NoTicks);
    SaydamlikSeviyesi->setMinimumWidth(260);
    Kapat = new QPushButton(this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Kapat);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SaydamlikSeviyesi);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Connected after the initial position is set: creating the window leaves the main window as it is.
    connect(SaydamlikSeviyesi, &QSlider::valueChanged, this, &TSeffaflikAyari::SaydamlikSeviyesiChange);
    connect(Kapat, &QPushButton::clicked, this, &TSeffaflikAyari::KapatClick);

    InstallKeyPreview(this, [this](const QKeyEvent& key) { return FormKeyPress(key); });

    ApplyCaptions(TurkishRow); // the designed captions are the Turkish texts
    adjustSize();
    CentreOnScreen(this);
}

void TSeffaflikAyari::ApplyCaptions(const std::function<QString(int)>& row) {
    Kapat->setText(row(13));
    setWindowTitle(row(25));
}

void TSeffaflikAyari::UpdateCaptions() {
    ApplyCaptions(Row);
}

void TSeffaflikAyari::ShowTargetLevel() {
    if (!target_) return;
    const AlphaBlending blending = AlphaBlendingOf(*target_);
    const QSignalBlocker quiet(SaydamlikSeviyesi);
    SaydamlikSeviyesi->setValue(blending.AlphaBlend ? blending.AlphaBlendValue : kOpaqueLevel);
}

void TSeffaflikAyari::SaydamlikSeviyesiChange(int position) {
    if (!target_) return;
    // The top position is an ordinary opaque window, not one blended at full strength.
    SetAlphaBlending(*target_, position < kOpaqueLevel, position);
}

void TSeffaflikAyari::KapatClick() {
    close();
}

bool TSeffaflikAyari::FormKeyPress(const QKeyEvent& event) {
    if (event.key() != Qt::Key_Escape) return false;
    close();
    return true;
}

void TSeffaflikAyari::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyPress(*event)) QWidget::keyPressEvent(event);
}

void TSeffaflikAyari::showEvent(QShowEvent* event) {
    ShowTargetLevel();
    QWidget::showEvent(event);
}

} // namespace zarkent
