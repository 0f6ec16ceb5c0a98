#pragma once

// The main window: one file or folder, the password twice, and the main command that starts a job or
// hands a folder on; the menus and toolbar that open the tool windows; priority, compression,
// always-on-top; dropped files; the start-up step; and the close query while jobs run.

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/lang/Language.h"
#include "core/platform/ShellWriter.h"
#include "gui/dialogs/Dialogs_mod.h"
#include "gui/jobs/JobWindows.h"
#include "gui/jobs/KlasordekiDosyalariSifrelemePenceresi.h"
#include "gui/jobs/SifreEkrani.h"
#include "gui/platform/DesktopEntries.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolBar;

namespace zarkent {

class SettingsStore;
class TDurumBelirt;
class TDurumSayfasi;
class TGucluSifreSayfa1;
class TGuvenliDosyaSiliciDialog;
class TMD5Hesaplayici;
class TMetinSifreleme;
class TSeffaflikAyari;
class THakkinda;
class TRastgeleSayiUreteciSayfa1;

// The other windows the main window drives; set by the program entry once they exist.
struct MainWindowPeers {
    TSifreEx* passwordDialog = nullptr;
    TDurumSayfasi* progressPage = nullptr;
    TDurumBelirt* resultWindow = nullptr;
    TKlasoriciSifrelemePenceresi* folderWindow = nullptr;
    TGuvenliDosyaSiliciDialog* wipeDialog = nullptr;
    TMD5Hesaplayici* md5Window = nullptr;
    TSeffaflikAyari* opacityWindow = nullptr;
    THakkinda* aboutWindow = nullptr;
    TGucluSifreSayfa1* passwordGenerator = nullptr;
    TRastgeleSayiUreteciSayfa1* randomNumbers = nullptr;
    TMetinSifreleme* textWindow = nullptr;
};

class TSayfa1 : public QMainWindow, public PasswordTarget, public FolderWindowHost, public FailedPathTarget {
    Q_OBJECT

public:
    // `arguments` are the command-line paths (already absolute), with the bytes the system gave.
    explicit TSayfa1(const std::vector<std::string>& arguments = {}, QWidget* parent = nullptr);
    ~TSayfa1() override;

    void SetPeers(const MainWindowPeers& peers);
    // Where the settings live (the user's store by default).
    void SetSettingsStore(std::unique_ptr<SettingsStore> store);
    // How the program ends (QCoreApplication::quit by default).
    void SetQuitHook(std::function<void()> quit) { quit_ = std::move(quit); }

    // Controls.
    QLineEdit* pass1;
    QLabel* pass1Label;
    QLineEdit* pass2;
    QLabel* pass2Label;
    QLineEdit* DosyaYolu;
    QLabel* DosyaYoluLabel;
    QPushButton* Gozat;
    QRadioButton* Sifrele;
    QRadioButton* Coz;
    QCheckBox* Paketle;
    QPushButton* islem;
    QLabel* Sil;
    QLabel* SifrelerinKontrolu_AYNI;
    QLabel* SifrelerinKontrolu_FARKLI;
    QFrame* Shape1;
    QFrame* Shape2;
    QFrame* Shape3;
    QLabel* Secim;
    QGroupBox* SeceneklerGrubu;
    QMenu* BosMenu;
    dialogs::FileDialogRequest DosyaAc;
    dialogs::FileDialogRequest DosyaKaydet;
    QToolBar* AracCubugu;
    QTimer* Guncelle;

    // Menus and actions (`Aksiyon`).
    QMenu* Dosya;
    QMenu* Gorunum;
    QMenu* Araclar;
    QMenu* Ayarlar;
    QMenu* Yardim;
    QMenu* HizAyari;
    QMenu* _Language;
    QAction* BirDosyaSifrele;
    QAction* BirKlasordekiTumDosyalariSifrele;
    QAction* BirKlasordekiDosyalariTopluOlarakAc;
    QAction* SifreliBirDosyaAc;
    QAction* Cikis;
    QAction* HerZamanUstte;
    QAction* Seffaflik;
    QAction* GuvenliDosyaSilme;
    QAction* GucluSifreYaratici;
    QAction* RastgeleSayiMotoru;
    QAction* EPostaYaziSifrele;
    QAction* MD5HesaplamaAraci;
    QAction* Hiz_BilgisayarBostayken;
    QAction* Hiz_EnDusuk;
    QAction* Hiz_NormaldenDusuk;
    QAction* Hiz_Normal;
    QAction* Hiz_NormaldenYuksek;
    QAction* Hiz_Yuksek;
    QAction* Hiz_EnYuksek;
    QAction* Turkce;
    QAction* English;
    QAction* YardimKitabi;
    QAction* Hakkinda;

    // The main command-line list of several paths.
    bool CmdLineHasEncrypted = false;
    bool CmdLineHasPlain = false;
    bool AlwaysOnTop = false;

    // PasswordTarget: the password dialog's confirmed password.
    void SetPasswords(const QString& password) override;

