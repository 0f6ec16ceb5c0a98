#pragma once

// Helpers the Windows implementations share: the program's 8-bit text (UTF-8) to and from the
// system's UTF-16, long paths, and the texts of Win32 errors. Windows only.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <string_view>

namespace zarkent::win {

// UTF-8 to UTF-16. Bytes that are not UTF-8 (names written by older Windows programs in the Turkish
// code page) are read in code page 1254.
std::wstring Widen(std::string_view text);
// UTF-16 to UTF-8.
std::string Narrow(std::wstring_view text);

// The path as the wide file functions take it: made absolute, and with the \\?\ prefix (\\?\UNC\ for
// a share) so that paths beyond MAX_PATH work. Device names (NUL, COM1, \\.\...) stay devices.
std::wstring LongPath(const std::string& path);
// A path as the program shows it: without the \\?\ or \\?\UNC\ prefix.
std::string ShownPath(std::wstring_view path);

// The reason for a Win32 error code: the common ones in the same words as on Linux, others in the
// system's words.
std::string ErrorText(DWORD error);

// Closes a handle at the end of a scope.
class HandleGuard {
public:
    explicit HandleGuard(HANDLE handle) : handle_(handle) {}
    ~HandleGuard() {
        if (handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr) ::CloseHandle(handle_);
    }
    HandleGuard(const HandleGuard&) = delete;
    HandleGuard& operator=(const HandleGuard&) = delete;
    HANDLE Get() const { return handle_; }
    HANDLE Release() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }

private:
    HANDLE handle_;
};

} // namespace zarkent::win
