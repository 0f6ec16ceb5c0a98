#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "FileEventGate.h"
#include "Job.h"
#include "TempDir.h"
#include "core/cipher/ZarkentLib.h"
#include "core/container/FileJob.h"
#include "core/container/Naming.h"

namespace zarkent {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// Writes a .zrk file straight from the layout, with any stored name, as another writer would.
std::vector<std::uint8_t> MakeZrk(const std::string& password, const std::string& storedName,
                                  std::vector<std::uint8_t> payload) {
    TZarkenter cipher(password);
    std::vector<std::uint8_t> out;
    auto put = [&](std::uint32_t w) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
    };
    for (std::size_t i = 0; i < CheckLength; ++i)
        put(static_cast<std::uint32_t>(cipher.EncipherValue(static_cast<std::uint8_t>(CheckText[i]))));
    out.push_back(0);
    for (std::size_t i = 0; i < NameSlots; ++i)
        put(i < storedName.size()
                ? static_cast<std::uint32_t>(cipher.EncipherValue(static_cast<std::uint8_t>(storedName[i])))
                : 0u);
    out.push_back(0);
    cipher.ApplyKeystream(payload.data(), payload.size());
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

TEST(Naming, Rules) {
    EXPECT_TRUE(IsEncryptedFileName("/a/b.zrk"));
    EXPECT_TRUE(IsEncryptedFileName("x.tar.zrk"));
    EXPECT_FALSE(IsEncryptedFileName("/a/b.ZRK"));
    EXPECT_FALSE(IsEncryptedFileName("/a.zrk/b"));
    EXPECT_FALSE(IsEncryptedFileName("/a/b.zrk.txt"));
    EXPECT_FALSE(IsEncryptedFileName("zrk"));
    EXPECT_EQ(DirectoryPart("/d/e/a.txt"), "/d/e/");
    EXPECT_EQ(NamePart("/d/e/a.txt"), "a.txt");
    EXPECT_EQ(NumberedName("/d/", "a.txt.zrk", -1), "/d/a.txt.zrk");
    EXPECT_EQ(NumberedName("/d/", "a.txt.zrk", 12), "/d/(12)a.txt.zrk");
}

// Whether `text` is well-formed UTF-8 (no cut character, no stray continuation byte).
bool ValidUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80             ? 1
                                   : (lead & 0xE0) == 0xC0 ? 2
                                   : (lead & 0xF0) == 0xE0 ? 3
                                   : (lead & 0xF8) == 0xF0 ? 4
                                                           : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

// A shortened name is cut between characters, keeps its extension and leaves room for what follows.
TEST(Naming, ShortenedNamesStayWholeCharacters) {
    std::string g150;
    for (int i = 0; i < 150; ++i)
        g150 += "\xC4\x9F"; // U+011F, two bytes
    struct Case {
        std::string name;
        std::size_t reserve;
    };
    const Case cases[] = {{g150 + ".txt", 4}, {g150 + ".txt", 5}, {g150 + ".txt", 3}, {g150, 4}, {g150, 7}};
    for (const Case& c : cases) {
        const std::string fitted = FitName(c.name, c.reserve);
        EXPECT_TRUE(ValidUtf8(fitted)) << c.reserve;
        EXPECT_LE(fitted.size() + c.reserve, MaxNameBytes) << c.reserve;
        EXPECT_GE(fitted.size() + c.reserve, MaxNameBytes - 1) << c.reserve; // at most one byte of a character lost
        EXPECT_EQ(fitted.ends_with(".txt"), c.name.ends_with(".txt")) << c.reserve;
    }
}

TEST(FileJob, EncryptPicksAFreeNameAndKeepsEverythingElse) {
    TempDir dir;
    WriteBytes(dir / "a.txt", PatternBytes(5000));
    WriteBytes(dir / "a.txt.zrk", {1});
    WriteBytes(dir / "(0)a.txt.zrk", {2});
    // A planted link is a taken name; where links cannot be made, a folder is one too.
    if (!test::MakeSymlink(dir / "a.txt.zrk", dir / "(1)a.txt.zrk")) fs::create_directory(dir / "(1)a.txt.zrk");
    Job job;
    const EncryptOutcome outcome = EncryptOneFile(dir / "a.txt", "pw", job.context);
    EXPECT_EQ(outcome.output, dir / "(2)a.txt.zrk");
    EXPECT_EQ(ReadBytes(dir / "a.txt.zrk"), std::vector<std::uint8_t>{1});
    EXPECT_EQ(ReadBytes(dir / "(0)a.txt.zrk"), std::vector<std::uint8_t>{2});
    RemoveSource(dir / "a.txt", outcome);
    EXPECT_EQ(dir.Entries(), (Names{"(0)a.txt.zrk", "(1)a.txt.zrk", "(2)a.txt.zrk", "a.txt.zrk"}));

    // The restored file lands beside the .zrk file under the next free form of its stored name.
    WriteBytes(dir / "a.txt", {7});
    const DecryptOutcome back = DecryptOneFile(dir / "(2)a.txt.zrk", "pw", job.context);
    EXPECT_EQ(back.output, dir / "(0)a.txt");
    EXPECT_EQ(ReadBytes(back.output), PatternBytes(5000));
    EXPECT_EQ(ReadBytes(dir / "a.txt"), std::vector<std::uint8_t>{7});
}

TEST(FileJob, CompressedThenStoredDecryptBothRestore) {
    TempDir dir;
    Job job;
    WriteBytes(dir / "c.bin", PatternBytes(200000, 5));
    WriteBytes(dir / "s.bin", PatternBytes(70000, 6));
    job.compress = true;
    const auto c = EncryptOneFile(dir / "c.bin", "pw", job.context);
    job.compress = false;
    const auto s = EncryptOneFile(dir / "s.bin", "pw", job.context);
    fs::remove(dir / "c.bin");
    fs::remove(dir / "s.bin");
    const auto cb = DecryptOneFile(c.output, "pw", job.context);
    EXPECT_TRUE(cb.compressed);
    const auto sb = DecryptOneFile(s.output, "pw", job.context);
    EXPECT_FALSE(sb.compressed);
    EXPECT_EQ(ReadBytes(dir / "c.bin"), PatternBytes(200000, 5));
    EXPECT_EQ(ReadBytes(dir / "s.bin"), PatternBytes(70000, 6));
    // Only sources and results remain: no intermediate or temporary file.
    EXPECT_EQ(dir.Entries(), (Names{"c.bin", "c.bin.zrk", "s.bin", "s.bin.zrk"}));
    EXPECT_TRUE(test::OwnerOnly(dir / "c.bin")); // restored plain data is readable by its owner only
    EXPECT_TRUE(test::OwnerOnly(dir / "s.bin"));
}

TEST(FileJob, WrongPasswordLeavesTheZrkAndNoIntermediate) {
    TempDir dir;
    Job job;
    WriteBytes(dir / "x.zrk", MakeZrk("right", "a.txt", PatternBytes(1000)));
    WriteBytes(dir / "x.zrk.coz", {3}); // someone else's file of the intermediate name
    const auto before = ReadBytes(dir / "x.zrk");
    EXPECT_EQ(ErrorOf([&] { DecryptOneFile(dir / "x.zrk", "wrong", job.context); }), WrongPasswordMarker);
    EXPECT_EQ(ReadBytes(dir / "x.zrk"), before);
    EXPECT_EQ(dir.Entries(), (Names{"x.zrk", "x.zrk.coz"}));
    EXPECT_EQ(ReadBytes(dir / "x.zrk.coz"), std::vector<std::uint8_t>{3});

    const auto ok = DecryptOneFile(dir / "x.zrk", "right", job.context);
    EXPECT_EQ(ok.output, dir / "a.txt");
    EXPECT_EQ(dir.Entries(), (Names{"a.txt", "x.zrk", "x.zrk.coz"}));
}

TEST(FileJob, StoredNamesAreReducedToPlainNames) {
    const std::pair<std::string, std::string> cases[] = {
        {"../../evil.txt", "evil.txt"},
        {"/etc/passwd", "passwd"},
        {"a\\b\\c.doc", "c.doc"},
        {"dir/", "x"},
        {"..", "x"},
        {".", "x"},
        {std::string("a\0b", 3), "x"},
        {"ok name.txt", "ok name.txt"},
    };
    for (const auto& [stored, expected] : cases) {
        TempDir dir;
        Job job;
        WriteBytes(dir / "x.zrk", MakeZrk("pw", stored, {1, 2, 3}));
        const auto outcome = DecryptOneFile(dir / "x.zrk", "pw", job.context);
        EXPECT_EQ(outcome.output, dir / expected) << stored;
        EXPECT_EQ(ReadBytes(outcome.output), (std::vector<std::uint8_t>{1, 2, 3}));
    }
    // A file that was stored with no name at all is named after the .zrk file.
    TempDir dir;
    Job job;
    WriteBytes(dir / "nameless.zrk", MakeZrk("pw", "", {4}));
    EXPECT_EQ(DecryptOneFile(dir / "nameless.zrk", "pw", job.context).output, dir / "nameless");
}

TEST(FileJob, CancelRemovesPartialOutputs) {
    TempDir dir;
    Job job;
    WriteBytes(dir / "p", PatternBytes(100000));
    job.cancel = true;
    EXPECT_TRUE(EncryptOneFile(dir / "p", "pw", job.context).cancelled);
    EXPECT_EQ(dir.Entries(), Names{"p"});
    job.cancel = false;
    job.compress = true;
    EncryptOneFile(dir / "p", "pw", job.context);
    job.cancel = true;
    EXPECT_TRUE(DecryptOneFile(dir / "p.zrk", "pw", job.context).cancelled);
    EXPECT_EQ(dir.Entries(), (Names{"p", "p.zrk"}));
}

// A cancel confirmed in any phase (compressing, enciphering, deciphering, inflating) is seen at once,
// before the next block or chunk, and the partial outputs go while the source stays as it was.
TEST(FileJob, CancelInEveryPhaseRemovesPartialOutputs) {
    struct CancelAt : ProgressSink {
        std::atomic<bool>& cancel;
        int at;
        std::vector<int> positions;
        int cancelledAt = -1;
        CancelAt(std::atomic<bool>& flag, int position) : cancel(flag), at(position) {}
        void SetMaximum(int) override {}
        void SetStatus(const std::string&) override {}
        void SetPosition(int p) override { Record(p); }
        void MoveBar(int p) override { Record(p); }
        void Record(int p) {
            positions.push_back(p);
            if (at >= 0 && p >= at && cancelledAt < 0) {
                cancelledAt = p;
                cancel = true;
            }
        }
    };
    struct Case {
        const char* what;
        bool encrypt;
        int cancelAt;           // a bar position, or -1
        bool atTemporaryCreate; // cancel when the temporary file is created
    };
    const Case cases[] = {
        {"compressing", true, 20, false},
        {"compressing, at the end", true, 98, false},
        {"deciphering", false, 10, false},
        {"inflating", false, 60, false},
        {"inflating, from the start", false, -1, true},
    };
    TempDir dir;
    Job job;
    auto data = PatternBytes(12u << 20, 3);
    for (std::size_t i = 0; i < data.size(); i += 2)
        data[i] = 'z'; // half of it compresses
    WriteBytes(dir / "p", data);
    job.compress = true;
    const FileOutcome packed = EncryptOneFile(dir / "p", "pw", job.context);
    const auto zrk = ReadBytes(packed.output);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        job.cancel = false;
        CancelAt sink(job.cancel, c.cancelAt);
        StreamContext context = job.context;
        context.progress = &sink;
        if (c.atTemporaryCreate) {
            SetFileEventHook([&](FileEvent event, const std::string& path) {
                if (event == OutputCreation() && path.find(TempInfix) != std::string::npos) job.cancel = true;
                return 0;
            });
        }
        const std::string source = c.encrypt ? dir / "p" : packed.output;
        if (c.encrypt) fs::remove(packed.output);
        const FileOutcome outcome =
            c.encrypt ? EncryptOneFile(source, "pw", context) : DecryptOneFile(source, "pw", context);
        SetFileEventHook({});
        EXPECT_TRUE(outcome.cancelled);
        if (c.encrypt) WriteBytes(packed.output, zrk);
        EXPECT_EQ(dir.Entries(), (Names{"p", "p.zrk"}));
        EXPECT_EQ(ReadBytes(dir / "p"), data);
        EXPECT_EQ(ReadBytes(dir / "p.zrk"), zrk);
        ASSERT_FALSE(sink.positions.empty());
        if (c.cancelAt >= 0) {
            EXPECT_EQ(sink.positions.back(), sink.cancelledAt); // nothing moved after the cancel
            EXPECT_LE(sink.cancelledAt, c.cancelAt + 3);
        } else {
            EXPECT_EQ(sink.positions.back(), DecipherPhaseEnd); // deciphering was over, inflating had not moved
        }
    }
}

