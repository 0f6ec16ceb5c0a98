#include "gui/app/AnaSayfa.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include "core/container/Naming.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Paths.h"
#include "core/platform/SettingsStore.h"
#include "core/platform/SystemLanguage.h"
#include "core/shell/ShellPlan.h"
#include "core/state/FolderScan.h"
#include "core/state/Settings.h"
#include "core/state/SharedState.h"
#include "gui/app/QtTranslations.h"
#include "gui/jobs/CaptionFit.h"
#include "gui/jobs/DurumBelirt.h"
#include "gui/jobs/DurumSayfasi.h"
#include "gui/jobs/SifreleJobs.h"
#include "gui/jobs/WindowHelpers.h"
#include "gui/tools/About.h"
#include "gui/tools/GucluSifre.h"
#include "gui/tools/MD5Summer.h"
#include "gui/tools/MetinSifreleme.h"
#include "gui/tools/RastgeleSayiUreteci.h"
#include "gui/tools/SeffaflikAyariPenceresi.h"
#include "gui/wipe/GuvenliDosyaSiliciDialog_Kaynak.h"

namespace zarkent {

namespace {

bool IsEncryptedPath(const QString& path) {
    return IsEncryptedFileName(path.toLocal8Bit().toStdString());
}

// The direction a path handed over from outside asks for: a .zrk file, or a folder whose files are
// all .zrk files (the file manager's folder entry on an encrypted folder), is decrypted.
bool HandedOverForDecryption(const std::string& path) {
    return IsDirectory(path) ? HoldsOnlyEncryptedFiles(path) : IsEncryptedFileName(path);
}

// Shows a tool window modelessly (the main window stays usable beside it), centred when it comes up,
// above the others.
void ShowToolWindow(QWidget* window) {
    if (!window) return;
    if (!window->isVisible()) CentreOnScreen(window);
    window->show();
    window->raise();
    window->activateWindow();
}

// The editing keys a text field keeps for itself.
bool IsFieldEditingKey(QKeyCombination key) {
    const Qt::KeyboardModifiers modifiers = key.keyboardModifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier) switch (key.key()) {
        case Qt::Key_A:
        case Qt::Key_C:
        case Qt::Key_X:
        case Qt::Key_V:
        case Qt::Key_Z:
        case Qt::Key_Y:
        case Qt::Key_K:
            return true;
        default:
            return false;
        }
    return modifiers == (Qt::ControlModifier | Qt::ShiftModifier) && key.key() == Qt::Key_Z;
}

constexpr const char* FrameIdle = "QFrame { border: 1px solid #0000ff; }";
constexpr const char* FrameHot = "QFrame { border: 1px solid #ff0000; }";
constexpr const char* SilIdle = "QLabel { color: grey; text-decoration: underline; }";
constexpr const char* SilHot = "QLabel { color: red; text-decoration: underline; }";

} // namespace

TSayfa1::TSayfa1(const std::vector<std::string>& arguments, QWidget* parent) : QMainWindow(parent) {
    quit_ = [] { QCoreApplication::quit(); };
    settings_ = OpenUserSettings();
    BuildControls();
    BuildActions();
    UpdateCaptions(TurkishRow); // the designed captions are the Turkish texts
    Sifrele->setChecked(true);
    setAcceptDrops(true);
    setFixedWidth(550);
    setMinimumHeight(321);
    setMaximumHeight(337);
    resize(550, 329);
    KeepCaptionsFitted(this);
    CentreOnScreen(this);
    FormCreate(arguments);
    Guncelle->start();
    // The window sees every key before the control that has the focus, which still gets it.
    InstallKeyPreview(
        this,
        [this](const QKeyEvent& key) {
            FormKeyPress(key);
            return false;
        },
        KeyPreviewScope::Application);
}

TSayfa1::~TSayfa1() = default;

void TSayfa1::SetPeers(const MainWindowPeers& peers) {
    peers_ = peers;
    if (peers_.passwordDialog) {
        peers_.passwordDialog->SetPasswordTarget(this);
        peers_.passwordDialog->SetPasswordGeneratorAction(GucluSifreYaratici);
    }
    if (peers_.folderWindow) {
        peers_.folderWindow->SetHost(this);
        peers_.folderWindow->SetPasswordDialog(peers_.passwordDialog);
    }
    if (peers_.resultWindow) {
        connect(peers_.resultWindow, &TDurumBelirt::MainWindowToBack, this, [this] { lower(); });
        // A main window hidden by the close query comes back when the program is to stay open after all.
        connect(peers_.resultWindow, &TDurumBelirt::Dismissed, this, [this] {
            if (!isVisible() && !quitting_) show();
        });
    }
}

void TSayfa1::SetSettingsStore(std::unique_ptr<SettingsStore> store) {
    settings_ = std::move(store);
}

