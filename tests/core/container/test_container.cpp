#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include <zlib.h>

#include "TempDir.h"
#include "core/cipher/Bytes.h"
#include "core/cipher/ZarkentLib.h"
#include "core/container/ZarkentStream.h"

namespace zarkent {
namespace {

using namespace test;
namespace fs = std::filesystem;

struct RecordingSink : ProgressSink {
    std::vector<int> positions;
    std::vector<std::string> events;
    int maximum = -1;
    void SetMaximum(int m) override { maximum = m; }
    void SetPosition(int p) override {
        positions.push_back(p);
        events.push_back(std::to_string(p) + "%");
    }
    void SetStatus(const std::string& text) override { events.push_back(text); }
    void MoveBar(int p) override {
        positions.push_back(p);
        events.push_back("bar " + std::to_string(p));
    }
};

struct Flags {
    std::atomic<bool> compress{false};
    std::atomic<bool> cancel{false};
    StreamContext Context(ProgressSink* sink = nullptr) {
        StreamContext c;
        c.compressOption = &compress;
        c.cancelRequested = &cancel;
        c.progress = sink;
        return c;
    }
};

// Encrypts `plain` into `zrk`, then decrypts it into `restoredCoz`; returns the restored bytes.
std::vector<std::uint8_t> RoundTrip(const TempDir& dir, const std::vector<std::uint8_t>& data, bool compress,
                                    bool verify, std::vector<std::uint8_t>* encrypted = nullptr) {
    const std::string plain = dir / "data.bin", zrk = dir / "data.bin.zrk", coz = dir / "data.bin.zrk.coz";
    fs::remove(plain);
    fs::remove(zrk);
    fs::remove(coz);
    WriteBytes(plain, data);
    Flags flags;
    flags.compress = compress;
    const StreamContext context = flags.Context();
    { TZarkentStreamSifreleyici e("pässwörd", ModeEncrypt, zrk, plain, verify, context); }
    if (encrypted) *encrypted = ReadBytes(zrk);
    TZarkentStreamSifreleyici d("pässwörd", ModeDecrypt, zrk, coz, verify, context);
    EXPECT_EQ(d.FStoredName, "data.bin");
    EXPECT_EQ(d.FCompressionFlag, compress ? 0xFF : 0x00);
    EXPECT_TRUE(d.FSucceeded);
    if (!compress) return ReadBytes(coz);
    EXPECT_EQ(d.FTempName.rfind(coz + "_____.tmp.tzl.", 0), 0u) << d.FTempName;
    auto restored = ReadBytes(d.FTempName);
    fs::remove(d.FTempName);
    return restored;
}

TEST(Container, RoundTripsAroundEveryBufferEdge) {
    const std::size_t sizes[] = {0, 1, 2, 3, 4, 5, 65535, 65536, 65537, 65538, 65539, 65540, 65541, 65542, 65543, 65544,
                                 131079, 131080, 131081,
                                 // around the blocks of 16 chunks that are read and enciphered at once
                                 15 * 65540 + 1, 16 * 65540 - 1, 16 * 65540, 16 * 65540 + 1, 3u << 20};
    TempDir dir;
    for (bool compress : {false, true}) {
        for (bool verify : {true, false}) {
            for (std::size_t size : sizes) {
                const auto data = PatternBytes(size, static_cast<std::uint32_t>(size));
                std::vector<std::uint8_t> encrypted;
                EXPECT_EQ(RoundTrip(dir, data, compress, verify, &encrypted), data)
                    << "size " << size << " compress " << compress << " verify " << verify;
                if (!compress) {
                    EXPECT_EQ(encrypted.size(), (verify ? HeaderSize : HeaderSize - 148) + size);
                }
                EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"data.bin", "data.bin.zrk", "data.bin.zrk.coz"}));
            }
        }
    }
}

