#pragma once

// A folder read entry by entry, for walks through whole trees: nothing is listed ahead, so memory
// does not grow with the size of a folder. A folder is never opened through a symbolic link, and a
// subfolder is opened relative to the handle of the folder it was read from, so a folder replaced by a
// link while the walk is below it is refused rather than followed.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zarkent {

// What an entry is itself: a link is a link, never what it leads to. On Windows every reparse point
// that stands for another name (symbolic links, junctions, mounted volumes) is a link.
enum class EntryKind { RegularFile, Folder, Link, Fifo, Socket, Device, Other };

struct FolderItem {
    std::string name;
    EntryKind kind = EntryKind::Other;
    // The entry's own file system (st_dev; the volume serial number on Windows) and number on it.
    std::uint64_t device = 0, inode = 0;
    // Why the entry could not be looked at (it is then Other); empty when it could.
    std::string problem;
};

class FolderReader {
public:
    FolderReader() noexcept;
    FolderReader(FolderReader&& other) noexcept;
    FolderReader& operator=(FolderReader&& other) noexcept;
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;
    ~FolderReader();

    // Opens the folder `path` itself: a symbolic link (also with a trailing separator) is refused, not
    // followed, as is anything that is not a folder. Throws "Cannot read folder "PATH". REASON".
    static FolderReader Open(const std::string& path);
    // Opens the subfolder `name` of this folder through this folder's handle; `path` is what messages
    // call it. The same refusals and errors as Open.
    FolderReader OpenChild(const std::string& name, const std::string& path) const;

    bool IsOpen() const { return state_ != nullptr; }
    // What messages call the folder, and the folder's own file system and number.
    const std::string& Path() const;
    std::uint64_t Device() const;
    std::uint64_t Inode() const;

    // The next entry (never "." or ".."), nothing after the last. An entry removed between the listing
    // and the look at it is left out. Throws "Cannot read folder "PATH". REASON".
    std::optional<FolderItem> Next();

    // How many folders a walk may hold open at once: the process's handle limit less a margin for the
    // files it works on.
    static std::size_t OpenLimit();

    struct State; // the system's handles, defined by each system's own file
    explicit FolderReader(std::unique_ptr<State> state);

private:
    std::unique_ptr<State> state_;
};

} // namespace zarkent
