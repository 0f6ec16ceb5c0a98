#include "core/cipher/ZarkentLib.h"

#include "core/base/Secure.h"

#include "core/cipher/Bytes.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace zarkent {

namespace {

// Two's complement wrapping arithmetic on 64-bit values, done in unsigned types.
inline std::int64_t Add(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}
inline std::int64_t Sub(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}
inline std::int64_t Mul(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
}

[[noreturn]] void ThrowDivisionByZero() {
    throw ZarkentError("Division by zero");
}

// Remainder truncated toward zero (sign of x). INT64_MIN mod -1 is 0, not a trap.
inline std::int64_t Mod(std::int64_t x, std::int64_t y) {
    if (y == 0) ThrowDivisionByZero();
    if (y == -1) return 0;
    return x % y;
}

constexpr std::int64_t CounterLimit = 2147483647; // 0x7FFFFFFF

} // namespace

std::string NumberToText(std::int64_t value) {
    // Magnitude in unsigned arithmetic so that INT64_MIN is printed correctly.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    char buffer[24];
    char* end = buffer + sizeof buffer;
    char* p = end;
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) *--p = '-';
    return std::string(p, end);
}

TZarkenter::~TZarkenter() {
    SecureClear(&FSeed, sizeof FSeed);
    SecureClear(&FKey1, sizeof FKey1);
    SecureClear(&FKey2, sizeof FKey2);
    SecureClear(&FKey3, sizeof FKey3);
    SecureClear(&FKey4, sizeof FKey4);
    SecureClear(FTable, sizeof FTable);
    SecureClear(&FLastValue, sizeof FLastValue);
}

TZarkenter::TZarkenter(std::string_view password) {
    // Positions of the keystream first, then the key schedule.
    FTableIndex = -1;
    FMixIndex = -1;
    FCounter = static_cast<std::int64_t>(password.size());
    FLastValue = 0;

    FSeed = PasswordSeed(password);
    const std::int64_t a = DigitSum(FSeed);
    const std::int64_t b = DigitProduct(FSeed);
    const std::int64_t c = static_cast<std::int64_t>(PrimeCount(static_cast<std::uint32_t>(FSeed)));
    const std::int64_t d = DivisorScore(a, FSeed);

    const std::int64_t e1 = Blend(a, b, d);
    const std::int64_t e2 = Blend(a, b, c);
    const std::int64_t e3 = Blend(b, c, a);
    const std::int64_t e4 = Blend(b, c, d);
    const std::int64_t e5 = Blend(c, a, b);
    const std::int64_t e6 = Blend(c, a, d);
    const std::int64_t e7 = Blend(b, d, c);
    const std::int64_t e8 = Blend(b, d, a);

    FKey1 = Fold(e1, e2, e6, e7);
    FKey2 = Fold(e5, e6, e2, e3);
    FKey3 = Fold(e6, e7, e3, e4);
    FKey4 = Fold(e8, e7, e3, e2);
    BuildTable();
}

std::int64_t TZarkenter::Key(int index) const {
    switch (index) {
    case 1:
        return FKey1;
    case 2:
        return FKey2;
    case 3:
        return FKey3;
    default:
        return FKey4;
    }
}

std::int64_t TZarkenter::PasswordSeed(std::string_view password) {
    const auto length = static_cast<std::uint32_t>(password.size());
    auto byteAt = [&](std::uint32_t i) -> std::uint32_t { // c_i, 1-based; c_(L+1) = 0
        return i <= length ? static_cast<std::uint8_t>(password[i - 1]) : 0u;
    };

    std::int64_t acc = 0;
    for (std::uint32_t i = 1; i <= length; ++i)
        acc = Add(acc, 1 + static_cast<std::int64_t>(byteAt(i)) + i);

    // q and r are 32-bit quantities: wrap them in 32 bits, then sign-extend.
    std::uint32_t q = (length - 1u) * (length + 1u);
    for (std::uint32_t i = 1; i <= length; ++i)
        q += i + 1u;

    std::uint32_t r = 0;
    for (std::uint32_t i = 1; i <= length; ++i) {
        const std::uint32_t ci = byteAt(i);
        if (ci == 0) ThrowDivisionByZero();
        r += (ci + byteAt(i + 1)) % ci;
    }

    std::int64_t seed = static_cast<std::int64_t>(static_cast<std::int32_t>(length));
    seed = Add(seed, acc);
    seed = Add(seed, static_cast<std::int32_t>(q));
    seed = Add(seed, static_cast<std::int32_t>(r));
    return seed;
}

std::int64_t TZarkenter::DigitSum(std::int64_t seed) {
    std::int64_t sum = 0;
    for (char ch : NumberToText(seed)) {
        if (ch < '0' || ch > '9') throw ZarkentError(std::string("'") + ch + "' is not a valid integer value");
        sum += ch - '0';
    }
    return sum;
}

std::int64_t TZarkenter::DigitProduct(std::int64_t seed) {
    std::int64_t product = 1;
    for (char ch : NumberToText(seed))
        if (ch >= '1' && ch <= '9') product = Mul(product, ch - '0');
    return product;
}

