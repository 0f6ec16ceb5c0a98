#pragma once

// The random number generator: a list of pseudo-random numbers below a bound, in decimal or in hexadecimal
// with a "0x", "$" or no prefix, ready to paste into program source; the list can be copied to the
// clipboard or saved as a text file.

#include <QString>
#include <QWidget>

#include <functional>
#include <string>

#include "gui/dialogs/Dialogs_mod.h"

class QButtonGroup;
class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace zarkent {

class TRastgeleSayiUreteciSayfa1 : public QWidget {
    Q_OBJECT

public:
    explicit TRastgeleSayiUreteciSayfa1(QWidget* parent = nullptr);

    QLabel* SayiAraligiLabel;
    QLineEdit* SayiAraligi; // exclusive upper bound
    QLineEdit* UretilecekSayi;
    QLabel* KacTane;
    QCheckBox* Hex;
    QRadioButton* chex; // "0x"
    QRadioButton* dhex; // "$"
    QRadioButton* nhex; // no prefix
    QButtonGroup* HexFormati;
    QPlainTextEdit* RastgeleSayilar;
    QLabel* CopyToClipBoard;
    QPushButton* Olustur;
    QPushButton* Kaydet;
    QPushButton* Kapat;
    dialogs::FileDialogRequest DosyaKaydet;

    // Rewrites the captions from the language table in force.
    void UpdateCaptions();

    // The list as the last generation made it, each full line ended by CR LF (the box shows the same
    // lines with plain line breaks); empty after closing.
    const std::string& GeneratedList() const { return generated_; }

public slots:
    void OlusturClick();
    // Run whenever Hex changes, by a click or from code (closing unchecks it).
    void HexClick();
    void KaydetClick();
    void CopyToClipBoardClick();
    void CopyToClipBoardMouseEnter();
    void CopyToClipBoardMouseLeave();
    void KapatClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Key preview for the window's controls, and the link label's mouse.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyCaptions(const std::function<QString(int)>& row);
    bool FormKeyPress(const QKeyEvent& event);

    std::string generated_;
};

} // namespace zarkent