TEST(FileJob, FailedEncryptionKeepsSourceAndRemovesOutput) {
    TempDir dir;
    Job job;
    WriteBytes(dir / "p", PatternBytes(10));
    EXPECT_EQ(ErrorOf([&] { EncryptOneFile(dir / "p", "", job.context); }), "'-' is not a valid integer value");
    EXPECT_EQ(ErrorOf([&] { EncryptOneFile(dir / "p", std::string(1, '\0'), job.context); }), "Division by zero");
    EXPECT_EQ(dir.Entries(), Names{"p"});
    EXPECT_EQ(ErrorOf([&] { EncryptOneFile(dir / "q", "pw", job.context); }),
              "Cannot open file \"" + (dir / "q") + "\". No such file or directory");
}

// When the restored file cannot take its name: a named one stays and the error names it; one without a
// name goes, and the .zrk file stays as it was.
TEST(FileJob, FailedRenameKeepsTheRestoredContents) {
    for (const bool unnamed : {false, true}) {
        if (unnamed && !File::TemporariesCanBeNamed()) continue;
        TempDir dir;
        Job job;
        WriteBytes(dir / "x.zrk", MakeZrk("pw", "a.txt", {5, 6}));
        SetFileEventHook([&](FileEvent event, const std::string&) {
            if (event == FileEvent::CreateTemporary && !unnamed) return EOPNOTSUPP;
            return event == FileEvent::Rename || event == FileEvent::Link ? EACCES : 0;
        });
        const std::string error = ErrorOf([&] { DecryptOneFile(dir / "x.zrk", "pw", job.context); });
        SetFileEventHook({});
        if (unnamed) {
            EXPECT_EQ(error, "Cannot create file \"" + (dir / "a.txt") + "\". Permission denied");
            EXPECT_EQ(dir.Entries(), Names{"x.zrk"});
        } else {
            EXPECT_EQ(error, "Cannot rename \"" + (dir / "x.zrk.coz") + "\" to \"" + (dir / "a.txt") +
                                 "\". Permission denied");
            EXPECT_EQ(ReadBytes(dir / "x.zrk.coz"), (std::vector<std::uint8_t>{5, 6}));
        }
        EXPECT_EQ(ReadBytes(dir / "x.zrk"), MakeZrk("pw", "a.txt", {5, 6}));
    }
}

