// The file operations on Windows: exclusive creation, renames that never replace, sharing modes,
// kinds of files, long paths, 64-bit sizes and the program's UTF-8 names.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "Job.h"
#include "TempDir.h"
#include "core/container/FileJob.h"
#include "core/container/Naming.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Paths.h"
#include "core/platform/Windows_win.h"

namespace zarkent {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

HANDLE OpenRaw(const std::string& path, DWORD access, DWORD share) {
    return ::CreateFileW(win::LongPath(path).c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST(WindowsPaths, SeparatorsAndPlainNames) {
    EXPECT_EQ(DirectoryPart("C:\\d\\e/a.txt"), "C:\\d\\e/");
    EXPECT_EQ(NamePart("C:\\d\\e/a.txt"), "a.txt");
    EXPECT_EQ(NamePart("C:a.txt"), "a.txt");
    EXPECT_EQ(DirectoryPart("C:a.txt"), "C:");
    EXPECT_FALSE(IsEncryptedFileName("C:\\x.zrk\\b"));
    EXPECT_TRUE(IsEncryptedFileName("C:\\x\\b.zrk"));
    for (const char* name : {"a.txt", "şifre ğ.doc", "console.txt", "com10", "nul_x", "..a"})
        EXPECT_TRUE(IsPlainFileName(name)) << name;
    for (const char* name :
         {"",       ".",      "..",  "a:b", "a<b",     "a>b",         "a\"b", "a|b",      "a?b",      "a*b", "a\tb",
          "trail.", "trail ", "CON", "nul", "Aux.txt", "con.txt.bak", "com1", "LPT9.log", "NUL .txt", "a/b", "a\\b"})
        EXPECT_FALSE(IsPlainFileName(name)) << name;
}

// A stored name that Windows would take as a stream, a device or an invalid name restores under the
// encrypted file's own name, beside it.
TEST(WindowsPaths, StoredNamesThatAreNoWindowsNames) {
    for (const char* stored : {"x.txt:hidden", "C:evil.txt", "NUL", "con.txt", "a<b>.txt", "trail."}) {
        EXPECT_EQ(SafeStoredName(stored, "C:\\f\\own.bin.zrk"), "own.bin") << stored;
    }
    EXPECT_EQ(SafeStoredName("..\\..\\evil.txt", "C:\\f\\own.zrk"), "evil.txt");
}

// Outputs are created exclusively: a file or a folder of that name is a taken name, never replaced.
TEST(WindowsFiles, ExclusiveCreationNeverReplaces) {
    TempDir dir;
    WriteBytes(dir / "taken", {1, 2});
    fs::create_directory(dir / "folder");
    EXPECT_FALSE(File::TryCreateNew(dir / "taken", Access::Shared).IsOpen());
    EXPECT_FALSE(File::TryCreateNew(dir / "folder", Access::OwnerOnly).IsOpen());
    EXPECT_EQ(ErrorOf([&] { File::CreateNew(dir / "taken", Access::Shared); }),
              "Cannot create file \"" + (dir / "taken") + "\". File exists");
    EXPECT_EQ(ReadBytes(dir / "taken"), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(ErrorOf([&] { File::CreateNew(dir / "missing/x", Access::Shared); }),
              "Cannot create file \"" + (dir / "missing/x") + "\". No such file or directory");

    File fresh = File::CreateNew(dir / "fresh", Access::Shared);
    fresh.Write("abc", 3);
    fresh.Sync();
    fresh.Close();
    EXPECT_EQ(ReadBytes(dir / "fresh"), (std::vector<std::uint8_t>{'a', 'b', 'c'}));
    EXPECT_FALSE(test::OwnerOnly(dir / "fresh")); // an ordinary output keeps the folder's permissions
}

TEST(WindowsFiles, RenameNeverReplaces) {
    TempDir dir;
    WriteBytes(dir / "a", {1});
    WriteBytes(dir / "b", {2});
    fs::create_directory(dir / "folder");
    std::string reason;
    EXPECT_EQ(RenameNoReplace(dir / "a", dir / "b", &reason), RenameResult::TargetExists);
    EXPECT_EQ(RenameNoReplace(dir / "a", dir / "folder", &reason), RenameResult::TargetExists);
    EXPECT_EQ(ReadBytes(dir / "a"), std::vector<std::uint8_t>{1});
    EXPECT_EQ(ReadBytes(dir / "b"), std::vector<std::uint8_t>{2});
    EXPECT_EQ(RenameNoReplace(dir / "missing", dir / "c", &reason), RenameResult::Failed);
    EXPECT_EQ(reason, "No such file or directory");
    EXPECT_EQ(RenameNoReplace(dir / "a", dir / "c", &reason), RenameResult::Done);
    EXPECT_EQ(dir.Entries(), (Names{"b", "c", "folder"}));
    // A decrypted file whose stored name is taken gets the next free "(n)" name.
    EXPECT_EQ(RenameToUnique(dir / "c", dir.Path().string() + "\\", "b"), dir / "(0)b");
}

// A source is read with FILE_SHARE_READ: other programs may read it, but nobody writes, replaces or
// deletes it while it is read.
TEST(WindowsFiles, SourceIsHeldAgainstWriters) {
    TempDir dir;
    WriteBytes(dir / "src", PatternBytes(100));
    WriteBytes(dir / "other", {9});
    {
        File source = File::OpenRead(dir / "src");
        // The other program's handles share everything: only ours can refuse.
        const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        win::HandleGuard reader(OpenRaw(dir / "src", GENERIC_READ, all));
        EXPECT_NE(reader.Get(), INVALID_HANDLE_VALUE);
        win::HandleGuard writer(OpenRaw(dir / "src", GENERIC_WRITE, all));
        EXPECT_EQ(writer.Get(), INVALID_HANDLE_VALUE);
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_FALSE(::MoveFileExW(win::LongPath(dir / "other").c_str(), win::LongPath(dir / "src").c_str(),
                                   MOVEFILE_REPLACE_EXISTING));
        EXPECT_FALSE(::DeleteFileW(win::LongPath(dir / "src").c_str()));
        std::vector<std::uint8_t> buffer(100);
        EXPECT_EQ(source.Read(buffer.data(), 200), 100u);
        EXPECT_EQ(buffer, PatternBytes(100));
    }
    win::HandleGuard writer(OpenRaw(dir / "src", GENERIC_WRITE, 0));
    EXPECT_NE(writer.Get(), INVALID_HANDLE_VALUE); // free again once closed
}

// A file another program holds open without sharing is refused with the reason, and nothing is made.
TEST(WindowsFiles, FileHeldWithoutSharingIsRefusedWithItsMessage) {
    TempDir dir;
    WriteBytes(dir / "held.txt", PatternBytes(10));
    win::HandleGuard held(OpenRaw(dir / "held.txt", GENERIC_READ, 0));
    ASSERT_NE(held.Get(), INVALID_HANDLE_VALUE);
    const std::string message =
        "Cannot open file \"" + (dir / "held.txt") + "\". The file is in use by another program";
    EXPECT_EQ(ErrorOf([&] { File::OpenRead(dir / "held.txt"); }), message);
    Job job;
    EXPECT_EQ(ErrorOf([&] { EncryptOneFile(dir / "held.txt", "pw", job.context); }), message);
    EXPECT_EQ(dir.Entries(), Names{"held.txt"});
}

// The source may change after it was read and before it is deleted: then it stays.
TEST(WindowsFiles, SourceChangedAfterReadingIsKept) {
    TempDir dir;
    Job job;
    for (bool replace : {false, true}) {
        WriteBytes(dir / "a.txt", PatternBytes(5000));
        const FileOutcome out = EncryptOneFile(dir / "a.txt", "pw", job.context);
        if (replace) {
            WriteBytes(dir / "saved.tmp", PatternBytes(5000, 2));
            ASSERT_TRUE(::MoveFileExW(win::LongPath(dir / "saved.tmp").c_str(), win::LongPath(dir / "a.txt").c_str(),
                                      MOVEFILE_REPLACE_EXISTING));
        } else {
            std::ofstream(dir / "a.txt", std::ios::app | std::ios::binary).put(42);
        }
        EXPECT_EQ(ErrorOf([&] { RemoveSource(dir / "a.txt", out); }),
                  "The file \"" + (dir / "a.txt") + "\" changed while it was encrypted, so it was kept")
            << replace;
        EXPECT_TRUE(fs::exists(dir / "a.txt"));
        fs::remove(out.output);
        fs::remove(dir / "a.txt");
    }
}

// Only regular files: a device, a pipe and a folder are refused by what the handle is.
TEST(WindowsFiles, OnlyRegularFiles) {
    TempDir dir;
    const std::string pipeName = "\\\\.\\pipe\\zarkent-test-" + std::to_string(::GetCurrentProcessId());
    // One instance of the pipe for each open below.
    auto makePipe = [&] {
        return ::CreateNamedPipeW(win::Widen(pipeName).c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                                  PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
    };
    win::HandleGuard pipe1(makePipe()), pipe2(makePipe());
    ASSERT_NE(pipe2.Get(), INVALID_HANDLE_VALUE);
    const std::pair<std::string, std::string> cases[] = {
        {"NUL", "It is a character device, not a regular file"},
        {pipeName, "It is a pipe, not a regular file"},
        {dir.Path().string(), "Is a directory"},
        {dir / "missing", "No such file or directory"},
    };
    Job job;
    for (const auto& [path, reason] : cases) {
        EXPECT_EQ(ErrorOf([&] { File::OpenRead(path); }), "Cannot open file \"" + path + "\". " + reason);
        EXPECT_EQ(ErrorOf([&] { File::OpenReadWrite(path); }), "Cannot open file \"" + path + "\". " + reason);
    }
    EXPECT_EQ(ErrorOf([&] { EncryptOneFile(dir.Path().string(), "pw", job.context); }),
              "Cannot open file \"" + dir.Path().string() + "\". Is a directory");
    EXPECT_TRUE(dir.Entries().empty());
}

// A symbolic link is opened as itself and refused, never followed.
TEST(WindowsFiles, SymbolicLinksAreRefused) {
    TempDir dir;
    WriteBytes(dir / "real.txt", PatternBytes(10));
    if (!test::MakeSymlink(dir / "real.txt", dir / "link.txt")) GTEST_SKIP() << "no symbolic links here";
    EXPECT_EQ(ErrorOf([&] { File::OpenRead(dir / "link.txt"); }),
              "Cannot open file \"" + (dir / "link.txt") + "\". It is a symbolic link to \"" + (dir / "real.txt") +
                  "\"; choose that file itself");
    const auto entries = ListFolder(dir.Path().string());
    ASSERT_EQ(entries.size(), 2u);
    for (const FolderEntry& entry : entries)
        EXPECT_EQ(entry.kind, entry.name == "link.txt" ? FolderEntry::Kind::Link : FolderEntry::Kind::RegularFile);
}

// Paths beyond MAX_PATH (260) work through the \\?\ form.
TEST(WindowsFiles, LongPaths) {
    TempDir dir;
    std::string folder = dir.Path().string();
    for (int i = 0; i < 3; ++i) {
        folder += "\\" + std::string(100, static_cast<char>('a' + i));
        ASSERT_TRUE(::CreateDirectoryW(win::LongPath(folder).c_str(), nullptr));
    }
    const std::string path = folder + "\\" + std::string(120, 'f') + ".txt";
    ASSERT_GT(path.size(), 450u);
    {
        File file = File::CreateNew(path, Access::Shared);
        file.Write(PatternBytes(70000).data(), 70000);
        file.Close();
    }
    Job job;
    const FileOutcome out = EncryptOneFile(path, "pw", job.context);
    EXPECT_EQ(out.output, path + ".zrk");
    RemoveSource(path, out);
    EXPECT_FALSE(PathExists(path));
    const FileOutcome back = DecryptOneFile(out.output, "pw", job.context);
    EXPECT_EQ(back.output, path);
    RemoveSource(out.output, back);
    {
        File restored = File::OpenRead(path);
        std::vector<std::uint8_t> bytes(70001);
        EXPECT_EQ(restored.Read(bytes.data(), bytes.size()), 70000u);
        bytes.resize(70000);
        EXPECT_EQ(bytes, PatternBytes(70000));
    }
    const auto entries = ListFolder(folder);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, NamePart(path));
    EXPECT_TRUE(IdentityOfPath(path).has_value());
    EXPECT_TRUE(IsDirectory(folder));
    EXPECT_TRUE(RemoveFile(path));
    EXPECT_FALSE(PathExists(path));
    for (int i = 0; i < 3; ++i, folder.resize(folder.rfind('\\')))
        EXPECT_TRUE(::RemoveDirectoryW(win::LongPath(folder).c_str()));
}

// Sizes and positions beyond 4 GiB (a sparse file: only the end is written).
TEST(WindowsFiles, SizesBeyond4GiB) {
    TempDir dir;
    const std::int64_t beyond = (std::int64_t{5} << 30) + 7;
    File file = File::CreateNew(dir / "big", Access::Shared);
    file.Seek(beyond);
    file.Write("xyz", 3);
    EXPECT_EQ(file.Position(), beyond + 3);
    EXPECT_EQ(file.Size(), beyond + 3);
    EXPECT_EQ(file.Identity().size, beyond + 3);
    file.Seek(beyond + 1);
    char back[8] = {};
    EXPECT_EQ(file.Read(back, sizeof back), 2u);
    EXPECT_EQ(std::string(back, 2), "yz");
    file.Truncate();
    EXPECT_EQ(file.Size(), 0);
}

// A read fills its buffer from a pipe that delivers in pieces, until the writer closes it.
TEST(WindowsFiles, ReadFillsTheBufferFromAPipe) {
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    const auto data = PatternBytes(3000);
    std::thread writer([&] {
        for (std::size_t at = 0; at < data.size(); at += 1000) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            DWORD written = 0;
            ::WriteFile(writeEnd, data.data() + at, 1000, &written, nullptr);
        }
        ::CloseHandle(writeEnd);
    });
    File pipe = File::Adopt(reinterpret_cast<File::NativeHandle>(readEnd), "pipe");
    std::vector<std::uint8_t> buffer(4000);
    EXPECT_EQ(pipe.Read(buffer.data(), 2500), 2500u);
    EXPECT_EQ(pipe.Read(buffer.data() + 2500, 1500), 500u);
    writer.join();
    buffer.resize(3000);
    EXPECT_EQ(buffer, data);
    EXPECT_EQ(pipe.Read(buffer.data(), 10), 0u);
}

// The program's names are UTF-8: the system sees the same characters, and a job keeps them. Bytes
// that are not UTF-8 (older Windows builds wrote the Turkish code page) are read in that code page.
TEST(WindowsFiles, NamesAreUtf8) {
    TempDir dir;
    const std::string name = "şifreli ĞÜ 日本.txt";
    File::CreateNew(dir / name, Access::Shared).Close();
    WIN32_FIND_DATAW found{};
    const HANDLE find = ::FindFirstFileW((dir.Path().wstring() + L"\\*.txt").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    ::FindClose(find);
    EXPECT_EQ(std::wstring(found.cFileName), L"\u015Fifreli \u011E\u00DC \u65E5\u672C.txt");
    EXPECT_EQ(ListFolder(dir.Path().string())[0].name, name);
    Job job;
    const FileOutcome out = EncryptOneFile(dir / name, "pw", job.context);
    RemoveSource(dir / name, out);
    EXPECT_EQ(DecryptOneFile(out.output, "pw", job.context).output, dir / name);

    File::CreateNew(dir / "\xDEu.cp1254", Access::Shared).Close(); // "Şu" in code page 1254
    EXPECT_TRUE(fs::exists(dir.Path() / L"\u015Eu.cp1254"));
}

// A partial output can be removed while it is still open (a cancel, a second Ctrl-C); its name goes
// at once for new opens and the file when it is closed.
TEST(WindowsFiles, OpenOutputCanBeRemoved) {
    TempDir dir;
    File output = File::CreateNew(dir / "partial", Access::OwnerOnly);
    output.Write("abc", 3);
    std::string reason;
    EXPECT_TRUE(RemoveFile(dir / "partial", &reason)) << reason;
    output.Close();
    EXPECT_FALSE(PathExists(dir / "partial"));
    EXPECT_TRUE(RemoveFile(dir / "never there")); // missing counts as removed
}

} // namespace
} // namespace zarkent