// Number of primes not above n (Lucy's prime-counting method, O(n^(3/4))).
std::uint64_t TZarkenter::PrimeCount(std::uint32_t n) {
    if (n < 2) return 0;
    const std::uint64_t limit = n;
    auto root = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(limit)));
    while (root * root > limit)
        --root;
    while ((root + 1) * (root + 1) <= limit)
        ++root;

    // small[v] counts for v <= root, large[k] counts for v = limit / k (k <= root).
    std::vector<std::uint64_t> small(root + 1), large(root + 1);
    for (std::uint64_t v = 1; v <= root; ++v)
        small[v] = v - 1;
    for (std::uint64_t k = 1; k <= root; ++k)
        large[k] = limit / k - 1;

    for (std::uint64_t p = 2; p <= root; ++p) {
        if (small[p] == small[p - 1]) continue; // p is not prime
        const std::uint64_t below = small[p - 1];
        const std::uint64_t square = p * p;
        const std::uint64_t kEnd = std::min(root, limit / square);
        for (std::uint64_t k = 1; k <= kEnd; ++k) {
            const std::uint64_t kp = k * p;
            const std::uint64_t countAtVp = kp <= root ? large[kp] : small[limit / kp];
            large[k] -= countAtVp - below;
        }
        for (std::uint64_t v = root; v >= square; --v)
            small[v] -= small[v / p] - below;
    }
    return large[1];
}

std::int64_t TZarkenter::DivisorScore(std::int64_t a, std::int64_t seed) {
    const auto n = static_cast<std::uint32_t>(seed);
    const auto m = static_cast<std::uint32_t>(a);
    std::uint32_t count = 0;
    for (std::uint64_t i = 1; i <= n; ++i) {
        if (static_cast<std::int64_t>(i) > a) break;
        for (std::uint64_t j = 1; j <= m; ++j) {
            if (static_cast<std::uint32_t>(i) % static_cast<std::uint32_t>(j) == 0 &&
                Mod(a, static_cast<std::int64_t>(j)) == 0)
                ++count;
        }
    }
    const std::int64_t difference = Sub(a, static_cast<std::int64_t>(count));
    return difference < 0 ? Sub(0, difference) : difference;
}

std::int64_t TZarkenter::Blend(std::int64_t x, std::int64_t y, std::int64_t m) const {
    return Add(Add(x ^ y, 1), Mod(FSeed, Add(m, 1)));
}

std::int64_t TZarkenter::Fold(std::int64_t p, std::int64_t q, std::int64_t r, std::int64_t s) {
    return Add(s, Mod(Mul(p, q), r));
}

void TZarkenter::BuildTable() {
    const std::int64_t k[5] = {0, FKey1, FKey2, FKey3, FKey4};
    // Key numbers of X, Y, Z, W for each entry.
    static constexpr std::uint8_t rows[32][4] = {
        {1, 1, 1, 1}, {1, 1, 1, 2}, {1, 1, 2, 3}, {1, 1, 2, 4}, {1, 2, 3, 1}, {1, 2, 3, 2}, {1, 2, 4, 3}, {1, 2, 4, 4},
        {2, 3, 1, 1}, {2, 3, 1, 2}, {2, 3, 2, 3}, {2, 3, 2, 4}, {2, 4, 3, 1}, {2, 4, 3, 2}, {2, 4, 4, 3}, {2, 4, 4, 4},
        {3, 1, 1, 1}, {3, 1, 1, 2}, {3, 1, 2, 3}, {3, 1, 2, 4}, {3, 2, 3, 1}, {3, 2, 3, 2}, {3, 2, 4, 3}, {3, 2, 4, 4},
        {4, 3, 1, 1}, {4, 3, 1, 2}, {4, 3, 2, 3}, {4, 3, 1, 4}, {4, 4, 3, 1}, {4, 4, 3, 2}, {4, 4, 4, 3}, {4, 4, 4, 4},
    };
    for (int n = 0; n < 32; ++n) {
        const auto& row = rows[n];
        FTable[n] = Mul(Add(k[row[0]] ^ k[row[1]], k[row[2]]), k[row[3]]);
    }
}

inline std::int64_t TZarkenter::NextKey() {
    FCounter = Add(FCounter, 1);
    FMixIndex = static_cast<std::int32_t>(static_cast<std::uint32_t>(FMixIndex) + 1u);
    FTableIndex = Add(FTableIndex, 1);
    if (FMixIndex == static_cast<std::int32_t>(MixTableSize)) FMixIndex = 0;
    if (FTableIndex == 32) FTableIndex = 0;
    if (FCounter >= CounterLimit) FCounter = Sub(FCounter, CounterLimit);
    std::int64_t v = MixTable[FMixIndex];
    v = Add(v, FCounter);
    v = Add(v, FMixIndex);
    v = Add(v, FTableIndex);
    FLastValue = Add(v ^ FSeed, 1);
    if (FLastValue >= CounterLimit) FLastValue = Sub(FLastValue, CounterLimit);
    return FLastValue ^ FTable[FTableIndex];
}

