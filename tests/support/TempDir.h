#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/FileSystem.h"

namespace zarkent::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The folder and `name` joined by the platform's separator; `name` is the program's text (UTF-8).
    std::string operator/(const std::string& name) const;
    // Names of the entries in the folder, sorted.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path path_;
};

// A path in the program's text (UTF-8) as std::filesystem takes it (the C runtime of MinGW reads
// narrow names in another code page).
std::filesystem::path PathOf(const std::string& path);

std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
// The same as text; WriteText makes the folders on the way. Both throw when the file cannot be read or
// written.
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, std::string_view text);
// Makes `link` a symbolic link to `target`; false where the system cannot make one (Windows without
// the right to, Wine).
bool MakeSymlink(const std::string& target, const std::string& link);
// Whether only the file's owner may read or write it (mode 0600 on POSIX; on Windows an access list
// that allows the current user, or the system itself, and no one else).
bool OwnerOnly(const std::string& path);
// The message of the exception `work` throws, or "(no error)".
std::string ErrorOf(const std::function<void()>& work);
// A file event as the event-list tests write it: "create", "sync-file", "sync-folder", "rename",
// "remove", "read", "cut", "link", "create-temporary", "grow", "exchange".
std::string EventName(FileEvent event);
// Deterministic filler bytes.
std::vector<std::uint8_t> PatternBytes(std::size_t size, std::uint32_t seed = 1);

} // namespace zarkent::test
