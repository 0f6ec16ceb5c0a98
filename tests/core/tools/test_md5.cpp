// MD5 digests against RFC 1321's test suite, split inputs, streams and files.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "core/platform/FileSystem.h"
#include "core/tools/md5.h"

namespace zarkent {
namespace {

using namespace test;
namespace fs = std::filesystem;

TEST(Md5, Rfc1321TestSuite) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "D41D8CD98F00B204E9800998ECF8427E"},
        {"a", "0CC175B9C0F1B6A831C399E269772661"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
        {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57EDF4A22BE3C955AC49DA2E2107B67A"},
        {std::string(1000000, 'a'), "7707D6AE4E027C70EEA2A935C2296F21"},
    };
    for (const auto& [text, hex] : cases)
        EXPECT_EQ(Md5ToHex(Md5OfString(text)), hex) << text.size();
}

// Any split of the input into Md5Add calls gives the digest of the whole, around every padding edge.
TEST(Md5, SplitsAndPaddingEdges) {
    for (std::size_t size : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 121u, 127u, 128u, 1000u}) {
        const auto data = PatternBytes(size);
        const std::string whole = Md5ToHex(Md5OfBuffer(data.data(), data.size()));
        for (std::size_t piece : {1u, 3u, 63u, 64u, 65u}) {
            Md5Context context;
            Md5Start(context);
            for (std::size_t at = 0; at < size; at += piece)
                Md5Add(context, data.data() + at, static_cast<std::uint32_t>(std::min(piece, size - at)));
            EXPECT_EQ(Md5ToHex(Md5Finish(context)), whole) << size << " in pieces of " << piece;
        }
    }
}

// A file is digested from offset 0 to its end, and its position is put back.
TEST(Md5, StreamsAndFiles) {
    TempDir dir;
    const auto data = PatternBytes(3 << 20); // several reads
    WriteBytes(dir / "f", data);
    WriteBytes(dir / "empty", {});
    File file = File::OpenRead(dir / "f");
    std::vector<std::uint8_t> head(12345);
    file.Read(head.data(), head.size());
    std::uint64_t lastDone = 0, lastTotal = 0;
    const Md5Digest digest = Md5OfStream(file, [&](std::uint64_t done, std::uint64_t total) {
        lastDone = done;
        lastTotal = total;
    });
    EXPECT_EQ(Md5ToHex(digest), Md5ToHex(Md5OfBuffer(data.data(), data.size())));
    EXPECT_EQ(file.Position(), 12345);
    EXPECT_EQ(lastDone, data.size());
    EXPECT_EQ(lastTotal, data.size());
    EXPECT_EQ(Md5ToHex(Md5OfFile(dir / "empty")), "D41D8CD98F00B204E9800998ECF8427E");

    // Errors name the file and the reason.
    EXPECT_EQ(ErrorOf([&] { Md5OfFile(dir.Path().string()); }),
              "Cannot open file \"" + dir.Path().string() + "\". Is a directory");
    EXPECT_EQ(ErrorOf([&] { Md5OfFile(dir / "missing"); }),
              "Cannot open file \"" + (dir / "missing") + "\". No such file or directory");
}

// Files of 4 GiB and more are read to their real end (the sizes are 64-bit throughout).
TEST(Md5, FileBeyond4GiB) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "4 GiB of hashing is too slow under a sanitizer";
#endif
    TempDir dir;
    const std::string path = dir / "sparse";
    WriteBytes(path, {});
    fs::resize_file(path, (std::uint64_t{1} << 32) + 1);
    // The digest of 4 GiB + 1 zero bytes, as md5sum gives it.
    EXPECT_EQ(Md5ToHex(Md5OfFile(path)), "F18C798FF5D450DFE4D3ACDC12B621FF");
}

} // namespace
} // namespace zarkent