// Every name the file system takes round-trips: derived names that would be too long are shortened,
// keeping their extension, and a stored name too long for a file name falls back to the .zrk's own.
TEST(FileJob, NamesAtTheLengthLimit) {
    TempDir dir;
    Job job;
    for (std::size_t length : {248u, 251u, 252u, 255u}) {
        const std::string name = std::string(length - 4, 'a') + ".txt";
        WriteBytes(dir / name, PatternBytes(3000));
        for (bool compress : {false, true}) {
            job.compress = compress;
            const FileOutcome out = EncryptOneFile(dir / name, "pw", job.context);
            EXPECT_TRUE(out.output.ends_with(".zrk")) << length;
            EXPECT_LE(NamePart(out.output).size(), MaxNameBytes);
            RemoveSource(dir / name, out);
            const FileOutcome back = DecryptOneFile(out.output, "pw", job.context);
            EXPECT_EQ(back.output, dir / name) << length;
            RemoveSource(out.output, back);
            EXPECT_EQ(ReadBytes(dir / name), PatternBytes(3000));
            EXPECT_EQ(dir.Entries(), Names{name});
        }
        fs::remove(dir / name);
    }
    job.compress = false;
    // 126 two-byte characters (252 bytes): the .zrk name is shortened between characters.
    std::string turkish;
    for (int i = 0; i < 126; ++i)
        turkish += "\xC4\x9F";
    WriteBytes(dir / turkish, PatternBytes(10));
    const FileOutcome shortened = EncryptOneFile(dir / turkish, "pw", job.context);
    EXPECT_TRUE(ValidUtf8(NamePart(shortened.output)));
    EXPECT_LE(NamePart(shortened.output).size(), MaxNameBytes);
    EXPECT_TRUE(shortened.output.ends_with(".zrk"));
    fs::remove(PathOf(dir / turkish));
    fs::remove(PathOf(shortened.output));
    // A taken stored name of 254 bytes: its numbered form is shortened, the extension kept.
    const std::string stored = std::string(250, 'n') + ".dat";
    WriteBytes(dir / stored, {1});
    WriteBytes(dir / "x.zrk", MakeZrk("pw", stored, {5, 6}));
    const FileOutcome numbered = DecryptOneFile(dir / "x.zrk", "pw", job.context);
    EXPECT_EQ(numbered.output, dir / ("(0)" + std::string(248, 'n') + ".dat"));
    EXPECT_EQ(ReadBytes(numbered.output), (std::vector<std::uint8_t>{5, 6}));
    // A stored name longer than any file name (a crafted file).
    WriteBytes(dir / "y.zrk", MakeZrk("pw", std::string(300, 'm'), {7}));
    const FileOutcome own = DecryptOneFile(dir / "y.zrk", "pw", job.context);
    EXPECT_EQ(own.output, dir / "y");
    EXPECT_EQ(ReadBytes(own.output), std::vector<std::uint8_t>{7});
}

} // namespace
} // namespace zarkent

