// The password pools and draw, the operating system's random source, the shared pseudo-random generator
// and the number list formats.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "core/base/Error.h"
#include "core/container/Random.h"
#include "core/platform/SecureRandom.h"
#include "core/tools/Generators.h"

using namespace zarkent;

namespace {

// Pearson's chi-square of observed counts against expected weights (same order).
double ChiSquare(const std::vector<double>& observed, const std::vector<double>& weights) {
    double total = 0, weightSum = 0;
    for (double o : observed)
        total += o;
    for (double w : weights)
        weightSum += w;
    double chi = 0;
    for (std::size_t i = 0; i < observed.size(); ++i) {
        const double expected = total * weights[i] / weightSum;
        chi += (observed[i] - expected) * (observed[i] - expected) / expected;
    }
    return chi;
}

// Counts of each character of `alphabet` in `text`; fails on a character outside it.
std::vector<double> CountsOf(const std::string& text, const std::string& alphabet) {
    std::vector<double> counts(alphabet.size(), 0);
    for (char c : text) {
        const auto at = alphabet.find(c);
        EXPECT_NE(at, std::string::npos) << "character outside the pool: " << c;
        if (at != std::string::npos) ++counts[at];
    }
    return counts;
}

std::uint32_t SecureDraw(std::uint32_t range) {
    return SecureRandomBelow(range);
}

} // namespace

// The draws of whole passwords from the system source follow the pools' stated weights: in the digits
// pool 0..9 occur 13, 10, 9, 12, 14, 12, 13, 13, 14, 10 times; in the mixed pool each of the 52 letters
// once and the digits 3, 13, 9, 3, 3, 3, 2, 2, 2, 2 times. The limits are far above the 99.9% points
// of chi-square (27.9 for 9 degrees of freedom, 99.6 for 61), and far below what a single missing or
// doubled character gives.
TEST(PasswordGenerator, DrawsFollowThePoolWeights) {
    const std::string digits = "0123456789";
    std::string many;
    for (int i = 0; i < 30; ++i)
        many += MakePassword(kDigitPool, 4000, SecureDraw);
    EXPECT_LT(ChiSquare(CountsOf(many, digits), {13, 10, 9, 12, 14, 12, 13, 13, 14, 10}), 40.0);

    std::string letters;
    for (char c = 'A'; c <= 'Z'; ++c)
        letters += std::string{c, static_cast<char>(c - 'A' + 'a')};
    const std::string mixedAlphabet = letters + digits;
    std::vector<double> mixedWeights(52, 1.0);
    for (double w : {3, 13, 9, 3, 3, 3, 2, 2, 2, 2})
        mixedWeights.push_back(w);
    std::string mixed;
    for (int i = 0; i < 60; ++i)
        mixed += MakePassword(kMixedPool, 4000, SecureDraw);
    EXPECT_LT(ChiSquare(CountsOf(mixed, mixedAlphabet), mixedWeights), 130.0);

    std::string plain;
    for (int i = 0; i < 20; ++i)
        plain += MakePassword(kLetterPool, 4000, SecureDraw);
    EXPECT_LT(ChiSquare(CountsOf(plain, letters), std::vector<double>(52, 1.0)), 130.0);
    EXPECT_EQ(kLetterPool.size(), 52u);
    EXPECT_EQ(kDigitPool.size(), 120u);
    EXPECT_EQ(kMixedPool.size(), 94u);
}

// A plain "value % range" over 32-bit draws makes the results below 2^32 mod range twice as likely when
// range is 3 * 2^30: a third of the range would then get half of the draws.
TEST(SecureRandom, DrawIsUnbiasedWhereAModuloWouldNotBe) {
    constexpr std::uint32_t range = 0xC0000000u;
    int low = 0;
    constexpr int draws = 30000;
    for (int i = 0; i < draws; ++i) {
        const std::uint32_t value = SecureRandomBelow(range);
        ASSERT_LT(value, range);
        if (value < 0x40000000u) ++low;
    }
    EXPECT_NEAR(double(low) / draws, 1.0 / 3, 0.02);
    EXPECT_EQ(SecureRandomBelow(0), 0u);
    EXPECT_EQ(SecureRandomBelow(1), 0u);
    std::array<int, 3> seen{};
    for (int i = 0; i < 300; ++i)
        ++seen[SecureRandomBelow(3)];
    for (int count : seen)
        EXPECT_GT(count, 50);
}