std::int64_t TZarkenter::Transform(std::int32_t value) {
    return static_cast<std::int64_t>(value) ^ NextKey();
}

// 32 keystream words for consecutive steps without a counter wrap. Kept free of branches so that
// the compiler vectorises it; x86-64 ELF builds get an AVX2 clone picked at load time (Windows
// executables have no load-time resolver for it).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__) &&               \
    !defined(__SANITIZE_THREAD__) && !defined(_WIN32)
#define ZARKENT_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define ZARKENT_VECTOR_CLONES
#endif

ZARKENT_VECTOR_CLONES
static std::int64_t KeyBlock(const std::int32_t* mix, std::int64_t base, std::int64_t seed, const std::int64_t* table,
                             std::uint32_t* words) {
    std::int64_t values[32];
    for (int k = 0; k < 32; ++k) {
        // Mix entry + counter + mix index + table index; no term can overflow here.
        const std::int64_t v = mix[k] + base + 3 * k;
        std::int64_t last = Add(v ^ seed, 1);
        last = last >= CounterLimit ? last - CounterLimit : last;
        values[k] = last;
        words[k] = static_cast<std::uint32_t>(last ^ table[k]);
    }
    return values[31];
}

// The same for a seed below 2^32, the case of every practical password, in 32-bit lanes: the base
// value stays below 2^32, so (v xor seed) + 1 reduced by 0x7FFFFFFF is computed without the 64-bit
// carry. Combines the words with the data directly.
ZARKENT_VECTOR_CLONES
static std::int64_t KeyBlock32(const std::int32_t* mix, std::uint32_t base, std::uint32_t seed,
                               const std::uint32_t* table, const std::uint8_t* in, std::uint8_t* out) {
    std::uint32_t last[32];
    for (std::uint32_t k = 0; k < 32; ++k) {
        const std::uint32_t x = (static_cast<std::uint32_t>(mix[k]) + base + 3 * k) ^ seed;
        last[k] = x >= 0x7FFFFFFEu ? x - 0x7FFFFFFEu : x + 1;
    }
    for (int k = 0; k < 32; ++k)
        StoreLE32(out + 4 * k, LoadLE32(in + 4 * k) ^ last[k] ^ table[k]);
    return last[31];
}

bool TZarkenter::NextBlock(std::uint32_t* words) {
    // Valid when the next step is at table index 0 (so the 32 mix indices are contiguous) and the
    // counter does not wrap within the block.
    if (FTableIndex != 31 || FCounter < 0 || FCounter > CounterLimit - 1 - 32) return false;
    const std::int64_t mixBase = (FMixIndex + 1) % static_cast<std::int32_t>(MixTableSize);
    const std::int64_t counterBase = FCounter + 1;
    FLastValue = KeyBlock(MixTable + mixBase, counterBase + mixBase, FSeed, FTable, words);
    FCounter = counterBase + 31;
    FMixIndex = static_cast<std::int32_t>(mixBase + 31);
    FTableIndex = 31;
    return true;
}

void TZarkenter::ApplyKeystream(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    std::size_t offset = 0;
    auto scalarWord = [&]() {
        const auto key = static_cast<std::uint32_t>(NextKey());
        const std::size_t left = count - offset;
        if (left >= 4) {
            StoreLE32(out + offset, LoadLE32(in + offset) ^ key);
            offset += 4;
        } else {
            for (std::size_t i = 0; i < left; ++i)
                out[offset + i] = in[offset + i] ^ static_cast<std::uint8_t>(key >> (8 * i));
            offset = count;
        }
    };
    while (offset < count && FTableIndex != 31)
        scalarWord();
    std::uint32_t keys[32];
    if (FSeed >= 0 && FSeed <= 0xFFFFFFFF) {
        std::uint32_t table[32];
        for (int k = 0; k < 32; ++k)
            table[k] = static_cast<std::uint32_t>(FTable[k]);
        const auto seed = static_cast<std::uint32_t>(FSeed);
        // Blocks start at table index 0 and stop before the counter could wrap.
        while (count - offset >= 128 && FTableIndex == 31 && FCounter >= 0 && FCounter <= CounterLimit - 1 - 32) {
            const std::int64_t mixBase = (FMixIndex + 1) % static_cast<std::int32_t>(MixTableSize);
            const std::int64_t counterBase = FCounter + 1;
            FLastValue = KeyBlock32(MixTable + mixBase, static_cast<std::uint32_t>(counterBase + mixBase), seed, table,
                                    in + offset, out + offset);
            FCounter = counterBase + 31;
            FMixIndex = static_cast<std::int32_t>(mixBase + 31);
            offset += 128;
        }
    }
    while (count - offset >= 128) {
        if (NextBlock(keys)) {
            for (int k = 0; k < 32; ++k)
                StoreLE32(out + offset + 4 * k, LoadLE32(in + offset + 4 * k) ^ keys[k]);
            offset += 128;
        } else {
            for (int k = 0; k < 32; ++k)
                scalarWord();
        }
    }
    while (offset < count)
        scalarWord();
}

} // namespace zarkent
