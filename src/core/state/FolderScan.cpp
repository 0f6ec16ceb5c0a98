#include "core/state/FolderScan.h"

#include <algorithm>
#include <cctype>

#include "core/container/Naming.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Paths.h"

namespace zarkent {

namespace {
bool MatchesMask(const std::string& name, const std::string& mask) {
    if (mask == "*.*" || mask == "*") return true;
    const std::string tail = mask.substr(1); // "*.zrk" -> ".zrk"
    if (name.size() < tail.size()) return false;
    return std::equal(
        tail.begin(), tail.end(), name.end() - static_cast<std::ptrdiff_t>(tail.size()), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        });
}
} // namespace

FolderScan ListFolderFiles(const std::string& folder, const std::string& mask, bool skipEncrypted) {
    std::vector<std::string> names;
    for (const FolderEntry& entry : ListFolder(folder))
        if (entry.kind == FolderEntry::Kind::RegularFile && MatchesMask(entry.name, mask) &&
            !(skipEncrypted && IsEncryptedFileName(entry.name)))
            names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    FolderScan scan;
    scan.count = static_cast<std::int32_t>(names.size());
    if (names.size() > MaxBatchFiles) names.resize(MaxBatchFiles);
    // One separator between folder and name, also when the folder already ends with one.
    const std::string prefix = !folder.empty() && IsPathSeparator(folder.back()) ? folder : folder + PreferredSeparator;
    scan.files.reserve(names.size());
    for (const std::string& name : names)
        scan.files.push_back(prefix + name);
    return scan;
}

bool HoldsOnlyEncryptedFiles(const std::string& folder) {
    try {
        bool any = false;
        for (const FolderEntry& entry : ListFolder(folder)) {
            if (entry.kind != FolderEntry::Kind::RegularFile) continue;
            if (!IsEncryptedFileName(entry.name)) return false;
            any = true;
        }
        return any;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace zarkent
