#pragma once

// The program's desktop entries on the system it runs on: on Linux the desktop files below the user's
// XDG folders, on Windows the user's registry classes and Send To folder. The windows call these and
// never choose by system themselves.

#include <optional>
#include <string>

#include "core/platform/ShellWriter.h"
#include "core/shell/ShellPlan.h"

namespace zarkent {

class DesktopEntries {
public:
    // Looks the user's folders up again. Folders that cannot be found now leave the previous ones.
    void FindFolders();
    // Where the Send To entry goes (Thunar's sendto folder on Linux); empty while none is known.
    std::string SendToFolder() const;
    // The .zrk association and the folder entry in the input's language.
    ShellWriteResult WriteAssociation(const shell::ShellInput& input, const ShellWriteOptions& options) const;
    // The Send To entry under the name of the input's language.
    ShellWriteResult WriteSendTo(const shell::ShellInput& input, const ShellWriteOptions& options) const;

    // Removes what the program registered for this user, in every language: the association, the
    // folder entries and the Send To entries. The settings stay. (zarkent --unregister; on Windows the
    // uninstaller runs it.)
    ShellWriteResult RemoveAll(const shell::ShellInput& input, const ShellWriteOptions& options = {}) const;

private:
#ifdef _WIN32
    std::optional<std::string> sendTo_;
#else
    std::optional<ShellFolders> folders_;
#endif
};

} // namespace zarkent