void TSayfa1::BuildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);

    SeceneklerGrubu = new QGroupBox(central);
    SeceneklerGrubu->setGeometry(8, 4, 534, 222);

    auto frameAround = [&](QWidget* edit) {
        auto* frame = new QFrame(SeceneklerGrubu);
        frame->setGeometry(edit->geometry().adjusted(-2, -2, 2, 2));
        frame->setStyleSheet(FrameIdle);
        frame->lower();
        edit->installEventFilter(this);
        return frame;
    };
    auto labelled = [&](QLineEdit*& edit, QLabel*& label, int x, int y, int width) {
        label = new QLabel(SeceneklerGrubu);
        label->setGeometry(x, y - 17, width, 16);
        edit = new QLineEdit(SeceneklerGrubu);
        edit->setGeometry(x, y, width, 22);
        label->setBuddy(edit);
    };

    labelled(DosyaYolu, DosyaYoluLabel, 12, 38, 410);
    Gozat = new QPushButton(SeceneklerGrubu);
    Gozat->setGeometry(430, 37, 94, 25);
    labelled(pass1, pass1Label, 12, 88, 240);
    labelled(pass2, pass2Label, 262, 88, 240);
    BosMenu = new QMenu(this);
    for (QLineEdit* edit : {pass1, pass2}) {
        edit->setEchoMode(QLineEdit::Password);
        dialogs::MaskWithStars(edit);
        // An empty popup menu: no cut, copy or paste of passwords.
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(edit, &QWidget::customContextMenuRequested, BosMenu, [this](const QPoint&) {});
    }
    Shape1 = frameAround(DosyaYolu);
    Shape2 = frameAround(pass1);
    Shape3 = frameAround(pass2);
    SifrelerinKontrolu_AYNI = StandardIconLabel(SeceneklerGrubu, QStyle::SP_DialogApplyButton, 22);
    SifrelerinKontrolu_AYNI->move(507, 88);
    SifrelerinKontrolu_AYNI->hide();
    SifrelerinKontrolu_FARKLI = StandardIconLabel(SeceneklerGrubu, QStyle::SP_DialogCancelButton, 22);
    SifrelerinKontrolu_FARKLI->move(507, 88);
    SifrelerinKontrolu_FARKLI->hide();

    Sil = new QLabel(SeceneklerGrubu);
    Sil->setGeometry(12, 114, 120, 18);
    Sil->setStyleSheet(SilIdle);
    Sil->setCursor(Qt::PointingHandCursor);
    Sil->installEventFilter(this);

    Secim = new QLabel(SeceneklerGrubu);
    Secim->setGeometry(12, 140, 300, 18);
    Sifrele = new QRadioButton(SeceneklerGrubu);
    Sifrele->setGeometry(12, 162, 160, 22);
    Coz = new QRadioButton(SeceneklerGrubu);
    Coz->setGeometry(180, 162, 160, 22);
    Paketle = new QCheckBox(SeceneklerGrubu);
    Paketle->setGeometry(12, 190, 330, 22);
    islem = new QPushButton(SeceneklerGrubu);
    islem->setGeometry(360, 180, 164, 32);
    islem->setDefault(true);
    islem->setAutoDefault(true);

    // The main button is the window's default button: Enter on a control that has no use for it (a
    // field, a check box, a radio button) reaches keyPressEvent and runs it; a push button with the
    // focus takes Enter for itself, as in a dialog.
    Gozat->setAutoDefault(true);
    connect(islem, &QPushButton::clicked, this, &TSayfa1::islemClick);
    for (QLineEdit* edit : {DosyaYolu, pass1, pass2})
        edit->setAcceptDrops(false); // dropped files go to the window, never into a field as text
    connect(Gozat, &QPushButton::clicked, this, &TSayfa1::GozatClick);
    connect(Sifrele, &QRadioButton::clicked, this, &TSayfa1::SifreleClick);
    connect(Coz, &QRadioButton::clicked, this, &TSayfa1::CozClick);
    connect(Paketle, &QCheckBox::clicked, this, &TSayfa1::PaketleClick);
    // Compression only applies to encryption.
    connect(Coz, &QRadioButton::toggled, Paketle, [this](bool decrypt) { Paketle->setEnabled(!decrypt); });
    // A typed or pasted path chooses the direction as Browse does; a radio button clicked afterwards
    // stands until the path is edited again.
    connect(DosyaYolu, &QLineEdit::textEdited, this, [this](const QString& text) { ApplyDirectionOf(text); });
    connect(pass1, &QLineEdit::textChanged, this, &TSayfa1::pass1Change);
    connect(pass2, &QLineEdit::textChanged, this, &TSayfa1::pass1Change);

    DosyaAc.initialPath = QDir::homePath() + "/Desktop";
    if (!QFileInfo(DosyaAc.initialPath).isDir()) DosyaAc.initialPath = QDir::homePath();

    Guncelle = new QTimer(this);
    Guncelle->setInterval(2);
    Guncelle->setSingleShot(true);
    connect(Guncelle, &QTimer::timeout, this, &TSayfa1::GuncelleTimer);
    statusBar()->setSizeGripEnabled(false);
}

