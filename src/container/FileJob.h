#pragma once

// One file's encryption or decryption from start to end, with the file-safety rules every front end
// shares: outputs never replace anything, a failure or cancel removes the partial outputs and leaves
// the source untouched, and the result is on the disk before anyone removes the source.

#include <string>
#include <string_view>

#include "container/ZarkentStream.h"

namespace zarkent {

struct EncryptOutcome {
    std::string output; // the .zrk file written (empty when cancelled)
    bool cancelled = false;
};

struct DecryptOutcome {
    std::string output; // the restored file (empty when cancelled)
    std::string storedName;
    bool compressed = false;
    bool cancelled = false;
};

// Encrypts `source` into source + ".zrk" (or "(n)" + name + ".zrk") in the same folder.
EncryptOutcome EncryptOneFile(const std::string& source, std::string_view password, const StreamContext& context);

// Decrypts `encrypted` through an intermediate ".coz" file into the stored name in the same folder.
// When the final rename fails the error names the file left behind, which is then kept.
DecryptOutcome DecryptOneFile(const std::string& encrypted, std::string_view password, const StreamContext& context);

// Deletes the source of a finished job. Throws "Cannot delete file "PATH". REASON".
void RemoveSourceFile(const std::string& path);

} // namespace zarkent
