// The protected folders as the system resolves them: links, trailing separators, the home folder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "TempDir.h"
#include "core/platform/KnownFolders.h"
#include "core/state/ProtectedFolders.h"

namespace zarkent {
namespace {

using namespace test;
namespace fs = std::filesystem;

// Sets $HOME for one test.
class HomeOverride {
public:
    explicit HomeOverride(const std::string& home) {
        if (const char* old = std::getenv("HOME")) old_ = old;
        ::setenv("HOME", home.c_str(), 1);
    }
    ~HomeOverride() {
        if (old_)
            ::setenv("HOME", old_->c_str(), 1);
        else
            ::unsetenv("HOME");
    }

private:
    std::optional<std::string> old_;
};

TEST(CanonicalPath, ResolvesLinksAndDropsTrailingSeparators) {
    TempDir dir;
    fs::create_directory(dir / "real");
    ASSERT_TRUE(MakeSymlink(dir / "real", dir / "link"));
    const std::string real = fs::canonical(dir / "real").string();
    EXPECT_EQ(CanonicalPath(dir / "real/"), real);
    EXPECT_EQ(CanonicalPath(dir / "link"), real);
    EXPECT_EQ(CanonicalPath(dir / "link/../real/."), real);
    EXPECT_EQ(CanonicalPath("/"), "/");
    EXPECT_EQ(CanonicalPath(dir / "missing"), std::nullopt);
    EXPECT_EQ(CanonicalPath(""), std::nullopt);
}

// The program's folder, the home folder and the system's folders are refused however they are
// written: without their separator, through a link, or through the system's own links (/bin).
TEST(CheckBatchFolder, RefusesEverySpellingOfAProtectedFolder) {
    TempDir dir;
    for (const char* name : {"prog", "prog/sub", "home", "home/Documents"})
        fs::create_directory(dir / name);
    ASSERT_TRUE(MakeSymlink(dir / "prog", dir / "to-prog"));
    ASSERT_TRUE(MakeSymlink(dir / "home", dir / "to-home"));
    ASSERT_TRUE(MakeSymlink("/etc", dir / "to-etc"));
    const HomeOverride home(dir / "home/");
    const std::string program = dir / "prog/";
    const struct {
        std::string folder;
        FolderProtection expected;
    } cases[] = {
        {dir / "prog", FolderProtection::ProgramFolder},
        {dir / "prog/", FolderProtection::ProgramFolder},
        {dir / "to-prog", FolderProtection::ProgramFolder},
        {dir / "prog/sub", FolderProtection::None},
        {dir / "home", FolderProtection::HomeFolder},
        {dir / "to-home/", FolderProtection::HomeFolder},
        {dir / "home/Documents", FolderProtection::None},
        {"/etc", FolderProtection::SystemFolder},
        {"/usr/", FolderProtection::SystemFolder},
        {dir / "to-etc", FolderProtection::SystemFolder},
        {"/bin", FolderProtection::SystemFolder},
        {fs::canonical("/bin").string(), FolderProtection::SystemFolder},
        {"/usr/share", FolderProtection::None},
        {dir.Path().string(), FolderProtection::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckBatchFolder(c.folder, program), c.expected) << c.folder;
}

} // namespace
} // namespace zarkent