void TSayfa1::BuildActions() {
    auto action = [this](QAction*& target, const QKeySequence& shortcut = {}) {
        target = new QAction(this);
        if (!shortcut.isEmpty()) target->setShortcut(shortcut);
        return target;
    };
    action(BirDosyaSifrele, QKeySequence("Ctrl+S"));
    action(BirKlasordekiTumDosyalariSifrele, QKeySequence("Ctrl+K"));
    action(BirKlasordekiDosyalariTopluOlarakAc, QKeySequence("Ctrl+Alt+A"));
    action(SifreliBirDosyaAc, QKeySequence("Ctrl+A"));
    action(Cikis);
    action(HerZamanUstte)->setCheckable(true);
    action(Seffaflik);
    action(GuvenliDosyaSilme);
    action(GucluSifreYaratici);
    action(RastgeleSayiMotoru);
    action(EPostaYaziSifrele, QKeySequence("Ctrl+Y"));
    action(MD5HesaplamaAraci);
    action(YardimKitabi, QKeySequence("F1"));
    action(Hakkinda);
    action(Turkce)->setText(QString::fromUtf8("Türkçe"));
    action(English)->setText("English");

    priorityGroup_ = new QActionGroup(this);
    priorityGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    const std::pair<QAction**, const char*> levels[] = {
        {&Hiz_BilgisayarBostayken, "0 (Min.)"},
        {&Hiz_EnDusuk, "1"},
        {&Hiz_NormaldenDusuk, "2"},
        {&Hiz_Normal, "3 (Normal)"},
        {&Hiz_NormaldenYuksek, "4 "},
        {&Hiz_Yuksek, "5"},
        {&Hiz_EnYuksek, "6 (Max !)"},
    };
    for (int i = 0; i < 7; ++i) {
        QAction* level = action(*levels[i].first);
        level->setText(levels[i].second);
        level->setCheckable(true);
        priorityGroup_->addAction(level);
        connect(level, &QAction::triggered, this, [this, i] { SetPriority(i); });
    }
    for (QAction* language : {Turkce, English})
        language->setCheckable(true);

    connect(BirDosyaSifrele, &QAction::triggered, this, &TSayfa1::BirDosyaSifreleExecute);
    connect(BirKlasordekiTumDosyalariSifrele, &QAction::triggered, this,
            &TSayfa1::BirKlasordekiTumDosyalariSifreleExecute);
    connect(BirKlasordekiDosyalariTopluOlarakAc, &QAction::triggered, this,
            &TSayfa1::BirKlasordekiDosyalariTopluOlarakAcExecute);
    connect(SifreliBirDosyaAc, &QAction::triggered, this, &TSayfa1::SifreliBirDosyaAcExecute);
    connect(GuvenliDosyaSilme, &QAction::triggered, this, &TSayfa1::GuvenliDosyaSilmeExecute);
    connect(Cikis, &QAction::triggered, this, &TSayfa1::CikisExecute);
    connect(HerZamanUstte, &QAction::triggered, this, &TSayfa1::HerZamanUstteExecute);
    connect(EPostaYaziSifrele, &QAction::triggered, this, &TSayfa1::EPostaYaziSifreleExecute);
    connect(MD5HesaplamaAraci, &QAction::triggered, this, &TSayfa1::MD5HesaplamaAraciExecute);
    connect(GucluSifreYaratici, &QAction::triggered, this, &TSayfa1::GucluSifreYaraticiExecute);
    connect(RastgeleSayiMotoru, &QAction::triggered, this, &TSayfa1::RastgeleSayiMotoruExecute);
    connect(YardimKitabi, &QAction::triggered, this, &TSayfa1::YardimKitabiExecute);
    connect(Turkce, &QAction::triggered, this, &TSayfa1::TurkceExecute);
    connect(English, &QAction::triggered, this, &TSayfa1::EnglishExecute);
    connect(Seffaflik, &QAction::triggered, this, &TSayfa1::SeffaflikExecute);
    connect(Hakkinda, &QAction::triggered, this, &TSayfa1::HakkindaExecute);

    Dosya = menuBar()->addMenu(QString());
    Dosya->addActions(
        {BirDosyaSifrele, BirKlasordekiTumDosyalariSifrele, BirKlasordekiDosyalariTopluOlarakAc, SifreliBirDosyaAc});
    Dosya->addSeparator();
    Dosya->addAction(Cikis);
    Gorunum = menuBar()->addMenu(QString());
    Gorunum->addActions({HerZamanUstte, Seffaflik});
    Araclar = menuBar()->addMenu(QString());
    Araclar->addActions(
        {GuvenliDosyaSilme, GucluSifreYaratici, RastgeleSayiMotoru, EPostaYaziSifrele, MD5HesaplamaAraci});
    Ayarlar = menuBar()->addMenu(QString());
    HizAyari = Ayarlar->addMenu(QString());
    HizAyari->addActions(priorityGroup_->actions());
    // A compressing job may have lowered the priority since: the menu ticks the one in force.
    connect(HizAyari, &QMenu::aboutToShow, this, &TSayfa1::TickPriority);
    _Language = Ayarlar->addMenu(QString());
    _Language->addActions({Turkce, English});
    Yardim = menuBar()->addMenu(QString());
    Yardim->addActions({YardimKitabi, Hakkinda});

    AracCubugu = addToolBar(QString());
    AracCubugu->setMovable(false);
    AracCubugu->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const std::pair<QAction*, QStyle::StandardPixmap> buttons[] = {
        {BirDosyaSifrele, QStyle::SP_FileIcon},
        {SifreliBirDosyaAc, QStyle::SP_DialogOpenButton},
        {nullptr, {}},
        {BirKlasordekiTumDosyalariSifrele, QStyle::SP_DirIcon},
        {BirKlasordekiDosyalariTopluOlarakAc, QStyle::SP_DirOpenIcon},
        {nullptr, {}},
        {GuvenliDosyaSilme, QStyle::SP_TrashIcon},
        {GucluSifreYaratici, QStyle::SP_DialogResetButton},
        {RastgeleSayiMotoru, QStyle::SP_BrowserReload},
        {EPostaYaziSifrele, QStyle::SP_FileDialogDetailedView},
        {MD5HesaplamaAraci, QStyle::SP_FileDialogInfoView},
        {nullptr, {}},
        {Hakkinda, QStyle::SP_MessageBoxInformation},
    };
    for (const auto& [target, icon] : buttons) {
        if (!target) {
            AracCubugu->addSeparator();
            continue;
        }
        target->setIcon(style()->standardIcon(icon));
        AracCubugu->addAction(target);
    }
}