namespace zarkent {
namespace {

// Files written by earlier builds must keep decrypting, and the writer must keep writing them bit for bit.
TEST(GoldenFiles, DecryptAndReencryptIdentically) {
    const std::string data = ZARKENT_TEST_DATA "/golden/";
    const auto sample = ReadBytes(data + "sample.bin");
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"sample-stored.zrk", "Zarkent golden 1", false},
        {"sample-compressed.zrk", "şifre ĞÜ 2", true},
    };
    for (const auto& [file, password, compressed] : cases) {
        TempDir dir;
        const auto golden = ReadBytes(data + file);
        WriteBytes(dir / file, golden);
        Job job;
        const DecryptOutcome restored = DecryptOneFile(dir / file, password, job.context);
        EXPECT_EQ(restored.output, dir / "sample.bin") << file;
        EXPECT_EQ(restored.compressed, compressed) << file;
        EXPECT_EQ(ReadBytes(restored.output), sample) << file;

        job.compress = compressed;
        fs::remove(dir / file);
        const EncryptOutcome again = EncryptOneFile(restored.output, password, job.context);
        EXPECT_EQ(ReadBytes(again.output), golden) << file;
    }
}

} // namespace
} // namespace zarkent

namespace zarkent {
namespace {

using namespace test;

// Records the file events of one test, with paths relative to `dir` ("." for the folder itself);
// removes the hook at the end.
struct EventLog {
    std::vector<std::string> events;
    // `named`: as on a file system without unnamed files, where the jobs fall back to named ones.
    EventLog(const TempDir& dir, bool named) {
        SetFileEventHook(
            [this, named, folder = dir.Path().string() + PreferredSeparator](FileEvent event, const std::string& path) {
                if (event == FileEvent::ReadAt) return 0; // reads come from the compression threads
                std::string name = path.rfind(folder, 0) == 0 ? path.substr(folder.size()) : path;
                // The temporary file's random number.
                if (const auto at = name.find("_____.tmp.tzl."); at != std::string::npos)
                    name.replace(at + 14, name.npos, "N");
                // Refused as a file system without unnamed files would, and left out of the list, which
                // shows the named scheme (Windows does not even try for an output).
                if (event == FileEvent::CreateTemporary && named) return EOPNOTSUPP;
                events.push_back(EventName(event) + " " + (name.empty() ? "." : name));
                return 0;
            });
    }
    ~EventLog() { SetFileEventHook({}); }
};

// The output is on the disk, file and folder entry, before the source goes; without a source to remove
// nothing is flushed. Where the system allows it, outputs and intermediates have no name while they are
// written, and an output is linked under its name only when it is complete: nothing half-written or
// readable outlives a crash. Elsewhere they are named from the start and renamed or removed at the end.
TEST(FileJob, OutputIsFlushedBeforeTheSourceIsRemoved) {
    struct Case {
        const char* what;
        bool encrypt, compress, durable, named;
        Names events;
    };
    const Case cases[] = {
        {"encrypt",
         true,
         false,
         true,
         false,
         {"create-temporary a.txt.zrk", "sync-file a.txt.zrk", "link a.txt.zrk", "sync-folder .", "remove a.txt"}},
        {"decrypt",
         false,
         false,
         true,
         false,
         {"create-temporary a.txt.zrk.coz", "sync-file a.txt.zrk.coz", "link a.txt", "sync-folder .",
          "remove a.txt.zrk"}},
        {"encrypt compressed",
         true,
         true,
         true,
         false,
         {"create-temporary a.txt.zrk", "create-temporary a.txt_____.tmp.tzl.N", "sync-file a.txt.zrk",
          "link a.txt.zrk", "sync-folder .", "remove a.txt"}},
        {"decrypt compressed",
         false,
         true,
         true,
         false,
         {"create-temporary a.txt.zrk.coz", "create-temporary a.txt.zrk.coz_____.tmp.tzl.N",
          "sync-file a.txt.zrk.coz_____.tmp.tzl.N", "link a.txt", "sync-folder .", "remove a.txt.zrk"}},
        {"encrypt, kept source", true, false, false, false, {"create-temporary a.txt.zrk", "link a.txt.zrk"}},
        {"named: encrypt",
         true,
         false,
         true,
         true,
         {"create a.txt.zrk", "sync-file a.txt.zrk", "sync-folder .", "remove a.txt"}},
        {"named: decrypt",
         false,
         false,
         true,
         true,
         {"create a.txt.zrk.coz", "sync-file a.txt.zrk.coz", "rename a.txt", "sync-folder .", "remove a.txt.zrk"}},
        {"named: encrypt compressed",
         true,
         true,
         true,
         true,
         {"create a.txt.zrk", "create a.txt_____.tmp.tzl.N", "sync-file a.txt.zrk", "remove a.txt_____.tmp.tzl.N",
          "sync-folder .", "remove a.txt"}},
        {"named: decrypt compressed",
         false,
         true,
         true,
         true,
         {"create a.txt.zrk.coz", "create a.txt.zrk.coz_____.tmp.tzl.N", "sync-file a.txt.zrk.coz_____.tmp.tzl.N",
          "remove a.txt.zrk.coz", "rename a.txt", "sync-folder .", "remove a.txt.zrk"}},
        {"named: encrypt, kept source", true, false, false, true, {"create a.txt.zrk"}},
    };
    for (const Case& c : cases) {
        if (!c.named && !File::TemporariesCanBeNamed()) continue;
        TempDir dir;
        std::atomic<bool> compress{c.compress}, cancel{false};
        StreamContext context;
        context.compressOption = &compress;
        context.cancelRequested = &cancel;
        context.durable = c.durable;
        WriteBytes(dir / "a.txt", PatternBytes(1000));
        if (!c.encrypt) RemoveSource(dir / "a.txt", EncryptOneFile(dir / "a.txt", "pw", context));
        const std::string source = dir / (c.encrypt ? "a.txt" : "a.txt.zrk");
        EventLog log(dir, c.named);
        const FileOutcome out =
            c.encrypt ? EncryptOneFile(source, "pw", context) : DecryptOneFile(source, "pw", context);
        if (c.durable) RemoveSource(source, out);
        EXPECT_EQ(log.events, c.events) << c.what;
        Names entries{NamePart(out.output)}; // nothing else: no intermediate, no temporary file
        if (!c.durable) entries.insert(entries.begin(), "a.txt");
        EXPECT_EQ(dir.Entries(), entries) << c.what;
    }
}

} // namespace
} // namespace zarkent

