// zarkent-cli encrypt/decrypt -r: every file of folder trees, each beside itself.

#include <iostream>
#include <string>

#include "cli/FileOptions.h"
#include "cli/Interrupt.h"
#include "core/lang/Language.h"
#include "core/platform/KnownFolders.h"
#include "core/state/ProtectedFolders.h"
#include "core/state/TreeWalk.h"

namespace zarkent::cli {

namespace {

const char* SkipText(SkipReason reason) {
    switch (reason) {
    case SkipReason::Link:
        return "a symbolic link, which is never followed";
    case SkipReason::Fifo:
        return "a FIFO";
    case SkipReason::Socket:
        return "a socket";
    case SkipReason::Device:
        return "a device";
    case SkipReason::NotRegular:
        return "not a regular file";
    case SkipReason::OtherFileSystem:
        return "on another file system";
    case SkipReason::ProgramFolder:
        return "the program's own folder";
    case SkipReason::HomeFolder:
        return "your home folder";
    case SkipReason::SystemFolder:
        return "a system folder";
    case SkipReason::Loop:
        return "a folder met again below itself";
    case SkipReason::AlreadyEncrypted:
        return "already a .zrk file";
    }
    return "skipped";
}

class TreeWork : public TreeVisitor {
public:
    TreeWork(const FileOptions& options, const std::string& password, Streams io, Tally& tally)
        : options_(options), password_(password), io_(io), tally_(tally), compress_(options.compress) {}

    bool StopRequested() override { return InterruptRequested().load(); }

    std::string Work(const std::string& path) override {
        const FileWork work = ProcessInPlace(options_, path, password_, compress_, io_);
        Count(tally_, work.result);
        // A file whose source could not be removed still made its output.
        return work.output;
    }

    void Skipped(const std::string& path, SkipReason reason) override {
        io_.err << Printable(path) << ": skipped: " << SkipText(reason) << "\n";
        ++tally_.skipped;
    }

    void Failed(const std::string& path, const std::string& reason) override {
        io_.err << Printable(path) << ": " << Printable(reason) << "\n";
        ++tally_.failed;
    }

private:
    const FileOptions& options_;
    const std::string& password_;
    Streams io_;
    Tally& tally_;
    const std::atomic<bool> compress_;
};

} // namespace

int RunTree(const FileOptions& options, const std::string& password, Streams io) {
    TreeWalkRules rules;
    rules.encrypt = options.encrypt;
    rules.protectedFolders = CurrentProtectedFolders(RunningProgramFolder());
    // A protected folder given as a FOLDER refuses the whole command before anything is touched, as the
    // window refuses to start such a batch.
    for (const std::string& root : options.paths) {
        const FolderProtection protection =
            ProtectionOf(CanonicalPath(root).value_or(std::string()), rules.protectedFolders);
        if (protection == FolderProtection::None) continue;
        std::string text(EnglishText(ProtectionRow(protection)));
        if (const auto at = text.find("%1"); at != std::string::npos) text.replace(at, 2, Printable(root));
        io.err << "zarkent-cli: " << text << "\n";
        return ExitUsage;
    }

    Tally tally;
    TreeWork work(options, password, io, tally);
    for (const std::string& root : options.paths)
        if (WalkTree(root, rules, work) == WalkEnd::Stopped) {
            tally.stopped = true;
            break;
        }
    io.out << std::flush;
    io.err << tally.done << " done, " << tally.failed + tally.wrongPassword << " failed, " << tally.skipped
           << " skipped\n";
    return tally.ExitCode();
}

} // namespace zarkent::cli
