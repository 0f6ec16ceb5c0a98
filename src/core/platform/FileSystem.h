#pragma once

// Plain file operations with the safety rules of the program: outputs are created exclusively and
// never through a symbolic link, every read fills its buffer unless the file ends, every write is
// checked, and renames never replace an existing file. Errors are ZarkentError with a message that
// names the file and the system's reason.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/base/Error.h"

namespace zarkent {

enum class Access {
    Shared,    // ordinary file: 0666 less the umask; on Windows the folder's inherited permissions
    OwnerOnly, // holds plain data: 0600; on Windows only the current user has access
};

// What tells whether a name still leads to the very file that was read, unchanged: the file's
// device and number, its size, and its modification and change times.
// Whether overwriting a file in place reaches the blocks that held its contents: on a disk it does; in
// memory (tmpfs, ramfs) there is no device at all; on copy-on-write file systems (btrfs, ZFS, bcachefs)
// new data goes to new blocks, and through overlay, network (NFS, SMB/CIFS, Ceph, 9p, AFS) and FUSE file
// systems it cannot be known.
enum class OverwriteReach { Device, Memory, Elsewhere };

// The verdict for a Linux file system type number (statfs f_type); Device for any type not listed.
OverwriteReach OverwriteReachOfType(std::uint64_t type);

struct FileIdentity {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0, modifiedNanoseconds = 0;
    std::int64_t changedSeconds = 0, changedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

// How giving a file a name went: renaming or linking never replaces what the name held.
enum class RenameResult { Done, TargetExists, Failed };

class File {
public:
    File() = default;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    // Opens a regular file for reading; never through a symbolic link, never blocking on a FIFO.
    // Throws "Cannot open file "PATH". REASON" (for a link the reason names its target).
    static File OpenRead(const std::string& path);
    // Creates a new file; never replaces or follows an existing name. Throws "Cannot create file "PATH". REASON".
    static File CreateNew(const std::string& path, Access access);
    // The system's handle of an open file: a descriptor on POSIX, a HANDLE on Windows.
    using NativeHandle = std::intptr_t;
    static constexpr NativeHandle InvalidHandle = -1;
    // Takes over an open handle (a pipe, standard input); `name` is what messages call it.
    static File Adopt(NativeHandle handle, std::string name) { return File(handle, std::move(name)); }
    // A second handle to the process's standard input, read like a file; closing it leaves standard
    // input open. Throws "Cannot read standard input. REASON".
    static File StandardInput();
    // A second handle to the process's standard output, written like a file; closing it leaves standard
    // output open. Throws "Cannot write standard output. REASON".
    static File StandardOutput();
    // Opens a regular file for reading and writing, with the same refusals as OpenRead.
    static File OpenReadWrite(const std::string& path);
    // As CreateNew, but returns a closed File when the name is taken (by a file, folder or link).
    static File TryCreateNew(const std::string& path, Access access);
    // As TryCreateNew, and the new file is registered as a partial file (`registration`) before any
    // signal of the process can be handled: none can leave it behind unregistered. Throws when the
    // path cannot be registered (too long, or too many partial files at once).
    static File TryCreatePartial(const std::string& path, Access access, class PartialFile& registration);
    // A file that disappears when its last handle closes, however the process ends. On Linux it has no
    // name (O_TMPFILE, in the folder of `path`) until LinkAs gives it one; on Windows it is `path`
    // opened delete-on-close, which nothing can name. A closed File where the system or the file
    // system cannot make one: the caller then makes a named file. `path` is what messages call it.
    static File CreateTemporary(const std::string& path, Access access);
    // Whether LinkAs can name the files CreateTemporary makes (Linux, with /proc mounted).
    static bool TemporariesCanBeNamed();
    // Gives a file that CreateTemporary made the name `path`; never replaces anything (TargetExists
    // when the name is taken). On Failed, `reason` receives the system's text.
    RenameResult LinkAs(const std::string& path, std::string* reason = nullptr) const;

    bool IsOpen() const { return handle_ != InvalidHandle; }
    const std::string& Path() const { return path_; }

