// The file operations on Windows, with the wide-character Win32 functions. The same rules as on
// POSIX: outputs are created exclusively (CREATE_NEW) and never through a link, sources are read
// with FILE_SHARE_READ only (no other program writes them meanwhile), renames never replace, and
// flushes reach the device (FlushFileBuffers).

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "core/base/Error.h"
#include "core/platform/FileSystemDetail.h"
#include "core/platform/Paths.h"
#include "core/platform/Signals.h"
#include "core/platform/Windows_win.h"

#include <sddl.h>

namespace zarkent {

using detail::Announce;
using detail::ReadUntilFullOrEnd;
using win::ErrorText;
using win::HandleGuard;
using win::LongPath;

std::string SystemErrorText(int error) {
    // Worded as the GNU C library words them, so that messages read the same on every system.
    switch (error) {
    case ENOENT:
        return "No such file or directory";
    case EACCES:
        return "Permission denied";
    case EEXIST:
        return "File exists";
    case ENOSPC:
        return "No space left on device";
    case EIO:
        return "Input/output error";
    case EFBIG:
        return "File too large";
    case EISDIR:
        return "Is a directory";
    case ENAMETOOLONG:
        return "File name too long";
    case EBUSY:
        return "Device or resource busy";
    default:
        return std::strerror(error);
    }
}

namespace {

HANDLE Native(File::NativeHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

File::NativeHandle FromNative(HANDLE handle) {
    return reinterpret_cast<File::NativeHandle>(handle);
}

[[noreturn]] void CannotOpen(const std::string& path, const std::string& reason) {
    throw ZarkentError("Cannot open file \"" + path + "\". " + reason, ErrorKind::FileSystem);
}

[[noreturn]] void CannotCreate(const std::string& path, const std::string& reason) {
    throw ZarkentError("Cannot create file \"" + path + "\". " + reason, ErrorKind::FileSystem);
}

std::int64_t Ticks(const LARGE_INTEGER& time) {
    return static_cast<std::int64_t>(time.QuadPart);
}

// The identity of an open handle: volume and file number, size, and write and change times (100 ns
// ticks, given as seconds and nanoseconds like the POSIX times).
bool IdentityOfHandle(HANDLE handle, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandle(handle, &info) ||
        !::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
        return false;
    const std::int64_t modified = Ticks(basic.LastWriteTime), changed = Ticks(basic.ChangeTime);
    identity.device = info.dwVolumeSerialNumber;
    identity.inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    identity.size = static_cast<std::int64_t>((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
    identity.modifiedSeconds = modified / 10000000;
    identity.modifiedNanoseconds = modified % 10000000 * 100;
    identity.changedSeconds = changed / 10000000;
    identity.changedNanoseconds = changed % 10000000 * 100;
    return true;
}

// Where a link leads, as far as the system can tell.
std::string LinkTarget(const std::wstring& path) {
    HandleGuard target(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (target.Get() == INVALID_HANDLE_VALUE) return "";
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFinalPathNameByHandleW(target.Get(), name.data(), static_cast<DWORD>(name.size()), VOLUME_NAME_DOS);
        if (length == 0) return "";
        if (length < name.size()) {
            name.resize(length);
            return win::ShownPath(name);
        }
        name.resize(length + 1);
    }
}

// Opens an existing regular file: never through a symbolic link or junction (the link itself is
// opened and refused), and the kind is checked on the handle before anything is read or written.
HANDLE OpenExisting(const std::string& path, DWORD access, DWORD share) {
    const std::wstring wide = LongPath(path);
    HandleGuard file(::CreateFileW(wide.c_str(), access, share, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A folder cannot be opened as a file; say what it is rather than "access denied".
        const DWORD attributes = ::GetFileAttributesW(wide.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            CannotOpen(path, SystemErrorText(EISDIR));
        CannotOpen(path, ErrorText(error));
    }
    switch (::GetFileType(file.Get())) {
    case FILE_TYPE_DISK:
        break;
    case FILE_TYPE_CHAR:
        CannotOpen(path, "It is a character device, not a regular file");
    case FILE_TYPE_PIPE:
        CannotOpen(path, "It is a pipe, not a regular file");
    default:
        CannotOpen(path, "It is not a regular file");
    }
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(file.Get(), FileAttributeTagInfo, &tag, sizeof tag))
        CannotOpen(path, ErrorText(::GetLastError()));
    if (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) CannotOpen(path, SystemErrorText(EISDIR));
    if (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (IsReparseTagNameSurrogate(tag.ReparseTag)) {
            const std::string target = LinkTarget(wide);
            if (target.empty()) CannotOpen(path, "It is a symbolic link; choose the file it leads to itself");
            CannotOpen(path, "It is a symbolic link to \"" + target + "\"; choose that file itself");
        }
        // Any other reparse point (a cloud placeholder, a deduplicated file) is a file with a filter
        // in front of its data: open it through the filter, and make sure it is still the same file.
        FileIdentity before{}, after{};
        if (!IdentityOfHandle(file.Get(), before)) CannotOpen(path, ErrorText(::GetLastError()));
        HandleGuard data(
            ::CreateFileW(wide.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (data.Get() == INVALID_HANDLE_VALUE) CannotOpen(path, ErrorText(::GetLastError()));
        if (!IdentityOfHandle(data.Get(), after) || after.device != before.device || after.inode != before.inode)
            CannotOpen(path, "It was replaced while it was opened");
        return data.Release();
    }
    return file.Release();
}

// Only the current user may open files that hold plain data, whatever the folder's permissions.
class OwnerOnlySecurity {
public:
    OwnerOnlySecurity() {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return;
        HandleGuard tokenGuard(token);
        DWORD size = 0;
        ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::vector<unsigned char> buffer(size);
        wchar_t* sid = nullptr;
        if (size == 0 || !::GetTokenInformation(token, TokenUser, buffer.data(), size, &size) ||
            !::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid))
            return;
        // A protected DACL: nothing is inherited from the folder, the user alone has full access.
        const std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(sid) + L")";
        ::LocalFree(sid);
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor_,
                                                                    nullptr))
            descriptor_ = nullptr;
        attributes_.nLength = sizeof attributes_;
        attributes_.lpSecurityDescriptor = descriptor_;
        attributes_.bInheritHandle = FALSE;
    }
    ~OwnerOnlySecurity() {
        if (descriptor_) ::LocalFree(descriptor_);
    }
    OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
    OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;
    SECURITY_ATTRIBUTES* Attributes() { return descriptor_ ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

// Large reads and writes go in pieces that a DWORD can count.
constexpr std::size_t MaxIo = std::size_t{1} << 30;

} // namespace

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, InvalidHandle)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (IsOpen()) ::CloseHandle(Native(handle_));
        handle_ = std::exchange(other.handle_, InvalidHandle);
        path_ = std::move(other.path_);
    }
    return *this;
}

File::~File() {
    if (IsOpen()) ::CloseHandle(Native(handle_));
}

void File::Fail(const char* what, int error) const {
    throw ZarkentError(std::string(what) + " \"" + path_ + "\". " + ErrorText(static_cast<DWORD>(error)),
                       ErrorKind::FileSystem);
}

namespace {
int LastError() {
    return static_cast<int>(::GetLastError());
}
} // namespace

File File::OpenRead(const std::string& path) {
    return File(FromNative(OpenExisting(path, GENERIC_READ, FILE_SHARE_READ)), path);
}

File File::OpenReadWrite(const std::string& path) {
    // Others may still read (they see only what is written), but nobody else writes meanwhile.
    return File(FromNative(OpenExisting(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ)), path);
}

namespace {
// A second handle to one of the process's standard handles; `what` names it in the error.
HANDLE DuplicateStandardHandle(DWORD which, const char* what) {
    HANDLE copy = nullptr;
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        !::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, 0, FALSE,
                           DUPLICATE_SAME_ACCESS))
        throw ZarkentError(std::string(what) + ". " +
                               ErrorText(handle == nullptr ? ERROR_INVALID_HANDLE : ::GetLastError()),
                           ErrorKind::FileSystem);
    return copy;
}
} // namespace

File File::StandardInput() {
    return File(FromNative(DuplicateStandardHandle(STD_INPUT_HANDLE, "Cannot read standard input")), "-");
}

File File::StandardOutput() {
    return File(FromNative(DuplicateStandardHandle(STD_OUTPUT_HANDLE, "Cannot write standard output")), "-");
}

std::uint64_t File::LinkCount() const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(Native(handle_), &info)) Fail("Cannot read file", LastError());
    return info.nNumberOfLinks;
}

