// zarkent-cli test: checks .zrk files (and armour) without writing anything.

#include <algorithm>
#include <atomic>
#include <optional>
#include <ostream>

#include "cli/FileOptions.h"
#include "cli/Interrupt.h"
#include "cli/Password.h"
#include "cli/Progress.h"
#include "cli/StreamInput.h"
#include "cli/Terminal.h"
#include "core/base/Secure.h"
#include "core/container/Armour.h"
#include "core/container/PipeJob.h"
#include "core/lang/Language.h"

namespace zarkent::cli {

namespace {

// Checks one file: the password, and for compressed contents their whole stream and its checksum.
FileResult TestOne(const std::string& path, const std::string& password, Streams io) {
    std::optional<TerminalProgress> bar;
    StreamContext context;
    context.cancelRequested = &InterruptRequested();
    try {
        File input = OpenInput(path);
        const std::uint64_t size = SizeHint(input);
        if (StderrIsTerminal()) {
            bar.emplace(io.err, Printable(path), static_cast<std::int64_t>(size));
            context.progress = &*bar;
        }
        std::string head = ReadHead(input);
        bool compressed = false;
        if (StartsAsArmour(head)) {
            DecryptedBytes plain = DecryptArmoured(ReadRest(input, std::move(head), MaxPastedArmourSize), password);
            SecureClear(plain.contents);
            compressed = plain.compressed;
        } else {
            const StreamResult result = DecryptStream(input, nullptr, password, context, size, head);
            SecureClear(head);
            if (result.cancelled) {
                if (bar) bar->Finish();
                io.err << Printable(path) << ": " << EnglishText(41) << "\n";
                return FileResult::Failed;
            }
            compressed = result.compressed;
        }
        if (bar) bar->Finish();
        io.out << Printable(path)
               << (compressed ? ": OK\n" : ": OK (password only; stored contents carry no checksum)\n");
        return FileResult::Done;
    } catch (const std::exception& e) {
        if (bar) bar->Finish();
        return ReportFailure(io, path, e);
    }
}

} // namespace

int RunTestCommand(const std::vector<std::string>& args, Streams io) {
    std::optional<std::string> passwordFile;
    std::vector<std::string> paths;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            paths.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--password-file") {
            if (i + 1 >= args.size()) return UsageError(io.err, "--password-file needs a file name");
            passwordFile = args[++i];
        } else {
            return UsageError(io.err, "unknown option '" + Printable(arg) + "'");
        }
    }
    if (paths.empty()) return UsageError(io.err, "no PATH given");
    const auto readsInput = std::count(paths.begin(), paths.end(), "-");
    if (readsInput > 1) return UsageError(io.err, "standard input ('-') can be read only once");
    if (readsInput > 0 && passwordFile == "-")
        return UsageError(io.err, "standard input cannot give both the password and the contents");

    std::string password;
    PasswordRequest request;
    request.file = passwordFile;
    if (auto exit = ReadPassword(request, io, password)) return *exit;
    const ClearOnExit clear{password};

    InstallInterruptHandlers();
    Tally tally;
    for (const std::string& path : paths) {
        if (InterruptRequested().load()) {
            tally.stopped = true;
            break;
        }
        Count(tally, TestOne(path, password, io));
    }
    io.out << std::flush;
    return tally.ExitCode();
}

} // namespace zarkent::cli
