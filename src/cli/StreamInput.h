#pragma once

// What -o and test share: the one input read in order, armour recognised at its start, failures
// reported as "PATH: reason", and a new file that gets its name only once it is complete.

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "cli/Cli.h"
#include "cli/FileOptions.h"
#include "core/container/ZarkentStream.h"

namespace zarkent::cli {

// PATH opened for reading, or standard input for "-".
File OpenInput(const std::string& path);
// The bytes left in the input when it says (a regular file); 0 for a pipe or terminal.
std::uint64_t SizeHint(const File& input);
// The start of the input, long enough to find the begin line of armour (less only when it ends).
std::string ReadHead(File& input);
// `head` and the rest of the input; throws when the whole is over `limit` bytes.
std::string ReadRest(File& input, std::string head, std::size_t limit);
// The .zrk file inside armoured text, decrypted in memory (at most MaxArmouredTextSize bytes of contents).
DecryptedBytes DecryptArmoured(std::string_view text, std::string_view password);

// Prints "PATH: reason" on standard error (the window program's text for a wrong password) and
// returns how the file counts.
FileResult ReportFailure(Streams io, const std::string& path, const std::exception& error);

// A file written whole before it gets its name: without a name while it is written where the system
// can name it later (nothing of it outlives the process, however that ends), else created under its
// name, registered for the signal cleanup, and removed unless it was committed.
class NewFile {
public:
    // Exactly `path`, which must not exist and is never replaced.
    NewFile(const std::string& path, Access access);
    // The first free "(n)" candidate of folder + name (Naming.h).
    NewFile(const std::string& folder, const std::string& name, Access access);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    File& Handle() { return file_; }
    // The contents are complete: flushes them to the disk, names the file, flushes its folder, and
    // returns its path.
    std::string Commit();

private:
    void Create(Access access);

    std::string folder_, name_;
    bool numbered_ = false;
    File file_;
    std::string path_; // empty while the file has no name
    PartialFile registration_;
    bool committed_ = false;
};

} // namespace zarkent::cli
