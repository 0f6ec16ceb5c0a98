// The folder scan of the batches.

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "TempDir.h"
#include "state/FolderScan.h"

namespace zarkent {
namespace {

using test::TempDir;
using test::WriteBytes;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

Names Listed(const TempDir& dir, const std::string& mask) {
    Names names;
    for (const std::string& path : ListFolderFiles(dir.Path().string(), mask).files)
        names.push_back(path.substr(dir.Path().string().size()));
    return names;
}

// Regular files only, hidden ones too; no subfolder, no link (not followed), no FIFO; name order; any
// bytes in a name.
TEST(FolderScan, ListsThePlainFilesOfTheFolderItself) {
    TempDir dir, elsewhere;
    const std::string odd = "we\"ird, na\nme \xff\xfe";
    for (const std::string& name : {std::string("b.txt"), std::string(".hidden"), std::string("a.zrk"),
                                    std::string("c.ZRK"), std::string("noext"), odd})
        WriteBytes(dir / name, {1});
    fs::create_directory(dir / "sub");
    fs::create_directory(dir / "sub.zrk");
    WriteBytes(dir / "sub/inner.txt", {1});
    WriteBytes(elsewhere / "target.zrk", {1});
    fs::create_symlink(elsewhere / "target.zrk", dir / "link.zrk");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);

    EXPECT_EQ(Listed(dir, "*.*"), (Names{"/.hidden", "/a.zrk", "/b.txt", "/c.ZRK", "/noext", "/" + odd}));
    // Masks match in any letter case, as they do on Windows; the batch itself takes only ".zrk".
    EXPECT_EQ(Listed(dir, "*.zrk"), (Names{"/a.zrk", "/c.ZRK"}));
    EXPECT_EQ(ListFolderFiles(dir.Path().string(), "*.*").count, 6);
}

TEST(FolderScan, StoresAtMostTheLimitButCountsAll) {
    TempDir dir;
    for (std::size_t i = 0; i <= MaxBatchFiles; ++i)
        WriteBytes(dir / ("f" + std::to_string(i)), {});
    const FolderScan scan = ListFolderFiles(dir.Path().string(), "*.*");
    EXPECT_EQ(scan.count, static_cast<std::int32_t>(MaxBatchFiles + 1));
    EXPECT_EQ(scan.files.size(), MaxBatchFiles);
}

TEST(FolderScan, UnreadableFolderIsAnError) {
    EXPECT_EQ(test::ErrorOf([] { ListFolderFiles("/no/such/folder", "*.*"); }),
              "Cannot read folder \"/no/such/folder\". No such file or directory");
}

} // namespace
} // namespace zarkent
