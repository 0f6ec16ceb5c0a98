#pragma once

// The folder scan of the batch jobs: the files of one folder (not its subfolders), in name order.

#include <cstdint>
#include <string>
#include <vector>

namespace zarkent {

inline constexpr std::size_t MaxBatchFiles = 10000;

struct FolderScan {
    std::vector<std::string> files; // folder + name, at most MaxBatchFiles
    std::int32_t count = 0;         // every file that matched, also those past the limit
};

// Lists the regular files of `folder` (hidden ones included) whose names match `mask`: "*.*" takes
// every name, "*.ext" the names ending in ".ext" in any letter case, as the Windows masks do. Links
// are never followed (a link is skipped), and neither are devices, FIFOs and sockets, which cannot
// be encrypted. Each path is the folder, one separator and the name. Throws when the folder cannot be read.
// With `skipEncrypted` (the scan of an encryption batch) names that end in ".zrk" are left out, so that a
// second run over a folder never encrypts a finished file again.
FolderScan ListFolderFiles(const std::string& folder, const std::string& mask, bool skipEncrypted = false);

// Whether `folder` holds at least one regular file and every regular file in it (not in its subfolders)
// is a .zrk file; false when it cannot be read.
bool HoldsOnlyEncryptedFiles(const std::string& folder);

} // namespace zarkent
