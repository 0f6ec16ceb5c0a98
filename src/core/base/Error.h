#pragma once

// The one error type of the program: the text the user is shown, and a kind that code decides by.

#include <stdexcept>
#include <string>

namespace zarkent {

enum class ErrorKind {
    General,       // anything else (bad input, a password that gives no key)
    WrongPassword, // the check block does not match the password
    DamagedFile,   // the .zrk file is too short, or its compressed data is broken
    FileSystem,    // a file could not be opened, created, read, written, renamed or removed
    Cancelled,     // the user stopped the work
};

// A failure that travels up to the job with the text the user is shown.
class ZarkentError : public std::runtime_error {
public:
    explicit ZarkentError(const std::string& message, ErrorKind kind = ErrorKind::General)
        : std::runtime_error(message), kind_(kind) {}
    ErrorKind Kind() const noexcept { return kind_; }

private:
    ErrorKind kind_;
};

// Text of a wrong-password error (the user sees the language table's text instead).
inline constexpr const char* WrongPasswordMarker = "SIFRE_YANLIS_PASSWORD_IS_INCORRECT";

// The kind of any exception: General for those that are not ZarkentError.
inline ErrorKind KindOf(const std::exception& e) {
    const auto* error = dynamic_cast<const ZarkentError*>(&e);
    return error ? error->Kind() : ErrorKind::General;
}

inline bool IsWrongPassword(const std::exception& e) {
    return KindOf(e) == ErrorKind::WrongPassword;
}

} // namespace zarkent
