// zarkent-cli passwd: changes the password of .zrk files in place, atomically.

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/FileOptions.h"
#include "cli/Interrupt.h"
#include "cli/Password.h"
#include "cli/Progress.h"
#include "cli/Terminal.h"
#include "core/base/Secure.h"
#include "core/container/PasswordChange.h"
#include "core/lang/Language.h"

namespace zarkent::cli {

namespace {

struct PasswdOptions {
    std::optional<std::string> passwordFile, newPasswordFile;
    std::vector<std::string> paths;
};

// Returns the problem with the arguments, or "" when they are fine.
std::string ParseOptions(const std::vector<std::string>& args, PasswdOptions& options) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            options.paths.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--password-file" || arg == "--new-password-file") {
            if (i + 1 >= args.size()) return arg + " needs a file name";
            (arg == "--password-file" ? options.passwordFile : options.newPasswordFile) = args[++i];
        } else if (arg == "-") {
            return "passwd changes files in place; standard input ('-') cannot be one";
        } else {
            return "unknown option '" + arg + "'";
        }
    }
    if (options.paths.empty()) return "no PATH given";
    if (options.passwordFile == "-" && options.newPasswordFile == "-")
        return "standard input cannot give both the old and the new password";
    return "";
}

FileResult ChangeOne(const std::string& path, const std::string& oldPassword, const std::string& newPassword,
                     Streams io) {
    std::optional<TerminalProgress> bar;
    StreamContext context;
    if (StderrIsTerminal()) {
        bar.emplace(io.err, Printable(path), SizeForProgress(path));
        context.progress = &*bar;
    }
    context.cancelRequested = &InterruptRequested();
    try {
        const bool changed = ChangePassword(path, oldPassword, newPassword, context);
        if (bar) bar->Finish();
        if (!changed) {
            io.err << Printable(path) << ": " << EnglishText(41) << "\n";
            return FileResult::Failed;
        }
        io.out << Printable(path) << "\n";
        return FileResult::Done;
    } catch (const std::exception& e) {
        if (bar) bar->Finish();
        if (IsWrongPassword(e)) {
            io.err << Printable(path) << ": " << EnglishText(99) << "\n";
            return FileResult::WrongPassword;
        }
        io.err << Printable(path) << ": " << Printable(e.what()) << "\n";
        return FileResult::Failed;
    }
}

} // namespace

int RunPasswdCommand(const std::vector<std::string>& args, Streams io) {
    PasswdOptions options;
    if (std::string problem = ParseOptions(args, options); !problem.empty()) return UsageError(io.err, problem);

    std::string oldPassword, newPassword;
    const ClearOnExit clearOld{oldPassword}, clearNew{newPassword};
    PasswordRequest oldRequest;
    oldRequest.file = options.passwordFile;
    oldRequest.prompt = "Old password: ";
    if (auto exit = ReadPassword(oldRequest, io, oldPassword)) return *exit;
    PasswordRequest newRequest;
    newRequest.file = options.newPasswordFile;
    newRequest.prompt = "New password: ";
    newRequest.retypePrompt = "New password again: ";
    newRequest.twice = true;
    if (auto exit = ReadPassword(newRequest, io, newPassword)) return *exit;

    // A new password equal to the old one is no error: the file is enciphered again, to the same bytes.
    InstallInterruptHandlers();
    Tally tally;
    for (const std::string& path : options.paths) {
        if (InterruptRequested().load()) {
            tally.stopped = true;
            break;
        }
        Count(tally, ChangeOne(path, oldPassword, newPassword, io));
    }
    io.out << std::flush;
    return tally.ExitCode();
}

} // namespace zarkent::cli
