#include "core/platform/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/uio.h>
#include <unistd.h>
#include <utility>

#include "core/base/Error.h"
#include "core/platform/FileSystemDetail.h"
#include "core/platform/Paths.h"
#include "core/platform/Signals.h"

namespace zarkent {

using detail::Announce;
using detail::ReadUntilFullOrEnd;

std::string SystemErrorText(int error) {
    char buffer[256];
    // GNU strerror_r returns the text; it may or may not use the buffer.
    const char* text = strerror_r(error, buffer, sizeof buffer);
    return text;
}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, InvalidHandle)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (IsOpen()) ::close(Fd());
        handle_ = std::exchange(other.handle_, InvalidHandle);
        path_ = std::move(other.path_);
    }
    return *this;
}

File::~File() {
    if (IsOpen()) ::close(Fd());
}

void File::Fail(const char* what, int error) const {
    throw ZarkentError(std::string(what) + " \"" + path_ + "\". " + SystemErrorText(error), ErrorKind::FileSystem);
}

namespace {
[[noreturn]] void CannotOpen(const std::string& path, const std::string& reason) {
    throw ZarkentError("Cannot open file \"" + path + "\". " + reason, ErrorKind::FileSystem);
}

const char* KindName(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

FileIdentity IdentityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev),         static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size),         static_cast<std::int64_t>(info.st_mtim.tv_sec),
            static_cast<std::int64_t>(info.st_mtim.tv_nsec), static_cast<std::int64_t>(info.st_ctim.tv_sec),
            static_cast<std::int64_t>(info.st_ctim.tv_nsec)};
}
} // namespace

namespace {
// Opens an existing regular file: not through a link, without blocking on a FIFO, the kind checked
// on the handle before anything is read or written.
int OpenExisting(const std::string& path, int access) {
    int fd;
    do
        fd = ::open(path.c_str(), access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        struct stat link {};
        if (error == ELOOP && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            std::string target(4096, '\0');
            const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
            target.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
            CannotOpen(path, "It is a symbolic link to \"" + target + "\"; choose that file itself");
        }
        CannotOpen(path, SystemErrorText(error));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        CannotOpen(path, SystemErrorText(error));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        if (S_ISDIR(info.st_mode)) CannotOpen(path, SystemErrorText(EISDIR));
        CannotOpen(path, std::string("It is ") + KindName(info.st_mode) + ", not a regular file");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}
} // namespace

File File::OpenRead(const std::string& path) {
    return File(OpenExisting(path, O_RDONLY), path);
}

File File::OpenReadWrite(const std::string& path) {
    return File(OpenExisting(path, O_RDWR), path);
}

std::uint64_t File::LinkCount() const {
    struct stat info {};
    if (::fstat(Fd(), &info) != 0) Fail("Cannot read file", errno);
    return static_cast<std::uint64_t>(info.st_nlink);
}

bool File::WritableByMode() const {
    struct stat info {};
    if (::fstat(Fd(), &info) != 0) Fail("Cannot read file", errno);
    return (info.st_mode & 0222) != 0;
}

bool File::OnMemoryFileSystem() const {
    struct statfs info {};
    if (::fstatfs(Fd(), &info) != 0) return false;
    return info.f_type == TMPFS_MAGIC || info.f_type == RAMFS_MAGIC;
}

bool File::WriteRepeatedAtUnlessFull(const void* block, std::size_t size, std::size_t count, std::int64_t offset) {
    auto full = [](int error) { return error == ENOSPC || error == EDQUOT; };
    // Only a write past both the end and the storage the file owns needs new space.
    if (offset + static_cast<std::int64_t>(count * size) > std::max(Size(), AllocatedSize())) {
        if (const int error = Announce(FileEvent::Grow, path_)) {
            if (full(error)) return false;
            Fail("Cannot write file", error);
        }
    }
    // One call writes many copies: every slot of the vector points at the same block.
    constexpr std::size_t maxSlots = 256;
    iovec slots[maxSlots];
    for (iovec& slot : slots)
        slot = {const_cast<void*>(block), size};
    const auto* bytes = static_cast<const char*>(block);
    auto position = [&](std::size_t copy, std::size_t within) {
        return static_cast<off_t>(offset + static_cast<std::int64_t>(copy * size + within));
    };
    std::size_t done = 0; // whole copies written
    while (done < count) {
        const ssize_t n = ::pwritev(Fd(), slots, static_cast<int>(std::min(maxSlots, count - done)), position(done, 0));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && full(errno)) return false;
        if (n < 0) Fail("Cannot write file", errno);
        if (n == 0) return false;
        done += static_cast<std::size_t>(n) / size;
        // A short write stopped inside a copy: finish that copy before going on.
        for (std::size_t within = static_cast<std::size_t>(n) % size; within != 0 && within < size;) {
            const ssize_t m = ::pwrite(Fd(), bytes + within, size - within, position(done, within));
            if (m < 0 && errno == EINTR) continue;
            if (m < 0 && full(errno)) return false;
            if (m < 0) Fail("Cannot write file", errno);
            if (m == 0) return false;
            within += static_cast<std::size_t>(m);
            if (within == size) ++done;
        }
    }
    return true;
}

