#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <zlib.h>

#include "TempDir.h"
#include "core/container/Adler32.h"
#include "core/container/ZlibStreams.h"

namespace zarkent {
namespace {

using namespace test;
using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t B = DeflateBlockSize;

Bytes Deflated(const TempDir& dir, const Bytes& data, unsigned threads, const BlockObserver& observer = {},
               bool* finished = nullptr) {
    WriteBytes(dir / "in", data);
    std::filesystem::remove(dir / "out");
    File input = File::OpenRead(dir / "in");
    File output = File::CreateNew(dir / "out", Access::OwnerOnly);
    const bool ended = DeflateFile(input, output, threads, observer);
    if (finished) *finished = ended;
    output.Close();
    return ReadBytes(dir / "out");
}

Bytes Uncompressed(const Bytes& stream, std::size_t size) {
    Bytes out(size + 1);
    uLongf length = out.size();
    EXPECT_EQ(uncompress(out.data(), &length, stream.data(), stream.size()), Z_OK);
    out.resize(length);
    return out;
}

Bytes Compress2(const Bytes& data) {
    Bytes out(compressBound(data.size()));
    uLongf length = out.size();
    EXPECT_EQ(compress2(out.data(), &length, data.data(), data.size(), Z_DEFAULT_COMPRESSION), Z_OK);
    out.resize(length);
    return out;
}

// The kinds of input that make deflate behave differently.
Bytes Input(const std::string& kind, std::size_t size) {
    if (kind == "noise") return PatternBytes(size, 11);
    if (kind == "zeros") return Bytes(size, 0);
    Bytes bytes(size);
    if (kind == "text") {
        const std::string text = "The file is encrypted with a password; keep it safe. ";
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<std::uint8_t>(text[i % text.size()] + i / 4096 % 3);
    } else { // "echo": 20 KiB of noise over and over, so every block repeats the one before it
        const Bytes unit = PatternBytes(20000, 12);
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = unit[i % unit.size()];
    }
    return bytes;
}

// One standard zlib stream, the same on any number of threads, and for an input of at most one block
// exactly the single-threaded stream of earlier versions (compress2's).
TEST(ParallelDeflate, StandardStreamAtEveryBlockEdge) {
    TempDir dir;
    const std::size_t sizes[] = {0, 1, 2, B - 1, B, B + 1, 2 * B, 3 * B + 17, 5 * B - 1};
    for (const std::string kind : {"noise", "zeros", "text", "echo"}) {
        for (std::size_t size : sizes) {
            SCOPED_TRACE(kind + ", " + std::to_string(size) + " bytes");
            const Bytes data = Input(kind, size);
            const Bytes stream = Deflated(dir, data, 1);
            EXPECT_EQ(Uncompressed(stream, size), data);
            for (unsigned threads : {2u, 4u})
                EXPECT_EQ(Deflated(dir, data, threads), stream) << threads << " threads";
            const Bytes single = Compress2(data);
            if (size <= B) {
                EXPECT_EQ(stream, single);
            } else {
                // Each block sees the window before it, so the joined stream compresses about as well
                // as one stream (a block that started afresh would cost the 20 KiB of "echo" again).
                EXPECT_LT(stream.size(), single.size() + single.size() / 50 + 64 * (size / B + 1));
            }
        }
    }
}

// The observer sees the input done after each block and stops the work at once; workers never read
// far ahead.
TEST(ParallelDeflate, ObserverFollowsAndStopsTheBlocks) {
    TempDir dir;
    const Bytes data = Input("text", 10 * B + 5);
    std::vector<std::uint64_t> seen;
    bool finished = false;
    const Bytes whole = Deflated(
        dir, data, 3,
        [&](std::uint64_t done) {
            seen.push_back(done);
            return true;
        },
        &finished);
    EXPECT_TRUE(finished);
    std::vector<std::uint64_t> expected;
    for (std::size_t i = 1; i <= 10; ++i)
        expected.push_back(i * B);
    expected.push_back(data.size());
    EXPECT_EQ(seen, expected);

    for (std::size_t stopAt : {std::size_t{1}, std::size_t{4}}) {
        std::size_t calls = 0;
        const Bytes part = Deflated(
            dir, data, 3, [&](std::uint64_t) { return ++calls < stopAt; }, &finished);
        EXPECT_FALSE(finished);
        EXPECT_EQ(calls, stopAt);
        // Exactly the blocks done before the stop were written: a true prefix of the whole stream.
        ASSERT_LT(part.size(), whole.size());
        EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin())) << stopAt;
        EXPECT_LT(part.size(), whole.size() * (stopAt + 1) / 10) << stopAt;
    }
}

// The inflater reads the joined blocks back and reports the compressed bytes read as it goes, often
// enough that a thousandfold stream is followed too; a stop ends it early.
TEST(ParallelDeflate, InflateFollowsAndStops) {
    TempDir dir;
    for (const std::string kind : {"noise", "zeros"}) {
        SCOPED_TRACE(kind);
        const Bytes data = Input(kind, 24u << 20);
        const Bytes stream = Deflated(dir, data, 2);
        WriteBytes(dir / "z", stream);
        std::vector<std::uint64_t> seen;
        {
            File in = File::OpenRead(dir / "z");
            File out = File::CreateNew(dir / "inflated", Access::OwnerOnly);
            EXPECT_TRUE(InflateFile(in, out, [&](std::uint64_t done) {
                seen.push_back(done);
                return true;
            }));
        }
        EXPECT_EQ(ReadBytes(dir / "inflated"), data);
        std::filesystem::remove(dir / "inflated");
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back(), stream.size());
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        EXPECT_GE(seen.size(), 24u * 4); // at least once per 256 KiB of output

        std::size_t calls = 0;
        File in = File::OpenRead(dir / "z");
        File out = File::CreateNew(dir / "inflated", Access::OwnerOnly);
        EXPECT_FALSE(InflateFile(in, out, [&](std::uint64_t) { return ++calls < 3; }));
        out.Close();
        EXPECT_EQ(calls, 3u);
        EXPECT_LE(std::filesystem::file_size(dir / "inflated"), 2u * 256 * 1024);
        std::filesystem::remove(dir / "inflated");
    }
}

// The checksum equals zlib's for every length around the 32-byte steps and the runs between
// reductions, from every alignment and starting value; bytes of 255 give the largest sums.
TEST(Adler32, EqualsZlib) {
    const Bytes noise = PatternBytes((3u << 20) + 64, 11);
    const Bytes full((3u << 20) + 64, 0xFF);
    const std::size_t sizes[] = {0,    1,    31,   32,   33,   63,    64,    65,    100,    5535,
                                 5536, 5537, 5551, 5552, 5553, 11072, 11073, 65536, 262147, 3u << 20};
    const std::uint32_t starts[] = {1, 0xFFF0FFF0u, 0x12345678u % 65521u | (40000u << 16)};
    for (const Bytes* data : {&noise, &full}) {
        for (std::size_t size : sizes) {
            for (std::size_t offset : {0, 1, 3}) {
                for (std::uint32_t start : starts) {
                    const std::uint8_t* p = data->data() + offset;
                    EXPECT_EQ(Adler32(start, p, size), adler32(start, p, static_cast<uInt>(size)))
                        << (data == &full ? "255s" : "noise") << ", " << size << " bytes at +" << offset << " from "
                        << start;
                }
            }
        }
    }
}

} // namespace
} // namespace zarkent