// The layout: check block, flag, name slots, flag, then the payload xor the keystream from step 37 + L.
TEST(Container, ExactLayout) {
    TempDir dir;
    const auto data = PatternBytes(70001, 3);
    for (bool compress : {false, true}) {
        std::vector<std::uint8_t> file;
        RoundTrip(dir, data, compress, true, &file);
        ASSERT_GE(file.size(), HeaderSize);
        const std::uint8_t flag = compress ? 0xFF : 0x00;
        EXPECT_EQ(file[148], flag);
        EXPECT_EQ(file[2197], flag);

        TZarkenter cipher("pässwörd");
        for (std::size_t i = 0; i < CheckLength; ++i) {
            std::uint32_t word;
            std::memcpy(&word, &file[4 * i], 4);
            EXPECT_EQ(word, static_cast<std::uint32_t>(cipher.EncipherValue(static_cast<std::uint8_t>(CheckText[i]))));
        }
        const std::string name = "data.bin";
        for (std::size_t i = 0; i < NameSlots; ++i) {
            std::uint32_t slot;
            std::memcpy(&slot, &file[149 + 4 * i], 4);
            if (i < name.size())
                EXPECT_EQ(slot, static_cast<std::uint32_t>(cipher.EncipherValue(static_cast<std::uint8_t>(name[i]))));
            else
                EXPECT_EQ(slot, 0u) << "slot " << i;
        }
        std::vector<std::uint8_t> payload(file.begin() + HeaderSize, file.end());
        cipher.ApplyKeystream(payload.data(), payload.size());
        if (!compress) {
            EXPECT_EQ(payload, data);
        } else {
            // A standard zlib stream with the default level and a 32 KiB window.
            ASSERT_GE(payload.size(), 2u);
            EXPECT_EQ(payload[0], 0x78);
            EXPECT_EQ(payload[1], 0x9C);
            std::vector<std::uint8_t> inflated(data.size());
            uLongf length = inflated.size();
            ASSERT_EQ(uncompress(inflated.data(), &length, payload.data(), payload.size()), Z_OK);
            EXPECT_EQ(inflated, data);
        }
    }
}

TEST(Container, LayoutWithoutCheckBlockAndRepeatability) {
    TempDir dir;
    std::vector<std::uint8_t> first, second, unverified;
    RoundTrip(dir, PatternBytes(1000), true, true, &first);
    RoundTrip(dir, PatternBytes(1000), true, true, &second);
    EXPECT_EQ(first, second); // no random element
    RoundTrip(dir, PatternBytes(1000), false, false, &unverified);
    ASSERT_EQ(unverified.size(), 2050u + 1000u);
    EXPECT_EQ(unverified[0], 0x00);
    EXPECT_EQ(unverified[2049], 0x00);
}

TEST(Container, EmptyFileSizesAndProgress) {
    TempDir dir;
    WriteBytes(dir / "empty", {});
    for (bool compress : {false, true}) {
        Flags flags;
        flags.compress = compress;
        RecordingSink sink;
        const std::string out = dir / (compress ? "c.zrk" : "s.zrk");
        TZarkentStreamSifreleyici e("pw", ModeEncrypt, out, dir / "empty", true, flags.Context(&sink));
        EXPECT_EQ(sink.maximum, 100);
        // Nothing to do is all done; compressed, the percentage replaces the text at the end.
        EXPECT_EQ(sink.events, (compress ? std::vector<std::string>{"Compressing ...", "bar 100", "100%"}
                                         : std::vector<std::string>{"100%"}));
        if (compress)
            EXPECT_GT(fs::file_size(out), HeaderSize);
        else
            EXPECT_EQ(fs::file_size(out), HeaderSize);
    }
}

// Half text, half noise: both the compressor and the cipher have work, and the compressed stream
// still takes many chunks.
std::vector<std::uint8_t> MixedBytes(std::size_t size) {
    auto bytes = PatternBytes(size, 7);
    const std::string text = "zarkent keeps every byte of the file safe; ";
    for (std::size_t i = 0; i < size; ++i)
        if (i / 65536 % 2 == 0) bytes[i] = static_cast<std::uint8_t>(text[i % text.size()]);
    return bytes;
}

