#include "TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>

#include <aclapi.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zarkent::test {

TempDir::TempDir() {
#ifdef _WIN32
    // A fresh name, created exclusively.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const auto candidate = std::filesystem::temp_directory_path() / ("zarkent-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) path_ = candidate;
    }
    if (path_.empty()) throw std::runtime_error("cannot create a temporary folder");
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "zarkent-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
#endif
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

namespace {
std::string TextOf(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring wide = path.wstring();
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    std::string text(
        static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr)),
        '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
    return text;
#else
    return path.string();
#endif
}
} // namespace

std::filesystem::path PathOf(const std::string& path) {
#ifdef _WIN32
    if (path.empty()) return {};
    const int size = static_cast<int>(path.size());
    std::wstring wide(static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, path.data(), size, nullptr, 0)),
                      L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, path.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
#else
    return path;
#endif
}

std::string TempDir::operator/(const std::string& name) const {
#ifdef _WIN32
    return TextOf(path_) + "\\" + name;
#else
    return (path_ / name).string();
#endif
}

std::vector<std::string> TempDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        names.push_back(TextOf(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(PathOf(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadText(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, std::string_view text) {
    const std::filesystem::path parent = PathOf(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent);
    WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string EventName(FileEvent event) {
    switch (event) {
    case FileEvent::Create:
        return "create";
    case FileEvent::SyncFile:
        return "sync-file";
    case FileEvent::SyncFolder:
        return "sync-folder";
    case FileEvent::Rename:
        return "rename";
    case FileEvent::Remove:
        return "remove";
    case FileEvent::ReadAt:
        return "read";
    case FileEvent::Truncate:
        return "cut";
    case FileEvent::Link:
        return "link";
    case FileEvent::CreateTemporary:
        return "create-temporary";
    case FileEvent::Grow:
        return "grow";
    case FileEvent::Exchange:
        return "exchange";
    }
    return "event " + std::to_string(static_cast<int>(event));
}

bool MakeSymlink(const std::string& target, const std::string& link) {
    std::error_code error;
    std::filesystem::create_symlink(PathOf(target), PathOf(link), error);
    // Wine reports success without making anything: look.
    return !error && std::filesystem::is_symlink(std::filesystem::symlink_status(PathOf(link), error));
}

bool OwnerOnly(const std::string& path) {
#ifdef _WIN32
    // Every entry of the access list allows the current user (or the system itself) and no one else.
    // Wine keeps no access lists of its own: it shows the file's Unix mode as one, which works the same.
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(PathOf(path).wstring().c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    HANDLE token = nullptr;
    DWORD size = 0;
    alignas(TOKEN_USER) char user[256];
    bool ownerOnly = acl && ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token) &&
                     ::GetTokenInformation(token, TokenUser, user, sizeof user, &size);
    if (token) ::CloseHandle(token);
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID system = nullptr;
    ::AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system);
    for (DWORD i = 0; ownerOnly && i < acl->AceCount; ++i) {
        void* ace = nullptr;
        ownerOnly = ::GetAce(acl, i, &ace) && static_cast<ACE_HEADER*>(ace)->AceType == ACCESS_ALLOWED_ACE_TYPE;
        if (!ownerOnly) break;
        PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart;
        ownerOnly =
            ::EqualSid(sid, reinterpret_cast<TOKEN_USER*>(user)->User.Sid) || (system && ::EqualSid(sid, system));
    }
    if (system) ::FreeSid(system);
    ::LocalFree(descriptor);
    return ownerOnly;
#else
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & 077) == 0;
#endif
}

std::string ErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

std::vector<std::uint8_t> PatternBytes(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t state = seed * 2654435761u + 12345u;
    for (auto& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

} // namespace zarkent::test
