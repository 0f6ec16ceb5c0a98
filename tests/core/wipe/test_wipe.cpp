// The secure wipe engine.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>

#include "TempDir.h"
#include "core/cipher/Bytes.h"
#include "core/platform/FileSystem.h"
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

// One wipe as the list of what it did to the file system, in order: the pattern writes ("write P @B xN":
// N blocks of pattern P from block B, consecutive blocks of one pattern as one entry), the flushes
// ("sync-file NAME"), the cut to zero length, the rename (to its target), the removal and the folder's flush.
// Names are relative to the folder, which itself shows as "."; the random name shows as "<random>".
class WipeLog {
public:
    explicit WipeLog(const TempDir& dir) : folder_(dir.Path().string() + PreferredSeparator) {
        SetFileEventHook([this](FileEvent event, const std::string& path) {
            events.push_back(EventName(event) + " " + Name(path));
            return fail ? fail(event) : 0;
        });
        hooks.blockWritten = [this](int pattern, std::int64_t offset) {
            const std::int64_t block = offset / static_cast<std::int64_t>(WipeBlockSize);
            if (!events.empty() && events.back() == Write(pattern, first_, count_) && block == first_ + count_) {
                events.back() = Write(pattern, first_, ++count_);
            } else {
                first_ = block;
                count_ = 1;
                events.push_back(Write(pattern, first_, count_));
            }
        };
        hooks.nameDrawn = [this](const std::string& name) { random_ = name; };
    }
    ~WipeLog() { SetFileEventHook({}); }
    WipeLog(const WipeLog&) = delete;
    WipeLog& operator=(const WipeLog&) = delete;

    static std::string Write(int pattern, std::int64_t first, std::int64_t count) {
        return "write " + std::to_string(pattern) + " @" + std::to_string(first) + " x" + std::to_string(count);
    }

    WipeHooks hooks;
    Names events;
    std::function<int(FileEvent)> fail; // the error an event fails with, 0 for none

private:
    std::string Name(const std::string& path) const {
        if (!random_.empty() && path == random_) return "<random>";
        const std::string name = path.rfind(folder_, 0) == 0 ? path.substr(folder_.size()) : path;
        return name.empty() ? "." : name;
    }

    std::string folder_, random_;
    std::int64_t first_ = 0, count_ = 0;
};

// Block counts of the groups of one pass, in file order, from runs of (how many groups, blocks each).
std::vector<std::int64_t> Groups(std::initializer_list<std::pair<int, std::int64_t>> runs) {
    std::vector<std::int64_t> groups;
    for (const auto& [count, blocks] : runs)
        groups.insert(groups.end(), static_cast<std::size_t>(count), blocks);
    return groups;
}

// The passes of a wipe of "f" over blocks from `start`: every group gets the four patterns in turn, each
// flushed before the next. With `grows`, the first pass makes the file longer at its last group.
Names PassEvents(int passes, const std::vector<std::int64_t>& groups, bool grows = false, std::int64_t start = 0) {
    Names events;
    for (int pass = 0; pass < passes; ++pass) {
        std::int64_t first = start;
        for (std::size_t group = 0; group < groups.size(); ++group) {
            if (grows && pass == 0 && group + 1 == groups.size()) events.push_back("grow f");
            for (int pattern = 0; pattern < 4; ++pattern) {
                events.push_back(WipeLog::Write(pattern, first, groups[group]));
                events.push_back("sync-file f");
            }
            first += groups[group];
        }
    }
    return events;
}

// The end of a wipe: the cut reaches the disk before the file goes, and so does its removal.
const Names CutEvents = {"cut f", "sync-file f"};
const Names RemovalEvents = {"rename <random>", "remove <random>", "sync-folder ."};

