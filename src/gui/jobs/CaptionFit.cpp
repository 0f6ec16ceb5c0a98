#include "gui/jobs/CaptionFit.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVariant>

#include <algorithm>
#include <vector>

namespace zarkent {

namespace {

// Where each control keeps the geometry its window gave it and the one the fitting gave it last.
constexpr const char* kDesignProperty = "zarkentDesignGeometry";
constexpr const char* kFittedProperty = "zarkentFittedGeometry";
constexpr const char* kShowsPathProperty = "zarkentShowsPath";
constexpr const char* kKeptFittedProperty = "zarkentCaptionsKeptFitted";

// The least room between two controls side by side, where the design left that much.
constexpr int kMinimumGap = 6;

// The geometry the window's own code gave `widget` last: any geometry other than the one the fitting set
// was set by the window (at creation, or moved since) and is the new design.
QRect Designed(QWidget* widget, const QRect& current) {
    const QVariant fitted = widget->property(kFittedProperty);
    if (!fitted.isValid() || fitted.toRect() != current) widget->setProperty(kDesignProperty, current);
    return widget->property(kDesignProperty).toRect();
}

void NoteFitted(QWidget* widget, const QRect& geometry) {
    widget->setProperty(kFittedProperty, geometry);
}

// A plain panel or a group box whose controls are placed by geometry: fitted like the window itself.
bool IsContainer(const QWidget* widget) {
    const QMetaObject* kind = widget->metaObject();
    const bool panel = kind == &QWidget::staticMetaObject || kind == &QFrame::staticMetaObject ||
                       qobject_cast<const QGroupBox*>(widget) != nullptr;
    return panel && widget->layout() == nullptr;
}

// Boxes and bars that span the window's content widen with it; captioned controls keep their place.
bool Stretches(const QWidget* widget) {
    return qobject_cast<const QAbstractScrollArea*>(widget) || qobject_cast<const QProgressBar*>(widget) ||
           qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QGroupBox*>(widget) || widget->metaObject() == &QFrame::staticMetaObject;
}

// Fits the controls placed in `container`, whose designed width is `designWidth`; returns the width the
// container needs (at least the designed one).
int FitContainer(QWidget* container, int designWidth) {
    struct Item {
        QWidget* widget;
        QRect design;
        int x;
        int width;
    };
    std::vector<Item> items;
    // Hidden controls count too: a control that is shown later finds its place ready, and the window
    // does not change its width when it comes and goes.
    for (QObject* child : container->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow()) continue;
        const QRect design = Designed(widget, widget->geometry());
        int needed = CaptionWidth(widget);
        if (IsContainer(widget)) needed = std::max(needed, FitContainer(widget, design.width()));
        items.push_back({widget, design, design.x(), std::max(design.width(), needed)});
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.design.x() < b.design.x(); });

    // A control moves right only where a grown (or moved) control on its left, on the same row, would
    // overlap it or come closer than the designed gap or kMinimumGap, whichever is smaller.
    for (std::size_t i = 0; i < items.size(); ++i) {
        const QRect& right = items[i].design;
        for (std::size_t j = 0; j < i; ++j) {
            const QRect& left = items[j].design;
            const bool sameRow = left.top() <= right.bottom() && right.top() <= left.bottom();
            if (!sameRow || left.right() >= right.left()) continue;
            const int gap = std::min(kMinimumGap, right.left() - (left.x() + left.width()));
            items[i].x = std::max(items[i].x, items[j].x + items[j].width + gap);
        }
    }

    int designRight = 0;
    int fittedRight = 0;
    for (const Item& item : items) {
        designRight = std::max(designRight, item.design.x() + item.design.width());
        fittedRight = std::max(fittedRight, item.x + item.width);
    }
    const int margin = std::max(0, designWidth - designRight);
    const int width = std::max(designWidth, fittedRight + margin);
    const int growth = width - designWidth;

    for (Item& item : items) {
        const bool untouched = item.x == item.design.x() && item.width == item.design.width();
        if (growth > 0 && untouched && Stretches(item.widget) && item.design.x() + item.design.width() == designRight)
            item.width += growth;
        const QRect geometry(item.x, item.design.y(), item.width, item.design.height());
        if (item.widget->geometry() != geometry) item.widget->setGeometry(geometry);
        NoteFitted(item.widget, geometry);
    }
    return width;
}

