#include "core/state/ProtectedFolders.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "core/lang/Language.h"
#include "core/platform/KnownFolders.h"

namespace zarkent {

namespace {

bool IsSlash(char ch) {
#ifdef _WIN32
    return ch == '\\' || ch == '/';
#else
    return ch == '/';
#endif
}

// The path without trailing separators; a root ("/", "C:\") keeps its own.
std::string_view WithoutTrailingSeparators(std::string_view path) {
    while (path.size() > 1 && IsSlash(path.back())) {
#ifdef _WIN32
        if (path.size() == 3 && path[1] == ':') break;
#endif
        path.remove_suffix(1);
    }
    return path;
}

bool SameCharacter(char a, char b) {
#ifdef _WIN32
    if (IsSlash(a) && IsSlash(b)) return true;
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
#else
    return a == b;
#endif
}

std::string Resolved(const std::string& path) {
    if (path.empty()) return path;
    return CanonicalPath(path).value_or(path);
}

} // namespace

bool SameFolder(std::string_view a, std::string_view b) {
    a = WithoutTrailingSeparators(a);
    b = WithoutTrailingSeparators(b);
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameCharacter);
}

FolderProtection ProtectionOf(std::string_view folder, const ProtectedFolders& folders) {
    if (folder.empty()) return FolderProtection::None;
    if (!folders.programFolder.empty() && SameFolder(folder, folders.programFolder))
        return FolderProtection::ProgramFolder;
    if (!folders.homeFolder.empty() && SameFolder(folder, folders.homeFolder)) return FolderProtection::HomeFolder;
    for (const std::string& system : folders.systemFolders)
        if (!system.empty() && SameFolder(folder, system)) return FolderProtection::SystemFolder;
    return FolderProtection::None;
}

ProtectedFolders CurrentProtectedFolders(const std::string& programFolder) {
    ProtectedFolders folders;
    folders.programFolder = Resolved(programFolder);
    folders.homeFolder = Resolved(HomeFolder());
    for (const std::string& system : SystemFolders())
        folders.systemFolders.push_back(Resolved(system));
    return folders;
}

FolderProtection CheckBatchFolder(const std::string& folder, const std::string& programFolder) {
    return ProtectionOf(Resolved(folder), CurrentProtectedFolders(programFolder));
}

int ProtectionRow(FolderProtection protection) {
    switch (protection) {
    case FolderProtection::ProgramFolder:
        return kRowProtectedProgramFolder;
    case FolderProtection::HomeFolder:
        return kRowProtectedHomeFolder;
    case FolderProtection::SystemFolder:
    case FolderProtection::None:
        break;
    }
    return kRowProtectedSystemFolder;
}

} // namespace zarkent