    // Rewrites the captions from `row` (the language in force, or the designed Turkish texts).
    void UpdateCaptions(const std::function<QString(int)>& row);
    // Copies the set chosen by ActiveLanguage and rewrites the captions of every window.
    void ApplyLanguage();
    // The user's choice of language `language` (1 Turkish, 2 English): applied to every window, stored
    // and marked in the menu. Choosing the language in force runs the same steps.
    void SwitchLanguage(std::uint8_t language);

    // FolderWindowHost: what the folder window does to this window.
    void ResetToEncryption() override;
    void ClearAfterBatchStart(int captionRow) override;
    void ShowMainWindow() override;

    // FailedPathTarget: the file of a failed job comes back into the path field while that is still
    // empty, with the direction its name asks for; the passwords do not come back.
    void RestoreFailedPath(const std::string& path) override;

    // Takes the dropped paths (their exact bytes) as the drop handler does.
    void DropPaths(const std::vector<std::string>& paths);

    // Desktop integration. The .zrk association and the folder entry in the language in force, for the
    // program's current location; run by the start-up step and by every language apply.
    bool RegisterAssociation();
    // Finds the user's folders for the integration (gui/platform/DesktopEntries.h); the Send To entry
    // goes to SendToFolder.
    bool FindSendToFolder();
    // The Send To entry under the name of the language in force; run at creation, by the start-up step
    // and by every language switch.
    void CreateSendToShortcut();
    // The Send To folder. On Linux Thunar's sendto folder; Dolphin's and Nemo's Send To actions go to
    // their own folders beside it.
    std::string SendToFolder;
    // How long the integration waits for the desktop's cache tools (the program never waits).
    void SetShellWriteOptions(const ShellWriteOptions& options) { shellOptions_ = options; }

public slots:
    void islemClick();
    void SifreleClick();
    void CozClick();
    void GozatClick();
    void BirDosyaSifreleExecute();
    void BirKlasordekiTumDosyalariSifreleExecute();
    void BirKlasordekiDosyalariTopluOlarakAcExecute();
    void GuvenliDosyaSilmeExecute();
    void SifreliBirDosyaAcExecute();
    void pass1Change();
    void SilClick();
    void PaketleClick();
    void HerZamanUstteExecute();
    void CikisExecute();
    void YardimKitabiExecute();
    void EPostaYaziSifreleExecute();
    void MD5HesaplamaAraciExecute();
    void SeffaflikExecute();
    void HakkindaExecute();
    void GucluSifreYaraticiExecute();
    void RastgeleSayiMotoruExecute();
    void GuncelleTimer();
    void SeciliDiliISARETLE();
    void TurkceExecute();
    void EnglishExecute();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildActions();
    void FormCreate(const std::vector<std::string>& arguments);
    // The path field: what it shows, and the exact bytes of the path put there from the command line,
    // a drop or a dialog. A path typed or edited by the user is taken from the text and refused when
    // it holds bytes Qt could not decode.
    void SetPathField(const std::string& path);
    std::optional<std::string> PathFieldBytes() const;
    bool FormCloseQuery();
    // Key preview: every key pressed on any control of the window, before the control.
    void FormKeyPress(const QKeyEvent& event);
    void SetPriority(int index);
    // Ticks the priority in force in the speed menu.
    void TickPriority();
    // Checks a radio button from code; its click handler runs when it was not checked before.
    void CheckDirection(bool decrypt);
    void ApplyDirectionOf(const QString& path);
    void ShowPasswordDialog();
    void HandOverToFolderWindow(int messageRow);
    // The folder window for a direction, centred, with its message; `basla` is not clicked.
    void OpenFolderWindow(int direction, int messageRow);
    bool OpenFileDialog();
    // The two open actions: the open dialog for a direction, then the password dialog.
    void OpenFileFor(bool decrypt);
    void OpenCompanion(const QString& fileName, int missingRow);
    void Message(int captionRow, const QString& text, QMessageBox::Icon icon);
    shell::ShellInput CurrentShellInput();
    // Problems of the integration reach the user once each, in one message: those of the start
    // together at the end of the start-up step, later ones right after the action that met them.
    void NoteShellProblems(const ShellWriteResult& result);
    void ReportShellProblems();

    MainWindowPeers peers_;
    std::string pathBytes_;
    QString pathShown_;
    std::unique_ptr<SettingsStore> settings_;
    std::function<void()> quit_;
    QActionGroup* priorityGroup_ = nullptr;
    bool quitting_ = false;
    DesktopEntries desktop_;
    ShellWriteOptions shellOptions_;
    std::string iconPng_;
    QStringList pendingShellProblems_;
    std::set<QString> reportedShellProblems_;
    bool startupDone_ = false;
    bool shellReportQueued_ = false;
};

// The seven priority actions in PriorityIndex order, for tests and the settings.
QList<QAction*> PriorityActions(const TSayfa1& window);

} // namespace zarkent
