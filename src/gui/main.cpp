// Program entry of the window program: creates every window once, in a fixed order, and runs the
// user-interface loop.

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "core/platform/FileSystem.h"
#include "core/platform/Process.h"
#include "core/state/SharedState.h"
#include "gui/app/AnaSayfa.h"
#include "gui/jobs/DurumBelirt.h"
#include "gui/jobs/DurumSayfasi.h"
#include "gui/jobs/JobThread.h"
#include "gui/jobs/KlasordekiDosyalariSifrelemePenceresi.h"
#include "gui/jobs/SifreEkrani.h"
#include "gui/jobs/SifreleJobs.h"
#include "gui/platform/DesktopEntries.h"
#include "gui/tools/About.h"
#include "gui/tools/GucluSifre.h"
#include "gui/tools/MD5Summer.h"
#include "gui/tools/MetinSifreleme.h"
#include "gui/tools/RastgeleSayiUreteci.h"
#include "gui/tools/SeffaflikAyariPenceresi.h"
#include "gui/wipe/GuvenliDosyaSiliciDialog_Kaynak.h"

namespace {

// The companion documents (help page, about text) are looked up beside the real program file, also when it
// is started through a symbolic link (the package puts a link in the command path).
QString ProgramFolder() {
    return QCoreApplication::applicationDirPath() + "/";
}

// The running program's full path, with the system's separators: on Windows it goes into the registry
// and shortcuts as it is.
std::string ProgramFile() {
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath()).toLocal8Bit().toStdString();
}

// Answers --help without a display and without creating any window.
int PrintHelp(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString helpPage = ProgramFolder() + "help.html";
    std::printf("Usage: zarkent [FILE | FOLDER]...\n"
                "Opens the Zarkent window. A file is selected to be encrypted (a .zrk file to be decrypted);\n"
                "a folder or several paths start a folder batch. zarkent-cli is the command-line tool.\n"
                "\n"
                "  --unregister  remove the desktop entries Zarkent wrote for you, then exit\n"
                "  --version     print the version, then exit\n"
                "  -h, --help    print this help, then exit\n"
                "\n"
                "Help page: %s%s\n",
                helpPage.toLocal8Bit().constData(), QFileInfo::exists(helpPage) ? "" : " (missing)");
    return 0;
}

// zarkent --unregister: removes this user's association, folder entries and Send To entries (on Windows
// the uninstaller calls it; on Linux the user, before the package goes). Problems go to the error output,
// one per line, and make the exit status 1.
int Unregister(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    zarkent::DesktopEntries desktop;
    desktop.FindFolders();
    // The caches are refreshed before the command returns, so that menus no longer offer the entries.
    const zarkent::ShellWriteResult result =
        desktop.RemoveAll(zarkent::shell::InputFor(ProgramFile(), zarkent::Lang()), {std::chrono::seconds(30)});
    for (const std::string& problem : result.problems)
        std::fprintf(stderr, "zarkent --unregister: %s\n", problem.c_str());
    return result.Ok() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    using namespace zarkent;
    KeepLargeBuffersForReuse();
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
        return PrintHelp(argc, argv);
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("zarkent %s\n", kAboutVersion);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--unregister") == 0) return Unregister(argc, argv);
#ifdef SIGXFSZ
    // A file-size limit must fail the write (and remove the partial output), not kill the program.
    // Windows has no such signal: a write past a quota simply fails.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName("Zarkent");
    Q_INIT_RESOURCE(zarkent); // the icon lives in the window library
    QApplication::setWindowIcon(QIcon(":/zarkent/zarkent.png"));

    SharedState& state = State();
    state.ProgramFile = ProgramFile();
    state.ProgramFolder = ProgramFolder().toLocal8Bit().toStdString();

    // File managers may pass relative paths. Each path keeps the bytes the system gave: a QString would
    // turn a name that is not UTF-8 into the name of another file.
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i)
        paths.push_back(AbsolutePath(argv[i]));

    TSayfa1 mainWindow(paths);
    TSifreEx passwordDialog;
    TDurumBelirt resultWindow;
    TDurumSayfasi progressPage;
    TKlasoriciSifrelemePenceresi folderWindow;
    TGuvenliDosyaSiliciDialog wipeDialog;
    TMD5Hesaplayici md5Window;
    TSeffaflikAyari opacityWindow(&mainWindow); // sets the main window's opacity
    THakkinda aboutWindow;
    TGucluSifreSayfa1 passwordGenerator;
    TRastgeleSayiUreteciSayfa1 randomNumbers;
    TMetinSifreleme textWindow;
    SetJobWindows(JobWindows(&progressPage, &resultWindow, &folderWindow, &mainWindow));
    mainWindow.SetPeers({&passwordDialog, &progressPage, &resultWindow, &folderWindow, &wipeDialog, &md5Window,
                         &opacityWindow, &aboutWindow, &passwordGenerator, &randomNumbers, &textWindow});
    mainWindow.show();

    const int result = app.exec();

    // Jobs still running stop at their next chunk and remove their partial outputs before the windows go;
    // nothing stays on screen meanwhile.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    state.CancelRequested = true;
    state.WipeStopRequested = true; // a wipe stops after its group being written, leaving the file named
    md5Window.StopHashing();
    jobs::JobThread::WaitForAll(std::chrono::seconds(30));
    SetJobWindows(JobWindows());
    return result;
}