namespace zarkent {
namespace {

// What a dying process removes: the files registered as partial at that moment, nothing else.
TEST(FileSystem, PartialFilesAreRemovedOnlyWhileRegistered) {
    TempDir dir;
    for (const char* name : {"a", "b", "c"})
        WriteBytes(dir / name, {1});
    std::optional<PartialFile> a(std::in_place, dir / "a");
    { const PartialFile b(dir / "b"); } // finished: no longer partial
    PartialFile c(dir / "c");
    PartialFile moved(std::move(c));
    RemovePartialFiles();
    EXPECT_EQ(dir.Entries(), Names{"b"});
    WriteBytes(dir / "a", {2});
    a.reset();
    RemovePartialFiles();
    EXPECT_EQ(dir.Entries(), (Names{"a", "b"}));
}

// Where the jobs' files have names from the start, each is registered for the signal cleanup as soon
// as it exists; a file that cannot be registered fails its job, and nothing is left.
TEST(FileSystem, NamedOutputsAreRegisteredOrRefused) {
    TempDir dir;
    Job job;
    WriteBytes(dir / "a.txt", PatternBytes(100));
    std::vector<std::string> goneAtFlush;
#ifndef _WIN32 // Windows keeps a removed file that is still open under its name until it is closed
    SetFileEventHook([&](FileEvent event, const std::string& path) {
        if (event == FileEvent::CreateTemporary) return EOPNOTSUPP;
        if (event == FileEvent::SyncFile) {
            RemovePartialFiles(); // what a second signal does
            if (!PathExists(path)) goneAtFlush.push_back(NamePart(path));
        }
        return 0;
    });
    ErrorOf([&] { EncryptOneFile(dir / "a.txt", "pw", job.context); });
    EXPECT_EQ(goneAtFlush, Names{"a.txt.zrk"});
#endif
    SetFileEventHook(
        [](FileEvent event, const std::string&) { return event == FileEvent::CreateTemporary ? EOPNOTSUPP : 0; });

    std::vector<PartialFile> others;
    for (int i = 0; i < 16; ++i)
        others.emplace_back(dir / ("other" + std::to_string(i)));
    const std::string full = ErrorOf([&] { EncryptOneFile(dir / "a.txt", "pw", job.context); });
    SetFileEventHook({});
    others.clear();
    EXPECT_EQ(full, "Cannot create file \"" + (dir / "a.txt.zrk") + "\". Too many files are being written at once");
    EXPECT_EQ(dir.Entries(), Names{"a.txt"});
}

} // namespace
} // namespace zarkent
