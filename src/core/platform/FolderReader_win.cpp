#include "core/platform/FolderReader.h"

#include "core/base/Error.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Windows_win.h"

namespace zarkent {

using win::ErrorText;
using win::HandleGuard;
using win::LongPath;

// The folder stays open (without FILE_SHARE_DELETE, so nobody can rename or remove it meanwhile) while
// its entries are found by name under it.
struct FolderReader::State {
    HANDLE folder = INVALID_HANDLE_VALUE;
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW found{};
    bool pending = false; // `found` holds an entry not returned yet
    std::wstring longPath;
    std::string path;
    std::uint64_t device = 0, inode = 0;
    ~State() {
        if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
        if (folder != INVALID_HANDLE_VALUE) ::CloseHandle(folder);
    }
};

namespace {

[[noreturn]] void CannotRead(const std::string& path, const std::string& reason) {
    throw ZarkentError("Cannot read folder \"" + path + "\". " + reason, ErrorKind::FileSystem);
}

bool IsLink(DWORD attributes, DWORD reparseTag) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(reparseTag);
}

// The volume serial number and file index of the entry `wide` itself (a link is not followed).
bool IdentityOf(const std::wstring& wide, std::uint64_t& device, std::uint64_t& inode) {
    HandleGuard handle(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle.Get() == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(handle.Get(), &info)) return false;
    device = info.dwVolumeSerialNumber;
    inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return true;
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

std::unique_ptr<FolderReader::State> OpenFolder(const std::wstring& wide, const std::string& path) {
    auto state = std::make_unique<FolderReader::State>();
    // The entry itself, not what a link or junction leads to.
    state->folder =
        ::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (state->folder == INVALID_HANDLE_VALUE) CannotRead(path, ErrorText(::GetLastError()));
    FILE_ATTRIBUTE_TAG_INFO tag{};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandleEx(state->folder, FileAttributeTagInfo, &tag, sizeof tag) ||
        !::GetFileInformationByHandle(state->folder, &info))
        CannotRead(path, ErrorText(::GetLastError()));
    if (IsLink(tag.FileAttributes, tag.ReparseTag)) CannotRead(path, "It is a symbolic link, which is never followed");
    if (!(tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) CannotRead(path, "It is not a folder");
    state->device = info.dwVolumeSerialNumber;
    state->inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    state->longPath = wide;
    if (!state->longPath.empty() && state->longPath.back() != L'\\') state->longPath += L'\\';
    state->path = path;
    const std::wstring pattern = state->longPath + L'*';
    state->find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &state->found, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (state->find == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // No match at all: the root of an empty drive, which has no "." entry.
        if (error != ERROR_FILE_NOT_FOUND) CannotRead(path, ErrorText(error));
    } else {
        state->pending = true;
    }
    return state;
}

} // namespace

FolderReader FolderReader::Open(const std::string& path) {
    std::wstring wide = LongPath(path);
    // "C:\a\" names the folder "C:\a"; a drive's root keeps its separator.
    while (wide.size() > 7 && wide.back() == L'\\' && wide[wide.size() - 2] != L':')
        wide.pop_back();
    return FolderReader(OpenFolder(wide, path));
}

FolderReader FolderReader::OpenChild(const std::string& name, const std::string& path) const {
    FolderReader child(OpenFolder(state_->longPath + win::Widen(name), path));
    return child;
}

std::optional<FolderItem> FolderReader::Next() {
    State& state = *state_;
    for (;;) {
        if (!state.pending) {
            if (state.find == INVALID_HANDLE_VALUE) return std::nullopt;
            if (!::FindNextFileW(state.find, &state.found)) {
                const DWORD error = ::GetLastError();
                if (error != ERROR_NO_MORE_FILES) CannotRead(state.path, ErrorText(error));
                return std::nullopt;
            }
        }
        state.pending = false;
        const std::wstring name = state.found.cFileName;
        if (name == L"." || name == L"..") continue;
        FolderItem item;
        item.name = win::Narrow(name);
        const DWORD attributes = state.found.dwFileAttributes;
        if (IsLink(attributes, state.found.dwReserved0))
            item.kind = EntryKind::Link;
        else if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            item.kind = EntryKind::Folder;
        else if (attributes & FILE_ATTRIBUTE_DEVICE)
            item.kind = EntryKind::Device;
        else
            item.kind = EntryKind::RegularFile;
        // A file the system holds open exclusively (a page file) keeps the folder's volume.
        if (!IdentityOf(state.longPath + name, item.device, item.inode)) {
            item.device = state.device;
            item.inode = 0;
        }
        return item;
    }
}

std::size_t FolderReader::OpenLimit() {
    // Handles are limited only by memory; a folder path beyond the longest path the system takes
    // (32767 characters) cannot be this deep anyway.
    return 16384;
}

} // namespace zarkent
