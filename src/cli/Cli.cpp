#include "cli/Cli.h"

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#ifndef ZARKENT_VERSION
#define ZARKENT_VERSION "0"
#endif

namespace zarkent::cli {

namespace {

constexpr const char* UsageText = "Usage: zarkent-cli encrypt [--compress] [--keep] [--password-file FILE] PATH...\n"
                                  "       zarkent-cli decrypt [--keep] [--password-file FILE] PATH...\n"
                                  "       zarkent-cli --help | --version\n";

constexpr const char* HelpText =
    "\n"
    "Encrypts files into .zrk files and back. Each PATH is processed in turn; a failure is reported\n"
    "as 'PATH: message' and the next PATH goes on.\n"
    "\n"
    "  encrypt              write PATH.zrk (or (n)NAME.zrk when that exists) beside PATH\n"
    "  decrypt              restore the stored file beside the .zrk file ((n)NAME when it exists)\n"
    "  --compress           compress with zlib before encrypting\n"
    "  --keep               keep the source file (by default it is deleted after success)\n"
    "  --password-file FILE read the password from the first line of FILE ('-' for standard input);\n"
    "                       without it the password is asked on the terminal\n"
    "\n"
    "Exit status: 0 all succeeded, 3 only wrong passwords failed, 1 other failures, 2 bad usage.\n";

} // namespace

int UsageError(std::ostream& err, const std::string& problem) {
    if (!problem.empty()) err << "zarkent-cli: " << problem << "\n";
    err << UsageText;
    return ExitUsage;
}

int Run(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err) {
    // A file-size limit must fail the write (and remove the partial output), not kill the process.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return UsageError(err, "no command given");
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h") {
        out << UsageText << HelpText;
        return ExitOk;
    }
    if (command == "--version") {
        out << "zarkent-cli " << ZARKENT_VERSION << "\n";
        return ExitOk;
    }
    if (command == "encrypt" || command == "decrypt") return RunFileCommand(command == "encrypt", rest, {in, out, err});
    return UsageError(err, "unknown command '" + command + "'");
}

} // namespace zarkent::cli
