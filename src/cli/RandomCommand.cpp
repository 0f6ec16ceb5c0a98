// zarkent-cli random: numbers below a bound, one per line or laid out as the random number window
// lays out its list.

#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "core/container/Random.h"
#include "core/platform/SecureRandom.h"
#include "core/tools/Generators.h"

namespace zarkent::cli {

namespace {

struct RandomOptions {
    std::uint32_t bound = 0;
    long long count = -1;
    NumberStyle style = NumberStyle::Decimal;
    bool secure = false;
    bool asWindow = false;
};

std::uint32_t SharedDraw(std::uint32_t bound) {
    return RandomBelow(bound);
}

// One number per line: decimal numbers as the unsigned values drawn (always below the bound), the
// hexadecimal styles as the window writes them.
int PrintLines(const RandomOptions& options, const DrawBelow& draw, std::ostream& out) {
    std::string chunk;
    for (long long i = 0; i < options.count; ++i) {
        const std::uint32_t value = draw(options.bound);
        chunk += options.style == NumberStyle::Decimal ? std::to_string(value) : FormatListNumber(value, options.style);
        chunk += '\n';
        if (chunk.size() >= (1u << 16)) {
            out << chunk;
            chunk.clear();
            if (!out) break; // the reader is gone: the rest would go nowhere
        }
    }
    out << chunk;
    return ExitOk;
}

} // namespace

int RunRandomCommand(const std::vector<std::string>& args, Streams io) {
    RandomOptions options;
    bool haveBound = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--secure") {
            options.secure = true;
        } else if (arg == "--as-window") {
            options.asWindow = true;
        } else if (arg == "--bound") {
            if (!hasValue) return UsageError(io.err, "--bound needs a number");
            try {
                options.bound = ParseBound(args[++i]);
                haveBound = true;
            } catch (const std::exception&) {
                return UsageError(io.err, "--bound needs a number from -2147483648 to 4294967295, not '" +
                                              Printable(args[i]) + "'");
            }
        } else if (arg == "--count") {
            const auto value = WholeOption(args, i, 0, 2147483647, io.err);
            if (!value) return ExitUsage;
            options.count = *value;
        } else if (arg == "--format") {
            const std::string format = hasValue ? args[++i] : std::string();
            if (format == "decimal")
                options.style = NumberStyle::Decimal;
            else if (format == "c")
                options.style = NumberStyle::CHex;
            else if (format == "pascal")
                options.style = NumberStyle::PascalHex;
            else if (format == "plain-hex")
                options.style = NumberStyle::PlainHex;
            else
                return UsageError(io.err, "--format needs decimal, c, pascal or plain-hex");
        } else {
            return UsageError(io.err, "unknown random argument '" + Printable(arg) + "'");
        }
    }
    if (!haveBound) return UsageError(io.err, "random needs --bound");
    if (options.count < 0) return UsageError(io.err, "random needs --count");
    if (options.asWindow && options.count > kMaxListCount)
        return UsageError(io.err, "--as-window makes at most " + std::to_string(kMaxListCount) + " numbers");

    DrawBelow draw = SecureRandomBelow;
    if (!options.secure) {
        RandomizeFromClock();
        draw = SharedDraw;
    }
    return PrintGenerated(io, "numbers", [&](std::ostream& out) {
        if (options.asWindow)
            out << MakeNumberList(options.style, static_cast<int>(options.count), options.bound, draw);
        else
            PrintLines(options, draw, out);
    });
}

} // namespace zarkent::cli
