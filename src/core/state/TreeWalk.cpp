#include "core/state/TreeWalk.h"

#include <unordered_set>
#include <utility>
#include <vector>

#include "core/container/Naming.h"
#include "core/platform/FileSystem.h"
#include "core/platform/FolderReader.h"
#include "core/platform/KnownFolders.h"
#include "core/platform/Paths.h"

namespace zarkent {

namespace {

struct Identity {
    std::uint64_t device, inode;
    bool operator==(const Identity&) const = default;
};

struct IdentityHash {
    std::size_t operator()(const Identity& id) const noexcept {
        return std::hash<std::uint64_t>()(id.inode * 0x9E3779B97F4A7C15ull ^ id.device);
    }
};

// One folder being read, and the outputs made in it that its reader may still hand out: a file made
// in a folder while it is read may or may not show up in the rest of the listing.
struct Level {
    FolderReader reader;
    std::string canonical; // the folder's path with every link resolved, for the protected folders
    std::unordered_set<Identity, IdentityHash> outputs;
};

std::string Join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && IsPathSeparator(folder.back())) return folder + name;
    return folder + PreferredSeparator + name;
}

SkipReason ReasonOf(FolderProtection protection) {
    switch (protection) {
    case FolderProtection::ProgramFolder:
        return SkipReason::ProgramFolder;
    case FolderProtection::HomeFolder:
        return SkipReason::HomeFolder;
    case FolderProtection::SystemFolder:
    case FolderProtection::None:
        break;
    }
    return SkipReason::SystemFolder;
}

} // namespace

WalkEnd WalkTree(const std::string& root, const TreeWalkRules& rules, TreeVisitor& visitor) {
    const std::size_t maxOpen = rules.maxOpenFolders ? rules.maxOpenFolders : FolderReader::OpenLimit();
    auto sameFileSystem = [&](std::uint64_t rootDevice, std::uint64_t device, const std::string& path) {
        return rules.sameFileSystem ? rules.sameFileSystem(rootDevice, device, path) : rootDevice == device;
    };

    if (visitor.StopRequested()) return WalkEnd::Stopped;
    std::vector<Level> levels;
    try {
        levels.push_back({FolderReader::Open(root), CanonicalPath(root).value_or(root), {}});
    } catch (const std::exception& e) {
        visitor.Failed(root, e.what());
        return WalkEnd::Finished;
    }
    if (const FolderProtection protection = ProtectionOf(levels.back().canonical, rules.protectedFolders);
        protection != FolderProtection::None) {
        visitor.Skipped(root, ReasonOf(protection));
        return WalkEnd::Finished;
    }
    const std::uint64_t rootDevice = levels.back().reader.Device();

    while (!levels.empty()) {
        if (visitor.StopRequested()) return WalkEnd::Stopped;
        Level& level = levels.back();
        std::optional<FolderItem> item;
        try {
            item = level.reader.Next();
        } catch (const std::exception& e) {
            // The rest of this folder cannot be read; the walk goes on with its parent.
            visitor.Failed(level.reader.Path(), e.what());
            levels.pop_back();
            continue;
        }
        if (!item) {
            levels.pop_back();
            continue;
        }
        const std::string path = Join(level.reader.Path(), item->name);
        if (!item->problem.empty()) {
            visitor.Failed(path, "Cannot read \"" + path + "\". " + item->problem);
            continue;
        }
        const Identity identity{item->device, item->inode};
        // One of the walk's own outputs: the listing hands each name out at most once.
        if (!level.outputs.empty() && item->inode != 0 && level.outputs.erase(identity) > 0) continue;

        switch (item->kind) {
        case EntryKind::Link:
            visitor.Skipped(path, SkipReason::Link);
            continue;
        case EntryKind::Fifo:
            visitor.Skipped(path, SkipReason::Fifo);
            continue;
        case EntryKind::Socket:
            visitor.Skipped(path, SkipReason::Socket);
            continue;
        case EntryKind::Device:
            visitor.Skipped(path, SkipReason::Device);
            continue;
        case EntryKind::Other:
            visitor.Skipped(path, SkipReason::NotRegular);
            continue;
        case EntryKind::Folder:
            break;
        case EntryKind::RegularFile: {
            const bool encrypted = IsEncryptedFileName(item->name);
            if (rules.encrypt && encrypted) {
                visitor.Skipped(path, SkipReason::AlreadyEncrypted);
                continue;
            }
            if (!rules.encrypt && !encrypted) continue; // decryption takes only .zrk files
            if (!sameFileSystem(rootDevice, item->device, path)) {
                visitor.Skipped(path, SkipReason::OtherFileSystem);
                continue;
            }
            const std::string output = visitor.Work(path);
            // Only an output the walk would take up or report has to be remembered: every output of an
            // encryption, and a decrypted file whose stored name ends in .zrk.
            if (!output.empty() && IsEncryptedFileName(NamePart(output)))
                if (const std::optional<FileIdentity> made = IdentityOfPath(output))
                    levels.back().outputs.insert({made->device, made->inode});
            continue;
        }
        }

        // A folder: protected ones, other file systems and loops are passed over whole.
        std::string canonical = Join(level.canonical, item->name);
        if (const FolderProtection protection = ProtectionOf(canonical, rules.protectedFolders);
            protection != FolderProtection::None) {
            visitor.Skipped(path, ReasonOf(protection));
            continue;
        }
        if (!sameFileSystem(rootDevice, item->device, path)) {
            visitor.Skipped(path, SkipReason::OtherFileSystem);
            continue;
        }
        bool loop = false;
        for (const Level& above : levels)
            loop = loop || (above.reader.Device() == item->device && above.reader.Inode() == item->inode);
        if (loop) {
            visitor.Skipped(path, SkipReason::Loop);
            continue;
        }
        if (levels.size() >= maxOpen) {
            visitor.Failed(path, "Cannot read folder \"" + path + "\". It is " + std::to_string(levels.size()) +
                                     " folders deep, more than can be open at once");
            continue;
        }
        FolderReader child;
        try {
            child = level.reader.OpenChild(item->name, path);
        } catch (const std::exception& e) {
            visitor.Failed(path, e.what());
            continue;
        }
        if (child.Device() != item->device || child.Inode() != item->inode) {
            visitor.Failed(path, "Cannot read folder \"" + path + "\". It was replaced while its folder was read");
            continue;
        }
        levels.push_back({std::move(child), std::move(canonical), {}});
    }
    return WalkEnd::Finished;
}

} // namespace zarkent