TEST(PasswordGenerator, OptionsChooseThePool) {
    struct Row {
        bool a, b, c;
        PasswordPool pool;
    };
    const Row rows[] = {
        {false, false, false, PasswordPool::Letters}, {true, false, false, PasswordPool::Digits},
        {false, true, false, PasswordPool::Mixed},    {true, true, false, PasswordPool::Mixed},
        {false, false, true, PasswordPool::User},     {true, false, true, PasswordPool::User},
        {false, true, true, PasswordPool::User},      {true, true, true, PasswordPool::User},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ChoosePasswordPool(row.a, row.b, row.c), row.pool) << row.a << row.b << row.c;
    EXPECT_EQ(PoolText(PasswordPool::Letters), kLetterPool);
    EXPECT_EQ(PoolText(PasswordPool::Digits), kDigitPool);
    EXPECT_EQ(PoolText(PasswordPool::Mixed), kMixedPool);
    EXPECT_TRUE(PoolText(PasswordPool::User).empty());
}

TEST(PasswordGenerator, LengthsAndPools) {
    std::vector<std::uint32_t> ranges;
    const DrawBelow last = [&ranges](std::uint32_t range) {
        ranges.push_back(range);
        return range - 1;
    };
    struct Row {
        int length;
        std::size_t characters;
    };
    for (const Row row : {Row{-5, 0}, Row{0, 0}, Row{1, 1}, Row{64, 64}, Row{65, 65}, Row{100, 100},
                          Row{kMaxPasswordLength, std::size_t(kMaxPasswordLength)}}) {
        ranges.clear();
        const std::string password = MakePassword("ab", row.length, last);
        EXPECT_EQ(password, std::string(row.characters, 'b')) << row.length;
        EXPECT_EQ(ranges, std::vector<std::uint32_t>(row.characters, 2u));
    }
    EXPECT_THROW(MakePassword("ab", kMaxPasswordLength + 1, last), ZarkentError);
    EXPECT_THROW(MakePassword("", 8, last), ZarkentError);

    // The user's characters are whole characters, blanks and repeats included.
    ranges.clear();
    const DrawBelow each = [n = 0u](std::uint32_t range) mutable { return n++ % range; };
    EXPECT_EQ(MakePassword("ğa ş", 8, each), "ğa şğa ş");
    EXPECT_EQ(SplitCharacters("aa\xC4\x9F\xFFz\xE2\x82").size(), 7u); // a a ğ \xFF z \xE2 \x82
    EXPECT_EQ(MakePassword(kMixedPool, 3, [](std::uint32_t range) { return range - 1; }), "555");

    for (const auto& [pool, usable] : std::vector<std::pair<std::string, bool>>{
             {"", false}, {"   ", false}, {" \t", false}, {" a ", true}, {"ğ", true}})
        EXPECT_EQ(UsablePool(pool), usable) << '"' << pool << '"';
}

// The shared generator: the state advances to state * 134775813 + 1 and a draw is the high half of
// state * n.
TEST(SharedRandom, KnownDraws) {
    SetRandomSeed(12345);
    std::vector<std::uint32_t> draws;
    for (std::uint32_t n : {100u, 100u, 1000u, 0xFFFFFFFFu, 1u, 0u})
        draws.push_back(RandomBelow(n));
    EXPECT_EQ(draws, (std::vector<std::uint32_t>{38, 28, 79, 2377737156u, 0, 0}));
    SetRandomSeed(0);
    EXPECT_EQ(RandomBelow(10), 0u);                  // state 1
    EXPECT_EQ(RandomBelow(0xFFFFFFFFu), 134775813u); // state 134775814: (s * (2^32 - 1)) >> 32 = s - 1
}

