// zarkent-cli encrypt and decrypt: options, the password, and the files one by one beside themselves;
// -o and -r hand the work to their own files.

#include <algorithm>
#include <atomic>
#include <charconv>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/FileOptions.h"
#include "cli/Interrupt.h"
#include "cli/Password.h"
#include "cli/Progress.h"
#include "cli/Terminal.h"
#include "core/base/Secure.h"
#include "core/container/FileJob.h"
#include "core/container/ZlibStreams.h"
#include "core/lang/Language.h"

namespace zarkent::cli {

namespace {

// The value of the option at args[i]; i moves past it. Nothing when it is missing.
std::optional<std::string> ValueOf(const std::vector<std::string>& args, std::size_t& i) {
    if (i + 1 >= args.size()) return std::nullopt;
    return args[++i];
}

// Returns the problem with the arguments, or "" when they are fine.
std::string ParseOptions(const std::vector<std::string>& args, FileOptions& options) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.paths.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--compress" && options.encrypt) {
            options.compress = true;
        } else if (arg == "--threads" && options.encrypt) {
            const auto text = ValueOf(args, i);
            if (!text) return "--threads needs a number";
            unsigned value = 0;
            const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
            if (error != std::errc() || end != text->data() + text->size() || value < 1 || value > MaxDeflateThreads)
                return "--threads takes a number from 1 to " + std::to_string(MaxDeflateThreads);
            options.threads = value;
        } else if (arg == "--keep") {
            options.keep = true;
        } else if (arg == "--password-file") {
            if (!(options.passwordFile = ValueOf(args, i))) return "--password-file needs a file name";
        } else if (arg == "-o" || arg == "--output") {
            if (!(options.output = ValueOf(args, i)) || options.output->empty())
                return arg + " needs a file name or '-'";
        } else if (arg == "--name" && options.encrypt) {
            if (!(options.storedName = ValueOf(args, i))) return "--name needs a file name";
        } else if (arg == "--armor" && options.encrypt) {
            options.armour = true;
        } else if (arg == "-r" || arg == "--recursive") {
            options.recursive = true;
        } else {
            return "unknown option '" + arg + "'";
        }
    }
    if (options.paths.empty()) return options.recursive ? "no FOLDER given" : "no PATH given";
    const bool readsInput = std::find(options.paths.begin(), options.paths.end(), "-") != options.paths.end();
    if (options.recursive && options.output) return "-r and -o cannot go together";
    if (options.recursive && readsInput) return "-r walks folders, not standard input";
    if (options.output && options.paths.size() != 1) return "-o takes exactly one PATH";
    if (readsInput && !options.output) return "standard input ('-') needs -o";
    if (readsInput && options.passwordFile == "-")
        return "standard input cannot give both the password and the contents";
    if (options.storedName && !options.output) return "--name needs -o";
    if (readsInput && options.encrypt && !options.storedName) return "encrypting standard input needs --name NAME";
    if (options.armour && !options.output) return "--armor needs -o";
    return "";
}

} // namespace

void Count(Tally& tally, FileResult result) {
    switch (result) {
    case FileResult::Done:
        ++tally.done;
        break;
    case FileResult::WrongPassword:
        ++tally.wrongPassword;
        break;
    case FileResult::Failed:
        ++tally.failed;
        break;
    }
}

FileWork ProcessInPlace(const FileOptions& options, const std::string& path, const std::string& password,
                        const std::atomic<bool>& compress, Streams io) {
    std::optional<TerminalProgress> bar;
    StreamContext context;
    if (StderrIsTerminal()) {
        bar.emplace(io.err, Printable(path), SizeForProgress(path));
        context.progress = &*bar;
    }
    context.cancelRequested = &InterruptRequested();
    context.compressOption = &compress;
    context.durable = !options.keep; // the flush is what makes removing the source safe
    context.compressionThreads = options.threads;
    try {
        const FileOutcome outcome = options.encrypt        ? EncryptOneFile(path, password, context)
                                    : IsArmouredFile(path) ? DecryptArmouredBeside(path, password)
                                                           : DecryptOneFile(path, password, context);
        if (bar) bar->Finish();
        if (outcome.cancelled) {
            io.err << Printable(path) << ": " << EnglishText(41) << "\n";
            return {FileResult::Failed, ""};
        }
        // The output stays whatever happens to the source: it is reported as done either way.
        FileWork work{FileResult::Done, outcome.output};
        io.out << Printable(outcome.output) << "\n";
        if (!options.keep) {
            try {
                RemoveSource(path, outcome);
            } catch (const std::exception& e) {
                io.err << Printable(path) << ": " << Printable(e.what()) << "\n";
                work.result = FileResult::Failed;
            }
        }
        return work;
    } catch (const std::exception& e) {
        if (bar) bar->Finish();
        if (IsWrongPassword(e)) {
            io.err << Printable(path) << ": " << EnglishText(99) << "\n";
            return {FileResult::WrongPassword, ""};
        }
        io.err << Printable(path) << ": " << Printable(e.what()) << "\n";
        return {FileResult::Failed, ""};
    }
}

int RunFileCommand(bool encrypt, const std::vector<std::string>& args, Streams io) {
    FileOptions options;
    options.encrypt = encrypt;
    if (std::string problem = ParseOptions(args, options); !problem.empty()) return UsageError(io.err, problem);

    std::string password;
    PasswordRequest request;
    request.file = options.passwordFile;
    request.twice = encrypt;
    if (auto exit = ReadPassword(request, io, password)) return *exit;
    const ClearOnExit clear{password};

    InstallInterruptHandlers();
    if (options.output) return RunToOutput(options, password, io);
    if (options.recursive) return RunTree(options, password, io);

    const std::atomic<bool> compress{options.compress};
    Tally tally;
    for (const std::string& path : options.paths) {
        // A signal that came after the last file was done changes nothing about its success.
        if (InterruptRequested().load()) {
            tally.stopped = true;
            break;
        }
        Count(tally, ProcessInPlace(options, path, password, compress, io).result);
    }
    io.out << std::flush;
    return tally.ExitCode();
}

} // namespace zarkent::cli
