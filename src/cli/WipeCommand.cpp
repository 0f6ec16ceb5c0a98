// zarkent-cli wipe: overwrites files with the secure-deletion patterns and deletes them.

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/Interrupt.h"
#include "cli/Progress.h"
#include "cli/Terminal.h"
#include "core/platform/FileSystem.h"
#include "core/state/SharedState.h"
#include "core/wipe/DosyaSilici.h"

namespace zarkent::cli {

namespace {

bool WipeOne(const std::string& path, int method, Streams io) {
    std::optional<TerminalProgress> bar;
    WipeHooks hooks;
    // Ctrl-C (SIGINT, SIGTERM) stops the wipe after the group being written; the file keeps its name.
    hooks.stop = &InterruptRequested();
    if (StderrIsTerminal()) {
        bar.emplace(io.err, Printable(path), SizeForProgress(path) * WipePasses(method));
        bar->SetMaximum(100);
        hooks.blockWritten = [&, shown = -1](int pattern, std::int64_t) mutable {
            const int percent = State().WipePercent.load();
            if (pattern == 3 && percent != shown) bar->SetPosition(shown = percent);
        };
    }
    try {
        const auto wiper = std::make_unique<TDosyaSilici>(path, static_cast<std::uint8_t>(method), hooks);
        if (bar) bar->Finish();
        io.out << Printable(path) << "\n";
        if (wiper->FReach == OverwriteReach::Memory)
            io.err << Printable(path)
                   << ": the file was on a memory file system (tmpfs): it was deleted, but no "
                      "overwrite ever reached a disk\n";
        if (wiper->FReach == OverwriteReach::Elsewhere)
            io.err << Printable(path)
                   << ": the file was on a file system where overwriting does not reach its old blocks, or cannot "
                      "be known to (copy-on-write such as btrfs, ZFS or bcachefs, network, overlay or FUSE): it was "
                      "deleted, but its old contents may remain on the device\n";
        return true;
    } catch (const std::exception& e) {
        if (bar) bar->Finish();
        io.err << Printable(path) << ": " << Printable(e.what()) << "\n";
        return false;
    }
}

} // namespace

int RunWipeCommand(const std::vector<std::string>& args, Streams io) {
    int method = 2; // 7 passes, as the secure-deletion window starts
    std::vector<std::string> paths;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            paths.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--method") {
            if (i + 1 >= args.size()) return UsageError(io.err, "--method needs a number from 0 to 6");
            const std::string& value = args[++i];
            if (value.size() != 1 || value[0] < '0' || value[0] > '6')
                return UsageError(io.err, "--method needs a number from 0 to 6, not '" + value + "'");
            method = value[0] - '0';
        } else {
            return UsageError(io.err, "unknown option '" + arg + "'");
        }
    }
    if (paths.empty()) return UsageError(io.err, "no FILE given");
    InstallInterruptHandlers();
    bool failed = false;
    for (const std::string& path : paths) {
        // After a stop the files not yet begun are left alone.
        if (InterruptRequested().load()) break;
        failed |= !WipeOne(path, method, io);
    }
    failed |= InterruptRequested().load();
    io.out << std::flush;
    return failed ? ExitFailure : ExitOk;
}

} // namespace zarkent::cli
