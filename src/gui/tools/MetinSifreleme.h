#pragma once

// The text encryption window: a text typed or pasted into its box is encrypted with a password into
// ASCII armour that travels in an e-mail or any text field, and armour pasted into the box (with the mail
// around it) is decrypted back to the text. The result replaces the box's contents, from where it can be
// copied to the clipboard.

#include <QString>
#include <QWidget>

#include <functional>

class QCloseEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace zarkent {

class TMetinSifreleme : public QWidget {
    Q_OBJECT

public:
    explicit TMetinSifreleme(QWidget* parent = nullptr);

    QLabel* MetinLabel;
    QPlainTextEdit* Metin;
    QLabel* Sifre1Label;
    QLineEdit* Sifre1;
    QLabel* Sifre2Label;
    QLineEdit* Sifre2;
    QPushButton* Sifrele;
    QPushButton* Coz;
    QPushButton* Kopyala;
    QPushButton* Temizle;
    QPushButton* Kapat;

    // Rewrites the captions from the language table in force.
    void UpdateCaptions();

public slots:
    void SifreleClick();
    void CozClick();
    void KopyalaClick();
    void TemizleClick();
    void KapatClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ApplyCaptions(const std::function<QString(int)>& row);
    // The password both buttons use, or nothing after telling the user what is wrong with the two
    // fields. Encryption needs the password twice; decryption takes it once (the second field may stay
    // empty, but may not differ).
    bool CheckPasswords(bool twice);
    void Message(const QString& text, bool warning);
    // Forgets the text and the passwords.
    void ClearAll();
};

} // namespace zarkent
