#pragma once

// Encrypted text as ASCII armour: a .zrk file held in memory, written as Base64 between two marker lines,
// so that it travels in an e-mail or any text field and is found again inside whatever text it was
// pasted into.
//
//     -----BEGIN ZARKENT ENCRYPTED TEXT-----
//     <Base64 (RFC 4648, standard alphabet, padded) of the .zrk bytes, 64 characters a line>
//     -----END ZARKENT ENCRYPTED TEXT-----
//
// Every line ends in LF. The text is stored compressed under the name "message.txt": zlib's checksum
// then tells a text damaged on its way from a wrong password.

#include <cstddef>
#include <string>
#include <string_view>

#include "core/base/Error.h"

namespace zarkent {

inline constexpr std::string_view ArmourBeginLine = "-----BEGIN ZARKENT ENCRYPTED TEXT-----";
inline constexpr std::string_view ArmourEndLine = "-----END ZARKENT ENCRYPTED TEXT-----";
inline constexpr std::size_t ArmourLineLength = 64;
inline constexpr std::string_view ArmouredTextName = "message.txt";

// The largest text encrypted or given back, in bytes of UTF-8: the work is done in memory at once.
inline constexpr std::size_t MaxArmouredTextSize = 16 * 1024 * 1024;
// The largest pasted text searched for armour: room for the armour of the largest text (a third larger
// than its .zrk bytes), quoting marks and the mail around it.
inline constexpr std::size_t MaxPastedArmourSize = 2 * MaxArmouredTextSize;

// How far into an input the begin line of armour is looked for.
inline constexpr std::size_t ArmourSearchSpan = 64 * 1024;

// Whether `head`, the start of an input, is armour: ArmourBeginLine at its start or at the start of a
// line (after blanks or mail quoting) that begins within its first ArmourSearchSpan bytes, alone on its
// line, with only text before it (no control bytes but blanks and line ends). The check block of a .zrk
// file never passes.
bool StartsAsArmour(std::string_view head);

// Why armour could not be read or written.
enum class ArmourProblem {
    NotFound,      // no armour in the text
    Damaged,       // marker without its partner, bad Base64, not a .zrk file, broken compressed data
    WrongPassword, // the check block does not match the password
    TooLarge,      // the text (or the pasted text, or what it decrypts to) is over its limit
};

class ArmourError : public ZarkentError {
public:
    ArmourError(ArmourProblem problem, const std::string& message);
    ArmourProblem Problem() const noexcept { return problem_; }

private:
    ArmourProblem problem_;
};

// RFC 4648 Base64, standard alphabet with padding. Decoding takes exactly that form (no blanks, no
// missing padding) and returns false for anything else.
std::string EncodeBase64(std::string_view bytes);
bool DecodeBase64(std::string_view text, std::string& bytes);

// The armour of any .zrk bytes, and the .zrk bytes of the first armour inside `pasted`. Reading
// tolerates text before and after the armour, blank lines, CR LF (or CR) line ends, blanks at line ends
// and mail quoting ("> ", "> > ", ">>") at line starts, and Base64 lines of any length. Throws
// ArmourError NotFound when neither marker line is there, Damaged for everything else that is wrong.
std::string EncodeArmour(std::string_view zrk);
std::string DecodeArmour(std::string_view pasted);

// The armour of `text` encrypted with `password`. Throws ArmourError TooLarge above
// MaxArmouredTextSize, and ZarkentError for a password that gives no key.
std::string ArmourText(std::string_view text, std::string_view password);
// The text of the first armour inside `pasted`. Throws ArmourError: NotFound, Damaged, WrongPassword, or
// TooLarge for a pasted text above MaxPastedArmourSize or a text that would be above MaxArmouredTextSize;
// ZarkentError for a password that gives no key.
std::string DearmourText(std::string_view pasted, std::string_view password);

} // namespace zarkent
