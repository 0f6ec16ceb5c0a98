#include "gui/wipe/GuvenliDosyaSiliciDialog_Kaynak.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>

#include "core/lang/Language.h"
#include "core/platform/FileSystem.h"
#include "core/state/SharedState.h"
#include "core/wipe/DosyaSilici.h"
#include "gui/jobs/CaptionFit.h"
#include "gui/jobs/SifreleJobs.h"
#include "gui/jobs/UiChannel.h"
#include "gui/jobs/WindowHelpers.h"

namespace zarkent {

namespace {

// The file the running deletion wipes, for the stop question.
std::mutex wipingMutex;
std::string wipingFile;

constexpr int DefaultMethod = 2;
constexpr int IdleButtonRow = 22;
constexpr int BusyButtonRow = 76;
const char* const IdleFileLabel = "...";

// The list as designed, before any language is applied.
const char* const DesignedMethodNames[WipeMethodCount] = {
    "En Hızlı (Tek tur)",       "Hızlı (3 Tur) ",  "Normalden Hızlı (7 Tur)", "Normal (35 Tur)",
    "Normalden Güçlü (80 Tur)", "Güçlü (100 Tur)", "Aşırı Güçlü (120 Tur)",
};

// How often the updater looks at the counter: fast enough to look continuous, slow enough to leave
// the processor to the wipe.
constexpr auto PollInterval = std::chrono::milliseconds(5);

// The updater's test seam; copied under the lock in every poll, so it may be set while an updater runs.
std::mutex pollHookMutex;
std::function<void()> pollHook;

void RunPollHook() {
    std::function<void()> hook;
    {
        const std::lock_guard lock(pollHookMutex);
        hook = pollHook;
    }
    if (hook) hook();
}

QString Description(int index) {
    return QString::fromStdString(Lang().WipeMethodDescription(index));
}

void SetSmallFont(QWidget* widget) {
    QFont font = widget->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    widget->setFont(font);
}

} // namespace

std::string WipingFileName() {
    const std::lock_guard lock(wipingMutex);
    return wipingFile;
}

TGuvenliDosyaSiliciDialog::TGuvenliDosyaSiliciDialog(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      quit_([] { QCoreApplication::quit(); }), channel_(std::make_shared<UiChannel>(this)) {
    // The main window decides when the program ends, never this dialog closing last.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(TurkishRow(29));

    GuvenlisilBaslik = new QLabel(TurkishRow(29), this);
    GuvenlisilBaslik->setTextFormat(Qt::PlainText);
    QFont title = GuvenlisilBaslik->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.6);
    GuvenlisilBaslik->setFont(title);

    Cerceve = new QFrame(this);
    Cerceve->setFrameShape(QFrame::StyledPanel);
    SilmeEkrani_Belirtec = StandardIconLabel(Cerceve, QStyle::SP_TrashIcon, 64);
    auto* frameLayout = new QVBoxLayout(Cerceve);
    frameLayout->setContentsMargins(4, 4, 4, 4);
    frameLayout->addWidget(SilmeEkrani_Belirtec);

    Durum = new QLabel(TurkishRow(58), this);
    SilmeYuzdeDurumu = new QLabel(QStringLiteral("0%"), this);
    QFont bold = SilmeYuzdeDurumu->font();
    bold.setBold(true);
    SilmeYuzdeDurumu->setFont(bold);

    SilinmekUzereSeciliDosya = new QLabel(QString::fromLatin1(IdleFileLabel), this);
    SilinmekUzereSeciliDosya->setTextFormat(Qt::PlainText);
    SilinmekUzereSeciliDosya->setCursor(Qt::PointingHandCursor);
    SilinmekUzereSeciliDosya->setMinimumWidth(1); // a long path must not widen the window
    MarkShowsPath(SilinmekUzereSeciliDosya);
    SetSmallFont(SilinmekUzereSeciliDosya);

    SilmeYontemiSecimi = new QComboBox(this);
    SilmeYontemiSecimi->setEditable(false);
    for (const char* name : DesignedMethodNames)
        SilmeYontemiSecimi->addItem(QString::fromUtf8(name));
    SilmeYontemiSecimi->setCurrentIndex(DefaultMethod);

    SilmeYonteminAciklamasi = new QLabel(TurkishRow(kWipeMethodDescriptionRow + DefaultMethod), this);
    SilmeYonteminAciklamasi->setTextFormat(Qt::PlainText);
    SilmeYonteminAciklamasi->setWordWrap(true);
    SetSmallFont(SilmeYonteminAciklamasi);

    WipeLimits = new QLabel(TurkishRow(kRowWipeLimits), this);
    WipeLimits->setTextFormat(Qt::PlainText);
    WipeLimits->setWordWrap(true);
    SetSmallFont(WipeLimits);

    DurumCubugu = new QProgressBar(this);
    DurumCubugu->setRange(0, 100);
    DurumCubugu->setValue(0);
    DurumCubugu->setTextVisible(false);

    DosyaSil_DosyaSec = new QPushButton(TurkishRow(IdleButtonRow), this);
    DosyaSil_Kapat = new QPushButton(TurkishRow(13), this);

    Silmekicin_DosyaAc.title = TurkishRow(49);
    Silmekicin_DosyaAc.filter = TurkishRow(45);
    Silmekicin_DosyaAc.initialPath = QDir::homePath() + "/Desktop";
    if (!QFileInfo(Silmekicin_DosyaAc.initialPath).isDir()) Silmekicin_DosyaAc.initialPath = QDir::homePath();

    auto* header = new QGridLayout;
    header->addWidget(Cerceve, 0, 0, 2, 1);
    header->addWidget(GuvenlisilBaslik, 0, 1, 1, 3);
    header->addWidget(Durum, 1, 1);
    header->addWidget(SilmeYuzdeDurumu, 1, 2);
    header->setColumnStretch(3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(DosyaSil_DosyaSec);
    buttons->addStretch(1);
    buttons->addWidget(DosyaSil_Kapat);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(SilinmekUzereSeciliDosya);
    layout->addWidget(SilmeYontemiSecimi);
    layout->addWidget(SilmeYonteminAciklamasi);
    layout->addWidget(WipeLimits);
    layout->addWidget(DurumCubugu);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(420, 330);

    connect(SilmeYontemiSecimi, &QComboBox::currentIndexChanged, this,
            &TGuvenliDosyaSiliciDialog::SilmeYontemiSecimiChange);
    connect(DosyaSil_DosyaSec, &QPushButton::clicked, this, &TGuvenliDosyaSiliciDialog::DosyaSil_DosyaSecClick);
    connect(DosyaSil_Kapat, &QPushButton::clicked, this, &TGuvenliDosyaSiliciDialog::DosyaSil_KapatClick);

    InstallKeyPreview(this, [this](const QKeyEvent& key) { return FormKeyPress(key); });

    CentreOnScreen(this);
}

TGuvenliDosyaSiliciDialog::~TGuvenliDosyaSiliciDialog() {
    channel_->Detach();
}

void TGuvenliDosyaSiliciDialog::UpdateCaptions() {
    Durum->setText(Row(58));
    setWindowTitle(Row(29));
    WipeLimits->setText(Row(kRowWipeLimits));
    // A deletion that runs keeps its "Please Wait..." until it ends.
    DosyaSil_DosyaSec->setText(Row(DosyaSil_DosyaSec->isEnabled() ? IdleButtonRow : BusyButtonRow));
    DosyaSil_Kapat->setText(Row(13));
    Silmekicin_DosyaAc.filter = Row(45);
    Silmekicin_DosyaAc.title = Row(49);
    GuvenlisilBaslik->setText(windowTitle());
    {
        // The list passes through other items while it is refilled; only the final choice counts.
        const QSignalBlocker quiet(SilmeYontemiSecimi);
        SilmeYontemiSecimi->clear();
        for (int i = 0; i < kWipeMethodCount; ++i)
            SilmeYontemiSecimi->addItem(QString::fromStdString(Lang().WipeMethodName(i)));
    }
    SelectMethod(DefaultMethod);
}

void TGuvenliDosyaSiliciDialog::SelectMethod(int index) {
    {
        const QSignalBlocker quiet(SilmeYontemiSecimi);
        SilmeYontemiSecimi->setCurrentIndex(index);
    }
    SilmeYontemiSecimiChange(index);
}

void TGuvenliDosyaSiliciDialog::SilmeYontemiSecimiChange(int index) {
    if (index < 0 || index >= WipeMethodCount) return;
    State().SelectedWipeMethod = static_cast<std::uint8_t>(index);
    SilmeYonteminAciklamasi->setText(Description(index));
}

void TGuvenliDosyaSiliciDialog::DosyaSil_DosyaSecClick() {
    // One deletion at a time: the wipe's progress values are shared by the whole program.
    if (!DosyaSil_DosyaSec->isEnabled()) return;
    QString chosen;
    if (!dialogs::OpenFileName(this, Silmekicin_DosyaAc, chosen)) return;
    // The next dialog starts in the folder of this choice; the file itself will be gone.
    Silmekicin_DosyaAc.initialPath = QFileInfo(chosen).path();
    // A name that lost bytes in decoding may name another file, which must never be wiped in its place.
    const std::optional<std::string> file = NameBytes(chosen);
    if (!file) {
        RefuseUndecodableName(this, chosen);
        return;
    }
    if (!IsRegularFile(*file)) {
        dialogs::ShowMessage(this, Row(39), Row(37), QMessageBox::Warning, QMessageBox::Ok);
        return;
    }
    // The question names what is about to be lost for good; Enter alone must not confirm it.
    const QString question = Row(kRowWipeConfirmFile).arg(chosen) + "\r\n" +
                             Row(kRowWipeConfirmMethod).arg(SilmeYontemiSecimi->currentText().trimmed()) + "\r\n\r\n" +
                             Row(50);
    if (dialogs::ShowMessage(this, Row(47), question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No) != QMessageBox::Yes)
        return;
    SilinmekUzereSeciliDosya->setText(chosen);
    jobs::JobThread::Start<TGuvenliDosyaSil>(this, *file, State().SelectedWipeMethod.load());
    SilinmekUzereSeciliDosya->setToolTip(chosen);
}

void TGuvenliDosyaSiliciDialog::DosyaSil_KapatClick() {
    // A running wipe is never abandoned without a word: closing asks whether to stop it, and the program
    // then ends when its report has been seen.
    if (State().CloseWhenJobsFinish && !State().WipeRunning) {
        if (quit_) quit_();
        return;
    }
    close();
}

void TGuvenliDosyaSiliciDialog::WipeStarted() {
    DosyaSil_DosyaSec->setEnabled(false);
    DosyaSil_DosyaSec->setText(Row(BusyButtonRow));
}

void TGuvenliDosyaSiliciDialog::WipeEnded() {
    SilinmekUzereSeciliDosya->setText(QString::fromLatin1(IdleFileLabel));
    DosyaSil_DosyaSec->setEnabled(true);
    DosyaSil_DosyaSec->setText(Row(IdleButtonRow));
}

void TGuvenliDosyaSiliciDialog::ShowFileName(const QString& text) {
    SilinmekUzereSeciliDosya->setText(text);
}

void TGuvenliDosyaSiliciDialog::ShowPercent(int percent) {
    // Small files count past 100; the bar would ignore a value beyond its range.
    DurumCubugu->setValue(std::clamp(percent, DurumCubugu->minimum(), DurumCubugu->maximum()));
    SilmeYuzdeDurumu->setText(QString::number(percent));
}

void TGuvenliDosyaSiliciDialog::closeEvent(QCloseEvent* event) {
    if (!AskToStopRunningWipe(this, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
        event->ignore();
        return;
    }
    event->accept();
    FormClose();
}

bool AskToStopRunningWipe(QWidget* parent, QMessageBox::StandardButtons buttons) {
    SharedState& state = State();
    if (!state.WipeRunning) return true;
    const QString file = QString::fromStdString(WipingFileName());
    const auto answer =
        dialogs::ShowMessage(parent, Row(47), Row(kRowWipeStopQuestion).arg(file), QMessageBox::Question, buttons);
    if (answer == QMessageBox::Yes) state.WipeStopRequested = true;
    return answer == QMessageBox::Yes || (answer == QMessageBox::No && buttons.testFlag(QMessageBox::Cancel));
}

void TGuvenliDosyaSiliciDialog::FormClose() {
    // The dialog always reopens on the 7-pass method; a running deletion keeps its own.
    SelectMethod(DefaultMethod);
}

bool TGuvenliDosyaSiliciDialog::FormKeyPress(const QKeyEvent& event) {
    if (event.key() != Qt::Key_Escape) return false;
    close();
    return true;
}

void TGuvenliDosyaSiliciDialog::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyPress(*event)) QWidget::keyPressEvent(event);
}

TGuvenliDosyaSil::TGuvenliDosyaSil(StartKey key, TGuvenliDosyaSiliciDialog* dialog, std::string FileName,
                                   std::uint8_t Method)
    : JobThread(key, 2), dialog_(dialog), channel_(dialog != nullptr ? dialog->Channel() : nullptr),
      windows_(CurrentJobWindows()) {
    if (dialog_) dialog_->WipeStarted();
    FStartTime = std::chrono::steady_clock::now();
    FFileName = std::move(FileName);
    FMethod = Method;
    {
        const std::lock_guard lock(wipingMutex);
        wipingFile = FFileName;
    }
    State().WipeStopRequested = false;
    State().WipeRunning = true;
}

TGuvenliDosyaSil::~TGuvenliDosyaSil() = default;

void TGuvenliDosyaSil::Execute() {
    SharedState& state = State();
    auto post = [this](std::function<void(TGuvenliDosyaSiliciDialog*)> call) {
        if (channel_) channel_->Post([dialog = dialog_, call = std::move(call)] { call(dialog); });
    };

    state.JobsActive = true;
    auto updater = StartOwned<TSilmeDurumu>(dialog_, channel_);

    QString failure;
    bool failed = false;
    OverwriteReach reach = OverwriteReach::Device;
    try {
        WipeHooks hooks;
        hooks.stop = &state.WipeStopRequested;
        FWiper = std::make_unique<TDosyaSilici>(FFileName, FMethod, hooks);
        reach = FWiper->FReach;
    } catch (const WipeLeftFile& e) {
        // Stopped, or the file kept growing: it stays under its name, partly overwritten.
        failed = true;
        const int row = e.Why() == WipeLeftFile::Reason::Stopped ? kRowWipeStopped : kRowWipeKeptChanging;
        failure = Row(102) + "\r\n" + Row(row).arg(QString::fromLocal8Bit(e.Path().c_str()));
    } catch (const std::exception& e) {
        failed = true;
        failure = Row(102) + "\r\n" + QString::fromLocal8Bit(e.what());
    } catch (...) {
        failed = true;
        failure = Row(102);
    }
    FEndTime = std::chrono::steady_clock::now();
    FElapsed = FEndTime - FStartTime;

    // The updater stops here, after showing the final count and before the engine puts the count back
    // to zero; and the engine is gone before the button lets the next deletion start, so the next wipe
    // never shares the progress values with this one.
    state.WipeFinished = true;
    updater.reset();
    if (failed) {
        post([](TGuvenliDosyaSiliciDialog* dialog) { dialog->ShowFileName(QString::fromLatin1(IdleFileLabel)); });
        windows_.Report(ResultOutcome::Error, failure);
    }
    FWiper.reset();
    state.WipeRunning = false;
    state.JobsActive = false;
    // The engine's count can end short of 100 (or past it) on a finished wipe; a finished wipe shows 100.
    if (!failed) post([](TGuvenliDosyaSiliciDialog* dialog) { dialog->ShowPercent(100); });
    post([](TGuvenliDosyaSiliciDialog* dialog) { dialog->WipeEnded(); });
    if (!failed) {
        QString message = Row(103) + "  " + Row(100) + FormatElapsed(FElapsed);
        if (reach == OverwriteReach::Memory) message += "\r\n" + Row(kRowWipeMemoryFileSystem);
        if (reach == OverwriteReach::Elsewhere)
            message += "\r\n" + Row(kRowWipeNotInPlace).arg(QString::fromLocal8Bit(FFileName.c_str()));
        windows_.Report(ResultOutcome::Success, message);
    }
}

TSilmeDurumu::TSilmeDurumu(StartKey key, TGuvenliDosyaSiliciDialog* dialog, std::shared_ptr<UiChannel> channel)
    : JobThread(key, 1), dialog_(dialog), channel_(std::move(channel)) {}

void TSilmeDurumu::SetPollHook(std::function<void()> hook) {
    const std::lock_guard lock(pollHookMutex);
    pollHook = std::move(hook);
}

void TSilmeDurumu::Execute() {
    SharedState& state = State();
    int shown = -1; // the first poll always shows, replacing what the last deletion left
    for (;;) {
        // The flag is read before the counter, so the last value handed on is the final one.
        const bool finished = state.WipeFinished;
        RunPollHook();
        const int percent = state.WipePercent;
        if (percent != shown && channel_) {
            channel_->Post([dialog = dialog_, percent] { dialog->ShowPercent(percent); });
            shown = percent;
        }
        if (finished) break;
        std::this_thread::sleep_for(PollInterval);
    }
    state.WipeFinished = false;
}

} // namespace zarkent