bool File::WritableByMode() const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(Native(handle_), &info)) Fail("Cannot read file", LastError());
    return (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0;
}

bool File::OnMemoryFileSystem() const {
    std::wstring name(MAX_PATH, L'\0');
    const DWORD length =
        ::GetFinalPathNameByHandleW(Native(handle_), name.data(), static_cast<DWORD>(name.size()), VOLUME_NAME_DOS);
    if (length == 0 || length >= name.size()) return false;
    // "\\?\X:\..." names a drive; a RAM disk is the only drive kind that keeps nothing.
    if (length < 7 || name.compare(0, 4, L"\\\\?\\") != 0 || name[5] != L':') return false;
    const std::wstring root = name.substr(4, 2) + L"\\";
    return ::GetDriveTypeW(root.c_str()) == DRIVE_RAMDISK;
}

namespace {
void WriteAt(HANDLE handle, const unsigned char* data, std::size_t size, std::int64_t offset, DWORD& error) {
    while (size > 0 && error == 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset));
        at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
        DWORD written = 0;
        if (!::WriteFile(handle, data, static_cast<DWORD>(std::min(size, MaxIo)), &written, &at))
            error = ::GetLastError();
        else if (written == 0)
            error = ERROR_DISK_FULL;
        data += written;
        size -= written;
        offset += written;
    }
}
} // namespace