Names operator+(Names a, const Names& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The whole sequence of a wipe, for files of a few sizes and methods.
TEST(Wipe, EventsOfAWholeWipe) {
    constexpr std::size_t Block = WipeBlockSize;
    struct Case {
        std::size_t size;
        int method;
        std::vector<std::int64_t> groups; // of one pass
    };
    const Case cases[] = {
        {0, 0, Groups({{1, 1}})},                       // an empty file still gets one block
        {100, 1, Groups({{1, 1}})},                     //
        {70000, 2, Groups({{3, 1}})},                   // grows to 3 blocks, each a group
        {15 * Block + 1, 0, Groups({{16, 1}})},         // 16 blocks: groups of one
        {40 * Block, 0, Groups({{20, 2}})},             // a sixteenth is 2.5 blocks: groups of 2
        {47 * Block - 5, 1, Groups({{23, 2}, {1, 1}})}, // a shorter last group
        {100 * Block, 0, Groups({{16, 6}, {1, 4}})},    //
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteBytes(dir / "f", PatternBytes(c.size));
        // The first pass announces the write that needs storage beyond what the file owns.
        const std::int64_t owned = File::OpenRead(dir / "f").AllocatedSize();
        const bool grows = owned < std::max<std::int64_t>(1, static_cast<std::int64_t>((c.size + Block - 1) / Block)) *
                                       static_cast<std::int64_t>(Block);
        WipeLog log(dir);
        { TDosyaSilici wiper(dir / "f", static_cast<std::uint8_t>(c.method), log.hooks); }
        EXPECT_EQ(log.events, PassEvents(WipePasses(c.method), c.groups, grows) + CutEvents + RemovalEvents)
            << c.size << " bytes, method " << c.method;
        EXPECT_EQ(dir.Entries(), Names{}) << c.size;
    }
}

// A group is a sixteenth of the file, at least one block and at most 2048 blocks (64 MiB).
TEST(Wipe, GroupSizes) {
    const std::pair<std::int64_t, std::int64_t> cases[] = {
        {1, 1},  {15, 1},       {16, 1},       {31, 1},       {32, 2},         {47, 2},
        {48, 3}, {32767, 2047}, {32768, 2048}, {32784, 2048}, {1 << 20, 2048}, {std::int64_t{1} << 40, 2048},
    };
    for (const auto& [blocks, group] : cases)
        EXPECT_EQ(WipeGroupBlocks(blocks), group) << blocks;
}

// The percent moves at least 16 times in every pass over 16 blocks or more, as each group is counted.
// (With one or three passes: with more, a hundredth of the whole is more than a sixteenth of a pass.)
TEST(Wipe, PercentMovesThroughEveryPass) {
    const std::pair<std::size_t, int> cases[] = {{16, 0}, {31, 0}, {100, 0}, {1000, 0}, {16, 1}, {100, 1}};
    for (const auto& [blocks, method] : cases) {
        TempDir dir;
        WriteBytes(dir / "f", PatternBytes(blocks * WipeBlockSize));
        // Per pass, the percent seen at every block written, then as the next pass starts (or the file is cut).
        std::vector<std::vector<std::int32_t>> seen;
        WipeHooks hooks;
        hooks.blockWritten = [&](int pattern, std::int64_t offset) {
            const std::int32_t percent = State().WipePercent.load();
            if (pattern == 0 && offset == 0) {
                if (!seen.empty()) seen.back().push_back(percent);
                seen.emplace_back();
            }
            seen.back().push_back(percent);
        };
        hooks.beforeCut = [&] { seen.back().push_back(State().WipePercent.load()); };
        { TDosyaSilici wiper(dir / "f", static_cast<std::uint8_t>(method), hooks); }
        ASSERT_EQ(seen.size(), static_cast<std::size_t>(WipePasses(method)));
        for (std::size_t pass = 0; pass < seen.size(); ++pass) {
            const auto& p = seen[pass];
            std::size_t moves = 0;
            for (std::size_t i = 1; i < p.size(); ++i)
                moves += p[i] != p[i - 1];
            EXPECT_GE(moves, 16u) << blocks << " blocks, method " << method << ", pass " << pass;
        }
    }
}

// Another program's file put under the file's name before the cut, or under the random name after the
// rename, is never removed: the wipe stops there and says so.
TEST(Wipe, FileSwappedInIsLeftAlone) {
    struct Case {
        bool afterRename;
        Names lastEvents;
    };
    const Case cases[] = {
        {false, CutEvents},
        {true, CutEvents + Names{"rename <random>"}},
    };
    for (const Case& c : cases) {
#ifdef _WIN32
        // Windows lets no other program replace the file while the wipe has it open.
        if (!c.afterRename) continue;
#endif
        TempDir dir;
        WriteBytes(dir / "f", PatternBytes(100));
        std::string swapped; // where the other file was put
        auto swapIn = [&](const std::string& path) {
            WriteBytes(dir / "other", {7});
            fs::rename(PathOf(dir / "other"), PathOf(path)); // replaces what the name held
            swapped = path;
        };
        WipeLog log(dir);
        if (c.afterRename)
            log.hooks.afterRename = swapIn;
        else
            log.hooks.beforeCut = [&] { swapIn(dir / "f"); };
        const std::string error = ErrorOf([&] { TDosyaSilici wiper(dir / "f", 0, log.hooks); });
        EXPECT_EQ(error, "Cannot wipe file \"" + swapped +
                             "\". It was replaced while it was wiped; the new file was "
                             "left alone")
            << c.afterRename;
        EXPECT_EQ(log.events, PassEvents(1, {1}, true) + c.lastEvents) << c.afterRename;
        EXPECT_EQ(dir.Entries(), Names{NamePart(swapped)}) << c.afterRename;
        EXPECT_EQ(ReadBytes(swapped), std::vector<std::uint8_t>{7}) << c.afterRename;
        EXPECT_EQ(State().WipePercent.load(), 0);
    }
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

// What another program appends during the wipe gets the same passes before the file is cut, also when
// it appends again meanwhile; a file still growing after three such rounds is left under its name.
TEST(Wipe, AppendedDataGetsTheSamePasses) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows lets no other program write to the file while the wipe has it open";
#endif
    const std::string line = "appended during the wipe\n";
    struct Case {
        int method;
        int appends; // at the complement pattern of each of the first `appends` groups written
        Names events;
    };
    const Names cut = CutEvents + RemovalEvents;
    const Case cases[] = {
        {0, 1, PassEvents(1, {1}, true) + PassEvents(1, {1}, true, 1) + cut},
        // Appended in the first of three passes: the new block gets all three.
        {1, 1, PassEvents(1, {1}, true) + PassEvents(2, {1}) + PassEvents(3, {1}, true, 1) + cut},
        {0, 3,
         PassEvents(1, {1}, true) + PassEvents(1, {1}, true, 1) + PassEvents(1, {1}, true, 2) +
             PassEvents(1, {1}, true, 3) + cut},
        {0, 4,
         PassEvents(1, {1}, true) + PassEvents(1, {1}, true, 1) + PassEvents(1, {1}, true, 2) +
             PassEvents(1, {1}, true, 3)},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir / "f";
        WriteBytes(path, PatternBytes(100));
        WipeLog log(dir);
        int appends = 0;
        std::vector<std::uint8_t> left;
        const auto record = log.hooks.blockWritten;
        log.hooks.blockWritten = [&](int pattern, std::int64_t offset) {
            record(pattern, offset);
            if (pattern != 3 || appends == c.appends) return;
            ++appends;
            std::ofstream out(PathOf(path), std::ios::binary | std::ios::app);
            for (int i = 0; i < 40; ++i)
                out << line;
        };
        log.hooks.beforeCut = [&] { left = ReadBytes(path); };
        const std::string error =
            ErrorOf([&] { TDosyaSilici wiper(path, static_cast<std::uint8_t>(c.method), log.hooks); });
        EXPECT_EQ(log.events, c.events) << c.method << ", " << c.appends;
        if (c.appends <= WipeGrowthRounds) {
            EXPECT_EQ(error, "(no error)") << c.appends;
            EXPECT_EQ(left.size(), static_cast<std::size_t>(c.appends + 1) * WipeBlockSize);
            EXPECT_EQ(std::search(left.begin(), left.end(), line.begin(), line.end()), left.end()) << c.appends;
            EXPECT_EQ(dir.Entries(), Names{});
        } else {
            EXPECT_EQ(error, "Cannot wipe file \"" + path +
                                 "\". It kept changing during the wipe (it was still growing after 3 rounds over what "
                                 "was added); it was left under its name, partly overwritten.");
            EXPECT_EQ(dir.Entries(), Names{"f"});
            EXPECT_EQ(State().WipePercent.load(), 0);
        }
    }
}

// Where the file cannot grow for lack of space, the passes overwrite the storage it owns: up to the end of
// its last fragment, never past what it owns, every byte of its data, and the wipe completes.
TEST(Wipe, FullDiskOverwritesOwnedStorage) {
    struct Case {
        std::size_t size;
        int method;
        std::vector<std::int64_t> groups; // of one pass
        bool inPlace;
    };
    const Case cases[] = {
        {5000, 1, {1}, true},
        {70000, 1, {1, 1, 1}, true},              // two whole blocks and a shorter last one
        {0, 0, {}, true},                         // owns nothing: nothing to overwrite
        {3 * WipeBlockSize, 0, {1, 1, 1}, false}, // needs no new space
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir / "f";
        WriteBytes(path, PatternBytes(c.size));
        const auto size = static_cast<std::int64_t>(c.size);
        std::int64_t owned = 0, end = size;
        {
            const File file = File::OpenRead(path);
            owned = file.AllocatedSize();
            const std::int64_t fragment = file.FragmentSize();
            if (c.inPlace) end = std::max(size, std::min((size + fragment - 1) / fragment * fragment, owned));
        }
        WipeLog log(dir);
        log.fail = [](FileEvent event) { return event == FileEvent::Grow ? ENOSPC : 0; };
        std::vector<std::uint8_t> random, left;
        const auto record = log.hooks.blockWritten;
        log.hooks.blockWritten = [&](int pattern, std::int64_t offset) {
            record(pattern, offset);
            if (pattern == 2 && offset == 0 && random.empty()) random = ReadBytes(path);
        };
        log.hooks.beforeCut = [&] { left = ReadBytes(path); };
        bool inPlace = false;
        {
            TDosyaSilici wiper(path, static_cast<std::uint8_t>(c.method), log.hooks);
            inPlace = wiper.FOverwroteInPlace;
        }
        const Names passes = c.groups.empty() ? Names{"grow f"} : PassEvents(WipePasses(c.method), c.groups, c.inPlace);
        EXPECT_EQ(log.events, passes + CutEvents + RemovalEvents) << c.size;
        EXPECT_EQ(inPlace, c.inPlace) << c.size;
        EXPECT_EQ(static_cast<std::int64_t>(left.size()), end) << c.size;
        EXPECT_LE(static_cast<std::int64_t>(left.size()), std::max(size, owned)) << c.size;
        for (std::size_t i = 0; i < left.size(); ++i)
            ASSERT_EQ(left[i], static_cast<std::uint8_t>(~random.at(i % WipeBlockSize))) << c.size << " at " << i;
        EXPECT_EQ(dir.Entries(), Names{}) << c.size;
    }
}

// A stop takes effect after the group being written and its flush: the file stays under its name, what
// was written stays written, and nothing else is touched.
TEST(Wipe, StopAfterTheCurrentGroup) {
    struct Case {
        int method;
        int pattern;
        std::int64_t block;     // the stop arrives while this pattern is written to the group of this block
        std::size_t eventsLeft; // of the whole wipe's passes
    };
    const Names whole = PassEvents(1, Groups({{20, 2}}));
    const Case cases[] = {
        {0, 1, 4, 2 * (4 * 2 + 2)}, // groups 0, 1 whole, group 2 zeros and ones
        {0, 3, 38, whole.size()},   // after the last flush, before the cut
        {0, 0, 0, 2},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir / "f";
        WriteBytes(path, PatternBytes(40 * WipeBlockSize));
        WipeLog log(dir);
        std::atomic<bool> stop{false};
        log.hooks.stop = &stop;
        const auto record = log.hooks.blockWritten;
        log.hooks.blockWritten = [&](int pattern, std::int64_t offset) {
            record(pattern, offset);
            if (pattern == c.pattern && offset == c.block * static_cast<std::int64_t>(WipeBlockSize)) stop = true;
        };
        ErrorKind kind = ErrorKind::General;
        std::string error;
        try {
            TDosyaSilici wiper(path, static_cast<std::uint8_t>(c.method), log.hooks);
        } catch (const WipeLeftFile& e) {
            kind = e.Kind();
            error = e.what();
            EXPECT_EQ(e.Why(), WipeLeftFile::Reason::Stopped);
        }
        EXPECT_EQ(error,
                  "The wipe of \"" + path + "\" was stopped; the file was left under its name, partly overwritten.");
        EXPECT_EQ(kind, ErrorKind::Cancelled);
        EXPECT_EQ(log.events, Names(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(c.eventsLeft)))
            << c.pattern << " @" << c.block;
        EXPECT_EQ(dir.Entries(), Names{"f"});
        EXPECT_EQ(State().WipePercent.load(), 0);
        const std::vector<std::uint8_t> now = ReadBytes(path);
        ASSERT_EQ(now.size(), 40 * WipeBlockSize);
        // The group the stop arrived in holds the pattern just flushed; the next group is untouched.
        const std::size_t group = static_cast<std::size_t>(c.block / 2 * 2) * WipeBlockSize;
        if (c.pattern < 2) {
            EXPECT_EQ(LoadLE32(&now[group]), static_cast<std::uint32_t>(c.pattern));
        }
        const std::vector<std::uint8_t> original = PatternBytes(40 * WipeBlockSize);
        const std::size_t next = group + 2 * WipeBlockSize;
        if (next < now.size()) {
            EXPECT_TRUE(std::equal(now.begin() + static_cast<std::ptrdiff_t>(next), now.end(),
                                   original.begin() + static_cast<std::ptrdiff_t>(next)));
        }
    }
}

// The file systems where overwriting in place is known not to reach the old blocks, or cannot be known to.
TEST(Wipe, FileSystemTypes) {
    const std::pair<std::uint64_t, OverwriteReach> cases[] = {
        {0xef53, OverwriteReach::Device},                // ext2/3/4
        {0x58465342, OverwriteReach::Device},            // XFS (reflinks cannot be told by type)
        {0x4d44, OverwriteReach::Device},                // FAT
        {0x5346544e, OverwriteReach::Device},            // NTFS
        {0x01021994, OverwriteReach::Memory},            // tmpfs
        {0x858458f6, OverwriteReach::Memory},            // ramfs
        {0x9123683e, OverwriteReach::Elsewhere},         // btrfs
        {0x2fc12fc1, OverwriteReach::Elsewhere},         // ZFS
        {0xca451a4e, OverwriteReach::Elsewhere},         // bcachefs
        {0x794c7630, OverwriteReach::Elsewhere},         // overlay
        {0x6969, OverwriteReach::Elsewhere},             // NFS
        {0x517b, OverwriteReach::Elsewhere},             // SMB
        {0xff534d42, OverwriteReach::Elsewhere},         // CIFS
        {0xfe534d42, OverwriteReach::Elsewhere},         // SMB2
        {0xffffffffff534d42, OverwriteReach::Elsewhere}, // CIFS as a sign-extended 32-bit f_type
        {0x65735546, OverwriteReach::Elsewhere},         // FUSE
    };
    for (const auto& [type, reach] : cases)
        EXPECT_EQ(OverwriteReachOfType(type), reach) << std::hex << type;
}

} // namespace
} // namespace zarkent
