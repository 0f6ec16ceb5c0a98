#include "core/platform/Windows_win.h"

#include <cwctype>

namespace zarkent::win {

namespace {
// The code page of the texts that older Windows builds of the program wrote (names, captions).
constexpr UINT LegacyCodePage = 1254;

std::wstring Convert(UINT codePage, DWORD flags, std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), length);
    return wide;
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}
} // namespace

std::wstring Widen(std::string_view text) {
    if (text.empty()) return {};
    std::wstring wide = Convert(CP_UTF8, MB_ERR_INVALID_CHARS, text);
    if (wide.empty()) wide = Convert(LegacyCodePage, 0, text);
    return wide;
}

std::string Narrow(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::wstring LongPath(const std::string& path) {
    const std::wstring wide = Widen(path);
    if (wide.empty() || StartsWith(wide, L"\\\\?\\") || StartsWith(wide, L"\\\\.\\")) return wide;
    // The \\?\ form is taken literally, so "." and ".." and '/' must be resolved first.
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return wide;
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length);
    }
    if (StartsWith(full, L"\\\\.\\")) return full; // a device such as NUL
    if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() >= 2 && full[1] == L':') return L"\\\\?\\" + full;
    return full;
}

std::string ShownPath(std::wstring_view path) {
    if (StartsWith(path, L"\\\\?\\UNC\\")) return "\\\\" + Narrow(path.substr(8));
    if (StartsWith(path, L"\\\\?\\")) return Narrow(path.substr(4));
    return Narrow(path);
}

std::string ErrorText(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return "No such file or directory";
    case ERROR_ACCESS_DENIED:
        return "Permission denied";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return "File exists";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "No space left on device";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "The file is in use by another program";
    case ERROR_FILENAME_EXCED_RANGE:
        return "File name too long";
    case ERROR_WRITE_PROTECT:
        return "Read-only file system";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return "Cannot allocate memory";
    default:
        break;
    }
    // English like the program's other messages where the system has it, else the system's language.
    std::wstring text;
    for (const DWORD language : {DWORD{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)}, DWORD{0}}) {
        wchar_t* buffer = nullptr;
        const DWORD length = ::FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
            language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
        if (length > 0 && buffer) text.assign(buffer, length);
        if (buffer) ::LocalFree(buffer);
        if (!text.empty()) break;
    }
    while (!text.empty() && (std::iswspace(text.back()) || text.back() == L'.'))
        text.pop_back();
    if (text.empty()) return "System error " + std::to_string(error);
    return Narrow(text);
}

} // namespace zarkent::win