bool File::WriteRepeatedAtUnlessFull(const void* block, std::size_t size, std::size_t count, std::int64_t offset) {
    auto full = [](DWORD error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; };
    // Only a write past both the end and the storage the file owns needs new space.
    if (offset + static_cast<std::int64_t>(count * size) > std::max(Size(), AllocatedSize())) {
        if (const int error = Announce(FileEvent::Grow, path_)) {
            if (error == ENOSPC) return false;
            throw ZarkentError("Cannot write file \"" + path_ + "\". " + SystemErrorText(error), ErrorKind::FileSystem);
        }
    }
    // Positional writes move the file pointer on Windows; put it back as pwrite would leave it.
    const std::int64_t position = Position();
    // Many copies per call: a buffer of up to 1 MiB of copies of the block.
    const std::size_t perWrite =
        std::max<std::size_t>(1, std::min(count, (std::size_t{1} << 20) / std::max<std::size_t>(size, 1)));
    std::vector<unsigned char> copies(perWrite * size);
    for (std::size_t i = 0; i < perWrite; ++i)
        std::memcpy(copies.data() + i * size, block, size);
    DWORD error = 0;
    for (std::size_t done = 0; done < count && error == 0;) {
        const std::size_t now = std::min(perWrite, count - done);
        WriteAt(Native(handle_), copies.data(), now * size, offset + static_cast<std::int64_t>(done * size), error);
        done += now;
    }
    Seek(position);
    if (full(error)) return false;
    if (error != 0) Fail("Cannot write file", static_cast<int>(error));
    return true;
}

void File::WriteRepeatedAt(const void* block, std::size_t size, std::size_t count, std::int64_t offset) {
    if (!WriteRepeatedAtUnlessFull(block, size, count, offset)) Fail("Cannot write file", ERROR_DISK_FULL);
}

std::int64_t File::AllocatedSize() const {
    FILE_STANDARD_INFO info{};
    if (!::GetFileInformationByHandleEx(Native(handle_), FileStandardInfo, &info, sizeof info))
        Fail("Cannot read file", LastError());
    return static_cast<std::int64_t>(info.AllocationSize.QuadPart);
}

std::int64_t File::FragmentSize() const {
    // The sector: the least a write covers. Allocation is in clusters, but the allocated size bounds
    // what is written in any case.
    return 512;
}