void TSayfa1::UpdateCaptions(const std::function<QString(int)>& row) {
    GuvenliDosyaSilme->setText(row(29));
    Paketle->setText(row(113));
    setWindowTitle(row(1));
    Sil->setToolTip(row(34));
    DosyaAc.title = row(22);
    DosyaAc.filter = row(45);
    DosyaKaydet.title = row(15);
    DosyaKaydet.filter = row(45);
    SeceneklerGrubu->setTitle(row(12));
    pass1Label->setText(row(20));
    pass2Label->setText(row(21));
    DosyaYoluLabel->setText(row(22));
    Gozat->setText(row(14));
    Sifrele->setText(row(35));
    Coz->setText(row(36));
    Secim->setText(row(33));
    islem->setText(row(54));
    Sil->setText(row(34));
    BirDosyaSifrele->setText(row(54));
    SifreliBirDosyaAc->setText(row(62));
    Cikis->setText(row(19));
    YardimKitabi->setText(row(11));
    Hakkinda->setText(row(32));
    // Toolbar hints.
    const std::pair<QAction*, int> hints[] = {
        {BirDosyaSifrele, 54},    {SifreliBirDosyaAc, 55},
        {Hakkinda, 32},           {BirKlasordekiDosyalariTopluOlarakAc, 17},
        {EPostaYaziSifrele, 63},  {GucluSifreYaratici, 26},
        {MD5HesaplamaAraci, 28},  {BirKlasordekiTumDosyalariSifrele, 16},
        {RastgeleSayiMotoru, 27}, {GuvenliDosyaSilme, 29},
    };
    for (const auto& [target, hint] : hints)
        target->setToolTip(row(hint));
    EPostaYaziSifrele->setText(row(63));
    HerZamanUstte->setText(row(24));
    GucluSifreYaratici->setText(row(26));
    RastgeleSayiMotoru->setText(row(27));
    Seffaflik->setText(row(25));
    MD5HesaplamaAraci->setText(row(28));
    BirKlasordekiTumDosyalariSifrele->setText(row(16));
    BirKlasordekiDosyalariTopluOlarakAc->setText(row(17));
    HizAyari->setTitle(row(30));
    Dosya->setTitle(row(7));
    Gorunum->setTitle(row(8));
    Araclar->setTitle(row(9));
    Ayarlar->setTitle(row(10));
    Yardim->setTitle(row(11));
    _Language->setTitle(row(31));
}

void TSayfa1::ApplyLanguage() {
    if (!Lang().CopySet()) return;
    InstallQtTranslations(Lang().ActiveLanguage, QCoreApplication::applicationDirPath());
    // Each window rewrites its own captions, in this order; the file type and folder entry take the new
    // texts right with the application title.
    SetApplicationTitle(Row(1));
    RegisterAssociation();
    if (peers_.wipeDialog) peers_.wipeDialog->UpdateCaptions();
    if (peers_.opacityWindow) peers_.opacityWindow->UpdateCaptions();
    if (peers_.resultWindow) peers_.resultWindow->UpdateCaptions();
    if (peers_.progressPage) peers_.progressPage->UpdateCaptions();
    if (peers_.folderWindow) peers_.folderWindow->UpdateCaptions();
    if (peers_.randomNumbers) peers_.randomNumbers->UpdateCaptions();
    if (peers_.md5Window) peers_.md5Window->UpdateCaptions();
    if (peers_.passwordGenerator) peers_.passwordGenerator->UpdateCaptions();
    if (peers_.aboutWindow) peers_.aboutWindow->UpdateCaptions();
    if (peers_.textWindow) peers_.textWindow->UpdateCaptions();
    UpdateCaptions(Row);
    if (peers_.passwordDialog) peers_.passwordDialog->UpdateCaptions();
}

