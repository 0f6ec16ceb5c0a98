#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/base/Error.h"

namespace zarkent {

inline constexpr std::size_t MixTableSize = 2048;
extern const std::int32_t MixTable[MixTableSize];

// Decimal text of a signed number: no leading zeros, leading minus sign when negative.
std::string NumberToText(std::int64_t value);

// The password-keyed stream cipher. Construction derives the key state from the password; every
// Transform call then combines one 32-bit value with the next keystream word. Enciphering and
// deciphering are the same operation.
//
// All arithmetic is done on unsigned fixed-width types and converted back, so the two's complement
// wrapping of the file format is reproduced without signed overflow.
class TZarkenter {
public:
    // Throws ZarkentError("Division by zero") for a password holding a 0 byte and
    // ZarkentError("'-' is not a valid integer value") for an empty one.
    explicit TZarkenter(std::string_view password);
    // Clears the key state.
    ~TZarkenter();
    TZarkenter(const TZarkenter&) = delete;
    TZarkenter& operator=(const TZarkenter&) = delete;

    std::int64_t Transform(std::int32_t value);
    std::int64_t EncipherValue(std::int32_t value) { return Transform(value); }
    std::int64_t DecipherValue(std::int32_t value) { return Transform(value); }

    // Combines `count` bytes in place with the keystream, one step per 4 bytes (little-endian words;
    // a partial last word uses the low-order bytes of its keystream word). Gives exactly the bytes
    // that Transform would give word by word, and leaves the state where those calls would.
    void ApplyKeystream(std::uint8_t* data, std::size_t count) { ApplyKeystream(data, data, count); }
    // The same from `in` to `out` (which may be the same buffer).
    void ApplyKeystream(const std::uint8_t* in, std::uint8_t* out, std::size_t count);

    std::int64_t Seed() const { return FSeed; }
    std::int64_t Key(int index) const; // 1..4
    std::int64_t TableEntry(int index) const { return FTable[index]; }

private:
    friend struct TZarkenterTestAccess;

    static std::int64_t PasswordSeed(std::string_view password);
    static std::int64_t DigitSum(std::int64_t seed);
    static std::int64_t DigitProduct(std::int64_t seed);
    static std::uint64_t PrimeCount(std::uint32_t n);
    static std::int64_t DivisorScore(std::int64_t a, std::int64_t seed);
    std::int64_t Blend(std::int64_t x, std::int64_t y, std::int64_t m) const;
    static std::int64_t Fold(std::int64_t p, std::int64_t q, std::int64_t r, std::int64_t s);
    void BuildTable();

    // One step: advances the positions and returns FLastValue xor the table entry.
    std::int64_t NextKey();
    // Fast path for 32 steps that start at a table index of 0; false when the counter would wrap.
    bool NextBlock(std::uint32_t* words);

    std::int64_t FSeed = 0;
    std::int64_t FKey1 = 0, FKey2 = 0, FKey3 = 0, FKey4 = 0;
    std::int64_t FTable[32] = {};
    std::int64_t FTableIndex = -1;
    std::int64_t FCounter = 0;
    std::int64_t FLastValue = 0;
    std::int32_t FMixIndex = -1;
};

} // namespace zarkent
