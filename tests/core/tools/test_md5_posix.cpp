// MD5 of files that only POSIX systems have.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TempDir.h"
#include "core/platform/FileSystem.h"
#include "core/tools/md5.h"

namespace zarkent {
namespace {

// Nothing blocks on a FIFO: it is refused before it is read.
TEST(Md5, FifoIsRefused) {
    test::TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(test::ErrorOf([&] { Md5OfFile(dir / "fifo"); }),
              "Cannot open file \"" + (dir / "fifo") + "\". It is a FIFO, not a regular file");
}

// A read that fails leaves the file where it was: standard input opened for writing only refuses to be
// read, after the digest has moved to the start.
TEST(Md5, FailedReadKeepsThePosition) {
    test::TempDir dir;
    test::WriteBytes(dir / "f", test::PatternBytes(1000));
    const int saved = ::dup(STDIN_FILENO);
    const int writeOnly = ::open((dir / "f").c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(saved, 0);
    ASSERT_GE(writeOnly, 0);
    ASSERT_EQ(::dup2(writeOnly, STDIN_FILENO), STDIN_FILENO);
    std::string error;
    std::int64_t position = -1;
    {
        File in = File::StandardInput();
        in.Seek(123);
        error = test::ErrorOf([&] { Md5OfStream(in); });
        position = in.Position();
    }
    ::dup2(saved, STDIN_FILENO);
    ::close(saved);
    ::close(writeOnly);
    EXPECT_EQ(error, "Cannot read file \"-\". Bad file descriptor");
    EXPECT_EQ(position, 123);
}

} // namespace
} // namespace zarkent
