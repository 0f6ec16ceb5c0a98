// zarkent-cli encrypt/decrypt -o: one input into one output, through pipes or into a new file; and
// armoured files decrypted beside themselves.

#include <atomic>
#include <optional>
#include <ostream>

#include "cli/FileOptions.h"
#include "cli/Interrupt.h"
#include "cli/Progress.h"
#include "cli/StreamInput.h"
#include "cli/Terminal.h"
#include "core/base/Secure.h"
#include "core/container/Armour.h"
#include "core/container/Naming.h"
#include "core/container/PipeJob.h"
#include "core/lang/Language.h"

namespace zarkent::cli {

namespace {

void Write(File& output, std::string_view bytes) {
    output.Write(bytes.data(), bytes.size());
}

// The work of RunToOutput once both ends are open; false when cancelled.
bool Transfer(const FileOptions& options, const std::string& password, File& input, File& output,
              const std::string& storedName, const StreamContext& context) {
    const std::uint64_t size = SizeHint(input);
    if (options.encrypt && options.armour) {
        std::string contents = ReadRest(input, "", MaxArmouredTextSize);
        const std::string armour = EncodeArmour(EncryptBytes(password, storedName, contents, true));
        SecureClear(contents);
        Write(output, armour);
        return true;
    }
    if (options.encrypt) return EncryptStream(input, output, storedName, password, context, size);
    std::string head = ReadHead(input);
    if (StartsAsArmour(head)) {
        DecryptedBytes plain = DecryptArmoured(ReadRest(input, std::move(head), MaxPastedArmourSize), password);
        Write(output, plain.contents);
        SecureClear(plain.contents);
        return true;
    }
    const StreamResult result = DecryptStream(input, &output, password, context, size, head);
    SecureClear(head);
    return !result.cancelled;
}

} // namespace

int RunToOutput(const FileOptions& options, const std::string& password, Streams io) {
    const std::string& path = options.paths.front();
    const std::string& target = *options.output;
    std::string storedName;
    if (options.encrypt) {
        storedName = options.storedName ? *options.storedName : NamePart(path);
        // What a decryption would restore it as: a plain file name, nothing to walk out of its folder.
        if (options.storedName && SafeStoredName(storedName, "x") != storedName)
            return UsageError(io.err, "--name takes a plain file name, not '" + Printable(storedName) + "'");
    }
    std::optional<TerminalProgress> bar;
    const std::atomic<bool> compress{options.compress};
    StreamContext context;
    context.cancelRequested = &InterruptRequested();
    context.compressOption = &compress;
    context.compressionThreads = options.threads;

    Tally tally;
    try {
        // Refused before anything is read: the output is never replaced.
        if (target != "-" && PathExists(target))
            throw ZarkentError("Cannot create file \"" + target + "\". " + SystemErrorText(EEXIST),
                               ErrorKind::FileSystem);
        File input = OpenInput(path);
        if (StderrIsTerminal()) {
            bar.emplace(io.err, Printable(path), static_cast<std::int64_t>(SizeHint(input)));
            context.progress = &*bar;
        }
        bool finished = false;
        if (target == "-") {
            File output = File::StandardOutput();
            finished = Transfer(options, password, input, output, storedName, context);
        } else {
            NewFile output(target, options.encrypt ? Access::Shared : Access::OwnerOnly);
            finished = Transfer(options, password, input, output.Handle(), storedName, context);
            if (finished) output.Commit();
        }
        if (bar) bar->Finish();
        if (!finished) {
            io.err << Printable(path) << ": " << EnglishText(41) << "\n";
            tally.stopped = true;
        } else {
            Count(tally, FileResult::Done);
        }
    } catch (const BrokenPipeError&) {
        return ExitFailure; // the reader wants no more: nothing to say
    } catch (const std::exception& e) {
        if (bar) bar->Finish();
        Count(tally, ReportFailure(io, path, e));
    }
    return tally.ExitCode();
}

bool IsArmouredFile(const std::string& path) {
    try {
        File input = File::OpenRead(path);
        return StartsAsArmour(ReadHead(input));
    } catch (const std::exception&) {
        return false; // the decryption reports it
    }
}

FileOutcome DecryptArmouredBeside(const std::string& path, const std::string& password) {
    File input = File::OpenRead(path);
    FileOutcome outcome;
    outcome.sourceIdentity = input.Identity();
    DecryptedBytes plain = DecryptArmoured(ReadRest(input, "", MaxPastedArmourSize), password);
    const ClearOnExit clear{plain.contents};
    outcome.storedName = SafeStoredName(plain.storedName, path);
    outcome.compressed = plain.compressed;
    NewFile output(DirectoryPart(path), outcome.storedName, Access::OwnerOnly);
    Write(output.Handle(), plain.contents);
    outcome.output = output.Commit();
    return outcome;
}

} // namespace zarkent::cli
