// The folder scan of the batches.

#include <gtest/gtest.h>

#include <filesystem>

#include "TempDir.h"
#include "core/platform/Paths.h"
#include "core/state/FolderScan.h"

namespace zarkent {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

Names Listed(const TempDir& dir, const std::string& mask) {
    Names names;
    for (const std::string& path : ListFolderFiles(dir.Path().string(), mask).files)
        names.push_back(path.substr(dir.Path().string().size() + 1)); // after the separator
    return names;
}

// Regular files only, hidden ones too; no subfolder; name order; names beyond ASCII.
TEST(FolderScan, ListsThePlainFilesOfTheFolderItself) {
    TempDir dir;
    const std::string odd = "şifreli, ğ.txt";
    for (const std::string& name : {std::string("b.txt"), std::string(".hidden"), std::string("a.zrk"),
                                    std::string("c.ZRK"), std::string("noext"), odd})
        WriteBytes(dir / name, {1});
    fs::create_directory(dir / "sub");
    fs::create_directory(dir / "sub.zrk");
    WriteBytes(dir / "sub/inner.txt", {1});

    EXPECT_EQ(Listed(dir, "*.*"), (Names{".hidden", "a.zrk", "b.txt", "c.ZRK", "noext", odd}));
    // Masks match in any letter case, as they do on Windows; the batch itself takes only ".zrk".
    EXPECT_EQ(Listed(dir, "*.zrk"), (Names{"a.zrk", "c.ZRK"}));
    EXPECT_EQ(ListFolderFiles(dir.Path().string(), "*.*").count, 6);
    // A folder given with its separator gets no second one.
    const std::string withSeparator = dir.Path().string() + PreferredSeparator;
    EXPECT_EQ(ListFolderFiles(withSeparator, "*.zrk").files, (Names{withSeparator + "a.zrk", withSeparator + "c.ZRK"}));
}

// The scan of an encryption batch leaves finished .zrk files out (exactly ".zrk", as the direction
// rule reads it), so that a second run never makes name.zrk.zrk; they do not count either.
TEST(FolderScan, EncryptionScanSkipsEncryptedFiles) {
    TempDir dir;
    for (const char* name : {"a.zrk", "b.ZRK", "c.zrk.txt", "d", "e.zrk.zrk", ".zrk"})
        WriteBytes(dir / name, {1});
    fs::create_directory(dir / "f");
    const FolderScan scan = ListFolderFiles(dir.Path().string(), "*.*", true);
    EXPECT_EQ(scan.count, 3);
    Names names;
    for (const std::string& path : scan.files)
        names.push_back(path.substr(dir.Path().string().size() + 1));
    EXPECT_EQ(names, (Names{"b.ZRK", "c.zrk.txt", "d"}));
}

// A folder handed over starts with decryption only when it holds files and every one is a .zrk file;
// subfolders do not count.
TEST(FolderScan, HoldsOnlyEncryptedFiles) {
    const struct {
        Names files;
        bool expected;
    } cases[] = {
        {{}, false},
        {{"a.zrk"}, true},
        {{"a.zrk", "b.zrk", "sub/"}, true},
        {{"sub/"}, false},
        {{"a.zrk", "b.ZRK"}, false},
        {{"a.zrk", ".hidden"}, false},
        {{"a.txt", "b.zrk"}, false},
    };
    for (const auto& c : cases) {
        TempDir dir;
        for (const std::string& name : c.files) {
            if (name.ends_with('/'))
                fs::create_directory(dir / name);
            else
                WriteBytes(dir / name, {1});
        }
        EXPECT_EQ(HoldsOnlyEncryptedFiles(dir.Path().string()), c.expected) << testing::PrintToString(c.files);
    }
    EXPECT_FALSE(HoldsOnlyEncryptedFiles("/no/such/folder"));
}

TEST(FolderScan, StoresAtMostTheLimitButCountsAll) {
#ifdef ZARKENT_UNDER_EMULATOR
    GTEST_SKIP() << "10001 files take minutes under Wine; the same code runs in the Linux suite";
#endif
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