OverwriteReach File::Reach() const {
    if (OnMemoryFileSystem()) return OverwriteReach::Memory;
    std::wstring name(MAX_PATH, L'\0');
    const DWORD length =
        ::GetFinalPathNameByHandleW(Native(handle_), name.data(), static_cast<DWORD>(name.size()), VOLUME_NAME_DOS);
    if (length == 0 || length >= name.size()) return OverwriteReach::Device;
    // "\\?\UNC\..." is a network share; "\\?\X:\..." a drive, which may be a mapped share.
    if (name.compare(0, 8, L"\\\\?\\UNC\\") == 0) return OverwriteReach::Elsewhere;
    if (length < 7 || name.compare(0, 4, L"\\\\?\\") != 0 || name[5] != L':') return OverwriteReach::Device;
    const std::wstring root = name.substr(4, 2) + L"\\";
    return ::GetDriveTypeW(root.c_str()) == DRIVE_REMOTE ? OverwriteReach::Elsewhere : OverwriteReach::Device;
}

void File::DataSync() {
    Sync();
}

void File::Truncate() {
    if (const int error = Announce(FileEvent::Truncate, path_))
        throw ZarkentError("Cannot write file \"" + path_ + "\". " + SystemErrorText(error), ErrorKind::FileSystem);
    FILE_END_OF_FILE_INFO end{};
    if (!::SetFileInformationByHandle(Native(handle_), FileEndOfFileInfo, &end, sizeof end))
        Fail("Cannot write file", LastError());
}

FileIdentity File::Identity() const {
    FileIdentity identity;
    if (!IdentityOfHandle(Native(handle_), identity)) Fail("Cannot read file", LastError());
    return identity;
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
    HandleGuard handle(::CreateFileW(LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FileIdentity identity;
    if (handle.Get() == INVALID_HANDLE_VALUE || !IdentityOfHandle(handle.Get(), identity)) return std::nullopt;
    return identity;
}

File File::TryCreateNew(const std::string& path, Access access) {
    if (const int error = Announce(FileEvent::Create, path)) CannotCreate(path, SystemErrorText(error));
    const std::wstring wide = LongPath(path);
    OwnerOnlySecurity ownerOnly;
    SECURITY_ATTRIBUTES* security = access == Access::OwnerOnly ? ownerOnly.Attributes() : nullptr;
    // FILE_SHARE_DELETE: a partial output can be removed by name while it is still open (cancel, a
    // second Ctrl-C); the name goes when the last handle closes.
    const HANDLE handle =
        ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, security,
                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return File();
        // A folder, or a file whose deletion is pending, of that name is a taken name too.
        if (error == ERROR_ACCESS_DENIED && ::GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES)
            return File();
        CannotCreate(path, ErrorText(error));
    }
    return File(FromNative(handle), path);
}

File File::CreateTemporary(const std::string& path, Access access) {
    if (Announce(FileEvent::CreateTemporary, path) != 0) return File();
    OwnerOnlySecurity ownerOnly;
    SECURITY_ATTRIBUTES* security = access == Access::OwnerOnly ? ownerOnly.Attributes() : nullptr;
    // Removed by the system when the last handle closes, also when the process is ended.
    const HANDLE handle = ::CreateFileW(
        LongPath(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, security,
        CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return File(); // a named file will do, and says what is wrong
    return File(FromNative(handle), path);
}

bool File::TemporariesCanBeNamed() {
    return false;
}

RenameResult File::LinkAs(const std::string&, std::string* reason) const {
    if (reason) *reason = "A file opened to be deleted on closing cannot be given a name";
    return RenameResult::Failed;
}

SignalHold::SignalHold() : saved_{} {}

SignalHold::~SignalHold() = default;

File File::CreateNew(const std::string& path, Access access) {
    File file = TryCreateNew(path, access);
    if (!file.IsOpen()) CannotCreate(path, SystemErrorText(EEXIST));
    return file;
}

// A pipe whose writer is gone, or a positioned read past the end, reads nothing. A positioned read on
// a synchronous handle also moves its file pointer; callers of ReadAt do not use Read on the same file.
std::size_t File::ReadSome(void* out, std::size_t want, std::int64_t at) const {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(at) & 0xFFFFFFFFu);
    position.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(at) >> 32);
    DWORD got = 0;
    if (!::ReadFile(Native(handle_), out, static_cast<DWORD>(std::min(want, MaxIo)), &got,
                    at < 0 ? nullptr : &position)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
        Fail("Cannot read file", static_cast<int>(error));
    }
    return got;
}

std::size_t File::Read(void* buffer, std::size_t size) {
    return ReadUntilFullOrEnd(
        buffer, size, [this](unsigned char* out, std::size_t want, std::size_t) { return ReadSome(out, want, -1); });
}

std::size_t File::ReadAt(void* buffer, std::size_t size, std::int64_t offset) const {
    if (const int error = Announce(FileEvent::ReadAt, path_))
        throw ZarkentError("Cannot read file \"" + path_ + "\". " + SystemErrorText(error), ErrorKind::FileSystem);
    return ReadUntilFullOrEnd(buffer, size, [&](unsigned char* out, std::size_t want, std::size_t done) {
        return ReadSome(out, want, offset + static_cast<std::int64_t>(done));
    });
}

void File::Write(const void* data, std::size_t size) {
    const auto* in = static_cast<const unsigned char*>(data);
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(Native(handle_), in, static_cast<DWORD>(std::min(size, MaxIo)), &written, nullptr)) {
            const DWORD error = ::GetLastError();
            // A pipe whose reader has closed it.
            if (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE)
                throw BrokenPipeError("Cannot write file \"" + path_ + "\". " + ErrorText(error));
            Fail("Cannot write file", static_cast<int>(error));
        }
        if (written == 0) Fail("Cannot write file", ERROR_DISK_FULL);
        in += written;
        size -= written;
    }
}