void File::WriteRepeatedAt(const void* block, std::size_t size, std::size_t count, std::int64_t offset) {
    if (!WriteRepeatedAtUnlessFull(block, size, count, offset)) Fail("Cannot write file", ENOSPC);
}

std::int64_t File::AllocatedSize() const {
    struct stat info {};
    if (::fstat(Fd(), &info) != 0) Fail("Cannot read file", errno);
    return static_cast<std::int64_t>(info.st_blocks) * 512;
}

std::int64_t File::FragmentSize() const {
    struct statfs info {};
    if (::fstatfs(Fd(), &info) != 0 || info.f_frsize <= 0) return 512;
    return static_cast<std::int64_t>(info.f_frsize);
}

OverwriteReach File::Reach() const {
    struct statfs info {};
    // A file system that cannot be asked is taken for a disk, as before the question existed.
    if (::fstatfs(Fd(), &info) != 0) return OverwriteReach::Device;
    return OverwriteReachOfType(static_cast<std::uint64_t>(info.f_type));
}

void File::DataSync() {
    if (const int error = Announce(FileEvent::SyncFile, path_)) Fail("Cannot write file", error);
    if (::fdatasync(Fd()) != 0) Fail("Cannot write file", errno);
}

void File::Truncate() {
    if (const int error = Announce(FileEvent::Truncate, path_)) Fail("Cannot write file", error);
    if (::ftruncate(Fd(), 0) != 0) Fail("Cannot write file", errno);
}

FileIdentity File::Identity() const {
    struct stat info {};
    if (::fstat(Fd(), &info) != 0) Fail("Cannot read file", errno);
    return IdentityOf(info);
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
    return IdentityOf(info);
}

File File::TryCreateNew(const std::string& path, Access access) {
    const mode_t mode = access == Access::OwnerOnly ? 0600 : 0666;
    if (const int error = Announce(FileEvent::Create, path))
        throw ZarkentError("Cannot create file \"" + path + "\". " + SystemErrorText(error), ErrorKind::FileSystem);
    int fd;
    do
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == EEXIST) return File();
        throw ZarkentError("Cannot create file \"" + path + "\". " + SystemErrorText(errno), ErrorKind::FileSystem);
    }
    return File(fd, path);
}

File File::CreateTemporary(const std::string& path, Access access) {
#ifdef O_TMPFILE
    if (!TemporariesCanBeNamed() || Announce(FileEvent::CreateTemporary, path) != 0) return File();
    std::string folder = DirectoryPart(path);
    if (folder.empty()) folder = ".";
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, access == Access::OwnerOnly ? 0600 : 0666);
    // A file system without unnamed files (some network and FUSE ones): the caller makes a named one,
    // which also reports a real problem with the folder.
    if (fd < 0) return File();
    return File(fd, path);
#else
    (void)path;
    (void)access;
    return File();
#endif
}

bool File::TemporariesCanBeNamed() {
    // Linking an unnamed file goes through its /proc/self/fd entry, which needs no privilege.
    return ::access("/proc/self/fd", X_OK) == 0;
}

RenameResult File::LinkAs(const std::string& path, std::string* reason) const {
    int error = Announce(FileEvent::Link, path);
    if (error == 0) {
        const std::string self = "/proc/self/fd/" + std::to_string(Fd());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return RenameResult::Done;
        error = errno;
    }
    if (error == EEXIST) return RenameResult::TargetExists;
    if (reason) *reason = SystemErrorText(error);
    return RenameResult::Failed;
}

