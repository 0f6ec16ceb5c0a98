#pragma once

// The strong password generator: a password of a chosen length from letters, digits, letters with numbers
// or characters the user types, drawn from the system's random source, shown in a box from which it can be
// copied to the clipboard.

#include <QString>
#include <QWidget>

#include <functional>

class QCheckBox;
class QCloseEvent;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;

namespace zarkent {

// The pool the last generation drew from: a fixed pool's text or the user's characters. User-interface
// thread only.
extern QString PasswordAlphabet;

class TGucluSifreSayfa1 : public QWidget {
    Q_OBJECT

public:
    explicit TGucluSifreSayfa1(QWidget* parent = nullptr);

    QGroupBox* Secenekler;
    QCheckBox* A; // digits only
    QCheckBox* B; // letters with numbers
    QCheckBox* C; // the user's characters
    QLineEdit* KullaniciYazisi;
    QLabel* SifreUzunlugu;
    QSlider* Uzunluk;
    QLineEdit* UzunlukDegeri;
    QPlainTextEdit* UretilenSifre;
    QPushButton* SifreOlustur;
    QPushButton* GucluSifre_HafizayaKopyala;
    QPushButton* Kapat;

    // Rewrites the captions from the language table in force.
    void UpdateCaptions();
    // One password into UretilenSifre; a refusal shows the error and leaves the box as it was.
    void SifreUret();

public slots:
    void SifreOlusturClick();
    void GucluSifre_HafizayaKopyalaClick();
    void KapatClick();
    // Run whenever A or C changes, by a click or from code (the reset relies on that).
    void AClick();
    void CClick();
    void UzunlukChange();
    void UzunlukDegeriChange();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Key preview: the window sees every key of its controls before they do.

private:
    void ApplyCaptions(const std::function<QString(int)>& row);
    bool FormKeyPress(const QKeyEvent& event);
    void FormClose();
};

} // namespace zarkent
