// The tree walk of encrypt -r and decrypt -r: which entries are worked on, skipped or failed, that its
// own outputs are never taken up again, and the rules for other file systems, protected folders and
// depth, with a visitor that makes outputs as the real commands name them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "TempDir.h"
#include "core/platform/KnownFolders.h"
#include "core/state/TreeWalk.h"

namespace zarkent {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// Records the walk, with paths relative to the root and '/' between names; Work makes the output the
// commands would: NAME.zrk for encryption, NAME less one ".zrk" for decryption.
class Recorder : public TreeVisitor {
public:
    Recorder(std::string root, bool encrypt) : root_(std::move(root)), encrypt_(encrypt) {}

    bool StopRequested() override { return stopAfter_ >= 0 && static_cast<int>(worked.size()) >= stopAfter_; }
    std::string Work(const std::string& path) override {
        worked.push_back(Relative(path));
        const std::string output = encrypt_ ? path + ".zrk" : path.substr(0, path.size() - 4);
        WriteText(output, "made");
        return output;
    }
    void Skipped(const std::string& path, SkipReason reason) override {
        skipped.push_back(Relative(path) + " " + std::to_string(static_cast<int>(reason)));
    }
    void Failed(const std::string& path, const std::string& reason) override {
        failed.push_back(Relative(path) + ": " + reason);
    }
    void StopAfter(int files) { stopAfter_ = files; }

