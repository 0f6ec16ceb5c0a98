#pragma once

// The folders a batch never processes: the program's own folder, the user's home folder and the
// system's folders. Each is protected itself, not the folders below it, and is compared by where
// it really leads, so that a trailing separator or a link makes no difference.

#include <string>
#include <string_view>
#include <vector>

namespace zarkent {

enum class FolderProtection { None, ProgramFolder, HomeFolder, SystemFolder };

// The protected folders, each in canonical form (links resolved); an empty entry protects nothing.
struct ProtectedFolders {
    std::string programFolder;
    std::string homeFolder;
    std::vector<std::string> systemFolders;
};

// Whether two canonical paths name the same folder: trailing separators do not count; on Windows
// neither do letter case and the kind of separator.
bool SameFolder(std::string_view a, std::string_view b);

// Why the folder with canonical path `folder` is protected, or None.
FolderProtection ProtectionOf(std::string_view folder, const ProtectedFolders& folders);

// The language row of the message that refuses a folder for `protection` (not None).
int ProtectionRow(FolderProtection protection);

// The protected folders of this system and user, for a program in `programFolder`, resolved by the
// platform. A folder that cannot be resolved is kept as given.
ProtectedFolders CurrentProtectedFolders(const std::string& programFolder);

// Why `folder` (any spelling, links allowed) may not be processed by a batch of the program in
// `programFolder`, or None.
FolderProtection CheckBatchFolder(const std::string& folder, const std::string& programFolder);

} // namespace zarkent
