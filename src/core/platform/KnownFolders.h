#pragma once

// Where a folder path really leads, and the folders of the system and the user that batches keep
// away from.

#include <optional>
#include <string>
#include <vector>

namespace zarkent {

// The absolute path of the entry `path` names, with every link resolved (also a link in its last
// component), "." and ".." gone and no trailing separator except on a root ("/", "C:\"). Nothing
// when it cannot be resolved (missing, no access).
std::optional<std::string> CanonicalPath(const std::string& path);

// The user's home folder: $HOME (or the password database) on Linux, the profile folder on
// Windows; empty when unknown.
std::string HomeFolder();

// The folder of the running program's own file, its links resolved; empty when unknown.
std::string RunningProgramFolder();

// The system's folders, as the system names them: on Linux the root and its program, boot, device,
// configuration, library and kernel folders; on Windows the Windows, System and Program Files
// folders (and their 32-bit counterparts) as the shell reports them for this installation.
std::vector<std::string> SystemFolders();

} // namespace zarkent