// In every phase the bar moves in small steps from 0 to 100, never back; under the compressing and
// decompressing texts only the bar moves, and the percentage comes back after them.
TEST(Container, ProgressMovesFromZeroToHundredInEveryPhase) {
    TempDir dir;
    const auto data = MixedBytes(10u << 20);
    WriteBytes(dir / "big", data);
    for (bool compress : {false, true}) {
        Flags flags;
        flags.compress = compress;
        RecordingSink encrypting, decrypting;
        StreamContext context = flags.Context(&encrypting);
        context.compressingText = "Sıkıştırılıyor...";
        context.decompressingText = "Paket Açılıyor ...";
        const std::string zrk = dir / (compress ? "c.zrk" : "s.zrk"), coz = zrk + ".coz";
        { TZarkentStreamSifreleyici e("pw", ModeEncrypt, zrk, dir / "big", true, context); }
        context.progress = &decrypting;
        TZarkentStreamSifreleyici d("pw", ModeDecrypt, zrk, coz, true, context);
        EXPECT_EQ(ReadBytes(compress ? d.FTempName : coz), data);
        if (compress) fs::remove(d.FTempName);

        struct Phase {
            std::string status; // "" for a percentage phase
            int from, to;
        };
        const std::vector<Phase> encryption = compress
                                                  ? std::vector<Phase>{{"Sıkıştırılıyor...", 0, 100}, {"", 100, 100}}
                                                  : std::vector<Phase>{{"", 0, 100}};
        const std::vector<Phase> decryption =
            compress ? std::vector<Phase>{{"", 0, DecipherPhaseEnd}, {"Paket Açılıyor ...", DecipherPhaseEnd, 100}}
                     : std::vector<Phase>{{"", 0, 100}};
        for (const auto& [sink, phases] : {std::pair{&encrypting, encryption}, std::pair{&decrypting, decryption}}) {
            SCOPED_TRACE(std::string(sink == &encrypting ? "encryption" : "decryption") +
                         (compress ? ", compressed" : ""));
            ASSERT_FALSE(sink->positions.empty());
            EXPECT_LE(sink->positions.front(), 2);
            EXPECT_EQ(sink->positions.back(), 100);
            // A position comes again only where the percentage takes the place of the status text.
            for (std::size_t i = 1; i < sink->positions.size(); ++i) {
                EXPECT_GE(sink->positions[i], sink->positions[i - 1]);
                EXPECT_LE(sink->positions[i] - sink->positions[i - 1], 3) << "a jump after " << sink->positions[i - 1];
            }
            // Each event belongs to the phase in force: its text, or a bar move within its range.
            std::size_t phase = 0;
            bool statusShown = false;
            for (const std::string& event : sink->events) {
                if (phase + 1 < phases.size() &&
                    (event == phases[phase + 1].status || (phases[phase + 1].status.empty() && event.ends_with('%') &&
                                                           std::stoi(event) >= phases[phase].to))) {
                    ++phase;
                    statusShown = false;
                }
                const Phase& p = phases[phase];
                if (!p.status.empty() && event == p.status) {
                    EXPECT_FALSE(statusShown) << event;
                    statusShown = true;
                    continue;
                }
                const bool barOnly = event.starts_with("bar ");
                EXPECT_EQ(barOnly, !p.status.empty()) << event;
                EXPECT_TRUE(p.status.empty() || statusShown) << "the bar moved before the text was shown";
                const int position = std::stoi(barOnly ? event.substr(4) : event);
                EXPECT_GE(position, p.from) << event;
                EXPECT_LE(position, p.to) << event;
            }
            EXPECT_EQ(phase + 1, phases.size());
        }
    }
}

TEST(Container, WrongPasswordStopsAtTheCheckBlock) {
    TempDir dir;
    WriteBytes(dir / "p", PatternBytes(100000));
    Flags flags;
    { TZarkentStreamSifreleyici e("right", ModeEncrypt, dir / "p.zrk", dir / "p", true, flags.Context()); }
    RecordingSink sink;
    EXPECT_EQ(ErrorOf([&] {
                  TZarkentStreamSifreleyici d("wrong", ModeDecrypt, dir / "p.zrk", dir / "out", true,
                                              flags.Context(&sink));
              }),
              WrongPasswordMarker);
    EXPECT_EQ(fs::file_size(dir / "out"), 0u);
    EXPECT_TRUE(sink.positions.empty()); // no chunk of the payload was read

    // Shorter than the check block: not a .zrk file at all, which no password changes.
    auto file = ReadBytes(dir / "p.zrk");
    for (int size : {0, 1, 100, 147}) {
        WriteBytes(dir / "short.zrk", std::vector<std::uint8_t>(file.begin(), file.begin() + size));
        for (const char* password : {"right", "wrong"}) {
            fs::remove(dir / "o2");
            EXPECT_EQ(ErrorOf([&] {
                          TZarkentStreamSifreleyici d(password, ModeDecrypt, dir / "short.zrk", dir / "o2", true,
                                                      flags.Context());
                      }),
                      "Stream read error")
                << size << " " << password;
        }
    }
}

