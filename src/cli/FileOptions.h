#pragma once

// What encrypt and decrypt share between their three ways of working: beside each file (the default),
// into one output (-o FILE or -o -), and through folder trees (-r).

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "core/container/FileJob.h"

namespace zarkent::cli {

struct FileOptions {
    bool encrypt = false;
    bool compress = false;
    bool keep = false;
    bool recursive = false; // -r: the PATHs are folders whose trees are walked
    bool armour = false;    // --armor: the output is ASCII armour
    unsigned threads = 0;   // 0: one per core
    std::optional<std::string> passwordFile;
    std::optional<std::string> output;     // -o: a new file, or "-" for standard output
    std::optional<std::string> storedName; // --name: the name stored in the .zrk file
    std::vector<std::string> paths;        // "-": standard input
};

// How the files of a run went, and the exit status that follows: 1 when any failed for another reason
// than a wrong password or the run was stopped, else 3 when any password was wrong, else 0. Skipped
// entries (links, FIFOs, devices) are not failures.
struct Tally {
    std::size_t done = 0, wrongPassword = 0, failed = 0, skipped = 0;
    bool stopped = false;
    int ExitCode() const {
        return failed > 0 || stopped ? ExitFailure : wrongPassword > 0 ? ExitWrongPassword : ExitOk;
    }
};

enum class FileResult { Done, WrongPassword, Failed };
void Count(Tally& tally, FileResult result);

struct FileWork {
    FileResult result = FileResult::Failed;
    std::string output; // the file written beside the source, when done
};

// Encrypts or decrypts one file beside itself ("PATH.zrk", the stored name, "(n)" when taken), with a
// bar on a terminal; prints the output's name, or "PATH: reason" on standard error. The source goes
// after success unless options.keep.
FileWork ProcessInPlace(const FileOptions& options, const std::string& path, const std::string& password,
                        const std::atomic<bool>& compress, Streams io);

// -o: the one input (a file or "-") into the one output (a new file or "-").
int RunToOutput(const FileOptions& options, const std::string& password, Streams io);
// Whether the file at `path` holds ASCII armour (its begin line near the start, text before it).
bool IsArmouredFile(const std::string& path);
// Decrypts the armour in the file at `path` beside it, under its stored name ("(n)" when taken),
// written whole and flushed before it gets its name.
FileOutcome DecryptArmouredBeside(const std::string& path, const std::string& password);
// -r: every regular file of the trees under the PATHs, each beside itself.
int RunTree(const FileOptions& options, const std::string& password, Streams io);

} // namespace zarkent::cli