std::int64_t File::Size() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(Native(handle_), &size)) Fail("Cannot read file", LastError());
    return static_cast<std::int64_t>(size.QuadPart);
}

std::int64_t File::Position() const {
    LARGE_INTEGER zero{}, position{};
    if (!::SetFilePointerEx(Native(handle_), zero, &position, FILE_CURRENT)) Fail("Cannot read file", LastError());
    return static_cast<std::int64_t>(position.QuadPart);
}

void File::Seek(std::int64_t position) {
    LARGE_INTEGER to{};
    to.QuadPart = position;
    if (!::SetFilePointerEx(Native(handle_), to, nullptr, FILE_BEGIN)) Fail("Cannot read file", LastError());
}

void File::Rewind() {
    Seek(0);
}

void File::Sync() {
    if (const int error = Announce(FileEvent::SyncFile, path_))
        throw ZarkentError("Cannot write file \"" + path_ + "\". " + SystemErrorText(error), ErrorKind::FileSystem);
    if (!::FlushFileBuffers(Native(handle_))) Fail("Cannot write file", LastError());
}

void File::Close() {
    if (!IsOpen()) return;
    const HANDLE handle = Native(std::exchange(handle_, InvalidHandle));
    if (!::CloseHandle(handle)) Fail("Cannot write file", LastError());
}

namespace {
FolderEntry::Kind KindOf(const WIN32_FIND_DATAW& data) {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(data.dwReserved0))
        return FolderEntry::Kind::Link;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return FolderEntry::Kind::Folder;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) return FolderEntry::Kind::Other;
    return FolderEntry::Kind::RegularFile;
}
} // namespace

std::vector<FolderEntry> ListFolder(const std::string& folder) {
    std::wstring pattern = LongPath(folder);
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data{};
    const HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
    auto fail = [&](DWORD error) -> std::vector<FolderEntry> {
        throw ZarkentError("Cannot read folder \"" + folder + "\". " + ErrorText(error), ErrorKind::FileSystem);
    };
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // No match at all: the root of an empty drive, which has no "." entry.
        if (error == ERROR_FILE_NOT_FOUND) return {};
        return fail(error);
    }
    std::vector<FolderEntry> entries;
    DWORD error = 0;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        entries.push_back({win::Narrow(name), KindOf(data)});
    } while (::FindNextFileW(find, &data));
    error = ::GetLastError();
    ::FindClose(find);
    if (error != ERROR_NO_MORE_FILES) return fail(error);
    return entries;
}

