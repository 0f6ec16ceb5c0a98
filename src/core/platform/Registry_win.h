#pragma once

// The registry as the Windows implementations use it: keys that close themselves, string values in
// the program's text (UTF-8), and errors as ZarkentError naming the key. Windows only.

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "core/platform/SettingsStore.h"
#include "core/platform/Windows_win.h"

namespace zarkent::win {

class RegistryKey {
public:
    RegistryKey() = default;
    explicit RegistryKey(HKEY key) : key_(key) {}
    RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey();

    // Opens `path` under `root`; nothing when it does not exist or cannot be opened.
    static RegistryKey Open(HKEY root, const std::wstring& path, REGSAM access = KEY_READ);
    // Opens `path` under `root`, creating the missing keys. Throws "Cannot create the registry key ...".
    static RegistryKey Create(HKEY root, const std::wstring& path, const std::string& shownName);

    bool IsOpen() const { return key_ != nullptr; }
    HKEY Get() const { return key_; }

    // A string value ("" names the default value); nothing when it is missing. Throws for a value
    // that is not a string.
    std::optional<std::string> ReadString(const std::string& name, const std::string& shownName) const;
    // Throws "Cannot write the registry value ...".
    void WriteString(const std::string& name, const std::string& value, const std::string& shownName) const;

private:
    HKEY key_ = nullptr;
};

// The settings store on any key (the program's own is HKEY_CURRENT_USER\Software\Zarkent; tests use
// a scratch key). `shownName` is how messages name the key.
std::unique_ptr<SettingsStore> OpenRegistrySettings(HKEY root, std::wstring path, std::string shownName);

} // namespace zarkent::win
