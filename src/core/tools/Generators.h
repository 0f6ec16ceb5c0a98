#pragma once

// What the password generator and the random number generator make, apart from their windows:
// the character pools, the password draw, and the number list in its source-code formats.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zarkent {

// The fixed pools. A character that occurs several times in a pool is drawn that much more often.
inline constexpr std::string_view kLetterPool = "AaBbCcDdEeFfGgHhIiJjKkLlMmNnOoPpRrSsTtUuVvYyZzQqWwXx";
inline constexpr std::string_view kDigitPool = "0123456789987654321023456789010123456789987654321023456789011098765432"
                                               "01234568787787654321896385645498100546330470789640";
inline constexpr std::string_view kMixedPool =
    "Aa0Bb1Cc2Dd3Ee4Ff5Gg6Hh7Ii8Jj9Kk10Ll11Mm12Nn13Oo14Pp15Rr16Ss17Tt18Uu19Vv20Yy21Zz22Qq23Ww24Xx25";

enum class PasswordPool { Letters, Digits, Mixed, User };

// The pool the options select, each later option overriding the earlier ones: letters; digits only;
// letters with numbers; the user's characters.
PasswordPool ChoosePasswordPool(bool digitsOnly, bool withNumbers, bool userCharacters);
// The text of a fixed pool; empty for PasswordPool::User.
std::string_view PoolText(PasswordPool pool);

// Longest password either face of the generator makes: long enough for any key, short enough that a
// mistyped length cannot exhaust memory.
inline constexpr int kMaxPasswordLength = 4096;

// The characters of a UTF-8 text, each a whole code point; a byte that starts no valid sequence stands
// alone. A pool is drawn from character by character, so a typed "ğ" is never split into bytes.
std::vector<std::string_view> SplitCharacters(std::string_view utf8);
// Whether the user's characters can make a password: something other than blanks.
bool UsablePool(std::string_view utf8);

// A draw of a number in 0..range-1.
using DrawBelow = std::function<std::uint32_t(std::uint32_t range)>;

// `length` characters drawn from `pool` (UTF-8), each draw below the number of characters; empty for a
// length of 0 or less. Throws ZarkentError for an empty pool or a length above kMaxPasswordLength.
std::string MakePassword(std::string_view pool, int length, const DrawBelow& draw);

// --- Random number lists ---------------------------------------------------------------------------

enum class NumberStyle { Decimal, CHex, PascalHex, PlainHex };

// Most numbers one list of the window holds; the list is built in memory and shown at once.
inline constexpr int kMaxListCount = 1000000;

// One number as the list writes it, without the comma: decimal as a signed 32-bit number (a draw at or
// above 2^31 shows negative), hexadecimal in capitals with at least four digits and its prefix.
std::string FormatListNumber(std::uint32_t value, NumberStyle style);
// 20 decimal or 8 hexadecimal numbers per line.
int NumbersPerLine(NumberStyle style);

// The bound as typed: an integer (decimal, optional sign) from -2147483648 to 4294967295, taken as an
// unsigned 32-bit number. Throws ZarkentError "'TEXT' is not a valid integer value" otherwise.
std::uint32_t ParseBound(const std::string& text);

// `count` numbers drawn below `bound`, each followed by ",", a CR LF after every full line. Empty for a
// count of 0 or less; throws ZarkentError for a count above kMaxListCount.
std::string MakeNumberList(NumberStyle style, int count, std::uint32_t bound, const DrawBelow& draw);

// The list as a text file: its lines (ended by CR, LF or CR LF in `list`), each ended by CR LF, the last
// one included.
std::string ListFileText(std::string_view list);

} // namespace zarkent
