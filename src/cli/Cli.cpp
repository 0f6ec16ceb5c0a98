#include "cli/Cli.h"

#include "cli/Help.h"

#include <cerrno>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#ifndef ZARKENT_VERSION
#error "ZARKENT_VERSION comes from the project's version (CMakeLists.txt)"
#endif

namespace zarkent::cli {

namespace {

// The command being run: its usage goes with a usage error.
const CommandHelp* runningCommand = nullptr;

bool HelpRequested(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") return false;
        if (arg == "--help" || arg == "-h") return true;
    }
    return false;
}

} // namespace

// Control characters (a crafted stored name could hold terminal escape sequences) are shown
// escaped; the files keep their real names.
std::string Printable(std::string_view text) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string shown;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7F) {
            shown += "\\x";
            shown += digits[byte >> 4];
            shown += digits[byte & 15];
        } else {
            shown += ch;
        }
    }
    return shown;
}

std::optional<long long> ParseWhole(const std::string& text, long long least, long long most) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const long long value = std::stoll(text);
    if (value < least || value > most) return std::nullopt;
    return value;
}

std::optional<long long> WholeOption(const std::vector<std::string>& args, std::size_t& i, long long least,
                                     long long most, std::ostream& err) {
    const std::string need = args[i] + " needs a number from " + std::to_string(least) + " to " + std::to_string(most);
    if (i + 1 >= args.size()) {
        UsageError(err, need);
        return std::nullopt;
    }
    const auto value = ParseWhole(args[++i], least, most);
    if (!value) UsageError(err, need + ", not '" + Printable(args[i]) + "'");
    return value;
}

int PrintGenerated(Streams io, const std::string& what, const std::function<void(std::ostream&)>& write) {
    try {
        write(io.out);
    } catch (const std::exception& e) {
        io.err << "zarkent-cli: " << e.what() << "\n";
        return ExitFailure;
    }
    return FinishOutput(io, what, ExitOk);
}

int FinishOutput(Streams io, const std::string& what, int status) {
    io.out.flush();
    if (io.out) return status;
    // A reader that stopped reading (| head) wants no more: nothing to say, as for the file commands.
    if (errno != EPIPE) io.err << "zarkent-cli: cannot write the " << what << "\n";
    return ExitFailure;
}

int UsageError(std::ostream& err, const std::string& problem) {
    if (!problem.empty()) err << "zarkent-cli: " << problem << "\n";
    PrintUsage(err, runningCommand);
    return ExitUsage;
}

int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
#ifdef SIGXFSZ
    // A file-size limit must fail the write (and remove the partial output), not kill the process.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
#ifdef SIGPIPE
    // A reader that closes the output pipe early fails the write, which ends the command quietly.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    runningCommand = nullptr;
    if (args.empty()) return UsageError(err, "no command given");
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h") {
        PrintProgramHelp(out);
        return ExitOk;
    }
    if (command == "--version") {
        out << "zarkent-cli " << ZARKENT_VERSION << "\n";
        return ExitOk;
    }
    runningCommand = HelpOf(command);
    if (runningCommand && HelpRequested(rest)) {
        PrintCommandHelp(out, *runningCommand);
        return ExitOk;
    }
    if (command == "encrypt" || command == "decrypt") return RunFileCommand(command == "encrypt", rest, {in, out, err});
    if (command == "test") return RunTestCommand(rest, {in, out, err});
    if (command == "passwd") return RunPasswdCommand(rest, {in, out, err});
    if (command == "wipe") return RunWipeCommand(rest, {in, out, err});
    if (command == "md5") return RunMd5Command(rest, {in, out, err});
    if (command == "passgen") return RunPassgenCommand(rest, {in, out, err});
    if (command == "random") return RunRandomCommand(rest, {in, out, err});
    return UsageError(err, "unknown command '" + command + "'");
}

} // namespace zarkent::cli
