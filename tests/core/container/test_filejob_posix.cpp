// File jobs and file operations that only POSIX systems have: file-size limits, pipes by
// descriptor, FIFOs, devices in /dev, symbolic links, and sources that another program may change
// while they are read (Windows refuses that with the sharing mode instead).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "FileEventGate.h"
#include "Job.h"
#include "TempDir.h"
#include "core/container/FileJob.h"
#include "core/container/Naming.h"
#include "core/container/ZlibStreams.h"
#include "core/platform/Signals.h"

namespace zarkent {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(Naming, BackslashAndColonArePartOfALinuxName) {
    EXPECT_EQ(NamePart("a\\b:c"), "a\\b:c");
    EXPECT_EQ(DirectoryPart("a\\b:c"), "");
}

// A full disk: writes beyond the size limit fail, and nothing of the user's is lost.
TEST(FileJob, FullDiskIsAnError) {
    TempDir dir;
    Job job;
    WriteBytes(dir / "big", PatternBytes(600000));
    const auto signalBefore = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 200000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string encryptError = ErrorOf([&] { EncryptOneFile(dir / "big", "pw", job.context); });
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    EXPECT_EQ(encryptError, "Cannot write file \"" + (dir / "big.zrk") + "\". File too large");
    EXPECT_EQ(dir.Entries(), Names{"big"});

    EncryptOneFile(dir / "big", "pw", job.context);
    const auto zrk = ReadBytes(dir / "big.zrk");
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string decryptError = ErrorOf([&] { DecryptOneFile(dir / "big.zrk", "pw", job.context); });
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    EXPECT_EQ(decryptError, "Cannot write file \"" + (dir / "big.zrk.coz") + "\". File too large");
    EXPECT_EQ(dir.Entries(), (Names{"big", "big.zrk"}));
    EXPECT_EQ(ReadBytes(dir / "big.zrk"), zrk);

    // Compressed, the .zrk file is written by a thread of its own; its failure still reaches the job.
    // The limit lets the temporary file (the compressed stream alone) through and stops the .zrk file.
    job.compress = true;
    WriteBytes(dir / "noise", PatternBytes(3u << 20, 5));
    EncryptOneFile(dir / "noise", "pw", job.context);
    small.rlim_cur = fs::file_size(dir / "noise.zrk") - 1000;
    fs::remove(dir / "noise.zrk");
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string compressedError = ErrorOf([&] { EncryptOneFile(dir / "noise", "pw", job.context); });
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, signalBefore);
    EXPECT_EQ(compressedError, "Cannot write file \"" + (dir / "noise.zrk") + "\". File too large");
    EXPECT_EQ(dir.Entries(), (Names{"big", "big.zrk", "noise"}));
}

// A small file, compressed on the calling thread as one block, that grows before that block is read:
// it is compressed again in blocks, whole, and decrypts to what it holds by then.
TEST(FileJob, SmallFileGrowingDuringCompressionStillDecrypts) {
    TempDir dir;
    Job job;
    job.compress = true;
    // A size that is not a whole number of words, and noise that fills many of the cipher's buffers,
    // which are sized after the file as it was.
    const auto start = PatternBytes(1001, 4);
    auto grown = start;
    const auto more = PatternBytes(2 * DeflateBlockSize + 5000, 9);
    grown.insert(grown.end(), more.begin(), more.end());
    WriteBytes(dir / "t", start);
    bool appended = false;
    SetFileEventHook([&](FileEvent event, const std::string& path) {
        if (event == FileEvent::ReadAt && path == dir / "t" && !appended) {
            appended = true;
            std::ofstream(path, std::ios::app | std::ios::binary)
                .write(reinterpret_cast<const char*>(grown.data() + start.size()),
                       static_cast<std::streamsize>(grown.size() - start.size()));
        }
        return 0;
    });
    const FileOutcome packed = EncryptOneFile(dir / "t", "pw", job.context);
    SetFileEventHook({});
    ASSERT_TRUE(appended);
    fs::remove(dir / "t");
    const FileOutcome back = DecryptOneFile(packed.output, "pw", job.context);
    EXPECT_EQ(ReadBytes(back.output), grown);
}