    Lines Sorted(Lines lines) const {
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    Lines worked, skipped, failed;

private:
    std::string Relative(const std::string& path) const {
        std::string relative = path.substr(std::min(path.size(), root_.size() + 1));
        std::replace(relative.begin(), relative.end(), '\\', '/');
        return relative;
    }
    std::string root_;
    bool encrypt_;
    int stopAfter_ = -1;
};

std::string Reason(SkipReason reason) {
    return " " + std::to_string(static_cast<int>(reason));
}

// Enough files, with long enough names, in one folder that its listing takes several reads of the
// system's buffer (32 KiB in glibc) and so meets some of the outputs made while it is read (on ext4 it
// does; a tmpfs listing never shows files made after it began, and there only the counts are checked).
constexpr int manyFiles = 400;
std::string LongName(int i) {
    return "f" + std::to_string(i) + std::string(150, 'n');
}

TEST(TreeWalk, EncryptsEveryFileOnceAndReportsOnlyTheZrkFilesThatWereThere) {
    TempDir dir;
    const std::string root = dir / "root";
    WriteText(root + "/top.txt", "a");
    WriteText(root + "/old.zrk", "z");
    WriteText(root + "/sub/deeper/file", "b");
    fs::create_directory(PathOf(root + "/empty"));
    Lines expected = {"sub/deeper/file", "top.txt"};
    for (int i = 0; i < manyFiles; ++i) {
        WriteText(root + "/many/" + LongName(i), "c");
        expected.push_back("many/" + LongName(i));
    }
    std::sort(expected.begin(), expected.end());

    Recorder recorder(root, true);
    TreeWalkRules rules;
    EXPECT_EQ(WalkTree(root, rules, recorder), WalkEnd::Finished);
    EXPECT_EQ(recorder.Sorted(recorder.worked), expected);
    EXPECT_EQ(recorder.skipped, Lines{"old.zrk" + Reason(SkipReason::AlreadyEncrypted)});
    EXPECT_EQ(recorder.failed, Lines{});
    // Depth first: a folder's files come together, not mixed with another folder's.
    const auto firstMany = std::find_if(recorder.worked.begin(), recorder.worked.end(),
                                        [](const std::string& path) { return path.starts_with("many/"); });
    EXPECT_TRUE(std::all_of(firstMany, firstMany + manyFiles,
                            [](const std::string& path) { return path.starts_with("many/"); }));
}

// A decrypted file whose stored name ends in .zrk (a file encrypted twice) is decrypted once: the walk
// that made it does not take it up again, a second walk would.
TEST(TreeWalk, DecryptsOnlyZrkFilesAndNeverItsOwnOutputs) {
    TempDir dir;
    const std::string root = dir / "root";
    Lines expected;
    for (int i = 0; i < manyFiles; ++i) {
        WriteText(root + "/" + LongName(i) + ".zrk.zrk", "z");
        expected.push_back(LongName(i) + ".zrk.zrk");
    }
    WriteText(root + "/plain.txt", "p");
    WriteText(root + "/sub/one.zrk", "z");
    expected.push_back("sub/one.zrk");
    std::sort(expected.begin(), expected.end());

    Recorder recorder(root, false);
    TreeWalkRules rules;
    rules.encrypt = false;
    EXPECT_EQ(WalkTree(root, rules, recorder), WalkEnd::Finished);
    EXPECT_EQ(recorder.Sorted(recorder.worked), expected);
    EXPECT_EQ(recorder.skipped, Lines{});
    EXPECT_EQ(recorder.failed, Lines{});

    // The outputs are .zrk files a later walk does take up.
    for (int i = 0; i < manyFiles; ++i)
        fs::remove(PathOf(root + "/" + LongName(i) + ".zrk.zrk"));
    Recorder again(root, false);
    WalkTree(root, rules, again);
    EXPECT_EQ(again.worked.size(), manyFiles + 1u);
    EXPECT_EQ(std::count(again.worked.begin(), again.worked.end(), LongName(7) + ".zrk"), 1);
}

// The walk stays on the root's file system: what the comparison calls another one is passed over
// whole, a folder or a file. (The device numbers themselves are checked end to end on a real mount.)
TEST(TreeWalk, PassesOverWhatIsOnAnotherFileSystem) {
    TempDir dir;
    const std::string root = dir / "root";
    WriteText(root + "/mnt/inside/file", "x");
    WriteText(root + "/mounted-file", "x");
    WriteText(root + "/here/file", "x");
    Recorder recorder(root, true);
    TreeWalkRules rules;
    std::vector<std::uint64_t> rootDevices;
    rules.sameFileSystem = [&](std::uint64_t rootDevice, std::uint64_t device, const std::string& path) {
        rootDevices.push_back(rootDevice);
        const std::string name = fs::path(PathOf(path)).filename().string();
        return name != "mnt" && name != "mounted-file" && device == rootDevice;
    };
    WalkTree(root, rules, recorder);
    EXPECT_EQ(recorder.worked, Lines{"here/file"});
    EXPECT_EQ(recorder.Sorted(recorder.skipped), (Lines{"mnt" + Reason(SkipReason::OtherFileSystem),
                                                        "mounted-file" + Reason(SkipReason::OtherFileSystem)}));
    const auto device = IdentityOfPath(root)->device;
    EXPECT_TRUE(std::all_of(rootDevices.begin(), rootDevices.end(), [&](auto seen) { return seen == device; }));
}

// A protected folder met inside is passed over with everything below it; as the root it is not walked.
TEST(TreeWalk, KeepsOutOfProtectedFolders) {
    TempDir dir;
    const std::string root = dir / "root";
    WriteText(root + "/home/user/notes", "x");
    WriteText(root + "/home/user/Documents/letter", "x");
    WriteText(root + "/home/other/notes", "x");
    WriteText(root + "/prog/zarkent", "x");
    const std::string canonicalRoot = *CanonicalPath(root);
    TreeWalkRules rules;
    rules.protectedFolders.homeFolder = *CanonicalPath(root + "/home/user");
    rules.protectedFolders.programFolder = *CanonicalPath(root + "/prog");
    rules.protectedFolders.systemFolders = {"/", *CanonicalPath(root + "/home/other") + "/"};

    Recorder recorder(root, true);
    WalkTree(root, rules, recorder);
    EXPECT_EQ(recorder.worked, Lines{});
    EXPECT_EQ(recorder.Sorted(recorder.skipped),
              (Lines{"home/other" + Reason(SkipReason::SystemFolder), "home/user" + Reason(SkipReason::HomeFolder),
                     "prog" + Reason(SkipReason::ProgramFolder)}));

    Recorder atRoot(root, true);
    rules.protectedFolders.systemFolders.push_back(canonicalRoot);
    WalkTree(root, rules, atRoot);
    EXPECT_EQ(atRoot.worked, Lines{});
    EXPECT_EQ(atRoot.skipped.size(), 1u);
}

TEST(TreeWalk, RootThatIsNoFolderFails) {
    TempDir dir;
    WriteText(dir / "file", "x");
    for (const std::string& root : {dir / "file", dir / "missing"}) {
        Recorder recorder(dir.Path().string(), true);
        EXPECT_EQ(WalkTree(root, {}, recorder), WalkEnd::Finished);
        ASSERT_EQ(recorder.failed.size(), 1u) << root;
        EXPECT_NE(recorder.failed[0].find("Cannot read folder \"" + root + "\""), std::string::npos)
            << recorder.failed[0];
        EXPECT_EQ(recorder.worked, Lines{});
    }
}

// Deeper than the folders that may be open at once: that folder fails, the rest of the tree is done.
TEST(TreeWalk, FolderBeyondTheOpenLimitFailsAndTheRestGoesOn) {
    TempDir dir;
    const std::string root = dir / "root";
    std::string deep = root;
    for (int level = 1; level <= 6; ++level) {
        deep += "/" + std::to_string(level);
        WriteText(deep + "/file", "x");
    }
    WriteText(root + "/top", "x");
    Recorder recorder(root, true);
    TreeWalkRules rules;
    rules.maxOpenFolders = 4; // the root and three below it
    WalkTree(root, rules, recorder);
    EXPECT_EQ(recorder.Sorted(recorder.worked), (Lines{"1/2/3/file", "1/2/file", "1/file", "top"}));
    ASSERT_EQ(recorder.failed.size(), 1u);
    EXPECT_TRUE(recorder.failed[0].starts_with("1/2/3/4: Cannot read folder")) << recorder.failed[0];
}

TEST(TreeWalk, StopsWhenAsked) {
    TempDir dir;
    const std::string root = dir / "root";
    for (int i = 0; i < 5; ++i)
        WriteText(root + "/f" + std::to_string(i), "x");
    Recorder recorder(root, true);
    recorder.StopAfter(2);
    EXPECT_EQ(WalkTree(root, {}, recorder), WalkEnd::Stopped);
    EXPECT_EQ(recorder.worked.size(), 2u);
}

} // namespace
} // namespace zarkent
