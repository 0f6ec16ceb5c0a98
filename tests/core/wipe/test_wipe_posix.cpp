// The wipe engine's refusals and failures that only POSIX systems have: links, FIFOs, devices in
// /dev, file-size limits and memory file systems.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TempDir.h"
#include "core/state/SharedState.h"
#include "core/wipe/DosyaSilici.h"

namespace zarkent {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// Links and special files are refused before anything is written.
TEST(Wipe, RefusedSpecialFiles) {
    TempDir dir;
    WriteBytes(dir / "real", PatternBytes(100));
    fs::create_symlink(dir / "real", dir / "link");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {dir / "link", "Cannot open file \"" + (dir / "link") + "\". It is a symbolic link to \"" + (dir / "real") +
                           "\"; choose that file itself"},
        {dir / "fifo", "Cannot open file \"" + (dir / "fifo") + "\". It is a FIFO, not a regular file"},
        {"/dev/null", "Cannot open file \"/dev/null\". It is a character device, not a regular file"},
    };
    for (const auto& [path, message] : cases)
        EXPECT_EQ(ErrorOf([&] { TDosyaSilici wiper(path, 0); }), message);
    EXPECT_EQ(State().WipePercent.load(), 0);
    EXPECT_EQ(ReadBytes(dir / "real"), PatternBytes(100));
    EXPECT_EQ(dir.Entries(), (Names{"fifo", "link", "real"}));
}

// A write that fails ends the wipe with an error naming the file; the file keeps its name.
TEST(Wipe, FailedWriteEndsTheWipe) {
    TempDir dir;
    WriteBytes(dir / "f", PatternBytes(100));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 20000; // below one block
    ::setrlimit(RLIMIT_FSIZE, &small);
    const std::string error = ErrorOf([&] { TDosyaSilici wiper(dir / "f", 0); });
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(error, "Cannot write file \"" + (dir / "f") +
                         "\". File too large; the file was left under its name, partly overwritten.");
    EXPECT_EQ(dir.Entries(), Names{"f"});
}

// A file in memory is wiped and deleted too, but the wipe says that no overwrite reached a device.
TEST(Wipe, MemoryFileSystemIsReported) {
    if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm here";
    const std::string path = "/dev/shm/zarkent-wipe-test-" + std::to_string(::getpid());
    WriteBytes(path, PatternBytes(100));
    bool reaches = true;
    {
        TDosyaSilici wiper(path, 0);
        reaches = wiper.FReachesDevice;
    }
    EXPECT_FALSE(reaches);
    EXPECT_FALSE(fs::exists(path));
    TempDir dir; // the test folder is on a disk
    WriteBytes(dir / "f", PatternBytes(100));
    TDosyaSilici onDisk(dir / "f", 0);
    EXPECT_EQ(onDisk.FReachesDevice, dir.Path().string().rfind("/dev/shm", 0) != 0);
}

} // namespace
} // namespace zarkent
