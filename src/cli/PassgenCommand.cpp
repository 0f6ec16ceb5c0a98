// zarkent-cli passgen: passwords from the generator's pools, drawn from the system's random source.

#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "core/base/Secure.h"
#include "core/platform/SecureRandom.h"
#include "core/tools/Generators.h"

namespace zarkent::cli {

namespace {
constexpr long long kMaxPasswordCount = 1000000;
}

int RunPassgenCommand(const std::vector<std::string>& args, Streams io) {
    long long length = 8;
    long long count = 1;
    std::string pool(kMixedPool); // the window starts with letters and numbers
    std::string poolOption;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--digits" || arg == "--mixed" || arg == "--letters" || arg == "--chars") {
            if (!poolOption.empty()) return UsageError(io.err, arg + " and " + poolOption + " cannot be combined");
            poolOption = arg;
            if (arg == "--digits") pool = kDigitPool;
            if (arg == "--mixed") pool = kMixedPool;
            if (arg == "--letters") pool = kLetterPool;
            if (arg == "--chars") {
                if (i + 1 >= args.size()) return UsageError(io.err, "--chars needs the characters to use");
                pool = args[++i];
                if (!UsablePool(pool)) return UsageError(io.err, "--chars needs characters other than blanks");
                for (const char ch : pool)
                    if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F)
                        return UsageError(io.err, "--chars cannot hold control characters");
            }
        } else if (arg == "--length" || arg == "--count") {
            const bool isLength = arg == "--length";
            const long long most = isLength ? kMaxPasswordLength : kMaxPasswordCount;
            const std::string need = arg + " needs a number from 1 to " + std::to_string(most);
            if (i + 1 >= args.size()) return UsageError(io.err, need);
            const auto value = ParseWhole(args[++i], 1, most);
            if (!value) return UsageError(io.err, need + ", not '" + Printable(args[i]) + "'");
            (isLength ? length : count) = *value;
        } else {
            return UsageError(io.err, "unknown passgen argument '" + Printable(arg) + "'");
        }
    }
    try {
        for (long long i = 0; i < count; ++i) {
            std::string password = MakePassword(pool, static_cast<int>(length), SecureRandomBelow);
            io.out << password << '\n';
            SecureClear(password.data(), password.size());
        }
    } catch (const std::exception& e) {
        io.err << "zarkent-cli: " << e.what() << "\n";
        return ExitFailure;
    }
    io.out.flush();
    if (!io.out) {
        io.err << "zarkent-cli: cannot write the passwords\n";
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace zarkent::cli
