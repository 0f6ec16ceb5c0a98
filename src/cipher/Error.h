#pragma once

#include <stdexcept>
#include <string>

namespace zarkent {

// A failure that travels up to the job with the text the user is shown.
class ZarkentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Marker message of a wrong password; jobs compare the text with it to pick the message they show.
inline constexpr const char* WrongPasswordMarker = "SIFRE_YANLIS_PASSWORD_IS_INCORRECT";

inline bool IsWrongPassword(const std::exception& e) {
    return std::string(e.what()) == WrongPasswordMarker;
}

} // namespace zarkent
