// The folder scan and what only POSIX folders hold: links (never followed), FIFOs, any bytes in a name.

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "TempDir.h"
#include "core/state/FolderScan.h"

namespace zarkent {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(FolderScan, SkipsLinksAndFifosAndKeepsAnyBytes) {
    test::TempDir dir, elsewhere;
    const std::string odd = "we\"ird, na\nme \xff\xfe";
    test::WriteBytes(dir / odd, {1});
    test::WriteBytes(elsewhere / "target.zrk", {1});
    fs::create_symlink(elsewhere / "target.zrk", dir / "link.zrk");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(ListFolderFiles(dir.Path().string(), "*.*").files, Names{dir / odd});
}

} // namespace
} // namespace zarkent