void TSayfa1::SwitchLanguage(std::uint8_t language) {
    SharedState& state = State();
    Lang().ActiveLanguage = language;
    ApplyLanguage();
    state.SelectedLanguage = language;
    try {
        SaveSettings(*settings_, state);
    } catch (const std::exception& e) {
        // The switch itself has happened; only remembering it failed.
        Message(39, QString::fromLocal8Bit(e.what()), QMessageBox::Critical);
    }
    CreateSendToShortcut(); // under the new language's name
    SeciliDiliISARETLE();
}

void TSayfa1::TurkceExecute() {
    SwitchLanguage(kLanguageTurkish);
}

void TSayfa1::EnglishExecute() {
    SwitchLanguage(kLanguageEnglish);
}

void TSayfa1::FormCreate(const std::vector<std::string>& arguments) {
    SharedState& state = State();
    try {
        FindSendToFolder();
        CreateSendToShortcut();
        if (arguments.size() == 1) {
            // The path keeps the bytes the system gave; the field only shows it.
            const std::string& path = arguments.front();
            state.PasswordDialogFillsMain = true;
            SetPathField(path);
            if (IsEncryptedFileName(path)) {
                CheckDirection(true);
                islem->setText(Row(55));
                state.StartMode = 1;
            } else {
                CheckDirection(false);
                islem->setText(Row(54));
                state.StartMode = 2;
            }
            if (IsDirectory(path)) {
                state.StartMode = 3;
                CheckDirection(HoldsOnlyEncryptedFiles(path));
                islem->setText(Row(42));
            }
        } else if (arguments.size() > 1) {
            state.StartMode = 4;
            islem->setText(Row(42));
            state.PasswordDialogFillsMain = true;
            state.CmdLineFiles.clear();
            QString text;
            // The list holds at most MaxListedPaths; further paths are left out.
            for (std::size_t i = 0; i < arguments.size() && i < MaxListedPaths; ++i) {
                const std::string& path = arguments[i];
                state.CmdLineFiles.push_back(path);
                const bool encrypted = IsEncryptedFileName(path);
                (encrypted ? CmdLineHasEncrypted : CmdLineHasPlain) = true;
                CheckDirection(encrypted);
                text += (text.isEmpty() ? " " : ",") + QString("\"%1\"").arg(ShownPath(path));
            }
            DosyaYolu->setText(text);
        }
    } catch (const std::exception& e) {
        dialogs::ShowMessage(this, QString(),
                             Row(48) + "\r\n\r\n" + QString(15, ' ') + QString::fromLocal8Bit(e.what()) +
                                 QString(14, ' '),
                             QMessageBox::NoIcon, QMessageBox::Ok);
    }
}

void TSayfa1::GuncelleTimer() {
    Guncelle->stop();
    bool firstStart = false;
    try {
        firstStart = !settings_->KeyExists();
    } catch (const std::exception&) {
        // Unreadable settings: LoadSettings meets the same problem and leaves everything as it is.
    }
    LoadSettings(*settings_, State(), Lang(), [this] { ApplyLanguage(); });
    // A first start speaks the system's language at once, applied and stored as a switch to it would be,
    // instead of the designed captions beside built-in messages.
    if (firstStart) SwitchLanguage(SystemPrefersTurkish() ? kLanguageTurkish : kLanguageEnglish);
    TickPriority();
    RegisterAssociation();
    CreateSendToShortcut();
    startupDone_ = true;
    ReportShellProblems();
    SeciliDiliISARETLE();
    if (State().StartMode != 0) ShowPasswordDialog();
}

bool TSayfa1::FindSendToFolder() {
    desktop_.FindFolders();
    if (const std::string folder = desktop_.SendToFolder(); !folder.empty()) SendToFolder = folder;
    if (iconPng_.empty()) {
        QFile icon(":/zarkent/zarkent.png");
        if (icon.open(QIODevice::ReadOnly)) iconPng_ = icon.readAll().toStdString();
    }
    return true;
}

shell::ShellInput TSayfa1::CurrentShellInput() {
    std::string program = State().ProgramFile;
    if (program.empty()) program = QCoreApplication::applicationFilePath().toLocal8Bit().toStdString();
    return shell::InputFor(program, Lang(), iconPng_);
}

bool TSayfa1::RegisterAssociation() {
    const ShellWriteResult result = desktop_.WriteAssociation(CurrentShellInput(), shellOptions_);
    NoteShellProblems(result);
    return result.Ok();
}

void TSayfa1::CreateSendToShortcut() {
    NoteShellProblems(desktop_.WriteSendTo(CurrentShellInput(), shellOptions_));
}

void TSayfa1::NoteShellProblems(const ShellWriteResult& result) {
    for (const std::string& problem : result.problems) {
        const QString text = QString::fromLocal8Bit(problem.c_str());
        if (!reportedShellProblems_.count(text) && !pendingShellProblems_.contains(text)) pendingShellProblems_ << text;
    }
    // After the start, a language switch runs both halves of the integration: one message for both.
    if (startupDone_ && !pendingShellProblems_.isEmpty() && !shellReportQueued_) {
        shellReportQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            shellReportQueued_ = false;
            ReportShellProblems();
        });
    }
}

