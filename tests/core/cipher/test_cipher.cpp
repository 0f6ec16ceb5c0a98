#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <set>
#include <string>
#include <vector>
#include <zlib.h>

#include "core/cipher/ZarkentLib.h"

namespace zarkent {

struct TZarkenterTestAccess {
    static std::uint64_t PrimeCount(std::uint32_t n) { return TZarkenter::PrimeCount(n); }
    static std::int64_t& Counter(TZarkenter& c) { return c.FCounter; }
    static std::int64_t& TableIndex(TZarkenter& c) { return c.FTableIndex; }
    static std::int32_t& MixIndex(TZarkenter& c) { return c.FMixIndex; }
};
using Access = TZarkenterTestAccess;

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

TEST(MixTable, RangeDistinctAndFixedHead) {
    EXPECT_EQ(MixTable[0], 371607924);
    EXPECT_EQ(MixTable[1], 75748319);
    EXPECT_EQ(MixTable[2], 737555376);
    EXPECT_EQ(MixTable[3], 463258641);
    std::set<std::int32_t> seen(MixTable, MixTable + MixTableSize);
    EXPECT_EQ(seen.size(), MixTableSize);
    EXPECT_GE(*seen.begin(), 228751);
    EXPECT_LE(*seen.rbegin(), 1233615247);
}

TEST(NumberToText, Table) {
    EXPECT_EQ(NumberToText(0), "0");
    EXPECT_EQ(NumberToText(-1), "-1");
    EXPECT_EQ(NumberToText(1375), "1375");
    EXPECT_EQ(NumberToText(INT64_MIN), "-9223372036854775808");
}

// Seeds follow the closed form 2L^2 + 4L - 1 + sum(c) + sum(c[i+1] mod c[i]).
TEST(KeySchedule, SeedClosedForms) {
    auto closedForm = [](const std::string& pw) {
        const std::int64_t L = static_cast<std::int64_t>(pw.size());
        std::int64_t seed = 2 * L * L + 4 * L - 1;
        for (std::size_t i = 0; i < pw.size(); ++i) {
            const auto c = static_cast<std::uint8_t>(pw[i]);
            seed += c;
            if (i + 1 < pw.size()) seed += static_cast<std::uint8_t>(pw[i + 1]) % c;
        }
        return seed;
    };
    EXPECT_EQ(TZarkenter("a").Seed(), 'a' + 5);
    EXPECT_EQ(TZarkenter(Bytes({255})).Seed(), 255 + 5);
    EXPECT_EQ(TZarkenter(std::string(40, 'x')).Seed(), 2 * 1600 + 160 - 1 + 40 * 'x');
    for (const std::string& pw :
         {std::string("password"), Bytes({0xFE, 0xFD, 0xE7, 'a', 'b', 'c'}), std::string("Zarkent-2026!"),
          std::string(128, '\xC7'), std::string("ba"), std::string("ab")})
        EXPECT_EQ(TZarkenter(pw).Seed(), closedForm(pw)) << pw;
}

// Expected values come from a separate reference implementation of the key schedule.
TEST(KeySchedule, KnownKeysAndFirstKeystreamWords) {
    struct Case {
        std::string password;
        std::int64_t seed;
        std::int64_t keys[4];
        std::uint32_t words[4];
    };
    const Case cases[] = {
        {"a", 102, {45, 36, 27, 38}, {0x16264ef8, 0x0483d5d7, 0x2bf63013, 0x1b9cc123}},
        {"password", 1375, {259, 241, 344, 180}, {0x16274a2a, 0x04832566, 0x2bf77539, 0x1b9c6809}},
        {Bytes({0xFE, 0xFD, 0xE7, 'a', 'b', 'c'}),
         1710,
         {307, 342, 285, 272},
         {0x16273fff, 0x04824f6a, 0x2bf749aa, 0x1b9da9f0}},
        {"Zarkent-2026!", 1788, {852, 295, 359, 654}, {0x162d5cef, 0x048000c1, 0x2bf7a888, 0x1b9e3377}},
        {std::string(40, 'x'), 8159, {1672, 1498, 920, 1534}, {0x160cfe03, 0x04a5fc05, 0x2be32b71, 0x1bbfcbd1}},
    };
    for (const Case& c : cases) {
        TZarkenter cipher(c.password);
        EXPECT_EQ(cipher.Seed(), c.seed) << c.password;
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(cipher.Key(k + 1), c.keys[k]) << c.password << " key " << k + 1;
        for (int n = 0; n < 4; ++n)
            EXPECT_EQ(static_cast<std::uint32_t>(cipher.Transform(0)), c.words[n]) << c.password << " step " << n;
    }
}

TEST(KeySchedule, TableFollowsKeysIncludingRow27) {
    TZarkenter c("password");
    const std::int64_t k1 = c.Key(1), k2 = c.Key(2), k3 = c.Key(3), k4 = c.Key(4);
    EXPECT_EQ(c.TableEntry(0), k1 * k1);
    EXPECT_EQ(c.TableEntry(4), ((k1 ^ k2) + k3) * k1);
    EXPECT_EQ(c.TableEntry(26), ((k4 ^ k3) + k2) * k3);
    EXPECT_EQ(c.TableEntry(27), ((k4 ^ k3) + k1) * k4);
    EXPECT_EQ(c.TableEntry(31), k4 * k4);
}

TEST(KeySchedule, PrimeCountKnownValues) {
    const std::pair<std::uint32_t, std::uint64_t> cases[] = {
        {0, 0},
        {1, 0},
        {2, 1},
        {3, 2},
        {4, 2},
        {10, 4},
        {100, 25},
        {1000, 168},
        {7919, 1000},
        {7920, 1000},
        {1000000, 78498},
        {1000000000, 50847534},
        {4294967295u, 203280221},
    };
    for (auto [n, expected] : cases)
        EXPECT_EQ(Access::PrimeCount(n), expected) << n;
}

TEST(KeySchedule, InvalidPasswordsRaiseErrors) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "'-' is not a valid integer value"},
        {Bytes({0}), "Division by zero"},
        {Bytes({'a', 0, 'b'}), "Division by zero"},
        {Bytes({'a', 'b', 0}), "Division by zero"},
    };
    for (const auto& [password, message] : cases) {
        try {
            TZarkenter cipher(password);
            ADD_FAILURE() << "no error for a password of " << password.size() << " bytes";
        } catch (const ZarkentError& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}

TEST(Transform, SameValuesComeBackAndZeroGivesKeystream) {
    TZarkenter writer("secret"), reader("secret"), plain("secret");
    for (std::int32_t value : {0, 1, -1, INT32_MIN, INT32_MAX, 0x12345678}) {
        const auto enciphered = static_cast<std::int32_t>(writer.EncipherValue(value));
        EXPECT_EQ(static_cast<std::int32_t>(reader.DecipherValue(enciphered)), value);
        EXPECT_EQ(static_cast<std::uint32_t>(enciphered) ^ static_cast<std::uint32_t>(value),
                  static_cast<std::uint32_t>(plain.Transform(0)));
    }
}

TEST(Transform, PositionsWrapAt32And2048AndCounterLimit) {
    TZarkenter c("abc");
    c.Transform(0);
    EXPECT_EQ(Access::Counter(c), 4);
    for (int i = 1; i < 2048; ++i)
        c.Transform(0);
    EXPECT_EQ(Access::MixIndex(c), 2047);
    EXPECT_EQ(Access::TableIndex(c), 31);
    c.Transform(0);
    EXPECT_EQ(Access::MixIndex(c), 0);
    EXPECT_EQ(Access::TableIndex(c), 0);
    EXPECT_EQ(Access::Counter(c), 3 + 2049);

    Access::Counter(c) = 2147483645;
    c.Transform(0);
    EXPECT_EQ(Access::Counter(c), 2147483646);
    c.Transform(0);
    EXPECT_EQ(Access::Counter(c), 0);
}

TEST(Keystream, LongRunMatchesReference) {
    TZarkenter c("password");
    std::vector<std::uint8_t> words(40000 * 4, 0);
    c.ApplyKeystream(words.data(), words.size());
    EXPECT_EQ(crc32(0, words.data(), static_cast<uInt>(words.size())), 0xf0cb2cb6u);
    std::uint32_t w;
    std::memcpy(&w, &words[2048 * 4], 4);
    EXPECT_EQ(w, 0x1627522au);
}

// The bulk path must give the bytes of word-by-word Transform calls and leave the same state, from any
// start phase, for any length, and across the counter wrap.
TEST(Keystream, BulkEqualsStepwise) {
    struct Case {
        std::int64_t counterStart; // -1: leave as constructed
        std::size_t skipWords;
        std::size_t length;
    };
    const Case cases[] = {{-1, 0, 0},
                          {-1, 0, 1},
                          {-1, 0, 3},
                          {-1, 0, 128},
                          {-1, 5, 4099},
                          {-1, 31, 129},
                          {-1, 2040, 700},
                          {2147483600, 0, 4096},
                          {2147483646 - 40, 7, 1000},
                          {2147483646, 31, 300}};
    // A short password has a seed below 2^32 (the 32-bit fast path); a very long one has a larger seed.
    const std::string longPassword(120000, 'q');
    ASSERT_GT(TZarkenter(longPassword).Seed(), 0xFFFFFFFFll);
    for (const std::string& password : {std::string("bulk test"), longPassword})
        for (const Case& k : cases) {
            TZarkenter bulk(password), step(password);
            for (std::size_t i = 0; i < k.skipWords; ++i) {
                bulk.Transform(0);
                step.Transform(0);
            }
            if (k.counterStart >= 0) Access::Counter(bulk) = Access::Counter(step) = k.counterStart;
            std::vector<std::uint8_t> data(k.length);
            std::iota(data.begin(), data.end(), std::uint8_t{7});
            std::vector<std::uint8_t> expected = data;
            bulk.ApplyKeystream(data.data(), data.size());
            for (std::size_t off = 0; off < expected.size(); off += 4) {
                const auto key = static_cast<std::uint32_t>(step.Transform(0));
                for (std::size_t b = 0; b < 4 && off + b < expected.size(); ++b)
                    expected[off + b] ^= static_cast<std::uint8_t>(key >> (8 * b));
            }
            EXPECT_EQ(data, expected) << "start " << k.counterStart << " skip " << k.skipWords << " len " << k.length;
            EXPECT_EQ(bulk.Transform(0), step.Transform(0)) << "state after len " << k.length;
        }
}

// The bulk path where a keystream value lands exactly on the modulus (0x7FFFFFFF, which becomes 0)
// and right beside it: placed through the positions, for every lane of a block.
TEST(Keystream, BulkEqualsStepwiseAtTheModulus) {
    const std::string password = "bulk test";
    const std::int64_t seed = TZarkenter(password).Seed();
    ASSERT_LE(seed, 0xFFFFFFFFll); // the 32-bit path
    int placed = 0;
    for (int lane = 0; lane < 32; ++lane)
        for (std::uint32_t aim : {0x7FFFFFFDu, 0x7FFFFFFEu, 0x7FFFFFFFu}) {
            // Find a block start (a multiple of 32 in the mix table) whose lane `lane` meets `aim`.
            for (int mixBase = 0; mixBase + 32 <= static_cast<int>(MixTableSize); mixBase += 32) {
                const std::int64_t counterBase = static_cast<std::int64_t>(aim ^ static_cast<std::uint32_t>(seed)) -
                                                 MixTable[mixBase + lane] - mixBase - 3 * lane;
                if (counterBase < 1 || counterBase > 0x7FFFFFFF - 1 - 64) continue;
                TZarkenter bulk(password), step(password);
                for (TZarkenter* c : {&bulk, &step}) {
                    Access::TableIndex(*c) = 31;
                    Access::MixIndex(*c) = mixBase == 0 ? static_cast<std::int32_t>(MixTableSize) - 1 : mixBase - 1;
                    Access::Counter(*c) = counterBase - 1;
                }
                std::vector<std::uint8_t> data(256, 0x5A), expected = data;
                bulk.ApplyKeystream(data.data(), data.size());
                for (std::size_t off = 0; off < expected.size(); off += 4) {
                    const auto key = static_cast<std::uint32_t>(step.Transform(0));
                    for (std::size_t b = 0; b < 4; ++b)
                        expected[off + b] ^= static_cast<std::uint8_t>(key >> (8 * b));
                }
                EXPECT_EQ(data, expected) << "lane " << lane << " aim " << aim;
                EXPECT_EQ(bulk.Transform(0), step.Transform(0)) << "lane " << lane << " aim " << aim;
                ++placed;
                break;
            }
        }
    EXPECT_EQ(placed, 96);
}

} // namespace
} // namespace zarkent
