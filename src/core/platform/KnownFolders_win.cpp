#include "core/platform/KnownFolders.h"

#include "core/platform/Windows_win.h"

#include <knownfolders.h>
#include <shlobj.h>

namespace zarkent {

namespace {

std::optional<std::string> KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* known = nullptr;
    std::optional<std::string> folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &known)) && known && *known)
        folder = win::Narrow(known);
    if (known) ::CoTaskMemFree(known);
    return folder;
}

} // namespace

std::optional<std::string> CanonicalPath(const std::string& path) {
    if (path.empty()) return std::nullopt;
    // Opening the folder itself (backup semantics) follows every link and junction on the way; the
    // handle's final name is the path the system resolved.
    const win::HandleGuard handle(::CreateFileW(win::LongPath(path).c_str(), 0,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle.Get() == INVALID_HANDLE_VALUE) return std::nullopt;
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(handle.Get(), name.data(), static_cast<DWORD>(name.size()),
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return std::nullopt;
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        name.resize(length);
    }
    std::string shown = win::ShownPath(name);
    // "C:\" keeps its separator; every other folder loses a trailing one.
    while (shown.size() > 3 && (shown.back() == '\\' || shown.back() == '/'))
        shown.pop_back();
    return shown;
}

std::string HomeFolder() {
    return KnownFolder(FOLDERID_Profile).value_or(std::string());
}

std::string RunningProgramFolder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        name.resize(name.size() * 2);
    }
    const std::string program = CanonicalPath(win::Narrow(name)).value_or(win::Narrow(name));
    return program.substr(0, program.find_last_of("\\/") + 1);
}

std::vector<std::string> SystemFolders() {
    std::vector<std::string> folders;
    const KNOWNFOLDERID* const ids[] = {&FOLDERID_Windows, &FOLDERID_System, &FOLDERID_SystemX86,
                                        &FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86};
    for (const KNOWNFOLDERID* id : ids)
        if (std::optional<std::string> folder = KnownFolder(*id)) folders.push_back(std::move(*folder));
    return folders;
}

} // namespace zarkent
