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
            const auto value =
                WholeOption(args, i, 1, arg == "--length" ? kMaxPasswordLength : kMaxPasswordCount, io.err);
            if (!value) return ExitUsage;
            (arg == "--length" ? length : count) = *value;
        } else {
            return UsageError(io.err, "unknown passgen argument '" + Printable(arg) + "'");
        }
    }
    return PrintGenerated(io, "passwords", [&](std::ostream& out) {
        for (long long i = 0; i < count && out; ++i) {
            std::string password = MakePassword(pool, static_cast<int>(length), SecureRandomBelow);
            out << password << '\n';
            SecureClear(password.data(), password.size());
        }
    });
}

} // namespace zarkent::cli
