// The secure wipe engine.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "TempDir.h"
#include "core/cipher/Bytes.h"
#include "core/platform/Paths.h"
#include "core/state/SharedState.h"
#include "core/wipe/DosyaSilici.h"

namespace zarkent {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

struct Record {
    std::vector<std::pair<int, std::int64_t>> writes;
    std::int64_t sizeBeforeCut = -1;
    std::int32_t percentBeforeCut = -1;
    std::vector<std::uint8_t> random, left; // the random pattern as written, what the file held before the cut
    std::string name;
};

Record Wipe(const std::string& path, int method) {
    Record r;
    WipeHooks hooks;
    hooks.blockWritten = [&](int pattern, std::int64_t offset) {
        r.writes.emplace_back(pattern, offset);
        if (pattern == 2 && offset == 0 && r.random.empty()) r.random = ReadBytes(path);
    };
    hooks.nameDrawn = [&](const std::string& name) { r.name = name; };
    hooks.beforeCut = [&] {
        r.left = ReadBytes(path);
        r.sizeBeforeCut = static_cast<std::int64_t>(r.left.size());
        r.percentBeforeCut = State().WipePercent.load();
    };
    { TDosyaSilici wiper(path, static_cast<std::uint8_t>(method), hooks); }
    return r;
}

// Writes, growth to whole blocks, and the percent counter of the examples.
TEST(Wipe, PassesWritesAndPercent) {
    struct Case {
        std::size_t size;
        int method;
        std::size_t writes;
        std::int64_t grownTo;
        std::int32_t percent;
    };
    const Case cases[] = {
        {0, 0, 4, 32768, 1},              // an empty file still gets one block; every block is a step
        {1, 0, 4, 32768, 1},              //
        {100, 0, 4, 32768, 1},            //
        {70000, 2, 84, 98304, 21},        // 3 blocks x 4 patterns x 7 passes; 21 blocks, each a step
        {3276800, 0, 400, 3276800, 100},  // a hundredth is exactly one block
        {1048576, 6, 15360, 1048576, 98}, // 39 blocks per step, 3840 blocks
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteBytes(dir / "f", PatternBytes(c.size));
        const Record r = Wipe(dir / "f", c.method);
        EXPECT_EQ(r.writes.size(), c.writes) << c.size;
        EXPECT_EQ(r.sizeBeforeCut, c.grownTo) << c.size;
        EXPECT_EQ(r.percentBeforeCut, c.percent) << c.size;
        EXPECT_EQ(dir.Entries(), Names{}) << c.size;
        EXPECT_EQ(State().WipePercent.load(), 0); // reset by the destructor
        EXPECT_EQ(TDosyaSilici::BytesPerPercent(), 0.0);
        EXPECT_EQ(TDosyaSilici::ByteAccumulator(), 0);
    }
}

// Each block position gets zeros, ones, random and its complement, in that order, every pass; the
// complement is what the file holds before the cut. The random words are below 1234567890.
TEST(Wipe, PatternsInOrder) {
    TempDir dir;
    WriteBytes(dir / "f", PatternBytes(40000));
    const Record r = Wipe(dir / "f", 1);
    ASSERT_EQ(r.writes.size(), 24u);
    std::map<std::int64_t, std::vector<int>> byPosition;
    for (const auto& [pattern, offset] : r.writes)
        byPosition[offset].push_back(pattern);
    const std::vector<int> threePasses{0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3};
    EXPECT_EQ(byPosition, (std::map<std::int64_t, std::vector<int>>{{0, threePasses}, {32768, threePasses}}));
    ASSERT_GE(r.random.size(), 32768u);
    ASSERT_EQ(r.left.size(), 65536u);
    for (std::size_t i = 0; i < 32768; i += 4) {
        const std::uint32_t random = LoadLE32(&r.random[i]);
        EXPECT_LT(random, 1234567890u);
        ASSERT_EQ(LoadLE32(&r.left[i]), ~random) << i;
        ASSERT_EQ(LoadLE32(&r.left[i + 32768]), ~random) << i;
    }
}

// The random name: digits only, in the same folder, drawn again when taken; the file planted under
// it survives, and only the wiped file goes.
TEST(Wipe, RandomNameNeverReplacesAnotherFile) {
    TempDir dir;
    WriteBytes(dir / "f", PatternBytes(10));
    std::vector<std::string> drawn;
    WipeHooks hooks;
    hooks.nameDrawn = [&](const std::string& name) {
        drawn.push_back(name);
        if (drawn.size() == 1) WriteBytes(name, {7}); // someone else's file under the first name
    };
    { TDosyaSilici wiper(dir / "f", 0, hooks); }
    ASSERT_EQ(drawn.size(), 2u);
    for (const std::string& name : drawn) {
        EXPECT_EQ(DirectoryPart(name), dir.Path().string() + PreferredSeparator);
        EXPECT_EQ(NamePart(name).find_first_not_of("0123456789"), std::string::npos) << name;
    }
    EXPECT_EQ(dir.Entries(), Names{NamePart(drawn[0])});
    EXPECT_EQ(ReadBytes(drawn[0]), std::vector<std::uint8_t>{7});
}

TEST(Wipe, MethodSevenAndAboveDoNothing) {
    TempDir dir;
    WriteBytes(dir / "f", PatternBytes(100));
    const Record r = Wipe(dir / "f", 7);
    EXPECT_TRUE(r.writes.empty());
    EXPECT_EQ(ReadBytes(dir / "f"), PatternBytes(100));
}

// What is refused before anything is written.
TEST(Wipe, RefusedFiles) {
    TempDir dir;
    fs::create_directory(dir / "folder");
    WriteBytes(dir / "linked", PatternBytes(100));
    fs::create_hard_link(dir / "linked", dir / "other name");
    WriteBytes(dir / "readonly", PatternBytes(100));
    fs::permissions(dir / "readonly", fs::perms::owner_read | fs::perms::group_read);
    const std::pair<std::string, std::string> cases[] = {
        {dir / "folder", "Cannot open file \"" + (dir / "folder") + "\". Is a directory"},
        {dir / "linked", "Cannot wipe file \"" + (dir / "linked") +
                             "\". It has 1 other name(s) (hard links), under which its contents would live on"},
        {dir / "readonly", "Cannot open file \"" + (dir / "readonly") + "\". Permission denied"},
        {dir / "missing", "Cannot open file \"" + (dir / "missing") + "\". No such file or directory"},
    };
    for (const auto& [path, message] : cases)
        EXPECT_EQ(ErrorOf([&] { TDosyaSilici wiper(path, 0); }), message);
    EXPECT_EQ(State().WipePercent.load(), 0);
    for (const char* name : {"linked", "readonly"})
        EXPECT_EQ(ReadBytes(dir / name), PatternBytes(100)) << name;
    EXPECT_EQ(dir.Entries(), (Names{"folder", "linked", "other name", "readonly"}));
    fs::permissions(dir / "readonly", fs::perms::owner_write, fs::perm_options::add); // so that it can be cleaned up
}

} // namespace
} // namespace zarkent