    // Reads until `size` bytes or the end of the file; returns the count read.
    std::size_t Read(void* buffer, std::size_t size);
    // The same from `offset`; several threads may read at once. Where the system moves the position
    // with such a read (Windows), it is unspecified afterwards: a file is read with ReadAt or with Read.
    std::size_t ReadAt(void* buffer, std::size_t size, std::int64_t offset) const;
    // Throws BrokenPipeError when the file is a pipe whose reader has closed it.
    void Write(const void* data, std::size_t size);
    std::int64_t Size() const;
    FileIdentity Identity() const;
    // How many names the file has.
    std::uint64_t LinkCount() const;
    // Whether any write permission bit is set (the file is not read-only).
    bool WritableByMode() const;
    // Whether the file lives in memory (tmpfs, ramfs), where nothing ever reaches a device.
    bool OnMemoryFileSystem() const;
    // Whether overwriting the file in place reaches the blocks that hold its contents (by the type of
    // its file system).
    OverwriteReach Reach() const;
    // Writes `count` copies of `block` one after another from `offset`; a failed or empty write throws.
    void WriteRepeatedAt(const void* block, std::size_t size, std::size_t count, std::int64_t offset);
    // The same, but false where the file system has no room (or the user's quota is used up) for what the
    // write needs; other failures throw. A write that ends past both the end of the file and the storage it
    // owns is announced to the test hook as FileEvent::Grow first.
    bool WriteRepeatedAtUnlessFull(const void* block, std::size_t size, std::size_t count, std::int64_t offset);
    // The bytes of storage the file owns (POSIX: st_blocks * 512), which can be more or less than its size.
    std::int64_t AllocatedSize() const;
    // The file system's allocation unit (POSIX: f_frsize): the least a write into owned storage covers.
    std::int64_t FragmentSize() const;
    // Flushes the contents (not the times) to the device.
    void DataSync();
    // Cuts the file to zero length.
    void Truncate();
    void Rewind();
    // The read and write position, and moving it.
    std::int64_t Position() const;
    void Seek(std::int64_t position);
    // Flushes the contents to the disk.
    void Sync();
    // Gives this file the permission bits, and where allowed the owner and group, of `other` (POSIX).
    // On Windows a no-op: ExchangeFiles keeps the replaced file's attributes and access list.
    void CopyPermissionsFrom(const File& other);
    void Close();

private:
    File(NativeHandle handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    [[noreturn]] void Fail(const char* what, int error) const;
    // One read of at most `want` bytes at the position (`at` < 0) or at `at`; 0 at the end of the file.
    std::size_t ReadSome(void* out, std::size_t want, std::int64_t at) const;
    int Fd() const { return static_cast<int>(handle_); } // the handle as a POSIX descriptor

    NativeHandle handle_ = InvalidHandle;
    std::string path_;
};

// A write to a pipe (standard output) whose reader has gone: the reader wants no more, so the writer
// ends quietly.
class BrokenPipeError : public ZarkentError {
public:
    explicit BrokenPipeError(const std::string& message) : ZarkentError(message, ErrorKind::FileSystem) {}
};

// The identity of what `path` names itself (a link is not followed); nothing when it is gone.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);

// One entry of a folder listing; a link is reported as a link, never followed.
struct FolderEntry {
    enum class Kind { RegularFile, Folder, Link, Other };
    std::string name;
    Kind kind;
};
// The entries of `folder` (without "." and ".."), hidden ones included, in no particular order.
// Throws "Cannot read folder "FOLDER". REASON".
std::vector<FolderEntry> ListFolder(const std::string& folder);

// True when `path` names an existing entry of any kind (a dangling link counts).
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
// `path` made absolute against the working folder, its bytes kept; links, "." and ".." stay as they are.
std::string AbsolutePath(const std::string& path);
// True when `path` leads (through links) to a regular file.
bool IsRegularFile(const std::string& path);
// Removes a file; false when it could not be removed (missing counts as removed), with the
// system's text in `reason`.
bool RemoveFile(const std::string& path, std::string* reason = nullptr);

// Renames without ever replacing `to`. On Failed, `reason` receives the system's text.
RenameResult RenameNoReplace(const std::string& from, const std::string& to, std::string* reason = nullptr);

// How ExchangeFiles went. Unsupported: the file system cannot replace a name in one step, and nothing
// was changed.
enum class ExchangeResult { Done, Unsupported, Failed };

// Puts the file named `replacement` under the name `target` in one step: `target` names, at every moment,
// either its old file or the new one, whole. Afterwards `*oldFile` receives the name of the old file:
// `replacement` where the names are exchanged (Linux: renameat2 with RENAME_EXCHANGE), `backup` where the
// system replaces with a backup (Windows: ReplaceFileW, which keeps the replaced file's attributes and
// access list). `backup` must be a free name in the same folder. On Failed or Unsupported both files keep
// their names (should the system fail half-way and the old file not go back, `reason` says where it is),
// and `reason` receives the system's text.
ExchangeResult ExchangeFiles(const std::string& target, const std::string& replacement, const std::string& backup,
                             std::string* oldFile, std::string* reason = nullptr);

// Flushes the folder entry of `path` (its creation, rename or removal) to the disk.
void SyncParentDirectory(const std::string& path);

// The text of an errno value (EACCES, EEXIST, ...), worded alike on every system.
std::string SystemErrorText(int error);

// A file that is still being written (an output, an intermediate, a temporary file), registered
// for as long as the object lives so that a process about to be ended by a signal can remove it.
// A path too long for the registry, or a full registry, is simply not registered.
class PartialFile {
public:
    PartialFile() = default;
    explicit PartialFile(const std::string& path);
    // Registers `path` or throws ZarkentError naming it, for a file that must not go unregistered.
    static PartialFile Required(const std::string& path);
    bool Registered() const { return slot_ >= 0; }
    PartialFile(PartialFile&& other) noexcept;
    PartialFile& operator=(PartialFile&& other) noexcept;
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;
    ~PartialFile();

private:
    int slot_ = -1;
};

// Removes every registered partial file. Async-signal-safe: only reads the registry and unlinks.
void RemovePartialFiles() noexcept;

// Seam for tests: each creation, positioned read, flush, cut to zero length, rename, link and removal
// is reported to the hook before it happens, with the path it concerns (a rename or link: its target).
// A hook that returns an errno value makes the operation fail with that error (CreateTemporary: as on
// a file system without such files). The hook runs on the thread doing the operation.
// Grow: a write that needs new storage for the file (returning ENOSPC or EDQUOT there acts as a full disk).
// Exchange: ExchangeFiles, with its target (returning EINVAL there acts as a file system that cannot).
enum class FileEvent {
    Create,
    SyncFile,
    SyncFolder,
    Rename,
    Remove,
    ReadAt,
    Truncate,
    Link,
    CreateTemporary,
    Grow,
    Exchange
};
using FileEventHook = std::function<int(FileEvent event, const std::string& path)>;
// An empty hook removes it.
void SetFileEventHook(FileEventHook hook);

} // namespace zarkent
