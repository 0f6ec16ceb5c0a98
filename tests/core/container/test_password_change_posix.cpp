// Changing a password where POSIX permissions, links and FIFOs exist.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "Job.h"
#include "TempDir.h"
#include "core/container/FileJob.h"
#include "core/container/Naming.h"
#include "core/container/PasswordChange.h"

namespace zarkent {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

std::string MakeZrk(const TempDir& dir) {
    Job job;
    WriteBytes(dir / "a.txt", PatternBytes(1000));
    const FileOutcome outcome = EncryptOneFile(dir / "a.txt", "one", job.context);
    fs::remove(dir / "a.txt");
    return outcome.output;
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

// The new file has the old one's permission bits, whatever the umask, also read-only ones.
TEST(PasswordChange, PermissionsAreKept) {
    const mode_t umaskBefore = ::umask(077);
    for (const mode_t mode : {0640, 0604, 0444, 0666, 0600}) {
        TempDir dir;
        const std::string zrk = MakeZrk(dir);
        ASSERT_EQ(::chmod(zrk.c_str(), mode), 0);
        ASSERT_TRUE(ChangePassword(zrk, "one", "two"));
        EXPECT_EQ(ModeOf(zrk), mode) << std::oct << mode;
        EXPECT_EQ(dir.Entries(), Names{"a.txt.zrk"});
    }
    ::umask(umaskBefore);
}

// A link is never followed, a FIFO never opened for its contents, and a file with other names is left
// alone: those names would keep the old password.
TEST(PasswordChange, OnlyAFileOfOneName) {
    TempDir dir;
    const std::string zrk = MakeZrk(dir);
    const auto before = ReadBytes(zrk);
    ASSERT_TRUE(MakeSymlink(zrk, dir / "link.zrk"));
    EXPECT_EQ(ErrorOf([&] { ChangePassword(dir / "link.zrk", "one", "two"); }),
              "Cannot open file \"" + (dir / "link.zrk") + "\". It is a symbolic link to \"" + zrk +
                  "\"; choose that file itself");
    ASSERT_EQ(::mkfifo((dir / "fifo.zrk").c_str(), 0600), 0);
    EXPECT_EQ(ErrorOf([&] { ChangePassword(dir / "fifo.zrk", "one", "two"); }),
              "Cannot open file \"" + (dir / "fifo.zrk") + "\". It is a FIFO, not a regular file");
    ASSERT_EQ(::link(zrk.c_str(), (dir / "other.zrk").c_str()), 0);
    EXPECT_EQ(ErrorOf([&] { ChangePassword(zrk, "one", "two"); }),
              "The password of \"" + zrk +
                  "\" was not changed: the file has other names (hard links), which would keep the old password");
    EXPECT_EQ(dir.Entries(), (Names{"a.txt.zrk", "fifo.zrk", "link.zrk", "other.zrk"}));
    EXPECT_TRUE(ReadBytes(zrk) == before);
}

// Another program that changes, replaces or removes the file while the new one is written, or replaces it
// at the last moment before the exchange, wins: its file stays as it left it, and the new one goes.
// (Windows refuses such changes while the file is read.)
TEST(PasswordChange, FileChangedMeanwhileIsKept) {
    enum class Meddle { Append, Replace, Remove, ReplaceAtTheExchange };
    for (const Meddle meddle : {Meddle::Append, Meddle::Replace, Meddle::Remove, Meddle::ReplaceAtTheExchange}) {
        TempDir dir;
        const std::string zrk = MakeZrk(dir);
        std::vector<std::uint8_t> expected = ReadBytes(zrk);
        bool done = false;
        SetFileEventHook([&](FileEvent event, const std::string& path) {
            const bool atTheExchange = meddle == Meddle::ReplaceAtTheExchange;
            if (done || event != (atTheExchange ? FileEvent::Exchange : FileEvent::SyncFile) ||
                (!atTheExchange && path.find(TempInfix) == std::string::npos))
                return 0;
            done = true;
            switch (meddle) {
            case Meddle::Append:
                std::ofstream(PathOf(zrk), std::ios::binary | std::ios::app) << "x";
                break;
            case Meddle::Replace:
            case Meddle::ReplaceAtTheExchange:
                WriteBytes(dir / "other", expected); // the same bytes, another file
                fs::rename(PathOf(dir / "other"), PathOf(zrk));
                break;
            case Meddle::Remove:
                fs::remove(PathOf(zrk));
                break;
            }
            return 0;
        });
        const std::string error = ErrorOf([&] { ChangePassword(zrk, "one", "two"); });
        SetFileEventHook({});
        EXPECT_TRUE(done);
        EXPECT_EQ(error, "The password of \"" + zrk +
                             "\" was not changed: another program changed, replaced or removed it meanwhile");
        if (meddle == Meddle::Remove) {
            EXPECT_EQ(dir.Entries(), Names{});
            continue;
        }
        if (meddle == Meddle::Append) expected.push_back('x');
        EXPECT_EQ(dir.Entries(), Names{"a.txt.zrk"});
        EXPECT_TRUE(ReadBytes(zrk) == expected);
    }
}

} // namespace
} // namespace zarkent
