#include "gui/dialogs/InputBox.h"
#include "gui/dialogs/Dialogs_mod.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <cstdint>

namespace zarkent::dialogs {

namespace {

constexpr int kUnboundedHeight = 1 << 20;

} // namespace

int MulDivRound(int number, int numerator, int denominator) {
    if (denominator == 0) return 0;
    const std::int64_t product = std::int64_t{number} * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t p = product < 0 ? -product : product;
    const std::int64_t d = denominator < 0 ? -std::int64_t{denominator} : std::int64_t{denominator};
    const std::int64_t q = (2 * p + d) / (2 * d);
    return static_cast<int>(negative ? -q : q);
}

LayoutUnits MeasureLayoutUnits(const QFontMetrics& metrics) {
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    // The height of the measured text, as the prompt's lines are measured (it can exceed height() by
    // rounding), so a one-line prompt is exactly Y high.
    return {metrics.horizontalAdvance(letters) / 52, metrics.size(Qt::TextSingleLine, letters).height()};
}

QSize WrappedTextSize(const QFontMetrics& metrics, const QString& text, int maxWidth) {
    // Same flags as a plain-text QLabel with word wrap, so the label draws exactly these lines.
    const QRect bounds =
        metrics.boundingRect(QRect(0, 0, maxWidth, kUnboundedHeight), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                             text.isEmpty() ? QStringLiteral(" ") : text);
    return {std::min(bounds.width(), maxWidth), bounds.height()};
}

InputBoxLayout ComputeInputBoxLayout(LayoutUnits units, QSize promptSize, int editHeight) {
    const int x = units.x;
    const int y = units.y;
    InputBoxLayout layout;
    layout.promptMaxWidth = MulDivRound(164, x, 4);
    layout.prompt = QRect(MulDivRound(8, x, 4), MulDivRound(8, y, 8),
                          std::min(promptSize.width(), layout.promptMaxWidth), promptSize.height());
    layout.edit = QRect(layout.prompt.left(), layout.prompt.top() + layout.prompt.height() + 5, layout.promptMaxWidth,
                        editHeight);
    const int buttonTop = layout.edit.top() + layout.edit.height() + 15;
    const int buttonWidth = MulDivRound(50, x, 4);
    const int buttonHeight = MulDivRound(14, y, 8);
    layout.okButton = QRect(MulDivRound(38, x, 4), buttonTop, buttonWidth, buttonHeight);
    layout.cancelButton = QRect(MulDivRound(92, x, 4), buttonTop, buttonWidth, buttonHeight);
    layout.client = QSize(MulDivRound(180, x, 4), layout.cancelButton.top() + layout.cancelButton.height() + 13);
    return layout;
}

InputBox::InputBox(const QString& caption, const QString& prompt, const QString& value, bool masked, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      prompt_(new QLabel(prompt, this)), edit_(new QLineEdit(this)),
      // These two captions stay Turkish in every language.
      ok_(new QPushButton(QStringLiteral("Tamam"), this)), cancel_(new QPushButton(QStringLiteral("iptal"), this)) {
    setWindowTitle(caption);

    prompt_->setTextFormat(Qt::PlainText);
    prompt_->setWordWrap(true);
    prompt_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    edit_->setMaxLength(kInputBoxMaxLength);
    if (masked) {
        MaskWithStars(edit_);
    }
    edit_->setText(value);
    edit_->selectAll();
    edit_->setFocus();

    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    ApplyLayout();
}

QString InputBox::Text() const {
    return edit_->text();
}

void InputBox::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) ApplyLayout();
}

void InputBox::ApplyLayout() {
    const QFontMetrics metrics(font());
    const LayoutUnits units = MeasureLayoutUnits(metrics);
    const QSize promptSize = WrappedTextSize(metrics, prompt_->text(), MulDivRound(164, units.x, 4));
    layout_ = ComputeInputBoxLayout(units, promptSize, edit_->sizeHint().height());

    prompt_->setGeometry(layout_.prompt);
    edit_->setGeometry(layout_.edit);
    ok_->setGeometry(layout_.okButton);
    cancel_->setGeometry(layout_.cancelButton);
    setFixedSize(layout_.client);

    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
    }
}

} // namespace zarkent::dialogs
