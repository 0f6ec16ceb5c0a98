#pragma once

// One file's encryption or decryption from start to end, with the file-safety rules every front end
// shares: outputs never replace anything, a failure or cancel removes the partial outputs and leaves
// the source untouched, and the result is on the disk before anyone removes the source.

#include <string>
#include <string_view>

#include "core/container/ZarkentStream.h"

namespace zarkent {

// What one file's encryption or decryption left behind.
struct FileOutcome {
    std::string output;      // the file written (empty when cancelled)
    std::string storedName;  // decryption: the name read from the .zrk file, made plain
    bool compressed = false; // decryption: the contents were compressed
    bool cancelled = false;
    bool encrypted = false;      // the work was an encryption
    FileIdentity sourceIdentity; // the source as it was opened
};
using EncryptOutcome = FileOutcome;
using DecryptOutcome = FileOutcome;

// Encrypts `source` into source + ".zrk" (or "(n)" + name + ".zrk") in the same folder.
EncryptOutcome EncryptOneFile(const std::string& source, std::string_view password, const StreamContext& context);

// Decrypts `encrypted` through an intermediate ".coz" file into the stored name in the same folder.
// When the final rename fails the error names the file left behind, which is then kept.
DecryptOutcome DecryptOneFile(const std::string& encrypted, std::string_view password, const StreamContext& context);

// Deletes the source of a finished job, whose output is complete and on the disk, provided its name
// still leads to the very file that was read and that file is unchanged; otherwise it stays and
// the error says so. Throws also "Cannot delete file "PATH". REASON".
void RemoveSource(const std::string& source, const FileOutcome& outcome);

} // namespace zarkent