void TSayfa1::ReportShellProblems() {
    if (pendingShellProblems_.isEmpty()) return;
    const QString text = Row(kRowDesktopProblems) + "\n\n" + pendingShellProblems_.join("\n");
    for (const QString& problem : pendingShellProblems_)
        reportedShellProblems_.insert(problem);
    pendingShellProblems_.clear();
    dialogs::ShowMessage(this, Row(39), text, QMessageBox::Warning, QMessageBox::Ok);
}

void TSayfa1::SeciliDiliISARETLE() {
    const auto selected = State().SelectedLanguage.load();
    if (selected == kLanguageTurkish) {
        Turkce->setChecked(true);
        English->setChecked(false);
    } else if (selected == kLanguageEnglish) {
        Turkce->setChecked(false);
        English->setChecked(true);
    }
}

void TSayfa1::Message(int captionRow, const QString& text, QMessageBox::Icon icon) {
    dialogs::ShowMessage(this, Row(captionRow), text, icon, QMessageBox::Ok);
}

void TSayfa1::ShowPasswordDialog() {
    State().PasswordDialogFillsMain = true;
    if (!peers_.passwordDialog) return;
    peers_.passwordDialog->show();
    peers_.passwordDialog->raise();
    peers_.passwordDialog->activateWindow();
    peers_.passwordDialog->Sifre->setFocus(Qt::OtherFocusReason);
}

void TSayfa1::SetPasswords(const QString& password) {
    pass1->setText(password);
    pass2->setText(password);
}

void TSayfa1::islemClick() {
    SharedState& state = State();
    const QString p1 = pass1->text(), p2 = pass2->text(), path = DosyaYolu->text();
    if (p1 != p2) {
        Message(39, Row(52), QMessageBox::Critical);
        pass1->clear();
        pass2->clear();
        return;
    }
    if (p1.isEmpty() || path.isEmpty()) {
        if (p1.isEmpty() && path.isEmpty()) {
            state.PasswordDialogFillsMain = true;
            if (Sifrele->isChecked())
                BirDosyaSifrele->trigger();
            else
                SifreliBirDosyaAc->trigger();
            return;
        }
        if (p1.isEmpty()) ShowPasswordDialog();
        if (path.isEmpty()) GozatClick();
        return;
    }
    if (state.StartMode == 4) {
        if (Coz->isChecked()) {
            state.BatchDirection = 2;
            if (CmdLineHasEncrypted && CmdLineHasPlain) {
                std::erase_if(state.CmdLineFiles, [](const std::string& p) { return !IsEncryptedFileName(p); });
            }
        } else {
            state.BatchDirection = 1;
        }
        state.CmdLineFileCount = static_cast<std::int32_t>(state.CmdLineFiles.size());
        state.BatchFileList = state.CmdLineFiles;
        HandOverToFolderWindow(state.BatchDirection == 2 ? 44 : 43);
        return;
    }
    const std::optional<std::string> file = PathFieldBytes();
    if (!file) {
        RefuseUndecodableName(this, path);
        return;
    }
    if (!IsRegularFile(*file) && !IsDirectory(*file)) {
        Message(39, Row(38) + "\r\n" + " \" " + path + " \" ", QMessageBox::Warning);
        return;
    }
    const bool encrypt = Sifrele->isChecked();
    if (state.StartMode == 3) {
        state.BatchDirection = encrypt ? 1 : 2;
        state.BatchFolder = *file;
        HandOverToFolderWindow(encrypt ? 43 : 44);
        return;
    }
    const std::string password = p1.toLocal8Bit().toStdString();
    if (encrypt)
        jobs::JobThread::Start<TSifrele>(*file, password, true, true);
    else
        jobs::JobThread::Start<TSifreCoz>(*file, password, true, true);
    pass1->clear();
    pass2->clear();
    DosyaYolu->clear();
}

void TSayfa1::HandOverToFolderWindow(int messageRow) {
    SharedState& state = State();
    TKlasoriciSifrelemePenceresi* folder = peers_.folderWindow;
    if (!folder) return;
    folder->mesaj->setText(Row(messageRow));
    folder->basla->setText(Row(14));
    state.BatchFromMain = true;
    folder->show();
    // The main window's fields stay as they are on a hand-over.
    state.BatchPassword = pass1->text().toLocal8Bit().toStdString();
    folder->basla->click();
}

void TSayfa1::OpenFolderWindow(int direction, int messageRow) {
    TKlasoriciSifrelemePenceresi* folder = peers_.folderWindow;
    if (!folder) return;
    State().BatchDirection = static_cast<std::uint8_t>(direction);
    CentreOnScreen(folder);
    folder->mesaj->setText(Row(messageRow));
    folder->basla->setText(Row(14));
    folder->show();
    folder->raise();
    folder->activateWindow();
}

void TSayfa1::BirKlasordekiTumDosyalariSifreleExecute() {
    OpenFolderWindow(1, 43);
}

