// Folder batches through the job classes (no windows): N files of 4 KiB in one folder, encrypted and
// then decrypted as one batch each, and encrypted once more with compression, next to a shell loop that runs
// zarkent-cli once per file on the same files in the same run. Also the peak memory after each batch, for N and for
// N/10 files, so that growth with the number of files shows.
//
// Usage: bench_batch ZARKENT_CLI [N]   (N defaults to 10000; the folder is made under /dev/shm)
//        bench_batch --encrypt-folder FOLDER   (one encryption batch of the window over FOLDER's files, its
//        seconds on standard output; bench_tree.sh sets it against zarkent-cli encrypt -r)

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "core/platform/Process.h"
#include "core/state/FolderScan.h"
#include "core/state/SharedState.h"
#include "gui/jobs/JobThread.h"
#include "gui/jobs/TopluJobs.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

long PeakKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void MakeFiles(const fs::path& folder, int count) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::string block(4096, 'x');
    for (int i = 0; i < count; ++i) {
        for (int k = 0; k < 8; ++k)
            block[static_cast<std::size_t>(k)] = static_cast<char>('a' + (i >> (3 * k)) % 8);
        std::ofstream(folder / ("f" + std::to_string(i)), std::ios::binary) << block;
    }
}

template <class Batch> double RunBatch(const fs::path& folder, const char* mask) {
    const zarkent::FolderScan scan = zarkent::ListFolderFiles(folder.string(), mask);
    const auto start = Clock::now();
    zarkent::jobs::JobThread::StartOwned<Batch>(scan.files, std::string("bench password"), scan.count)->WaitFor();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    zarkent::KeepLargeBuffersForReuse(); // as the window program does
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--encrypt-folder") {
        const double seconds = RunBatch<zarkent::TTopluSifrele>(argv[2], "*.*");
        if (zarkent::State().EncryptFailed) {
            std::fprintf(stderr, "the batch failed\n");
            return 1;
        }
        std::printf("%.3f\n", seconds);
        return 0;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_batch ZARKENT_CLI [N]\n");
        return 2;
    }
    const std::string cli = fs::absolute(argv[1]).string();
    const int count = argc > 2 ? std::atoi(argv[2]) : 10000;
    const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path folder = base / "zarkent-bench-batch";

    // Fewer files first: the peak memory of the larger batch must not be much above it.
    MakeFiles(folder, count / 10);
    RunBatch<zarkent::TTopluSifrele>(folder, "*.*");
    RunBatch<zarkent::TTopluCozumle>(folder, "*.zrk");
    const long smallPeak = PeakKiB();

    MakeFiles(folder, count);
    const double encrypt = RunBatch<zarkent::TTopluSifrele>(folder, "*.*");
    const long encryptPeak = PeakKiB();
    const double decrypt = RunBatch<zarkent::TTopluCozumle>(folder, "*.zrk");
    const long decryptPeak = PeakKiB();
    // Compressed, where each small file must not pay for starting the compression threads.
    MakeFiles(folder, count);
    zarkent::State().CompressOption = true;
    const double compressed = RunBatch<zarkent::TTopluSifrele>(folder, "*.*");
    zarkent::State().CompressOption = false;
    const long compressedPeak = PeakKiB();
    MakeFiles(folder, count);
    if (zarkent::State().EncryptFailed || zarkent::State().DecryptFailed) {
        std::fprintf(stderr, "a batch failed\n");
        return 1;
    }

    // The same files, one zarkent-cli process each.
    std::ofstream(folder / ".pw") << "bench password\n";
    const std::string loop = "cd '" + folder.string() + "' && for f in f*; do '" + cli +
                             "' encrypt --password-file .pw \"$f\" >/dev/null || exit 1; done";
    const auto start = Clock::now();
    if (std::system(loop.c_str()) != 0) {
        std::fprintf(stderr, "the zarkent-cli loop failed\n");
        return 1;
    }
    const double shell = std::chrono::duration<double>(Clock::now() - start).count();
    fs::remove_all(folder);

    std::printf("%d files of 4 KiB in %s\n", count, base.c_str());
    std::printf("batch encrypt       %8.0f files/s  %5.2f x the zarkent-cli loop\n", count / encrypt, shell / encrypt);
    std::printf("batch decrypt       %8.0f files/s\n", count / decrypt);
    std::printf("batch encrypt, compressed %8.0f files/s  %5.2f x the stored batch\n", count / compressed,
                encrypt / compressed);
    std::printf("zarkent-cli loop    %8.0f files/s (encrypt, one process per file)\n", count / shell);
    std::printf("peak memory: %ld KiB after %d files, %ld KiB after %d (encrypt), %ld KiB after decrypt, %ld KiB after "
                "the compressed batch\n",
                smallPeak, count / 10, encryptPeak, count, decryptPeak, compressedPeak);
    return 0;
}
