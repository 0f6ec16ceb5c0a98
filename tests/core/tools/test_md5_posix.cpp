// MD5 of files that only POSIX systems have.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "TempDir.h"
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

} // namespace
} // namespace zarkent