void TSayfa1::BirKlasordekiDosyalariTopluOlarakAcExecute() {
    OpenFolderWindow(2, 44);
}

void TSayfa1::GuvenliDosyaSilmeExecute() {
    TGuvenliDosyaSiliciDialog* dialog = peers_.wipeDialog;
    if (!dialog) return;
    if (!dialog->isVisible()) CentreOnScreen(dialog);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void TSayfa1::ResetToEncryption() {
    DosyaYolu->clear();
    islem->setText(Row(54));
    CheckDirection(false); // as a click: the open dialog's filter goes back to every file
}

void TSayfa1::ClearAfterBatchStart(int captionRow) {
    pass1->clear();
    pass2->clear();
    DosyaYolu->clear();
    islem->setText(Row(captionRow));
}

void TSayfa1::ShowMainWindow() {
    show();
}

void TSayfa1::RestoreFailedPath(const std::string& path) {
    if (!DosyaYolu->text().isEmpty()) return;
    SetPathField(path);
    ApplyDirectionOf(DosyaYolu->text());
}

void TSayfa1::SifreleClick() {
    islem->setText(Row(54));
    DosyaAc.filter = Row(45);
}

void TSayfa1::CozClick() {
    islem->setText(Row(55));
    DosyaAc.filter = Row(56);
}

void TSayfa1::CheckDirection(bool decrypt) {
    QRadioButton* button = decrypt ? Coz : Sifrele;
    if (button->isChecked()) return;
    button->setChecked(true);
    decrypt ? CozClick() : SifreleClick();
}

void TSayfa1::ApplyDirectionOf(const QString& path) {
    CheckDirection(IsEncryptedPath(path));
}

bool TSayfa1::OpenFileDialog() {
    QString chosen;
    if (!dialogs::OpenFileName(this, DosyaAc, chosen)) return false;
    DosyaAc.initialPath = chosen;
    const std::optional<std::string> file = NameBytes(chosen);
    if (!file) {
        RefuseUndecodableName(this, chosen);
        return false;
    }
    if (!IsRegularFile(*file)) {
        Message(39, Row(37), QMessageBox::Warning);
        return false;
    }
    SetPathField(*file);
    return true;
}

void TSayfa1::SetPathField(const std::string& path) {
    pathBytes_ = path;
    pathShown_ = ShownPath(path);
    DosyaYolu->setText(pathShown_);
}

std::optional<std::string> TSayfa1::PathFieldBytes() const {
    const QString text = DosyaYolu->text();
    // The field still shows the path that was put there: its bytes, as the system gave them.
    if (!text.isEmpty() && text == pathShown_) return pathBytes_;
    return NameBytes(text);
}

void TSayfa1::GozatClick() {
    const bool chosen = OpenFileDialog();
    ApplyDirectionOf(DosyaYolu->text());
    if (chosen) pass1->setFocus(Qt::OtherFocusReason);
}

void TSayfa1::BirDosyaSifreleExecute() {
    OpenFileFor(false);
}

void TSayfa1::SifreliBirDosyaAcExecute() {
    OpenFileFor(true);
}

void TSayfa1::OpenFileFor(bool decrypt) {
    // The dialog starts in the folder of the last choice, with no file name.
    const QFileInfo last(DosyaAc.initialPath);
    if (!last.isDir()) DosyaAc.initialPath = last.path();
    CheckDirection(decrypt);
    DosyaAc.filter = Row(decrypt ? 56 : 45);
    State().PasswordDialogFillsMain = true;
    QString chosen;
    if (dialogs::OpenFileName(this, DosyaAc, chosen)) {
        const std::optional<std::string> file = NameBytes(chosen);
        if (!file) {
            RefuseUndecodableName(this, chosen);
            return;
        }
        SetPathField(*file);
        ShowPasswordDialog();
    }
}

void TSayfa1::pass1Change() {
    ShowMatchMarks(pass1->text(), pass2->text(), SifrelerinKontrolu_AYNI, SifrelerinKontrolu_FARKLI);
}

void TSayfa1::SilClick() {
    pass1->clear();
    pass2->clear();
}

void TSayfa1::SetPriority(int index) {
    State().PriorityIndex = static_cast<std::uint8_t>(index);
    State().PriorityChosenByUser = true;
    TickPriority();
}

void TSayfa1::TickPriority() {
    const QList<QAction*> levels = priorityGroup_->actions();
    const int index = State().PriorityIndex.load();
    if (index >= 0 && index < levels.size()) levels.at(index)->setChecked(true);
}

void TSayfa1::PaketleClick() {
    SharedState& state = State();
    state.CompressOption = Paketle->isChecked();
    if (!state.PriorityChosenByUser) state.PriorityIndex = Paketle->isChecked() ? 2 : 3;
    TickPriority();
}

void TSayfa1::HerZamanUstteExecute() {
    AlwaysOnTop = !AlwaysOnTop;
    HerZamanUstte->setChecked(AlwaysOnTop);
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, AlwaysOnTop);
    if (wasVisible) show(); // changing the flags hides a window
}

void TSayfa1::CikisExecute() {
    close();
}

