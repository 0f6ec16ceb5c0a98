#pragma once

// The per-user settings: one key holding named string values (the unnamed default value is ""). On
// Linux an INI file under $XDG_CONFIG_HOME/Zarkent/; a Windows build adds a registry implementation.

#include <memory>
#include <optional>
#include <string>

namespace zarkent {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Whether the program's key exists for this user.
    virtual bool KeyExists() = 0;
    // Creates the key (no values).
    virtual void CreateKey() = 0;
    virtual std::optional<std::string> Read(const std::string& name) = 0;
    // Throws ZarkentError when the value cannot be stored.
    virtual void Write(const std::string& name, const std::string& value) = 0;
};

// The store of the current user.
std::unique_ptr<SettingsStore> OpenUserSettings();

} // namespace zarkent
