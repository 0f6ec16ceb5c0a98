#include "core/platform/FolderReader.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/base/Error.h"
#include "core/platform/FileSystem.h"

namespace zarkent {

struct FolderReader::State {
    DIR* dir = nullptr;
    std::string path;
    std::uint64_t device = 0, inode = 0;
    ~State() {
        if (dir) ::closedir(dir);
    }
};

namespace {

[[noreturn]] void CannotRead(const std::string& path, const std::string& reason) {
    throw ZarkentError("Cannot read folder \"" + path + "\". " + reason, ErrorKind::FileSystem);
}

// Why the entry `name` of the folder `at` could not be opened as a folder with `error`.
std::string OpenProblem(int at, const char* name, int error) {
    // A link is refused as ENOTDIR (O_DIRECTORY) or ELOOP (O_NOFOLLOW); say which it was.
    struct stat info {};
    if ((error == ENOTDIR || error == ELOOP) && ::fstatat(at, name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(info.st_mode)) return "It is a symbolic link, which is never followed";
        if (!S_ISDIR(info.st_mode)) return "It is not a folder";
    }
    return SystemErrorText(error);
}

EntryKind KindOf(mode_t mode) {
    if (S_ISREG(mode)) return EntryKind::RegularFile;
    if (S_ISDIR(mode)) return EntryKind::Folder;
    if (S_ISLNK(mode)) return EntryKind::Link;
    if (S_ISFIFO(mode)) return EntryKind::Fifo;
    if (S_ISSOCK(mode)) return EntryKind::Socket;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return EntryKind::Device;
    return EntryKind::Other;
}

} // namespace

FolderReader::FolderReader() noexcept = default;
FolderReader::FolderReader(std::unique_ptr<State> state) : state_(std::move(state)) {}
FolderReader::FolderReader(FolderReader&& other) noexcept = default;
FolderReader& FolderReader::operator=(FolderReader&& other) noexcept = default;
FolderReader::~FolderReader() = default;

const std::string& FolderReader::Path() const {
    return state_->path;
}
std::uint64_t FolderReader::Device() const {
    return state_->device;
}
std::uint64_t FolderReader::Inode() const {
    return state_->inode;
}

namespace {
// Takes over the open descriptor `fd` of the folder `path`.
DIR* Adopt(int fd, const std::string& path, struct stat& info) {
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        CannotRead(path, SystemErrorText(error));
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        CannotRead(path, SystemErrorText(error));
    }
    return dir;
}

int OpenFolderAt(int at, const char* name) {
    int fd;
    do
        fd = ::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// The reader of the folder open as `fd`, which it takes over.
FolderReader ReaderOf(int fd, const std::string& path) {
    auto state = std::make_unique<FolderReader::State>();
    struct stat info {};
    state->dir = Adopt(fd, path, info);
    state->path = path;
    state->device = static_cast<std::uint64_t>(info.st_dev);
    state->inode = static_cast<std::uint64_t>(info.st_ino);
    return FolderReader(std::move(state));
}
} // namespace

FolderReader FolderReader::Open(const std::string& path) {
    // A trailing slash would make the system resolve a link in the last component; without it
    // O_NOFOLLOW refuses the link.
    std::string name = path;
    while (name.size() > 1 && name.back() == '/')
        name.pop_back();
    const int fd = OpenFolderAt(AT_FDCWD, name.c_str());
    if (fd < 0) CannotRead(path, OpenProblem(AT_FDCWD, name.c_str(), errno));
    return ReaderOf(fd, path);
}

FolderReader FolderReader::OpenChild(const std::string& name, const std::string& path) const {
    const int fd = OpenFolderAt(::dirfd(state_->dir), name.c_str());
    if (fd < 0) CannotRead(path, OpenProblem(::dirfd(state_->dir), name.c_str(), errno));
    return ReaderOf(fd, path);
}

std::optional<FolderItem> FolderReader::Next() {
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(state_->dir);
        if (!entry) {
            if (errno != 0) CannotRead(state_->path, SystemErrorText(errno));
            return std::nullopt;
        }
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        FolderItem item;
        item.name = name;
        struct stat info {};
        if (::fstatat(::dirfd(state_->dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) continue; // removed since the listing
            item.problem = SystemErrorText(errno);
            return item;
        }
        item.kind = KindOf(info.st_mode);
        item.device = static_cast<std::uint64_t>(info.st_dev);
        item.inode = static_cast<std::uint64_t>(info.st_ino);
        return item;
    }
}

std::size_t FolderReader::OpenLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 4096;
    // The files being worked on, their temporary files, standard streams and the compression threads'
    // needs stay within the margin.
    constexpr rlim_t margin = 64;
    return limit.rlim_cur > 2 * margin ? static_cast<std::size_t>(limit.rlim_cur - margin)
                                       : static_cast<std::size_t>(limit.rlim_cur / 2);
}

} // namespace zarkent
