#pragma once

#include <optional>
#include <string>

#include "cli/Cli.h"

namespace zarkent::cli {

// Where a command takes one password from.
struct PasswordRequest {
    std::optional<std::string> file; // the first line of this file ('-': standard input)
    std::string prompt = "Password: ";
    std::string retypePrompt = "Password again: ";
    bool twice = false; // a new password: asked again on the terminal, and both must match
};

// How many times a terminal asks for a new password whose retype did not match, as passwd does.
inline constexpr int PasswordTries = 3;

// Reads the password. An empty one is refused with the window program's message, as bad usage; on a
// terminal a retype that differs asks again, PasswordTries times in all. Returns the exit code when there
// is no password to go on with.
std::optional<int> ReadPassword(const PasswordRequest& request, Streams io, std::string& password);

} // namespace zarkent::cli