TEST(Container, DamagedFilesAreErrors) {
    TempDir dir;
    WriteBytes(dir / "p", PatternBytes(300000));
    Flags flags;
    flags.compress = true;
    { TZarkentStreamSifreleyici e("pw", ModeEncrypt, dir / "p.zrk", dir / "p", true, flags.Context()); }
    const auto good = ReadBytes(dir / "p.zrk");

    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::string message;
    };
    auto flipped = good;
    flipped[HeaderSize + 5000] ^= 0x40;
    auto trailing = good;
    trailing.push_back(0x00); // the keystream of one more byte makes no difference to the verdict
    std::vector<Case> cases = {
        {"ends inside the name table", {good.begin(), good.begin() + 1000}, "Stream read error"},
        {"ends before the second flag", {good.begin(), good.begin() + HeaderSize - 1}, "Stream read error"},
        {"damaged compressed payload", flipped, "data error"},
        {"truncated compressed payload", {good.begin(), good.end() - 10}, "data error"},
        {"bytes after the zlib stream", trailing, "data error"},
    };
    for (const Case& c : cases) {
        WriteBytes(dir / "bad.zrk", c.bytes);
        fs::remove(dir / "bad.coz");
        EXPECT_EQ(ErrorOf([&] {
                      TZarkentStreamSifreleyici d("pw", ModeDecrypt, dir / "bad.zrk", dir / "bad.coz", true,
                                                  flags.Context());
                  }),
                  c.message)
            << c.what;
        // The decryptor's own temporary file never stays behind.
        for (const auto& name : dir.Entries())
            EXPECT_EQ(name.find("_____.tmp.tzl."), std::string::npos) << c.what;
    }
}

TEST(Container, FileErrorsNameTheFile) {
    TempDir dir;
    Flags flags;
    WriteBytes(dir / "exists.zrk", {1, 2, 3});
    WriteBytes(dir / "p", {9});
    EXPECT_EQ(ErrorOf([&] {
                  TZarkentStreamSifreleyici e("pw", ModeEncrypt, dir / "x.zrk", dir / "missing", true, flags.Context());
              }),
              "Cannot open file \"" + (dir / "missing") + "\". No such file or directory");
    EXPECT_EQ(ErrorOf([&] {
                  TZarkentStreamSifreleyici e("pw", ModeEncrypt, dir / "exists.zrk", dir / "p", true, flags.Context());
              }),
              "Cannot create file \"" + (dir / "exists.zrk") + "\". File exists");
    EXPECT_EQ(ReadBytes(dir / "exists.zrk"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(
        ErrorOf([&] { TZarkentStreamSifreleyici e("", ModeEncrypt, dir / "y.zrk", dir / "p", true, flags.Context()); }),
        "'-' is not a valid integer value");
    EXPECT_FALSE(fs::exists(dir / "y.zrk")); // the cipher fails before any file is opened

    // Any other mode opens nothing and does nothing.
    TZarkentStreamSifreleyici idle("pw", 3, dir / "z.zrk", dir / "p", true, flags.Context());
    EXPECT_FALSE(fs::exists(dir / "z.zrk"));
}

TEST(Container, CancelStopsBeforeTheNextChunk) {
    TempDir dir;
    WriteBytes(dir / "p", PatternBytes(200000));
    Flags flags;
    flags.cancel = true;
    flags.compress = true;
    TZarkentStreamSifreleyici e("pw", ModeEncrypt, dir / "p.zrk", dir / "p", true, flags.Context());
    EXPECT_TRUE(e.FCancelled);
    EXPECT_EQ(fs::file_size(dir / "p.zrk"), HeaderSize);
    EXPECT_FALSE(fs::exists(e.FTempName)); // the compression temporary is removed as usual
}

// A cancel seen between chunks writes exactly the chunks done before it, even though reading runs ahead.
TEST(Container, CancelMidwayWritesOnlyFinishedChunks) {
    struct CancelAt : ProgressSink {
        std::atomic<bool>& flag;
        explicit CancelAt(std::atomic<bool>& f) : flag(f) {}
        void SetMaximum(int) override {}
        void SetPosition(int p) override {
            if (p == 3) flag = true;
        }
        void SetStatus(const std::string&) override {}
        void MoveBar(int) override {}
    };
    TempDir dir;
    WriteBytes(dir / "p", PatternBytes(10u << 20));
    Flags flags;
    CancelAt sink(flags.cancel);
    TZarkentStreamSifreleyici e("pw", ModeEncrypt, dir / "p.zrk", dir / "p", true, flags.Context(&sink));
    EXPECT_TRUE(e.FCancelled);
    // Position 3 is reached after the fifth chunk (each is 0.625% of the file).
    const auto written = ReadBytes(dir / "p.zrk");
    ASSERT_EQ(written.size(), HeaderSize + 5 * 65540);
    std::vector<std::uint8_t> payload(written.begin() + HeaderSize, written.end());
    TZarkenter cipher("pw");
    std::vector<std::uint8_t> skip(37 * 4 + 1 * 4);
    cipher.ApplyKeystream(skip.data(), skip.size()); // check block and the one-letter name
    cipher.ApplyKeystream(payload.data(), payload.size());
    const auto plain = PatternBytes(10u << 20);
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), plain.begin()));
}

