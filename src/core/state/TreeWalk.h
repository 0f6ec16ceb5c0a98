#pragma once

// A walk through a folder tree for encrypting or decrypting every file in it, each beside itself.
// Depth first, with one open folder per level and nothing listed ahead, so memory grows with the depth
// of the tree, not with its size. Only regular files are worked on; links are never followed; the walk
// stays on the file system of its root (as find -xdev) and keeps out of the protected folders; the
// outputs it makes are never taken up again.

#include <cstdint>
#include <functional>
#include <string>

#include "core/state/ProtectedFolders.h"

namespace zarkent {

// Why an entry is passed over.
enum class SkipReason {
    Link,
    Fifo,
    Socket,
    Device,
    NotRegular,      // any other kind of entry
    OtherFileSystem, // a mount point (or a file mounted over a name) below the root
    ProgramFolder,   // the protected folders, with everything below them
    HomeFolder,
    SystemFolder,
    Loop,             // a folder met again below itself (a bind mount)
    AlreadyEncrypted, // a .zrk file, when encrypting
};

struct TreeWalkRules {
    bool encrypt = true; // encrypt every file but .zrk files; else decrypt the .zrk files only
    ProtectedFolders protectedFolders;
    // How many folders may be open at once; a folder deeper than that is reported as a failure.
    std::size_t maxOpenFolders = 0; // 0: FolderReader::OpenLimit()
    // Whether an entry of file system `device` at `path` is on the root's (`rootDevice`); by default
    // the numbers are compared.
    std::function<bool(std::uint64_t rootDevice, std::uint64_t device, const std::string& path)> sameFileSystem;
};

class TreeVisitor {
public:
    virtual ~TreeVisitor() = default;
    // Asked before each entry: true ends the walk.
    virtual bool StopRequested() = 0;
    // Encrypts or decrypts the file at `path`; returns the path of the output it made beside it ("" for
    // none), which the walk then never takes up.
    virtual std::string Work(const std::string& path) = 0;
    virtual void Skipped(const std::string& path, SkipReason reason) = 0;
    // Something that should have been walked or worked on could not be: `reason` says why.
    virtual void Failed(const std::string& path, const std::string& reason) = 0;
};

enum class WalkEnd { Finished, Stopped };

// Walks the tree of the folder `root` (a link or anything else but a folder is a failure, reported
// through the visitor). Protected roots are the caller's to refuse; here one is skipped.
WalkEnd WalkTree(const std::string& root, const TreeWalkRules& rules, TreeVisitor& visitor);

} // namespace zarkent
