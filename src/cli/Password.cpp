// The password of a command: from a file, standard input or the terminal.

#include "cli/Password.h"

#include <fstream>
#include <iostream>

#include "cli/Terminal.h"
#include "core/base/Secure.h"
#include "core/lang/Language.h"

namespace zarkent::cli {

namespace {

std::string FirstLine(std::istream& stream) {
    std::string line;
    std::getline(stream, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::optional<int> Refuse(Streams io, int row) {
    io.err << "zarkent-cli: " << EnglishText(row) << "\n";
    return ExitUsage;
}

} // namespace

std::optional<int> ReadPassword(const PasswordRequest& request, Streams io, std::string& password) {
    if (request.file) {
        if (*request.file == "-") {
            password = FirstLine(io.in);
        } else {
            std::ifstream file(*request.file, std::ios::binary);
            if (!file) {
                io.err << "zarkent-cli: cannot read the password file \"" << Printable(*request.file) << "\"\n";
                return ExitFailure;
            }
            password = FirstLine(file);
        }
        if (password.empty()) return Refuse(io, 61);
        return std::nullopt;
    }
    for (int attempt = 1; attempt <= PasswordTries; ++attempt) {
        auto first = AskPassword(request.prompt);
        if (!first) return UsageError(io.err, "no terminal to ask the password on; use --password-file");
        if (first->empty()) return Refuse(io, 61);
        if (!request.twice) {
            password = std::move(*first);
            return std::nullopt;
        }
        auto second = AskPassword(request.retypePrompt);
        const bool same = second && *second == *first;
        if (second) SecureClear(*second);
        if (same) {
            password = std::move(*first);
            return std::nullopt;
        }
        SecureClear(*first);
        io.err << "zarkent-cli: " << EnglishText(52) << "\n";
    }
    return ExitUsage;
}

} // namespace zarkent::cli