// Temporary files are created exclusively and never through a planted link: the compressed copy of a
// source has no name at all where the system allows it, and a named temporary file is never a link.
TEST(Container, TemporaryNamesNeverFollowLinks) {
    TempDir dir;
    WriteBytes(dir / "victim", {42});
    WriteBytes(dir / "p", PatternBytes(1000));
    if (!test::MakeSymlink(dir / "victim", dir / "p_____.tmp.tzl.0")) GTEST_SKIP() << "no symbolic links here";
    for (const std::string prefix : {"p_____.tmp.tzl.", "q.coz_____.tmp.tzl."})
        for (int n = prefix[0] == 'p' ? 1 : 0; n < 999; ++n)
            fs::create_symlink(dir / "victim", dir / (prefix + std::to_string(n)));
    Flags flags;
    flags.compress = true;
    const std::string encryptError = ErrorOf(
        [&] { TZarkentStreamSifreleyici e("pw", ModeEncrypt, dir / "p.zrk", dir / "p", true, flags.Context()); });
    if (File::TemporariesCanBeNamed())
        EXPECT_EQ(encryptError, "(no error)");
    else
        EXPECT_EQ(encryptError.rfind("Cannot create file \"" + (dir / "p_____.tmp.tzl."), 0), 0u) << encryptError;
    if (encryptError == "(no error)") {
        // The inflated result of this constructor is named: every name is taken by a link.
        const std::string error = ErrorOf([&] {
            TZarkentStreamSifreleyici d("pw", ModeDecrypt, dir / "p.zrk", dir / "q.coz", true, flags.Context());
        });
        EXPECT_EQ(error.rfind("Cannot create file \"" + (dir / "q.coz_____.tmp.tzl."), 0), 0u) << error;
    }
    EXPECT_EQ(ReadBytes(dir / "victim"), std::vector<std::uint8_t>{42});
}

TEST(Container, LongNamesRoundTrip) {
    TempDir dir;
    // Linux names stop at 255 bytes; a name that contains the separator of another platform is one name here.
    const std::string name(200, 'n');
    WriteBytes(dir / name, {1});
    Flags flags;
    TZarkentStreamSifreleyici e("pw", ModeEncrypt, dir / "n.zrk", dir / name, true, flags.Context());
    TZarkentStreamSifreleyici d("pw", ModeDecrypt, dir / "n.zrk", dir / "n.coz", true, flags.Context());
    EXPECT_EQ(d.FStoredName, name);
}

} // namespace
} // namespace zarkent

