// zarkent-cli encrypt and decrypt: options, the password, and the files one by one.

#include <atomic>
#include <charconv>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/Interrupt.h"
#include "cli/Progress.h"
#include "cli/Terminal.h"
#include "core/base/Secure.h"
#include "core/container/FileJob.h"
#include "core/container/ZlibStreams.h"
#include "core/lang/Language.h"

namespace zarkent::cli {

namespace {

struct FileOptions {
    bool encrypt = false;
    bool compress = false;
    bool keep = false;
    unsigned threads = 0; // 0: one per core
    std::optional<std::string> passwordFile;
    std::vector<std::string> paths;
};

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
            if (i + 1 >= args.size()) return "--threads needs a number";
            const std::string& text = args[++i];
            unsigned value = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > MaxDeflateThreads)
                return "--threads takes a number from 1 to " + std::to_string(MaxDeflateThreads);
            options.threads = value;
        } else if (arg == "--keep") {
            options.keep = true;
        } else if (arg == "--password-file") {
            if (i + 1 >= args.size()) return "--password-file needs a file name";
            options.passwordFile = args[++i];
        } else {
            return "unknown option '" + arg + "'";
        }
    }
    return options.paths.empty() ? "no PATH given" : "";
}

std::string FirstLine(std::istream& stream) {
    std::string line;
    std::getline(stream, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

// The password from the file, standard input or the terminal (twice when encrypting); an exit code
// when there is none.
std::optional<int> ReadPassword(const FileOptions& options, Streams io, std::string& password) {
    if (options.passwordFile) {
        if (*options.passwordFile == "-") {
            password = FirstLine(io.in);
            return std::nullopt;
        }
        std::ifstream file(*options.passwordFile, std::ios::binary);
        if (!file) {
            io.err << "zarkent-cli: cannot read the password file \"" << *options.passwordFile << "\"\n";
            return ExitFailure;
        }
        password = FirstLine(file);
        return std::nullopt;
    }
    auto first = AskPassword("Password: ");
    if (!first) return UsageError(io.err, "no terminal to ask the password on; use --password-file");
    if (options.encrypt) {
        auto second = AskPassword("Password again: ");
        const bool same = second && *second == *first;
        if (second) SecureClear(*second);
        if (!same) {
            SecureClear(*first);
            io.err << "zarkent-cli: " << EnglishText(52) << "\n";
            return ExitFailure;
        }
    }
    password = std::move(*first);
    return std::nullopt;
}

std::int64_t SizeOf(const std::string& path) {
    try {
        return File::OpenRead(path).Size();
    } catch (const std::exception&) {
        return 0;
    }
}

enum class FileResult { Done, WrongPassword, Failed };

FileResult ProcessOne(const FileOptions& options, const std::string& path, const std::string& password,
                      const std::atomic<bool>& compress, Streams io) {
    std::optional<TerminalProgress> bar;
    StreamContext context;
    if (StderrIsTerminal()) {
        bar.emplace(io.err, Printable(path), SizeOf(path));
        context.progress = &*bar;
    }
    context.cancelRequested = &InterruptRequested();
    context.compressOption = &compress;
    context.durable = !options.keep; // the flush is what makes removing the source safe
    context.compressionThreads = options.threads;
    try {
        const FileOutcome outcome =
            options.encrypt ? EncryptOneFile(path, password, context) : DecryptOneFile(path, password, context);
        if (bar) bar->Finish();
        if (outcome.cancelled) {
            io.err << Printable(path) << ": " << EnglishText(41) << "\n";
            return FileResult::Failed;
        }
        if (!options.keep) RemoveSource(path, outcome);
        io.out << Printable(outcome.output) << "\n";
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

int RunFileCommand(bool encrypt, const std::vector<std::string>& args, Streams io) {
    FileOptions options;
    options.encrypt = encrypt;
    if (std::string problem = ParseOptions(args, options); !problem.empty()) return UsageError(io.err, problem);

    std::string password;
    if (auto exit = ReadPassword(options, io, password)) return *exit;

    InstallInterruptHandlers();
    const std::atomic<bool> compress{options.compress};
    bool otherFailure = false, wrongPassword = false;
    std::size_t processed = 0;
    for (const std::string& path : options.paths) {
        if (InterruptRequested().load()) break;
        ++processed;
        switch (ProcessOne(options, path, password, compress, io)) {
        case FileResult::Done:
            break;
        case FileResult::WrongPassword:
            wrongPassword = true;
            break;
        case FileResult::Failed:
            otherFailure = true;
            break;
        }
    }
    SecureClear(password);
    io.out << std::flush;
    // A signal that came after the last file was done changes nothing about its success.
    if (otherFailure || processed < options.paths.size()) return ExitFailure;
    return wrongPassword ? ExitWrongPassword : ExitOk;
}

} // namespace zarkent::cli
