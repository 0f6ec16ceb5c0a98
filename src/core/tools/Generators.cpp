#include "core/tools/Generators.h"

#include <charconv>

#include "core/base/Error.h"

namespace zarkent {

PasswordPool ChoosePasswordPool(bool digitsOnly, bool withNumbers, bool userCharacters) {
    PasswordPool pool = PasswordPool::Letters;
    if (digitsOnly) pool = PasswordPool::Digits;
    if (withNumbers) pool = PasswordPool::Mixed;
    if (userCharacters) pool = PasswordPool::User;
    return pool;
}

std::string_view PoolText(PasswordPool pool) {
    switch (pool) {
    case PasswordPool::Letters:
        return kLetterPool;
    case PasswordPool::Digits:
        return kDigitPool;
    case PasswordPool::Mixed:
        return kMixedPool;
    case PasswordPool::User:
        break;
    }
    return {};
}

namespace {

// Length of the UTF-8 sequence starting at `text[at]`, or 1 when no valid sequence starts there.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 1 || at + length > text.size()) return 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 1;
    return length;
}

} // namespace

std::vector<std::string_view> SplitCharacters(std::string_view utf8) {
    std::vector<std::string_view> characters;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = SequenceLength(utf8, at);
        characters.push_back(utf8.substr(at, length));
        at += length;
    }
    return characters;
}

bool UsablePool(std::string_view utf8) {
    return utf8.find_first_not_of(" \t\r\n") != std::string_view::npos;
}

std::string MakePassword(std::string_view pool, int length, const DrawBelow& draw) {
    if (length > kMaxPasswordLength)
        throw ZarkentError("A password can have at most " + std::to_string(kMaxPasswordLength) + " characters");
    const std::vector<std::string_view> characters = SplitCharacters(pool);
    if (characters.empty()) throw ZarkentError("There are no characters to make a password from");
    std::string password;
    for (int i = 0; i < length; ++i)
        password += characters[draw(static_cast<std::uint32_t>(characters.size()))];
    return password;
}

std::string FormatListNumber(std::uint32_t value, NumberStyle style) {
    if (style == NumberStyle::Decimal) return std::to_string(static_cast<std::int32_t>(value));
    static constexpr char digits[] = "0123456789ABCDEF";
    char hex[8];
    int used = 0;
    for (int shift = 28; shift >= 0; shift -= 4) {
        const unsigned digit = (value >> shift) & 15u;
        if (used == 0 && digit == 0 && shift >= 16) continue; // at least four digits stay
        hex[used++] = digits[digit];
    }
    const char* prefix = style == NumberStyle::CHex ? "0x" : style == NumberStyle::PascalHex ? "$" : "";
    return prefix + std::string(hex, static_cast<std::size_t>(used));
}

int NumbersPerLine(NumberStyle style) {
    return style == NumberStyle::Decimal ? 20 : 8;
}

std::uint32_t ParseBound(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    const bool negative = first != last && *first == '-';
    if (first != last && (*first == '-' || *first == '+')) ++first;
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(first, last, magnitude);
    if (first == last || error != std::errc() || end != last || (negative && magnitude > 2147483648u) ||
        (!negative && magnitude > 4294967295u))
        throw ZarkentError("'" + text + "' is not a valid integer value");
    // Negative text wraps to the same 32-bit pattern the signed number has.
    return negative ? static_cast<std::uint32_t>(0u - static_cast<std::uint32_t>(magnitude))
                    : static_cast<std::uint32_t>(magnitude);
}

std::string MakeNumberList(NumberStyle style, int count, std::uint32_t bound, const DrawBelow& draw) {
    if (count > kMaxListCount)
        throw ZarkentError("A list can hold at most " + std::to_string(kMaxListCount) + " numbers");
    std::string list;
    if (count <= 0) return list;
    list.reserve(static_cast<std::size_t>(count) * 12);
    const int perLine = NumbersPerLine(style);
    int onLine = 0;
    for (int i = 0; i < count; ++i) {
        list += FormatListNumber(draw(bound), style);
        list += ',';
        if (++onLine == perLine) {
            list += "\r\n";
            onLine = 0;
        }
    }
    return list;
}

std::string ListFileText(std::string_view list) {
    // The box may have been edited: CR, LF and CR LF all end a line, and every line ends in CR LF.
    std::string text;
    text.reserve(list.size() + 2);
    std::size_t at = 0;
    while (at < list.size()) {
        const std::size_t end = list.find_first_of("\r\n", at);
        if (end == std::string_view::npos) {
            text.append(list.substr(at)).append("\r\n");
            break;
        }
        text.append(list.substr(at, end - at)).append("\r\n");
        at = end + (list.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return text;
}

} // namespace zarkent
