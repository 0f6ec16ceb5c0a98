#include "gui/platform/DesktopEntries.h"

namespace zarkent {

#ifdef _WIN32

void DesktopEntries::FindFolders() {
    if (std::optional<std::string> folder = WindowsSendToFolder()) sendTo_ = std::move(folder);
}

std::string DesktopEntries::SendToFolder() const {
    return sendTo_.value_or(std::string());
}

// The registry part needs no folder: the user's classes key is always there.
ShellWriteResult DesktopEntries::WriteAssociation(const shell::ShellInput& input, const ShellWriteOptions&) const {
    return ApplyWindowsPlan(shell::WindowsAssociationPlan(input));
}

ShellWriteResult DesktopEntries::WriteSendTo(const shell::ShellInput& input, const ShellWriteOptions&) const {
    if (!sendTo_) return {{"The Send To folder was not found, so Zarkent cannot add its Send To entry."}, {}};
    return ApplyWindowsPlan(shell::WindowsSendToPlan(input, *sendTo_));
}

ShellWriteResult DesktopEntries::RemoveAll(const shell::ShellInput& input, const ShellWriteOptions&) const {
    // Without a Send To folder the registry part is still removed; the missing folder is said.
    ShellWriteResult result = ApplyWindowsPlan(shell::WindowsUnregisterPlan(input, SendToFolder()));
    if (!sendTo_)
        result.problems.insert(result.problems.begin(),
                               "The Send To folder was not found, so Zarkent cannot remove its Send To entry.");
    return result;
}

#else

namespace {
ShellWriteResult NoHomeFolder(const char* what) {
    return {{std::string("No home folder was found, so Zarkent cannot ") + what + " its desktop entries."}, {}};
}
} // namespace

void DesktopEntries::FindFolders() {
    if (std::optional<ShellFolders> folders = UserShellFolders()) folders_ = std::move(folders);
}

std::string DesktopEntries::SendToFolder() const {
    return folders_ ? folders_->data + "/Thunar/sendto" : std::string();
}

ShellWriteResult DesktopEntries::WriteAssociation(const shell::ShellInput& input,
                                                  const ShellWriteOptions& options) const {
    if (!folders_) return NoHomeFolder("add");
    return ApplyLinuxPlan(shell::LinuxAssociationPlan(input), *folders_, options);
}

ShellWriteResult DesktopEntries::WriteSendTo(const shell::ShellInput& input, const ShellWriteOptions& options) const {
    if (!folders_) return NoHomeFolder("add");
    return ApplyLinuxPlan(shell::LinuxSendToPlan(input), *folders_, options);
}

ShellWriteResult DesktopEntries::RemoveAll(const shell::ShellInput& input, const ShellWriteOptions& options) const {
    if (!folders_) return NoHomeFolder("remove");
    return ApplyLinuxPlan(shell::LinuxUnregisterPlan(input), *folders_, options);
}

#endif

} // namespace zarkent