TEST(NumberList, NumberFormats) {
    struct Row {
        std::uint32_t value;
        NumberStyle style;
        const char* text;
    };
    const Row rows[] = {
        {4, NumberStyle::CHex, "0x0004"},
        {0x63, NumberStyle::PascalHex, "$0063"},
        {0x63, NumberStyle::PlainHex, "0063"},
        {70000, NumberStyle::PlainHex, "11170"},
        {0xABCDE, NumberStyle::CHex, "0xABCDE"},
        {0xFFFFFFFFu, NumberStyle::CHex, "0xFFFFFFFF"},
        {0, NumberStyle::PascalHex, "$0000"},
        {0, NumberStyle::Decimal, "0"},
        {99, NumberStyle::Decimal, "99"},
        {0xFFFFFFFFu, NumberStyle::Decimal, "-1"},
        {0x80000000u, NumberStyle::Decimal, "-2147483648"},
        {0x7FFFFFFFu, NumberStyle::Decimal, "2147483647"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FormatListNumber(row.value, row.style), row.text) << row.value;
}

TEST(NumberList, BoundText) {
    const std::pair<const char*, std::uint32_t> valid[] = {
        {"100", 100},
        {"0", 0},
        {"1", 1},
        {"+5", 5},
        {"-1", 0xFFFFFFFFu},
        {"-2147483648", 0x80000000u},
        {"4294967295", 0xFFFFFFFFu},
        {"2147483648", 0x80000000u},
        {"070000", 70000},
    };
    for (const auto& [text, value] : valid)
        EXPECT_EQ(ParseBound(text), value) << text;
    for (const char* text :
         {"", "-", "abc", "1 ", " 1", "4294967296", "-2147483649", "1e3", "0x10", "99999999999999999999"}) {
        try {
            ParseBound(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ZarkentError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + text + "' is not a valid integer value");
        }
    }
}

TEST(NumberList, LinesAndCommas) {
    std::vector<std::uint32_t> bounds;
    const DrawBelow counting = [&bounds, n = 0u](std::uint32_t bound) mutable {
        bounds.push_back(bound);
        return n++;
    };
    struct Row {
        NumberStyle style;
        int count;
        const char* list;
    };
    const Row rows[] = {
        {NumberStyle::Decimal, 10, "0,1,2,3,4,5,6,7,8,9,"},
        {NumberStyle::CHex, 8, "0x0000,0x0001,0x0002,0x0003,0x0004,0x0005,0x0006,0x0007,\r\n"},
        {NumberStyle::PascalHex, 9, "$0000,$0001,$0002,$0003,$0004,$0005,$0006,$0007,\r\n$0008,"},
        {NumberStyle::Decimal, 21, "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,\r\n20,"},
        {NumberStyle::PlainHex, 16,
         "0000,0001,0002,0003,0004,0005,0006,0007,\r\n0008,0009,000A,000B,000C,000D,000E,000F,\r\n"},
        {NumberStyle::Decimal, 0, ""},
        {NumberStyle::Decimal, -3, ""},
    };
    for (const Row& row : rows) {
        bounds.clear();
        const DrawBelow fresh = [&bounds, n = 0u](std::uint32_t bound) mutable {
            bounds.push_back(bound);
            return n++;
        };
        EXPECT_EQ(MakeNumberList(row.style, row.count, 77, fresh), row.list) << row.count;
        EXPECT_EQ(bounds, std::vector<std::uint32_t>(std::size_t(std::max(row.count, 0)), 77u));
    }
    EXPECT_THROW(MakeNumberList(NumberStyle::Decimal, kMaxListCount + 1, 10, counting), ZarkentError);
    EXPECT_TRUE(bounds.empty());

    // Real draws stay below the bound; a bound of 0 or 1 gives zeros.
    SetRandomSeed(7);
    const DrawBelow shared = [](std::uint32_t bound) { return RandomBelow(bound); };
    for (std::uint32_t bound : {0u, 1u}) {
        const std::string list = MakeNumberList(NumberStyle::Decimal, 5, bound, shared);
        EXPECT_EQ(list, "0,0,0,0,0,");
    }
    const std::string hex = MakeNumberList(NumberStyle::PlainHex, 400, 70000, shared);
    bool sawFive = false;
    std::size_t at = 0;
    while (at < hex.size()) {
        const std::size_t comma = hex.find(',', at);
        const std::string entry = hex.substr(at, comma - at);
        ASSERT_TRUE(entry.size() == 4 || entry.size() == 5) << entry;
        EXPECT_LT(std::stoul(entry, nullptr, 16), 70000u);
        sawFive = sawFive || entry.size() == 5;
        at = comma + 1;
        if (hex.compare(at, 2, "\r\n") == 0) at += 2;
    }
    EXPECT_TRUE(sawFive);
}

TEST(NumberList, FileTextEndsEveryLineWithCrLf) {
    const std::pair<const char*, const char*> rows[] = {
        {"", ""},
        {"1,2,", "1,2,\r\n"},
        {"a,\r\n", "a,\r\n"},
        {"a,\r\nb,", "a,\r\nb,\r\n"},
        {"a\nb\rc", "a\r\nb\r\nc\r\n"},
        {"a\n\nb\n", "a\r\n\r\nb\r\n"},
    };
    for (const auto& [list, file] : rows)
        EXPECT_EQ(ListFileText(list), file) << list;
}