namespace zarkent {

struct TZarkenterTestAccess {
    static std::int64_t& Counter(TZarkenter& c) { return c.FCounter; }
    static std::int64_t& TableIndex(TZarkenter& c) { return c.FTableIndex; }
    static std::int32_t& MixIndex(TZarkenter& c) { return c.FMixIndex; }
};

namespace {

// Two different flag copies: the second one decides.
TEST(Container, TheSecondFlagCopyDecides) {
    TempDir dir;
    const auto data = PatternBytes(70000, 9);
    for (bool compress : {false, true}) {
        const std::string plain = dir / "f.bin", zrk = dir / "f.bin.zrk", coz = dir / "f.coz";
        WriteBytes(plain, data);
        Flags flags;
        flags.compress = compress;
        { TZarkentStreamSifreleyici e("pw", ModeEncrypt, zrk, plain, true, flags.Context()); }
        auto bytes = ReadBytes(zrk);
        bytes[CheckLength * 4] = compress ? 0x00 : 0xFF; // the first copy says the opposite
        WriteBytes(zrk, bytes);
        TZarkentStreamSifreleyici d("pw", ModeDecrypt, zrk, coz, true, flags.Context());
        EXPECT_EQ(d.FCompressionFlag, compress ? 0xFF : 0x00);
        EXPECT_EQ(ReadBytes(compress ? d.FTempName : coz), data) << compress;
        if (compress) fs::remove(d.FTempName);
        fs::remove(zrk);
        fs::remove(coz);
    }
}

// Every word of the check block takes part in the password check, the last one too.
TEST(Container, EveryCheckWordIsCompared) {
    TempDir dir;
    WriteBytes(dir / "f.bin", PatternBytes(100));
    { TZarkentStreamSifreleyici e("pw", ModeEncrypt, dir / "f.zrk", dir / "f.bin", true); }
    const auto good = ReadBytes(dir / "f.zrk");
    for (std::size_t byte : {std::size_t{0}, std::size_t{73}, CheckLength * 4 - 4, CheckLength * 4 - 1}) {
        auto bad = good;
        bad[byte] ^= 0x01;
        WriteBytes(dir / "f.zrk", bad);
        EXPECT_EQ(ErrorOf([&] { TZarkentStreamSifreleyici d("pw", ModeDecrypt, dir / "f.zrk", dir / "o", true); }),
                  WrongPasswordMarker)
            << "byte " << byte;
        fs::remove(dir / "o");
    }
}

// A name character whose slot would encipher to 0 cannot be stored: the reader would stop there.
TEST(Container, NameSlotThatEnciphersToZeroIsRefused) {
    using Access = TZarkenterTestAccess;
    const std::uint8_t ch = 'A';
    // Puts the cipher where its next keystream word has `ch` in its low 32 bits.
    auto place = [&](TZarkenter& c) {
        for (int t = 0; t < 32; ++t) {
            const auto target = ch ^ static_cast<std::uint32_t>(c.TableEntry(t)); // the value FLastValue must take
            if (target == 0 || target >= 0x7FFFFFFFu) continue;
            // The last value is (v xor seed) + 1, less 0x7FFFFFFF when it reaches that: two ways to hit it.
            for (std::int64_t before : {std::int64_t{target} - 1, std::int64_t{target} - 1 + 0x7FFFFFFF})
                for (int m = 0; m < static_cast<int>(MixTableSize); ++m) {
                    const std::int64_t counter = (before ^ c.Seed()) - MixTable[m] - m - t;
                    if (counter < 1 || counter >= 0x7FFFFFFF) continue;
                    Access::Counter(c) = counter - 1;
                    Access::MixIndex(c) = m == 0 ? static_cast<std::int32_t>(MixTableSize) - 1 : m - 1;
                    Access::TableIndex(c) = t == 0 ? 31 : t - 1;
                    return true;
                }
        }
        return false;
    };
    TZarkenter probe("abc");
    ASSERT_TRUE(place(probe));
    ASSERT_EQ(static_cast<std::uint32_t>(probe.EncipherValue(ch)), 0u);

    std::uint8_t slots[NameSlots * 4] = {};
    TZarkenter refused("abc");
    ASSERT_TRUE(place(refused));
    EXPECT_EQ(ErrorOf([&] { EncipherName(refused, "A", slots); }),
              "The file name \"A\" cannot be stored with this password; rename the file or choose another password");
    TZarkenter accepted("abc");
    ASSERT_TRUE(place(accepted));
    EncipherName(accepted, "B", slots);
    EXPECT_EQ(LoadLE32(slots), static_cast<std::uint32_t>('A' ^ 'B'));
}

} // namespace
} // namespace zarkent
