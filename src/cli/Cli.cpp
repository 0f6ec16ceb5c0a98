#include "cli/Cli.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/Terminal.h"
#include "container/FileJob.h"
#include "lang/Language.h"

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

// Set by SIGINT/SIGTERM: the running file stops at its next chunk and its partial output is removed.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
    interrupted.store(true);
}

struct Options {
    bool encrypt = false;
    bool compress = false;
    bool keep = false;
    std::optional<std::string> passwordFile;
    std::vector<std::string> paths;
};

// Bar with percentage and speed on standard error (only used on a terminal).
class TerminalProgress : public ProgressSink {
public:
    TerminalProgress(std::ostream& err, std::string label, std::int64_t size)
        : err_(err), label_(std::move(label)), size_(size), start_(std::chrono::steady_clock::now()) {}
    void SetMaximum(int maximum) override { maximum_ = maximum > 0 ? maximum : 100; }
    void SetPosition(int position) override {
        position_ = position;
        status_.clear();
        Draw();
    }
    void SetStatus(const std::string& text) override {
        status_ = text;
        Draw();
    }
    void Finish() {
        if (drawn_) err_ << "\n" << std::flush;
    }

private:
    void Draw() {
        constexpr int width = 30;
        const int filled = std::min(width, position_ * width / maximum_);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        const double done = static_cast<double>(size_) * position_ / maximum_;
        char speed[32];
        std::snprintf(speed, sizeof speed, "%.1f MB/s", seconds > 0 ? done / seconds / 1e6 : 0.0);
        err_ << "\r" << label_ << " [" << std::string(filled, '#') << std::string(width - filled, '.') << "] ";
        if (status_.empty())
            err_ << position_ << "%  " << speed << "   ";
        else
            err_ << status_ << "   ";
        err_ << std::flush;
        drawn_ = true;
    }

    std::ostream& err_;
    std::string label_;
    std::int64_t size_;
    std::chrono::steady_clock::time_point start_;
    int maximum_ = 100;
    int position_ = 0;
    std::string status_;
    bool drawn_ = false;
};

std::int64_t SizeOf(const std::string& path) {
    try {
        return File::OpenRead(path).Size();
    } catch (const std::exception&) {
        return 0;
    }
}

std::string FirstLine(std::istream& stream) {
    std::string line;
    std::getline(stream, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

} // namespace

int Run(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err) {
    // A file-size limit must fail the write (and remove the partial output), not kill the process.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    auto usage = [&](const std::string& problem) {
        if (!problem.empty()) err << "zarkent-cli: " << problem << "\n";
        err << UsageText;
        return ExitUsage;
    };
    if (args.empty()) return usage("no command given");
    if (args[0] == "--help" || args[0] == "-h") {
        out << UsageText << HelpText;
        return ExitOk;
    }
    if (args[0] == "--version") {
        out << "zarkent-cli " << ZARKENT_VERSION << "\n";
        return ExitOk;
    }

    Options options;
    if (args[0] == "encrypt")
        options.encrypt = true;
    else if (args[0] != "decrypt")
        return usage("unknown command '" + args[0] + "'");
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.paths.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--compress" && options.encrypt) {
            options.compress = true;
        } else if (arg == "--keep") {
            options.keep = true;
        } else if (arg == "--password-file") {
            if (i + 1 >= args.size()) return usage("--password-file needs a file name");
            options.passwordFile = args[++i];
        } else {
            return usage("unknown option '" + arg + "'");
        }
    }
    if (options.paths.empty()) return usage("no PATH given");

    std::string password;
    if (options.passwordFile) {
        if (*options.passwordFile == "-") {
            password = FirstLine(in);
        } else {
            std::ifstream file(*options.passwordFile, std::ios::binary);
            if (!file) {
                err << "zarkent-cli: cannot read the password file \"" << *options.passwordFile << "\"\n";
                return ExitFailure;
            }
            password = FirstLine(file);
        }
    } else {
        auto first = AskPassword("Password: ");
        if (!first) return usage("no terminal to ask the password on; use --password-file");
        if (options.encrypt) {
            auto second = AskPassword("Password again: ");
            if (!second || *second != *first) {
                err << "zarkent-cli: " << EnglishText(52) << "\n";
                return ExitFailure;
            }
        }
        password = *first;
    }

    // The first Ctrl-C stops the running file cleanly; a second one ends the program at once.
    struct sigaction interrupt {};
    interrupt.sa_handler = OnInterrupt;
    interrupt.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &interrupt, nullptr);
    ::sigaction(SIGTERM, &interrupt, nullptr);
    const std::atomic<bool> compress{options.compress};
    const bool showProgress = StderrIsTerminal();

    bool otherFailure = false, wrongPassword = false;
    for (const std::string& path : options.paths) {
        if (interrupted.load()) break;
        std::optional<TerminalProgress> bar;
        StreamContext context;
        if (showProgress) {
            bar.emplace(err, path, SizeOf(path));
            context.progress = &*bar;
        }
        context.cancelRequested = &interrupted;
        context.compressOption = &compress;
        context.durable = !options.keep; // the flush is what makes removing the source safe
        try {
            std::string output;
            bool cancelled;
            if (options.encrypt) {
                const EncryptOutcome outcome = EncryptOneFile(path, password, context);
                output = outcome.output;
                cancelled = outcome.cancelled;
            } else {
                const DecryptOutcome outcome = DecryptOneFile(path, password, context);
                output = outcome.output;
                cancelled = outcome.cancelled;
            }
            if (bar) bar->Finish();
            if (cancelled) {
                err << path << ": " << EnglishText(41) << "\n";
                otherFailure = true;
                continue;
            }
            if (!options.keep) RemoveSourceFile(path);
            out << output << "\n";
        } catch (const std::exception& e) {
            if (bar) bar->Finish();
            if (IsWrongPassword(e)) {
                err << path << ": " << EnglishText(99) << "\n";
                wrongPassword = true;
            } else {
                err << path << ": " << e.what() << "\n";
                otherFailure = true;
            }
        }
    }
    out << std::flush;
    if (otherFailure || interrupted.load()) return ExitFailure;
    return wrongPassword ? ExitWrongPassword : ExitOk;
}

} // namespace zarkent::cli