SignalHold::SignalHold() {
    sigset_t interrupts, previous;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &interrupts, &previous);
    static_assert(sizeof previous <= sizeof saved_);
    std::memcpy(saved_, &previous, sizeof previous);
}

SignalHold::~SignalHold() {
    sigset_t previous;
    std::memcpy(&previous, saved_, sizeof previous);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

File File::CreateNew(const std::string& path, Access access) {
    File file = TryCreateNew(path, access);
    if (!file.IsOpen())
        throw ZarkentError("Cannot create file \"" + path + "\". " + SystemErrorText(EEXIST), ErrorKind::FileSystem);
    return file;
}

std::size_t File::ReadSome(void* out, std::size_t want, std::int64_t at) const {
    for (;;) {
        const ssize_t n = at < 0 ? ::read(Fd(), out, want) : ::pread(Fd(), out, want, static_cast<off_t>(at));
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) Fail("Cannot read file", errno); // a signal before anything was read: again
    }
}

std::size_t File::Read(void* buffer, std::size_t size) {
    return ReadUntilFullOrEnd(
        buffer, size, [this](unsigned char* out, std::size_t want, std::size_t) { return ReadSome(out, want, -1); });
}

std::size_t File::ReadAt(void* buffer, std::size_t size, std::int64_t offset) const {
    if (const int error = Announce(FileEvent::ReadAt, path_)) Fail("Cannot read file", error);
    return ReadUntilFullOrEnd(buffer, size, [&](unsigned char* out, std::size_t want, std::size_t done) {
        return ReadSome(out, want, offset + static_cast<std::int64_t>(done));
    });
}

void File::Write(const void* data, std::size_t size) {
    const auto* in = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(Fd(), in + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EPIPE) throw BrokenPipeError("Cannot write file \"" + path_ + "\". " + SystemErrorText(EPIPE));
            Fail("Cannot write file", errno);
        }
        if (n == 0) Fail("Cannot write file", ENOSPC);
        done += static_cast<std::size_t>(n);
    }
}

std::int64_t File::Size() const {
    struct stat info {};
    if (::fstat(Fd(), &info) != 0) Fail("Cannot read file", errno);
    return static_cast<std::int64_t>(info.st_size);
}

std::int64_t File::Position() const {
    const off_t position = ::lseek(Fd(), 0, SEEK_CUR);
    if (position < 0) Fail("Cannot read file", errno);
    return static_cast<std::int64_t>(position);
}

void File::Seek(std::int64_t position) {
    if (::lseek(Fd(), static_cast<off_t>(position), SEEK_SET) < 0) Fail("Cannot read file", errno);
}

void File::Rewind() {
    if (::lseek(Fd(), 0, SEEK_SET) != 0) Fail("Cannot read file", errno);
}

void File::Sync() {
    if (const int error = Announce(FileEvent::SyncFile, path_)) Fail("Cannot write file", error);
    if (::fsync(Fd()) != 0) Fail("Cannot write file", errno);
}

void File::CopyPermissionsFrom(const File& other) {
    struct stat info {};
    if (::fstat(other.Fd(), &info) != 0) other.Fail("Cannot read file", errno);
    struct stat own {};
    if (::fstat(Fd(), &own) != 0) Fail("Cannot read file", errno);
    // The owner and group first (a change of owner clears the set-user and set-group bits), as far as
    // the user may give them: another user's file becomes the user's own, as when any editor saves it.
    if (own.st_uid != info.st_uid || own.st_gid != info.st_gid) {
        if (::fchown(Fd(), info.st_uid, info.st_gid) != 0) (void)::fchown(Fd(), static_cast<uid_t>(-1), info.st_gid);
    }
    if (::fchmod(Fd(), info.st_mode & 07777) != 0) Fail("Cannot change the permissions of file", errno);
}

void File::Close() {
    if (!IsOpen()) return;
    const int fd = static_cast<int>(std::exchange(handle_, InvalidHandle));
    // close() can report a delayed write error (for example on network file systems).
    if (::close(fd) != 0 && errno != EINTR) Fail("Cannot write file", errno);
}

