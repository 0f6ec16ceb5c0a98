#include "core/container/Armour.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/base/Secure.h"
#include "core/container/ZarkentStream.h"
#include "core/container/ZlibStreams.h"

namespace zarkent {

namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

ErrorKind KindOf(ArmourProblem problem) {
    switch (problem) {
    case ArmourProblem::Damaged:
        return ErrorKind::DamagedFile;
    case ArmourProblem::WrongPassword:
        return ErrorKind::WrongPassword;
    case ArmourProblem::NotFound:
    case ArmourProblem::TooLarge:
        break;
    }
    return ErrorKind::General;
}

// Value of each Base64 character, -1 for the rest.
constexpr std::array<int, 256> DecodeTable() {
    std::array<int, 256> table{};
    for (int& value : table)
        value = -1;
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(Alphabet[i])] = i;
    return table;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

// A line as it was meant: without the quoting marks a mail program put before it and without blanks at
// either end. Base64 and the marker lines never start with a blank or ">".
std::string_view Unquoted(std::string_view line) {
    while (!line.empty() && (line.front() == '>' || IsBlank(line.front())))
        line.remove_prefix(1);
    while (!line.empty() && IsBlank(line.back()))
        line.remove_suffix(1);
    return line;
}

// The lines of a text, one at a time; a line ends at LF, CR LF or a lone CR.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    bool Next(std::string_view& line) {
        if (at_ >= text_.size()) return false;
        const std::size_t end = std::min(text_.find_first_of("\r\n", at_), text_.size());
        line = text_.substr(at_, end - at_);
        at_ = end + 1;
        if (end < text_.size() && text_[end] == '\r' && at_ < text_.size() && text_[at_] == '\n') ++at_;
        return true;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

ArmourError Damaged(const std::string& reason) {
    return ArmourError(ArmourProblem::Damaged, "The encrypted text is damaged: " + reason);
}

} // namespace

ArmourError::ArmourError(ArmourProblem problem, const std::string& message)
    : ZarkentError(message, KindOf(problem)), problem_(problem) {}

std::string EncodeBase64(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
                                    static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                                    static_cast<unsigned char>(bytes[i + 2]);
        for (int shift = 18; shift >= 0; shift -= 6)
            text += Alphabet[(group >> shift) & 0x3F];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (rest == 2) group |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        text += Alphabet[(group >> 18) & 0x3F];
        text += Alphabet[(group >> 12) & 0x3F];
        text += rest == 2 ? Alphabet[(group >> 6) & 0x3F] : '=';
        text += '=';
    }
    return text;
}

bool DecodeBase64(std::string_view text, std::string& bytes) {
    static constexpr std::array<int, 256> table = DecodeTable();
    bytes.clear();
    if (text.size() % 4 != 0) return false;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        // Padding only at the very end: "xx==" or "xxx=".
        std::size_t padding = 0;
        if (last && text[i + 3] == '=') padding = text[i + 2] == '=' ? 2 : 1;
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            int value = 0;
            if (k < 4 - padding) {
                value = table[static_cast<unsigned char>(text[i + k])];
                if (value < 0) return false;
            }
            group = group << 6 | static_cast<std::uint32_t>(value);
        }
        // The bits the padding leaves over are zero in the one encoding of the bytes.
        if ((padding == 1 && (group & 0xFF) != 0) || (padding == 2 && (group & 0xFFFF) != 0)) return false;
        bytes += static_cast<char>(group >> 16);
        if (padding < 2) bytes += static_cast<char>((group >> 8) & 0xFF);
        if (padding < 1) bytes += static_cast<char>(group & 0xFF);
    }
    return true;
}

bool StartsAsArmour(std::string_view head) {
    std::size_t at = 0;
    while (at < head.size() && at < ArmourSearchSpan) {
        const std::size_t end = std::min(head.find_first_of("\r\n", at), head.size());
        const std::string_view line = head.substr(at, end - at);
        if (Unquoted(line) == ArmourBeginLine) return true;
        for (const char c : line) {
            const auto byte = static_cast<unsigned char>(c);
            if ((byte < 0x20 && !IsBlank(c)) || byte == 0x7F) return false;
        }
        at = end + 1;
    }
    return false;
}

std::string EncodeArmour(std::string_view zrk) {
    const std::string base64 = EncodeBase64(zrk);
    std::string armour;
    armour.reserve(base64.size() + base64.size() / ArmourLineLength + ArmourBeginLine.size() + ArmourEndLine.size() +
                   3);
    armour += ArmourBeginLine;
    armour += '\n';
    for (std::size_t at = 0; at < base64.size(); at += ArmourLineLength) {
        armour += std::string_view(base64).substr(at, ArmourLineLength);
        armour += '\n';
    }
    armour += ArmourEndLine;
    armour += '\n';
    return armour;
}

std::string DecodeArmour(std::string_view pasted) {
    LineReader reader(pasted);
    std::string_view line;
    bool begun = false, endSeen = false;
    while (!begun && reader.Next(line)) {
        const std::string_view meant = Unquoted(line);
        begun = meant == ArmourBeginLine;
        endSeen = endSeen || meant == ArmourEndLine;
    }
    if (!begun) {
        if (endSeen) throw Damaged("its first line is missing");
        throw ArmourError(ArmourProblem::NotFound, "No encrypted text found");
    }
    std::string base64;
    while (reader.Next(line)) {
        const std::string_view meant = Unquoted(line);
        if (meant == ArmourEndLine) {
            std::string zrk;
            if (!DecodeBase64(base64, zrk)) throw Damaged("it is not valid Base64");
            return zrk;
        }
        base64 += meant;
    }
    throw Damaged("its last line is missing");
}

std::string ArmourText(std::string_view text, std::string_view password) {
    if (text.size() > MaxArmouredTextSize)
        throw ArmourError(ArmourProblem::TooLarge,
                          "The text is larger than " + std::to_string(MaxArmouredTextSize) + " bytes");
    return EncodeArmour(EncryptBytes(password, ArmouredTextName, text, true));
}

std::string DearmourText(std::string_view pasted, std::string_view password) {
    if (pasted.size() > MaxPastedArmourSize)
        throw ArmourError(ArmourProblem::TooLarge,
                          "The pasted text is larger than " + std::to_string(MaxPastedArmourSize) + " bytes");
    const std::string zrk = DecodeArmour(pasted);
    try {
        DecryptedBytes plain = DecryptBytes(password, zrk, MaxArmouredTextSize);
        return std::move(plain.contents);
    } catch (const InflateLimitError& e) {
        throw ArmourError(ArmourProblem::TooLarge, e.what());
    } catch (const ZarkentError& e) {
        if (e.Kind() == ErrorKind::WrongPassword) throw ArmourError(ArmourProblem::WrongPassword, e.what());
        if (e.Kind() == ErrorKind::DamagedFile) throw Damaged(e.what());
        throw;
    }
}

} // namespace zarkent
