// Changing a .zrk file's password in place: the bytes against a fresh encryption, the order of the file
// operations, and the old file whole under its name after every failure.

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>

#include "Job.h"
#include "TempDir.h"
#include "core/container/FileJob.h"
#include "core/container/Naming.h"
#include "core/container/PasswordChange.h"

namespace zarkent {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

std::string AsString(const Bytes& bytes) {
    return {bytes.begin(), bytes.end()};
}

// Encrypts `plain` as dir/a.txt with `password` and returns the .zrk file's path; a.txt goes.
std::string MakeZrk(const TempDir& dir, const Bytes& plain, bool compress, const std::string& password) {
    Job job;
    job.compress = compress;
    WriteBytes(dir / "a.txt", plain);
    const FileOutcome outcome = EncryptOneFile(dir / "a.txt", password, job.context);
    fs::remove(PathOf(dir / "a.txt"));
    return outcome.output;
}

// Records every file operation as "event name" (the temporary file's number as N), and fails the one
// numbered `failAt` (counting from 0) with `error`. `named`: as on a file system without unnamed files.
struct EventLog {
    Names events;
    EventLog(const TempDir& dir, bool named, int failAt = -1, int error = EIO) {
        SetFileEventHook([this, named, failAt, error,
                          folder = dir.Path().string() + PreferredSeparator](FileEvent event, const std::string& path) {
            if (event == FileEvent::CreateTemporary && named) return EOPNOTSUPP;
            std::string name = path.rfind(folder, 0) == 0 ? path.substr(folder.size()) : path;
            if (const auto at = name.find(TempInfix); at != std::string::npos)
                name.replace(at + TempInfix.size(), name.npos, "N");
            events.push_back(EventName(event) + " " + (name.empty() ? "." : name));
            return static_cast<int>(events.size()) - 1 == failAt ? error : 0;
        });
    }
    ~EventLog() { SetFileEventHook({}); }
};

// The result is the file that encrypting the same contents with the new password makes, byte for byte:
// stored and compressed, at sizes around the keystream words and the block edges.
TEST(PasswordChange, GivesTheBytesOfAFreshEncryption) {
    constexpr std::size_t block = 65540 * 16;
    for (const bool compress : {false, true}) {
        for (const std::size_t size :
             {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{4}, std::size_t{5}, std::size_t{65539},
              std::size_t{65540}, std::size_t{65541}, block - 1, block, block + 1, 3 * block + 2}) {
            TempDir dir;
            const Bytes plain = PatternBytes(size, static_cast<std::uint32_t>(size) + 7);
            const std::string zrk = MakeZrk(dir, plain, compress, "old password");
            ASSERT_TRUE(ChangePassword(zrk, "old password", "new şifre"));
            const Bytes changed = ReadBytes(zrk);
            EXPECT_EQ(dir.Entries(), Names{"a.txt.zrk"}) << size;
            fs::remove(PathOf(zrk));
            EXPECT_EQ(MakeZrk(dir, plain, compress, "new şifre"), zrk);
            EXPECT_TRUE(ReadBytes(zrk) == changed) << "size " << size << (compress ? " compressed" : " stored");
        }
    }
}

// Files another writer made: the new password reads them, and changing back gives the very bytes.
TEST(PasswordChange, GoldenFilesGoThereAndBack) {
    const std::string data = ZARKENT_TEST_DATA "/golden/";
    const std::string sample = AsString(ReadBytes(data + "sample.bin"));
    const struct {
        const char* file;
        const char* password;
        bool compressed;
    } golden[] = {{"sample-stored.zrk", "Zarkent golden 1", false}, {"sample-compressed.zrk", "şifre ĞÜ 2", true}};
    for (const auto& g : golden) {
        TempDir dir;
        const Bytes original = ReadBytes(data + g.file);
        WriteBytes(dir / g.file, original);
        ASSERT_TRUE(ChangePassword(dir / g.file, g.password, "another one"));
        const DecryptedBytes back = DecryptBytes("another one", AsString(ReadBytes(dir / g.file)), sample.size());
        EXPECT_EQ(back.contents, sample) << g.file;
        EXPECT_EQ(back.storedName, "sample.bin");
        EXPECT_EQ(back.compressed, g.compressed);
        ASSERT_TRUE(ChangePassword(dir / g.file, "another one", g.password));
        EXPECT_TRUE(ReadBytes(dir / g.file) == original) << g.file;
        EXPECT_EQ(dir.Entries(), Names{g.file});
    }
}

// The new file is complete and on the disk before it takes the name, and the name's change is on the
// disk before the old file goes. Without unnamed files the temporary file is named from the start.
TEST(PasswordChange, FileOperationsInOrder) {
    const Names unnamed = {"create-temporary a.txt.zrk_____.tmp.tzl.N",
                           "sync-file a.txt.zrk_____.tmp.tzl.N",
                           "link a.txt.zrk_____.tmp.tzl.N",
                           "exchange a.txt.zrk",
                           "sync-folder .",
                           "remove a.txt.zrk_____.tmp.tzl.N"};
    const Names named = {"create a.txt.zrk_____.tmp.tzl.N", "sync-file a.txt.zrk_____.tmp.tzl.N", "exchange a.txt.zrk",
                         "sync-folder .", "remove a.txt.zrk_____.tmp.tzl.N"};
    for (const bool isNamed : {false, true}) {
        if (!isNamed && !File::TemporariesCanBeNamed()) continue;
        TempDir dir;
        const std::string zrk = MakeZrk(dir, PatternBytes(5000), false, "one");
        {
            EventLog log(dir, isNamed);
            ASSERT_TRUE(ChangePassword(zrk, "one", "two"));
            EXPECT_EQ(log.events, isNamed ? named : unnamed);
        }
        EXPECT_EQ(dir.Entries(), Names{"a.txt.zrk"});
        EXPECT_EQ(DecryptBytes("two", AsString(ReadBytes(zrk)), 5000).contents, AsString(PatternBytes(5000)));
    }
}

// A failure at any step before the exchange, or of the flush after it, leaves the old file under its name
// byte for byte and nothing else. An unnamed file that cannot be made gives way to a named one; an old
// file that cannot be removed at the end is reported, the change being done.
TEST(PasswordChange, EveryFailureLeavesTheOldFile) {
    for (const bool isNamed : {false, true}) {
        if (!isNamed && !File::TemporariesCanBeNamed()) continue;
        const int steps = isNamed ? 5 : 6;
        for (int failAt = 0; failAt < steps; ++failAt) {
            TempDir dir;
            const std::string zrk = MakeZrk(dir, PatternBytes(70000), true, "one");
            const Bytes before = ReadBytes(zrk);
            std::string error, failed;
            {
                EventLog log(dir, isNamed, failAt);
                error = ErrorOf([&] { ChangePassword(zrk, "one", "two"); });
                failed = log.events.at(static_cast<std::size_t>(failAt));
            }
            SCOPED_TRACE(failed + (isNamed ? " (named)" : ""));
            if (failed.starts_with("create-temporary")) {
                EXPECT_EQ(error, "(no error)");
                EXPECT_EQ(dir.Entries(), Names{"a.txt.zrk"});
                EXPECT_NO_THROW(DecryptBytes("two", AsString(ReadBytes(zrk)), 70000));
            } else if (failed.starts_with("remove")) {
                EXPECT_TRUE(error.starts_with("The password of \"" + zrk +
                                              "\" was changed, but its old version could not be removed: \""))
                    << error;
                const Names entries = dir.Entries();
                ASSERT_EQ(entries.size(), 2u);
                EXPECT_EQ(DecryptBytes("two", AsString(ReadBytes(zrk)), 70000).contents, AsString(PatternBytes(70000)));
                EXPECT_TRUE(ReadBytes(dir / entries[1]) == before);
            } else {
                EXPECT_TRUE(error.ends_with("Input/output error")) << error;
                EXPECT_EQ(dir.Entries(), Names{"a.txt.zrk"});
                EXPECT_TRUE(ReadBytes(zrk) == before);
            }
        }
    }
}

// Where the file system cannot exchange two names, nothing is replaced by other means.
TEST(PasswordChange, NoExchangeNoChange) {
    TempDir dir;
    const std::string zrk = MakeZrk(dir, PatternBytes(100), false, "one");
    const Bytes before = ReadBytes(zrk);
    SetFileEventHook([](FileEvent event, const std::string&) { return event == FileEvent::Exchange ? EINVAL : 0; });
    const std::string error = ErrorOf([&] { ChangePassword(zrk, "one", "two"); });
    SetFileEventHook({});
    EXPECT_EQ(error, "The password of \"" + zrk +
                         "\" was not changed: its file system cannot replace a file in one step (Invalid argument)");
    EXPECT_EQ(dir.Entries(), Names{"a.txt.zrk"});
    EXPECT_TRUE(ReadBytes(zrk) == before);
}

// A wrong old password, or a file that is no .zrk file, is found before anything is written.
TEST(PasswordChange, RefusedBeforeAnythingIsWritten) {
    TempDir dir;
    const std::string good = AsString(ReadBytes(MakeZrk(dir, PatternBytes(500), false, "one")));
    std::string badMarks = good, damagedCheck = good;
    badMarks[CheckLength * 4] = '\x01';
    damagedCheck[5] ^= 1;
    const struct {
        const char* what;
        std::string bytes, password;
        ErrorKind kind;
        std::string message;
    } cases[] = {
        {"wrong password", good, "two", ErrorKind::WrongPassword, WrongPasswordMarker},
        {"too short for the check block", good.substr(0, CheckLength * 4 - 1), "one", ErrorKind::DamagedFile,
         "Stream read error"},
        {"too short for the name", good.substr(0, HeaderSize - 1), "one", ErrorKind::DamagedFile, "Stream read error"},
        {"marks not a pair", badMarks, "one", ErrorKind::DamagedFile, "Not a Zarkent encrypted file"},
        {"check block damaged", damagedCheck, "one", ErrorKind::DamagedFile, "The check block is damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteText(dir / "a.txt.zrk", c.bytes);
        EventLog log(dir, false);
        try {
            ChangePassword(dir / "a.txt.zrk", c.password, "new");
            ADD_FAILURE() << "no error";
        } catch (const ZarkentError& e) {
            EXPECT_EQ(e.Kind(), c.kind);
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(log.events, Names{});
        EXPECT_EQ(dir.Entries(), Names{"a.txt.zrk"});
        EXPECT_EQ(ReadText(dir / "a.txt.zrk"), c.bytes);
    }
}

// A cancel before the start or in the middle changes nothing.
TEST(PasswordChange, CancelChangesNothing) {
    struct CancelAt : ProgressSink {
        std::atomic<bool>& cancel;
        int at;
        CancelAt(std::atomic<bool>& c, int a) : cancel(c), at(a) {}
        void SetMaximum(int) override {}
        void SetPosition(int position) override {
            if (position >= at) cancel = true;
        }
        void SetStatus(const std::string&) override {}
        void MoveBar(int) override {}
    };
    for (const int at : {0, 40}) {
        TempDir dir;
        const std::string zrk = MakeZrk(dir, PatternBytes(5 * 65540 * 16), false, "one");
        const Bytes before = ReadBytes(zrk);
        Job job;
        CancelAt sink(job.cancel, at);
        job.context.progress = &sink;
        EXPECT_FALSE(ChangePassword(zrk, "one", "two", job.context));
        EXPECT_EQ(dir.Entries(), Names{"a.txt.zrk"});
        EXPECT_TRUE(ReadBytes(zrk) == before);
    }
}

} // namespace
} // namespace zarkent
