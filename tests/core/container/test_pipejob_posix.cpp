// Streams through real pipes: the parallel deflate of an input read in order, and the .zrk layout
// written and read in one pass, against the file jobs' bytes.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <random>
#include <thread>
#include <unistd.h>

#include "TempDir.h"
#include "core/container/FileJob.h"
#include "core/container/PipeJob.h"
#include "core/container/ZlibStreams.h"

namespace zarkent {
namespace {

using namespace test;
using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t B = DeflateBlockSize;
constexpr std::size_t Chunk = 65540;

// The read end of a pipe that a second thread fills with `data` in writes of random sizes (some of a
// byte, some larger than the pipe), then closes. A reader that stops early ends the writer too.
class Feeder {
public:
    explicit Feeder(Bytes data, unsigned seed = 1) : data_(std::move(data)) {
        int fds[2];
        if (::pipe(fds) != 0) throw std::runtime_error("pipe");
        read_ = File::Adopt(fds[0], "pipe");
        thread_ = std::thread([this, fd = fds[1], seed] {
            std::mt19937 random(seed);
            std::size_t at = 0;
            while (at < data_.size()) {
                const std::size_t want =
                    std::min<std::size_t>(data_.size() - at, 1 + random() % (random() % 4 ? 3000 : 200000));
                const ssize_t n = ::write(fd, data_.data() + at, want);
                if (n <= 0) break; // the reader is gone
                at += static_cast<std::size_t>(n);
            }
            ::close(fd);
        });
    }
    ~Feeder() {
        read_.Close(); // a reader that stopped early: the writer's next write fails
        thread_.join();
    }
    File& Read() { return read_; }

private:
    Bytes data_;
    File read_;
    std::thread thread_;
};

// Text that compresses, with noise in stretches so that blocks differ in how they compress.
Bytes Mixed(std::size_t size, std::uint32_t seed = 3) {
    Bytes bytes = PatternBytes(size, seed);
    const std::string text = "Every byte of the file is kept safe by its password. ";
    for (std::size_t i = 0; i < size; ++i)
        if (i / 50000 % 3 != 1) bytes[i] = static_cast<std::uint8_t>(text[i % text.size()]);
    return bytes;
}

Bytes DeflatedFile(const TempDir& dir, const Bytes& data) {
    WriteBytes(dir / "in", data);
    std::filesystem::remove(dir / "out");
    File input = File::OpenRead(dir / "in");
    File output = File::CreateNew(dir / "out", Access::OwnerOnly);
    EXPECT_TRUE(DeflateFile(input, output, 2));
    output.Close();
    return ReadBytes(dir / "out");
}

class IgnoreSigpipe : public ::testing::Test {
protected:
    void SetUp() override { previous_ = std::signal(SIGPIPE, SIG_IGN); }
    void TearDown() override { std::signal(SIGPIPE, previous_); }

private:
    void (*previous_)(int) = nullptr;
};

using DeflateStreamTest = IgnoreSigpipe;
using PipeJobTest = IgnoreSigpipe;

// The stream of a pipe is the stream of the same contents in a file, at every block and window edge,
// on any number of threads and whatever sizes the writes into the pipe had.
TEST_F(DeflateStreamTest, SameBytesAsTheFileAtEveryEdge) {
    TempDir dir;
    const std::size_t sizes[] = {0, 1, 32 * 1024 - 1, 32 * 1024, B - 1, B, B + 1, 2 * B + 32 * 1024, 9 * B + 7};
    unsigned seed = 0;
    for (std::size_t size : sizes) {
        SCOPED_TRACE(std::to_string(size) + " bytes");
        const Bytes data = Mixed(size);
        const Bytes expected = DeflatedFile(dir, data);
        for (unsigned threads : {1u, 3u}) {
            Feeder feeder(data, ++seed);
            Bytes stream;
            std::vector<std::uint64_t> seen;
            EXPECT_TRUE(DeflateStream(
                feeder.Read(), [&](const std::uint8_t* p, std::size_t n) { stream.insert(stream.end(), p, p + n); },
                threads,
                [&](std::uint64_t done) {
                    seen.push_back(done);
                    return true;
                }));
            EXPECT_EQ(stream, expected) << threads << " threads";
            ASSERT_FALSE(seen.empty());
            EXPECT_EQ(seen.back(), size);
            EXPECT_EQ(seen.size(), std::max<std::size_t>(1, (size + B - 1) / B)); // one call per block
        }
    }
}

// Pieces of any size inflate to the contents, checked or written; nothing may come after the stream's
// end, in the same piece or a later one, and a stream cut short fails at Finish.
TEST(StreamInflaterTest, PiecesOfAnySize) {
    TempDir dir;
    const Bytes data = Mixed(3 * B + 5);
    const Bytes stream = DeflatedFile(dir, data);
    std::mt19937 random(7);
    for (int round = 0; round < 3; ++round) {
        std::filesystem::remove(dir / "inflated");
        {
            File out = File::CreateNew(dir / "inflated", Access::OwnerOnly);
            StreamInflater inflater(&out);
            for (std::size_t at = 0; at < stream.size();) {
                const std::size_t n = std::min<std::size_t>(stream.size() - at, round == 0 ? 1 : 1 + random() % 70000);
                EXPECT_TRUE(inflater.Add(stream.data() + at, n));
                at += n;
            }
            EXPECT_TRUE(inflater.Finish());
        }
        EXPECT_EQ(ReadBytes(dir / "inflated"), data) << round;
    }
    const auto dataError = [](const std::function<void()>& work) {
        try {
            work();
        } catch (const ZarkentError& e) {
            return e.Kind() == ErrorKind::DamagedFile && std::string(e.what()) == "data error";
        }
        return false;
    };
    EXPECT_TRUE(dataError([&] {
        StreamInflater inflater(nullptr);
        inflater.Add(stream.data(), stream.size());
        const std::uint8_t extra = 0;
        inflater.Add(&extra, 1);
    })) << "a byte in a later piece";
    EXPECT_TRUE(dataError([&] {
        Bytes longer = stream;
        longer.push_back(0);
        StreamInflater inflater(nullptr);
        inflater.Add(longer.data(), longer.size());
    })) << "a byte in the same piece";
    EXPECT_TRUE(dataError([&] {
        StreamInflater inflater(nullptr);
        inflater.Add(stream.data(), stream.size() - 1);
        inflater.Finish();
    })) << "cut short";
}

// A stop ends the work at once with a true prefix of the stream, and the pipe's writer is not left
// waiting.
TEST_F(DeflateStreamTest, ObserverStops) {
    TempDir dir;
    const Bytes data = Mixed(12 * B);
    const Bytes whole = DeflatedFile(dir, data);
    Feeder feeder(data);
    Bytes part;
    int calls = 0;
    EXPECT_FALSE(DeflateStream(
        feeder.Read(), [&](const std::uint8_t* p, std::size_t n) { part.insert(part.end(), p, p + n); }, 2,
        [&](std::uint64_t) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
    ASSERT_LT(part.size(), whole.size() / 2);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin()));
}

StreamContext Context(const std::atomic<bool>& compress) {
    StreamContext context;
    context.compressOption = &compress;
    context.durable = false;
    return context;
}

// The .zrk bytes of a pipe equal the file job's, stored and compressed, around the edges of the
// chunks both read in; each decrypts back through a pipe to the contents, and a test run reads them
// without writing anything.
TEST_F(PipeJobTest, SameBytesAsTheFileJobAndBack) {
    TempDir dir;
    const std::size_t sizes[] = {
        0, 1, 3, Chunk - 1, Chunk, Chunk + 1, 16 * Chunk - 1, 16 * Chunk, 16 * Chunk + 5, 3 * 16 * Chunk + 2};
    unsigned seed = 0;
    for (const bool compressed : {false, true}) {
        const std::atomic<bool> compress{compressed};
        const StreamContext context = Context(compress);
        for (std::size_t size : sizes) {
            SCOPED_TRACE(std::string(compressed ? "compressed, " : "stored, ") + std::to_string(size) + " bytes");
            const Bytes data = Mixed(size, static_cast<std::uint32_t>(size));
            WriteBytes(dir / "notes.txt", data);
            const EncryptOutcome outcome = EncryptOneFile(dir / "notes.txt", "pässword", context);
            const Bytes expected = ReadBytes(outcome.output);
            std::filesystem::remove(outcome.output);

            Feeder plain(data, ++seed);
            {
                File out = File::CreateNew(dir / "pipe.zrk", Access::OwnerOnly);
                EXPECT_TRUE(EncryptStream(plain.Read(), out, "notes.txt", "pässword", context, size));
            }
            ASSERT_EQ(ReadBytes(dir / "pipe.zrk"), expected);

            Feeder encrypted(expected, ++seed);
            StreamResult result;
            {
                File out = File::CreateNew(dir / "back", Access::OwnerOnly);
                result = DecryptStream(encrypted.Read(), &out, "pässword", context, expected.size());
            }
            EXPECT_EQ(ReadBytes(dir / "back"), data);
            EXPECT_EQ(result.storedName, "notes.txt");
            EXPECT_EQ(result.compressed, compressed);
            EXPECT_FALSE(result.cancelled);

            Feeder tested(expected, ++seed);
            EXPECT_EQ(DecryptStream(tested.Read(), nullptr, "pässword", context).compressed, compressed);
            std::filesystem::remove(dir / "pipe.zrk");
            std::filesystem::remove(dir / "back");
            EXPECT_EQ(dir.Entries(), std::vector<std::string>{"notes.txt"});
        }
    }
}

// Bytes the caller already read (while looking for armour) are taken first, wherever they end.
TEST_F(PipeJobTest, HeadIsTakenFirst) {
    TempDir dir;
    const std::atomic<bool> compress{true};
    const Bytes data = Mixed(3 * B + 11);
    WriteBytes(dir / "a", data);
    const EncryptOutcome outcome = EncryptOneFile(dir / "a", "pw", Context(compress));
    const Bytes zrk = ReadBytes(outcome.output);
    for (std::size_t cut : {std::size_t{1}, std::size_t{148}, std::size_t{2198}, std::size_t{70000}}) {
        Feeder rest(Bytes(zrk.begin() + static_cast<std::ptrdiff_t>(cut), zrk.end()));
        const std::string head(zrk.begin(), zrk.begin() + static_cast<std::ptrdiff_t>(cut));
        std::filesystem::remove(dir / "back");
        {
            File out = File::CreateNew(dir / "back", Access::OwnerOnly);
            DecryptStream(rest.Read(), &out, "pw", Context(compress), 0, head);
        }
        EXPECT_EQ(ReadBytes(dir / "back"), data) << cut;
    }
}

struct Case {
    const char* what;
    bool compressed;
    std::function<void(Bytes&)> damage;
    ErrorKind kind;
    const char* message; // "" for any
};

// Each way a stream can be wrong gives the kind and text the file path gives, with an output and in a
// test; a stored payload is not read in a test, so only its header can fail there.
TEST_F(PipeJobTest, DamagedStreams) {
    TempDir dir;
    const Bytes data = Mixed(2 * B + 100);
    const std::atomic<bool> off{false}, on{true};
    Bytes zrk[2];
    for (const bool compressed : {false, true}) {
        WriteBytes(dir / "a", data);
        const EncryptOutcome outcome = EncryptOneFile(dir / "a", "pw", Context(compressed ? on : off));
        zrk[compressed] = ReadBytes(outcome.output);
        std::filesystem::remove(outcome.output);
    }
    const Case cases[] = {
        {"empty", false, [](Bytes& b) { b.clear(); }, ErrorKind::DamagedFile, "Stream read error"},
        {"check block cut", true, [](Bytes& b) { b.resize(100); }, ErrorKind::DamagedFile, "Stream read error"},
        {"header cut", false, [](Bytes& b) { b.resize(HeaderSize - 1); }, ErrorKind::DamagedFile, "Stream read error"},
        // The second flag decides: a stored payload flagged compressed there is no zlib stream.
        {"second flag says compressed", false, [](Bytes& b) { b[HeaderSize - 1] = 0xFF; }, ErrorKind::DamagedFile,
         "data error"},
        {"wrong password", true, [](Bytes& b) { b[5] ^= 1; }, ErrorKind::WrongPassword, WrongPasswordMarker},
        {"payload cut", true, [](Bytes& b) { b.resize(b.size() - 3); }, ErrorKind::DamagedFile, "data error"},
        {"payload cut at the header", true, [](Bytes& b) { b.resize(HeaderSize); }, ErrorKind::DamagedFile,
         "data error"},
        {"bytes after the stream", true, [](Bytes& b) { b.push_back(0); }, ErrorKind::DamagedFile, "data error"},
        {"payload byte flipped", true, [](Bytes& b) { b[b.size() / 2] ^= 0x10; }, ErrorKind::DamagedFile, "data error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = zrk[c.compressed];
        c.damage(bytes);
        for (const bool test : {false, true}) {
            Feeder feeder(bytes);
            std::filesystem::remove(dir / "out");
            File out = File::CreateNew(dir / "out", Access::OwnerOnly);
            try {
                DecryptStream(feeder.Read(), test ? nullptr : &out, "pw", Context(off));
                ADD_FAILURE() << "no error" << (test ? " in a test" : "");
            } catch (const ZarkentError& e) {
                EXPECT_EQ(e.Kind(), c.kind);
                EXPECT_STREQ(e.what(), c.message);
            }
            out.Close();
            if (test) {
                EXPECT_EQ(std::filesystem::file_size(dir / "out"), 0u);
            }
        }
    }
    // A stored payload cut short or changed decrypts to what is there: the format cannot tell.
    Bytes stored = zrk[false];
    stored.resize(stored.size() - 7);
    Feeder feeder(stored);
    EXPECT_FALSE(DecryptStream(feeder.Read(), nullptr, "pw", Context(off)).compressed);

    // Flags read as the file path reads them: the first copy is not looked at, and any second copy but 0xFF
    // means stored, so both paths give the same contents.
    for (const auto& [first, second] : {std::pair{0xFF, 0x00}, std::pair{7, 7}}) {
        Bytes odd = zrk[false];
        odd[CheckLength * 4] = static_cast<std::uint8_t>(first);
        odd[HeaderSize - 1] = static_cast<std::uint8_t>(second);
        WriteBytes(dir / "odd.zrk", odd);
        const DecryptOutcome filePath = DecryptOneFile(dir / "odd.zrk", "pw", Context(off));
        EXPECT_EQ(ReadBytes(filePath.output), data);
        std::filesystem::remove(filePath.output);
        Feeder oddFeeder(odd);
        std::filesystem::remove(dir / "out");
        {
            File out = File::CreateNew(dir / "out", Access::OwnerOnly);
            EXPECT_FALSE(DecryptStream(oddFeeder.Read(), &out, "pw", Context(off)).compressed);
        }
        EXPECT_EQ(ReadBytes(dir / "out"), data) << first << " " << second;
    }
}

// A cancel stops both directions within a chunk or a block.
TEST_F(PipeJobTest, CancelStops) {
    TempDir dir;
    const Bytes data = Mixed(6 * B);
    for (const bool compressed : {false, true}) {
        const std::atomic<bool> compress{compressed};
        std::atomic<bool> cancel{true};
        StreamContext context = Context(compress);
        context.cancelRequested = &cancel;
        Feeder feeder(data);
        File out = File::CreateNew(dir / "c", Access::OwnerOnly);
        EXPECT_FALSE(EncryptStream(feeder.Read(), out, "c", "pw", context));
        EXPECT_LT(out.Size(), static_cast<std::int64_t>(HeaderSize + 2 * B)) << compressed;
        out.Close();
        std::filesystem::remove(dir / "c");
    }
}

// A reader that closed the pipe is told apart from other write failures.
TEST_F(PipeJobTest, ClosedReaderIsABrokenPipe) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    File write = File::Adopt(fds[1], "-");
    const Bytes data(100, 1);
    EXPECT_THROW(write.Write(data.data(), data.size()), BrokenPipeError);
}

} // namespace
} // namespace zarkent