QWidget* ContentOf(QWidget* window) {
    if (auto* main = qobject_cast<QMainWindow*>(window)) return main->centralWidget();
    return window;
}

enum class Anchor {
    Centre, // the window is about to be shown where it was placed: it grows on both sides
    Left    // the user sees the window: it grows to the right, as far as the screen allows
};

void Fit(QWidget* window, Anchor anchor) {
    QWidget* content = window ? ContentOf(window) : nullptr;
    if (!content || content->layout()) return;
    // Only the window's width is designed here; its height is its own.
    const int designWidth = Designed(window, QRect(0, 0, window->width(), 0)).width();
    const int width = FitContainer(content, designWidth);
    const int before = window->width();
    if (width != before) {
        if (window->minimumWidth() == window->maximumWidth())
            window->setFixedWidth(width);
        else
            window->resize(width, window->height());
        if (anchor == Anchor::Centre) {
            window->move(window->x() - (window->width() - before) / 2, window->y());
        } else if (const QScreen* screen = window->screen()) {
            const int overflow = window->frameGeometry().right() - screen->availableGeometry().right();
            if (overflow > 0)
                window->move(std::max(screen->availableGeometry().left(), window->x() - overflow), window->y());
        }
    }
    NoteFitted(window, QRect(0, 0, window->width(), 0));
}

class CaptionFitter final : public QObject {
public:
    explicit CaptionFitter(QWidget* window) : QObject(window), window_(window) {
        window->installEventFilter(this);
        // A caption written on a shown window asks its parent for a new layout; a control placed by
        // geometry has no layout to take that request, so it is taken here.
        if (QWidget* content = ContentOf(window)) Watch(content);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == window_) {
            Fit(window_, Anchor::Centre);
        } else if (event->type() == QEvent::LayoutRequest && !pending_) {
            pending_ = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    pending_ = false;
                    Fit(window_, window_->isVisible() ? Anchor::Left : Anchor::Centre);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    void Watch(QWidget* container) {
        if (container != window_) container->installEventFilter(this);
        for (QObject* child : container->children()) {
            auto* widget = qobject_cast<QWidget*>(child);
            if (widget && !widget->isWindow() && IsContainer(widget)) Watch(widget);
        }
    }

    QWidget* window_;
    bool pending_ = false;
};

} // namespace

int CaptionWidth(const QWidget* widget) {
    if (auto* push = qobject_cast<const QPushButton*>(widget)) {
        if (push->text().isEmpty()) return 0;
        QStyleOptionButton option;
        option.initFrom(push);
        option.features = QStyleOptionButton::None;
        if (push->isFlat()) option.features |= QStyleOptionButton::Flat;
        if (push->menu()) option.features |= QStyleOptionButton::HasMenu;
        if (push->autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
        QSize content = push->fontMetrics().size(Qt::TextShowMnemonic, push->text());
        if (!push->icon().isNull()) content.rwidth() += push->iconSize().width() + 4;
        // The option carries no caption: some styles give every captioned button a minimum width, which is
        // no part of what the caption needs.
        return push->style()->sizeFromContents(QStyle::CT_PushButton, &option, content, push).width();
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text().isEmpty() ? 0 : button->sizeHint().width();
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
        if (label->text().isEmpty() || label->wordWrap() || ShowsPath(label)) return 0;
        return label->sizeHint().width();
    }
    if (auto* group = qobject_cast<const QGroupBox*>(widget))
        return group->title().isEmpty() ? 0 : group->minimumSizeHint().width();
    return 0;
}

void MarkShowsPath(QLabel* label) {
    label->setProperty(kShowsPathProperty, true);
}

bool ShowsPath(const QWidget* widget) {
    return widget && widget->property(kShowsPathProperty).toBool();
}

void FitCaptions(QWidget* window) {
    Fit(window, window && window->isVisible() ? Anchor::Left : Anchor::Centre);
}

void KeepCaptionsFitted(QWidget* window) {
    if (!window || window->property(kKeptFittedProperty).toBool()) return;
    window->setProperty(kKeptFittedProperty, true);
    new CaptionFitter(window); // owned by the window
    FitCaptions(window);
}

} // namespace zarkent
