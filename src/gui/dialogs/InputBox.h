#pragma once

// The text-input box behind QueryText. Its layout is measured in units of the dialog's font, so it
// grows with the font; the pieces are exposed for the tests.

#include <QDialog>
#include <QRect>
#include <QSize>
#include <QString>

class QFontMetrics;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zarkent::dialogs {

inline constexpr int kInputBoxMaxLength = 255;

// number * numerator / denominator with the product taken first and the quotient rounded to nearest
// (halves away from zero); 0 when denominator is 0.
int MulDivRound(int number, int numerator, int denominator);

// X: width of "A".."Z" "a".."z" / 52 (integer division); Y: height of that text.
struct LayoutUnits {
    int x = 0;
    int y = 0;
};
LayoutUnits MeasureLayoutUnits(const QFontMetrics& metrics);

// Size of the word-wrapped prompt: the wrapped text's width (at most maxWidth) and its height. An empty
// prompt still takes one line.
QSize WrappedTextSize(const QFontMetrics& metrics, const QString& text, int maxWidth);

struct InputBoxLayout {
    QSize client;
    int promptMaxWidth = 0;
    QRect prompt;
    QRect edit;
    QRect okButton;
    QRect cancelButton;
};

// The box's geometry for the given units, wrapped prompt size and edit height (the edit's own height
// for the font, which depends on the style).
InputBoxLayout ComputeInputBoxLayout(LayoutUnits units, QSize promptSize, int editHeight);

class InputBox : public QDialog {
    Q_OBJECT

public:
    InputBox(const QString& caption, const QString& prompt, const QString& value, bool masked,
             QWidget* parent = nullptr);

    QString Text() const;
    const InputBoxLayout& Layout() const { return layout_; }
    QLabel* PromptLabel() const { return prompt_; }
    QLineEdit* Edit() const { return edit_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void ApplyLayout();

    QLabel* prompt_;
    QLineEdit* edit_;
    QPushButton* ok_;
    QPushButton* cancel_;
    InputBoxLayout layout_;
};

} // namespace zarkent::dialogs
