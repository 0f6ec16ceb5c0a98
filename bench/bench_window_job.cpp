// The encryption job of the main window (TSifrele with its progress page and result window, both
// reporting options on) next to zarkent-cli encrypt --keep on the same file, in the same run, stored
// and compressed, each the median of RUNS runs (default 3). Also how often the progress page was
// updated. The job removes its source afterwards, as from the main window; it is copied back between
// runs, outside the timing.
//
// Usage: bench_window_job ZARKENT_CLI [SIZE_MIB]   (SIZE_MIB defaults to 1024; the folder is made
// under /dev/shm, or BENCH_DIR)

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/lang/Language.h"
#include "core/platform/Process.h"
#include "core/state/SharedState.h"
#include "gui/jobs/DurumBelirt.h"
#include "gui/jobs/DurumSayfasi.h"
#include "gui/jobs/JobThread.h"
#include "gui/jobs/JobWindows.h"
#include "gui/jobs/SifreleJobs.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Half text, half noise, as bench_io.sh makes it.
void MakeInput(const fs::path& path, int mib) {
    const std::string words = [] {
        std::string w;
        for (int i = 0; i < 14; ++i)
            w += "zarkent protects files with a password and keeps every byte of them safe ";
        return w;
    }();
    std::string text;
    while (text.size() < (1u << 19))
        text += words;
    text.resize(1u << 19);
    std::string noise(1u << 19, '\0');
    std::mt19937_64 random(42);
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < mib; ++i) {
        if (i % 2) {
            for (char& c : noise)
                c = static_cast<char>(random());
            out << noise;
        } else {
            out << text;
        }
        out << text;
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    zarkent::KeepLargeBuffersForReuse(); // as the window program does
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform's notes ("does not support raise()") would bury the figures.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtInfoMsg && type != QtWarningMsg)
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    });
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_window_job ZARKENT_CLI [SIZE_MIB]\n");
        return 2;
    }
    const std::string cli = fs::absolute(argv[1]).string();
    const int mib = argc > 2 ? std::atoi(argv[2]) : 1024;
    const int runs = std::getenv("RUNS") ? std::max(1, std::atoi(std::getenv("RUNS"))) : 3;
    const fs::path base = std::getenv("BENCH_DIR") ? fs::path(std::getenv("BENCH_DIR"))
                          : fs::exists("/dev/shm") ? fs::path("/dev/shm")
                                                   : fs::temp_directory_path();
    const fs::path folder = base / "zarkent-bench-window";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path master = folder / "master.bin", input = folder / "input.bin", output = folder / "input.bin.zrk";
    MakeInput(master, mib);
    std::ofstream(folder / "pw") << "bench password\n";

    zarkent::Lang().ActiveLanguage = zarkent::kLanguageEnglish;
    zarkent::Lang().CopySet();
    zarkent::TDurumSayfasi page;
    zarkent::TDurumBelirt result;
    zarkent::SetJobWindows(zarkent::JobWindows(&page, &result));
    int pageUpdates = 0;
    QObject::connect(page.Durum, &QProgressBar::valueChanged, [&pageUpdates] { ++pageUpdates; });
    // As if the user had chosen Normal: a compressed job would otherwise lower the priority of the next.
    zarkent::State().PriorityChosenByUser = true;
    zarkent::State().PriorityIndex = 3;

    std::printf("file: %d MiB in %s, %u cores, %d runs each (median)\n", mib, base.c_str(),
                std::thread::hardware_concurrency(), runs);
    for (bool compress : {false, true}) {
        std::vector<double> window, command;
        double updatesPerSecond = 0;
        for (int run = 0; run < runs; ++run) {
            fs::remove(input);
            fs::copy_file(master, input);
            zarkent::State().CompressOption = compress;
            pageUpdates = 0;
            const auto start = Clock::now();
            zarkent::jobs::JobThread::Start<zarkent::TSifrele>(QString::fromStdString(input.string()),
                                                               QStringLiteral("bench password"), true, true);
            while (!zarkent::jobs::JobThread::WaitForAll(std::chrono::milliseconds(1)))
                QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            window.push_back(seconds);
            updatesPerSecond = std::max(updatesPerSecond, pageUpdates / seconds);
            if (!fs::exists(output) || fs::exists(input) || !result.Mesaj->text().startsWith("File Succesfully")) {
                std::fprintf(stderr, "the window job failed: %s\n", result.Mesaj->text().toLocal8Bit().constData());
                return 1;
            }
            result.hide();
            fs::remove(output);

            fs::copy_file(master, input);
            const std::string command_line = "cd '" + folder.string() + "' && '" + cli + "' encrypt --keep " +
                                             (compress ? "--compress " : "") +
                                             "--password-file pw input.bin >/dev/null";
            const auto cliStart = Clock::now();
            if (std::system(command_line.c_str()) != 0) {
                std::fprintf(stderr, "zarkent-cli failed\n");
                return 1;
            }
            command.push_back(std::chrono::duration<double>(Clock::now() - cliStart).count());
            fs::remove(output);
        }
        const double w = Median(window), c = Median(command);
        std::printf("%-10s window job %7.1f MB/s   zarkent-cli --keep %7.1f MB/s   %5.2f x zarkent-cli   "
                    "page updates at most %.0f/s\n",
                    compress ? "compressed" : "stored", mib * 1.048576 / w, mib * 1.048576 / c, c / w,
                    updatesPerSecond);
    }
    fs::remove_all(folder);
    return 0;
}