// A file rewritten in place while it is compressed, here at the end of block 0 just before block 1
// reads it as its dictionary, would give a stream that does not decompress: the encryption fails
// instead and leaves only the source.
TEST(FileJob, SourceRewrittenDuringCompressionIsAnError) {
    TempDir dir;
    Job job;
    job.compress = true;
    job.context.compressionThreads = 1; // blocks are read in order
    std::string text;
    while (text.size() < 3 * DeflateBlockSize)
        text += "zarkent keeps every byte of the file safe; ";
    WriteBytes(dir / "t", std::vector<std::uint8_t>(text.begin(), text.end()));
    int reads = 0;
    SetFileEventHook([&](FileEvent event, const std::string& path) {
        if (event == FileEvent::ReadAt && path == dir / "t" && ++reads == 2) {
            std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(static_cast<std::streamoff>(DeflateBlockSize - 100));
            file.write("CHANGED", 7);
        }
        return 0;
    });
    const std::string error = ErrorOf([&] { EncryptOneFile(dir / "t", "pw", job.context); });
    SetFileEventHook({});
    EXPECT_EQ(error, "The file \"" + (dir / "t") + "\" changed while it was compressed");
    EXPECT_EQ(dir.Entries(), Names{"t"});
}

// A read fills its buffer from a source that delivers in pieces, until the source ends.
TEST(FileSystem, ReadFillsTheBufferFromAPipe) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const auto data = PatternBytes(3000);
    std::thread writer([&] {
        for (std::size_t at = 0; at < data.size(); at += 1000) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ASSERT_EQ(::write(fds[1], data.data() + at, 1000), 1000);
        }
        ::close(fds[1]);
    });
    File pipe = File::Adopt(fds[0], "pipe");
    std::vector<std::uint8_t> buffer(4000);
    EXPECT_EQ(pipe.Read(buffer.data(), 2500), 2500u);
    EXPECT_EQ(pipe.Read(buffer.data() + 2500, 1500), 500u);
    writer.join();
    buffer.resize(3000);
    EXPECT_EQ(buffer, data);
    EXPECT_EQ(pipe.Read(buffer.data(), 10), 0u);
}

