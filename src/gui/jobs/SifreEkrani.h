#pragma once

// The password dialog: asks for the password twice, marks at once whether the entries match, and on
// OK hands the password to the main window's two password fields. It is shown without blocking.

#include <QDialog>
#include <QPointer>

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zarkent {

// Where a confirmed password goes: the main window's two password fields.
class PasswordTarget {
public:
    virtual ~PasswordTarget() = default;
    virtual void SetPasswords(const QString& password) = 0;
};

class TSifreEx : public QDialog {
    Q_OBJECT

public:
    static constexpr int MaxPasswordLength = 128;

    explicit TSifreEx(QWidget* parent = nullptr);

    QLineEdit* Sifre;
    QLabel* SifreLabel;
    QLineEdit* TekrarSifre;
    QLabel* TekrarSifreLabel;
    QLabel* SifrelerinKontrolu_AYNI;
    QLabel* SifrelerinKontrolu_FARKLI;
    QPushButton* Tamam;
    QPushButton* iptal;
    QPushButton* SifreYardim;

    // The main window's fields; must outlive the dialog or be replaced before it goes.
    void SetPasswordTarget(PasswordTarget* target) { target_ = target; }
    // The action that opens the strong password generator; SifreYardim is enabled while it is.
    void SetPasswordGeneratorAction(QAction* action);

    // Rewrites the captions from the language table in force.
    void UpdateCaptions();

public slots:
    void SifreChange();
    void TamamClick();
    void iptalClick();
    void SifreYardimClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool FormKeyPress(QKeyEvent* event);
    void EmptyEntries();
    void UpdateGeneratorButton();

    PasswordTarget* target_ = nullptr;
    QPointer<QAction> generatorAction_;
};

} // namespace zarkent
