// The tree walk among what only POSIX folders hold: links to files and folders, FIFOs, sockets, a root
// that is a link, a folder replaced by a link, and a 300-deep nesting.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "TempDir.h"
#include "core/platform/FolderReader.h"
#include "core/state/TreeWalk.h"

namespace zarkent {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class Recorder : public TreeVisitor {
public:
    explicit Recorder(std::string root) : root_(std::move(root)) {}
    bool StopRequested() override { return false; }
    std::string Work(const std::string& path) override {
        worked.push_back(Relative(path));
        if (onWork) onWork(path);
        return "";
    }
    void Skipped(const std::string& path, SkipReason reason) override {
        skipped.push_back(Relative(path) + " " + std::to_string(static_cast<int>(reason)));
    }
    void Failed(const std::string& path, const std::string& reason) override {
        failed.push_back(Relative(path) + ": " + reason);
    }
    Lines worked, skipped, failed;
    std::function<void(const std::string&)> onWork;

private:
    std::string Relative(const std::string& path) const { return path.substr(std::min(path.size(), root_.size() + 1)); }
    std::string root_;
};

std::string Reason(SkipReason reason) {
    return " " + std::to_string(static_cast<int>(reason));
}

void MakeSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

TEST(TreeWalkPosix, NeverFollowsLinksAndPassesOverSpecialFiles) {
    TempDir dir;
    const std::string root = dir / "root";
    WriteText(root + "/real", "x");
    WriteText(dir / "outside/secret", "x");
    fs::create_symlink(dir / "outside", root + "/to-folder");
    fs::create_symlink(dir / "outside/secret", root + "/to-file");
    fs::create_symlink("nowhere", root + "/dangling");
    ASSERT_EQ(::mkfifo((root + "/fifo").c_str(), 0600), 0);
    MakeSocket(root + "/socket");
    Recorder recorder(root);
    EXPECT_EQ(WalkTree(root, {}, recorder), WalkEnd::Finished);
    EXPECT_EQ(recorder.worked, Lines{"real"});
    Lines skipped = recorder.skipped;
    std::sort(skipped.begin(), skipped.end());
    EXPECT_EQ(skipped, (Lines{"dangling" + Reason(SkipReason::Link), "fifo" + Reason(SkipReason::Fifo),
                              "socket" + Reason(SkipReason::Socket), "to-file" + Reason(SkipReason::Link),
                              "to-folder" + Reason(SkipReason::Link)}));
    EXPECT_EQ(recorder.failed, Lines{});

    // A device (the system's own /dev/null, seen through a folder that holds a link to nothing else).
    FolderReader dev = FolderReader::Open("/dev");
    bool sawNull = false;
    while (const auto item = dev.Next())
        if (item->name == "null") sawNull = item->kind == EntryKind::Device;
    EXPECT_TRUE(sawNull);
}

TEST(TreeWalkPosix, RootThatIsALinkFailsWithOrWithoutSeparator) {
    TempDir dir;
    WriteText(dir / "real/file", "x");
    fs::create_symlink(dir / "real", dir / "link");
    for (const std::string& root : {dir / "link", dir / "link/", dir / "link//"}) {
        Recorder recorder(root);
        WalkTree(root, {}, recorder);
        EXPECT_EQ(recorder.worked, Lines{}) << root;
        ASSERT_EQ(recorder.failed.size(), 1u) << root;
        EXPECT_NE(recorder.failed[0].find("It is a symbolic link, which is never followed"), std::string::npos)
            << recorder.failed[0];
    }
}

// A folder that becomes a link between its listing and its opening is refused, not followed: it is
// opened through its parent's handle, without following.
TEST(FolderReader, SubfolderSwappedForALinkIsNotFollowed) {
    TempDir dir;
    const std::string root = dir / "root";
    WriteText(root + "/sub/inside", "x");
    WriteText(dir / "outside/secret", "x");
    FolderReader reader = FolderReader::Open(root);
    const std::optional<FolderItem> sub = reader.Next();
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->kind, EntryKind::Folder);
    fs::rename(PathOf(root + "/sub"), PathOf(dir / "moved"));
    fs::create_symlink(dir / "outside", root + "/sub");
    EXPECT_EQ(ErrorOf([&] { reader.OpenChild("sub", root + "/sub"); }),
              "Cannot read folder \"" + root + "/sub\". It is a symbolic link, which is never followed");
    // Replaced by another folder: the child opens, and its identity tells that it is not the one listed.
    fs::remove(PathOf(root + "/sub"));
    fs::create_directory(PathOf(root + "/sub"));
    const FolderReader other = reader.OpenChild("sub", root + "/sub");
    EXPECT_FALSE(other.Device() == sub->device && other.Inode() == sub->inode);
}

// A folder swapped between its listing and its opening (here from inside the file-system check, the
// last look before the opening): for another folder it fails, for a link it is refused; nothing of
// what now stands there is worked on.
TEST(TreeWalkPosix, FolderSwappedBeforeItsOpeningIsNotWalked) {
    for (const bool toLink : {false, true}) {
        TempDir dir;
        const std::string root = dir / "root";
        WriteText(root + "/sub/inside", "x");
        WriteText(dir / "outside/secret", "x");
        TreeWalkRules rules;
        rules.sameFileSystem = [&](std::uint64_t rootDevice, std::uint64_t device, const std::string& path) {
            if (path == root + "/sub") {
                fs::rename(PathOf(path), PathOf(dir / "moved"));
                if (toLink)
                    fs::create_symlink(dir / "outside", path);
                else
                    fs::rename(PathOf(dir / "outside"), PathOf(path));
            }
            return rootDevice == device;
        };
        Recorder recorder(root);
        WalkTree(root, rules, recorder);
        EXPECT_EQ(recorder.worked, Lines{}) << toLink;
        ASSERT_EQ(recorder.failed.size(), 1u) << toLink;
        EXPECT_EQ(recorder.failed[0], "sub: Cannot read folder \"" + root + "/sub\". " +
                                          (toLink ? "It is a symbolic link, which is never followed"
                                                  : "It was replaced while its folder was read"));
    }
}

TEST(TreeWalkPosix, Walks300FoldersDeep) {
    TempDir dir;
    const std::string root = dir / "root";
    std::string deep = root;
    for (int level = 0; level < 300; ++level)
        deep += "/d";
    WriteText(deep + "/bottom", "x");
    Recorder recorder(root);
    EXPECT_EQ(WalkTree(root, {}, recorder), WalkEnd::Finished);
    ASSERT_EQ(recorder.worked.size(), 1u);
    EXPECT_EQ(recorder.worked[0].size(), 300 * 2 + std::string("bottom").size());
    EXPECT_EQ(recorder.failed, Lines{});
}

} // namespace
} // namespace zarkent