bool PathExists(const std::string& path) {
    if (::GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    // A file the system holds open exclusively (a page file) still exists.
    return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

bool IsDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(LongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    return win::ShownPath(LongPath(path));
}

bool IsRegularFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(LongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

bool RemoveFile(const std::string& path, std::string* reason) {
    if (const int error = Announce(FileEvent::Remove, path)) {
        if (reason) *reason = SystemErrorText(error);
        return false;
    }
    if (::DeleteFileW(LongPath(path).c_str())) return true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    if (reason) *reason = ErrorText(error);
    return false;
}

void detail::RemovePartialPath(const char* path) noexcept {
    // Runs on the console control thread, not in a signal handler: the wide conversion may allocate.
    try {
        ::DeleteFileW(LongPath(path).c_str());
    } catch (...) {
    }
}

RenameResult RenameNoReplace(const std::string& from, const std::string& to, std::string* reason) {
    if (const int error = Announce(FileEvent::Rename, to)) {
        if (reason) *reason = SystemErrorText(error);
        return RenameResult::Failed;
    }
    const std::wstring target = LongPath(to);
    // Without MOVEFILE_REPLACE_EXISTING an existing target is never replaced; write-through makes the
    // new name durable when the call returns.
    if (::MoveFileExW(LongPath(from).c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return RenameResult::Done;
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return RenameResult::TargetExists;
    // A folder of that name refuses with "access denied": a taken name as well.
    if (error == ERROR_ACCESS_DENIED && ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES)
        return RenameResult::TargetExists;
    if (reason) *reason = ErrorText(error);
    return RenameResult::Failed;
}

void File::CopyPermissionsFrom(const File&) {
    // ReplaceFileW gives the new file the replaced one's attributes and access list.
}

ExchangeResult ExchangeFiles(const std::string& target, const std::string& replacement, const std::string& backup,
                             std::string* oldFile, std::string* reason) {
    if (const int error = Announce(FileEvent::Exchange, target)) {
        if (reason) *reason = SystemErrorText(error);
        return error == EINVAL || error == ENOSYS ? ExchangeResult::Unsupported : ExchangeResult::Failed;
    }
    const std::wstring wideTarget = LongPath(target), wideBackup = LongPath(backup);
    // With a backup name a failure never leaves the target name empty but in the one case handled below;
    // without one the system may delete the old file and then fail to move the new one in.
    if (::ReplaceFileW(wideTarget.c_str(), LongPath(replacement).c_str(), wideBackup.c_str(),
                       REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        if (oldFile) *oldFile = backup;
        return ExchangeResult::Done;
    }
    const DWORD error = ::GetLastError();
    std::string text = ErrorText(error);
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        // The old file went to the backup name and the new one could not follow: put the old one back.
        if (!::MoveFileExW(wideBackup.c_str(), wideTarget.c_str(), MOVEFILE_WRITE_THROUGH))
            text += "; the old file is kept as \"" + backup + "\"";
    }
    if (reason) *reason = text;
    return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ? ExchangeResult::Unsupported
                                                                           : ExchangeResult::Failed;
}

void SyncParentDirectory(const std::string& path) {
    std::string folder = DirectoryPart(path);
    if (folder.empty()) folder = ".";
    if (const int error = Announce(FileEvent::SyncFolder, folder))
        throw ZarkentError("Cannot write folder \"" + folder + "\". " + SystemErrorText(error), ErrorKind::FileSystem);
    HandleGuard handle(::CreateFileW(LongPath(folder).c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle.Get() == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // Writing to a folder handle may be refused; the renames were written through already.
        if (error == ERROR_ACCESS_DENIED) return;
        throw ZarkentError("Cannot open folder \"" + folder + "\". " + ErrorText(error), ErrorKind::FileSystem);
    }
    if (!::FlushFileBuffers(handle.Get())) {
        const DWORD error = ::GetLastError();
        // Some file systems cannot flush folders; that is not a failure of ours.
        if (error != ERROR_INVALID_FUNCTION && error != ERROR_ACCESS_DENIED && error != ERROR_NOT_SUPPORTED)
            throw ZarkentError("Cannot write folder \"" + folder + "\". " + ErrorText(error), ErrorKind::FileSystem);
    }
}

} // namespace zarkent