// Another program changes the source while it is worked on: the source is never deleted, the
// output stays, and the error says what happened.
TEST(FileJob, SourceChangedDuringTheWorkIsKept) {
    enum class Change {
        Replace,  // a new file renamed over the source, as editors save
        Append,   // bytes added at the end
        SameSize, // rewritten in place without changing the size: only the times tell
        Remove,   // removed by another program
    };
    struct Case {
        const char* what;
        bool encrypt;
        FileEvent when;
        Change change;
    };
    const Case cases[] = {
        {"encryption, replaced", true, OutputCreation(), Change::Replace},
        {"encryption, appended", true, FileEvent::SyncFile, Change::Append},
        {"encryption, same size", true, FileEvent::SyncFile, Change::SameSize},
        {"decryption, replaced", false, OutputCreation(), Change::Replace},
        {"decryption, appended", false, FileEvent::SyncFile, Change::Append},
        {"decryption, same size", false, FileEvent::SyncFile, Change::SameSize},
        {"encryption, removed", true, FileEvent::SyncFile, Change::Remove},
        {"decryption, removed", false, FileEvent::SyncFile, Change::Remove},
    };
    for (const Case& c : cases) {
        TempDir dir;
        Job flags;
        WriteBytes(dir / "a.txt", PatternBytes(5000));
        if (!c.encrypt) {
            RemoveSource(dir / "a.txt", EncryptOneFile(dir / "a.txt", "pw", flags.context));
        }
        const std::string source = dir / (c.encrypt ? "a.txt" : "a.txt.zrk");
        const auto before = ReadBytes(source);
        std::vector<std::uint8_t> changed = before;
        if (c.change == Change::SameSize)
            changed[0] ^= 0xFF;
        else
            changed.push_back(42);
        bool done = false;
        SetFileEventHook([&](FileEvent event, const std::string&) {
            if (event != c.when || done) return 0;
            done = true;
            if (c.change == Change::Replace) {
                WriteBytes(dir / "saved.tmp", changed);
                fs::rename(dir / "saved.tmp", source);
            } else if (c.change == Change::Append) {
                std::ofstream(source, std::ios::app | std::ios::binary).put(42);
            } else if (c.change == Change::Remove) {
                fs::remove(source);
            } else {
                // File times move by the kernel's clock tick: let one pass since the source was written.
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                std::fstream file(source, std::ios::in | std::ios::out | std::ios::binary);
                file.put(static_cast<char>(changed[0]));
            }
            return 0;
        });
        const FileOutcome out =
            c.encrypt ? EncryptOneFile(source, "pw", flags.context) : DecryptOneFile(source, "pw", flags.context);
        SetFileEventHook({});
        const std::string work = c.encrypt ? "encrypted" : "decrypted";
        if (c.change == Change::Remove) {
            EXPECT_EQ(ErrorOf([&] { RemoveSource(source, out); }),
                      "The file \"" + source + "\" was removed by another program while it was " + work +
                          "; the output \"" + out.output + "\" was kept")
                << c.what;
            EXPECT_FALSE(fs::exists(source)) << c.what;
        } else {
            EXPECT_EQ(ErrorOf([&] { RemoveSource(source, out); }),
                      "The file \"" + source + "\" changed while it was " + work + ", so it was kept")
                << c.what;
            EXPECT_EQ(ReadBytes(source), changed) << c.what;
        }
        EXPECT_TRUE(fs::exists(out.output)) << c.what;
    }
}

// Worker threads never take the interrupting signals, so that the job's thread handles them.
TEST(FileSystem, WorkerThreadsStartWithInterruptsBlocked) {
    bool interrupt = false, terminate = false;
    StartWorkerThread([&] {
        sigset_t mask;
        pthread_sigmask(SIG_BLOCK, nullptr, &mask);
        interrupt = sigismember(&mask, SIGINT) == 1;
        terminate = sigismember(&mask, SIGTERM) == 1;
    }).join();
    EXPECT_TRUE(interrupt);
    EXPECT_TRUE(terminate);
    sigset_t mine;
    pthread_sigmask(SIG_BLOCK, nullptr, &mine);
    EXPECT_EQ(sigismember(&mine, SIGINT), 0); // the calling thread keeps taking them
}

// Only regular files are encrypted or decrypted, never through a link; nothing is created otherwise.
TEST(FileJob, OnlyRegularFilesAndNoLinks) {
    TempDir dir;
    Job flags;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0); // no writer: an open that blocks would hang here
    WriteBytes(dir / "real.txt", PatternBytes(10));
    fs::create_symlink(dir / "real.txt", dir / "link.txt");
    fs::create_symlink(dir / "real.txt", dir / "link.zrk");
    const std::pair<std::string, std::string> cases[] = {
        {dir / "fifo", "It is a FIFO, not a regular file"},
        {"/dev/zero", "It is a character device, not a regular file"},
        {dir / "link.txt", "It is a symbolic link to \"" + (dir / "real.txt") + "\"; choose that file itself"},
        {dir / "link.zrk", "It is a symbolic link to \"" + (dir / "real.txt") + "\"; choose that file itself"},
        {dir.Path().string(), "Is a directory"},
    };
    for (const auto& [path, reason] : cases) {
        for (bool encrypt : {true, false}) {
            EXPECT_EQ(ErrorOf([&] {
                          encrypt ? EncryptOneFile(path, "pw", flags.context)
                                  : DecryptOneFile(path, "pw", flags.context);
                      }),
                      "Cannot open file \"" + path + "\". " + reason);
        }
    }
    EXPECT_EQ(dir.Entries(), (Names{"fifo", "link.txt", "link.zrk", "real.txt"}));
}

} // namespace
} // namespace zarkent