void TSayfa1::OpenCompanion(const QString& fileName, int missingRow) {
    const QString path = QString::fromLocal8Bit(State().ProgramFolder.c_str()) + fileName;
    if (!QFileInfo(path).isFile()) {
        Message(39, Row(missingRow), QMessageBox::Critical);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void TSayfa1::YardimKitabiExecute() {
    // The help page in the language in force.
    OpenCompanion(Lang().ActiveLanguage == kLanguageTurkish ? "help_tr.html" : "help.html", 57);
}

void TSayfa1::EPostaYaziSifreleExecute() {
    ShowToolWindow(peers_.textWindow);
}

void TSayfa1::MD5HesaplamaAraciExecute() {
    ShowToolWindow(peers_.md5Window);
}

void TSayfa1::SeffaflikExecute() {
    ShowToolWindow(peers_.opacityWindow);
}

void TSayfa1::HakkindaExecute() {
    ShowToolWindow(peers_.aboutWindow);
}

void TSayfa1::GucluSifreYaraticiExecute() {
    ShowToolWindow(peers_.passwordGenerator);
}

void TSayfa1::RastgeleSayiMotoruExecute() {
    ShowToolWindow(peers_.randomNumbers);
}

bool TSayfa1::FormCloseQuery() {
    SharedState& state = State();
    if (!state.JobsActive) return true;
    const auto answer = dialogs::ShowMessage(this, Row(47), Row(46), QMessageBox::Question,
                                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes) {
        // The jobs may have ended while the question was open: then there is nothing to wait for.
        if (!state.JobsActive) return true;
        state.CloseWhenJobsFinish = true;
        hide();
        return false;
    }
    if (answer == QMessageBox::No && state.WipeRunning) {
        // Ending now would leave the wiped file half-overwritten without a word: offer to stop the wipe,
        // and end once its report has been seen.
        if (!AskToStopRunningWipe(this, QMessageBox::Yes | QMessageBox::No)) return false;
        if (!state.JobsActive) return true;
        state.CloseWhenJobsFinish = true;
        hide();
        return false;
    }
    return answer == QMessageBox::No;
}

void TSayfa1::closeEvent(QCloseEvent* event) {
    if (quitting_ || FormCloseQuery()) {
        event->accept();
        quitting_ = true;
        quit_();
    } else {
        event->ignore();
    }
}

void TSayfa1::keyPressEvent(QKeyEvent* event) {
    // Only keys that no control took come here.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (islem->isEnabled()) islem->click();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TSayfa1::FormKeyPress(const QKeyEvent& event) {
    const bool translucent = AlphaBlendingOf(*this).AlphaBlend || windowOpacity() < 1.0;
    if (!translucent || (event.text() != "x" && event.text() != "X")) return;
    // Blending off through the same state the transparency window sets, so that window shows it too.
    SetAlphaBlending(*this, false, 255);
    if (peers_.opacityWindow) peers_.opacityWindow->ShowTargetLevel();
}

bool TSayfa1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<QLineEdit*>(watched)) {
        // Inside a field the editing keys belong to the field (select all, copy, cut, paste, undo, redo,
        // delete to the end), also where a menu command has the same key (Ctrl+A, Ctrl+Y, Ctrl+K); the
        // menu's keys work everywhere else.
        if (IsFieldEditingKey(static_cast<QKeyEvent*>(event)->keyCombination())) {
            event->accept();
            return true;
        }
    }
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
        const bool hot = event->type() == QEvent::Enter;
        if (watched == DosyaYolu) Shape1->setStyleSheet(hot ? FrameHot : FrameIdle);
        if (watched == pass1) Shape2->setStyleSheet(hot ? FrameHot : FrameIdle);
        if (watched == pass2) Shape3->setStyleSheet(hot ? FrameHot : FrameIdle);
        if (watched == Sil) Sil->setStyleSheet(hot ? SilHot : SilIdle);
    } else if (watched == Sil && event->type() == QEvent::MouseButtonRelease) {
        SilClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TSayfa1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TSayfa1::dropEvent(QDropEvent* event) {
    // The raw URI list, decoded here byte by byte: QUrl's local file is a QString, which turns a name
    // that is not UTF-8 into the name of another file.
    const QByteArray uriList = event->mimeData()->data(QStringLiteral("text/uri-list"));
    DropPaths(LocalPathsOfUriList(std::string_view(uriList.constData(), static_cast<std::size_t>(uriList.size()))));
    event->acceptProposedAction();
}

void TSayfa1::DropPaths(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        SetPathField(path);
        CheckDirection(HandedOverForDecryption(path));
        if (IsDirectory(path)) State().StartMode = 3;
    }
    if (!paths.empty()) pass1->setFocus(Qt::OtherFocusReason);
}

QList<QAction*> PriorityActions(const TSayfa1& window) {
    return {window.Hiz_BilgisayarBostayken, window.Hiz_EnDusuk, window.Hiz_NormaldenDusuk, window.Hiz_Normal,
            window.Hiz_NormaldenYuksek,     window.Hiz_Yuksek,  window.Hiz_EnYuksek};
}

} // namespace zarkent