std::vector<FolderEntry> ListFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        const int error = errno;
        if (fd >= 0) ::close(fd);
        throw ZarkentError("Cannot read folder \"" + folder + "\". " + SystemErrorText(error), ErrorKind::FileSystem);
    }
    std::vector<FolderEntry> entries;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat info {};
        FolderEntry::Kind kind = FolderEntry::Kind::Other;
        if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISREG(info.st_mode))
                kind = FolderEntry::Kind::RegularFile;
            else if (S_ISDIR(info.st_mode))
                kind = FolderEntry::Kind::Folder;
            else if (S_ISLNK(info.st_mode))
                kind = FolderEntry::Kind::Link;
        }
        entries.push_back({name, kind});
        errno = 0;
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0)
        throw ZarkentError("Cannot read folder \"" + folder + "\". " + SystemErrorText(error), ErrorKind::FileSystem);
    return entries;
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    std::string folder(4096, '\0');
    while (::getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE) return path; // no working folder to resolve against
        folder.resize(folder.size() * 2);
    }
    folder.resize(std::char_traits<char>::length(folder.c_str()));
    return folder + (folder.ends_with('/') ? "" : "/") + path;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool RemoveFile(const std::string& path, std::string* reason) {
    int error = Announce(FileEvent::Remove, path);
    if (error == 0) {
        if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
        error = errno;
    }
    if (reason) *reason = SystemErrorText(error);
    errno = error; // for callers that read errno
    return false;
}

void detail::RemovePartialPath(const char* path) noexcept {
    ::unlink(path);
}

namespace {
// A pipe holds 64 KiB by default: a stream of hundreds of megabytes then passes in thousands of small
// steps, each waking the other end. A larger one (as far as the system allows an ordinary user) lets
// both ends work in whole chunks. Nothing changes for anything but a pipe.
void EnlargePipe(int fd) {
#ifdef F_SETPIPE_SZ
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode)) ::fcntl(fd, F_SETPIPE_SZ, 1 << 20);
#else
    (void)fd;
#endif
}
} // namespace

File File::StandardInput() {
    const int fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) throw ZarkentError("Cannot read standard input. " + SystemErrorText(errno), ErrorKind::FileSystem);
    EnlargePipe(fd);
    return File(fd, "-");
}

File File::StandardOutput() {
    const int fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) throw ZarkentError("Cannot write standard output. " + SystemErrorText(errno), ErrorKind::FileSystem);
    EnlargePipe(fd);
    return File(fd, "-");
}

RenameResult RenameNoReplace(const std::string& from, const std::string& to, std::string* reason) {
    if (const int error = Announce(FileEvent::Rename, to)) {
        if (reason) *reason = SystemErrorText(error);
        return RenameResult::Failed;
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return RenameResult::Done;
    int error = errno;
    if (error == EINVAL || error == ENOSYS) {
        // The file system cannot rename without replacing: a hard link is just as exclusive.
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return RenameResult::Done;
        }
        error = errno;
    }
    if (error == EEXIST) return RenameResult::TargetExists;
    if (reason) *reason = SystemErrorText(error);
    return RenameResult::Failed;
}

ExchangeResult ExchangeFiles(const std::string& target, const std::string& replacement, const std::string&,
                             std::string* oldFile, std::string* reason) {
    int error = Announce(FileEvent::Exchange, target);
    if (error == 0) {
        if (::renameat2(AT_FDCWD, replacement.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
            if (oldFile) *oldFile = replacement;
            return ExchangeResult::Done;
        }
        error = errno;
    }
    if (reason) *reason = SystemErrorText(error);
    // The file system (or an old kernel) has no exchange; there is no other way to replace in one step.
    if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP) return ExchangeResult::Unsupported;
    return ExchangeResult::Failed;
}

void SyncParentDirectory(const std::string& path) {
    std::string folder = DirectoryPart(path);
    if (folder.empty()) folder = ".";
    if (const int error = Announce(FileEvent::SyncFolder, folder))
        throw ZarkentError("Cannot write folder \"" + folder + "\". " + SystemErrorText(error), ErrorKind::FileSystem);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw ZarkentError("Cannot open folder \"" + folder + "\". " + SystemErrorText(errno), ErrorKind::FileSystem);
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    // Some file systems cannot sync folders; that is not a failure of ours.
    if (result != 0 && error != EINVAL && error != ENOTSUP)
        throw ZarkentError("Cannot write folder \"" + folder + "\". " + SystemErrorText(error), ErrorKind::FileSystem);
}

} // namespace zarkent
