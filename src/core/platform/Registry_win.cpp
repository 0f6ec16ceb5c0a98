#include "core/platform/Registry_win.h"

#include <utility>
#include <vector>

#include "core/base/Error.h"

namespace zarkent::win {

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        if (key_) ::RegCloseKey(key_);
        key_ = std::exchange(other.key_, nullptr);
    }
    return *this;
}

RegistryKey::~RegistryKey() {
    if (key_) ::RegCloseKey(key_);
}

RegistryKey RegistryKey::Open(HKEY root, const std::wstring& path, REGSAM access) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return RegistryKey();
    return RegistryKey(key);
}

RegistryKey RegistryKey::Create(HKEY root, const std::wstring& path, const std::string& shownName) {
    HKEY key = nullptr;
    const LSTATUS status = ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_READ | KEY_WRITE | DELETE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        throw ZarkentError("Cannot create the registry key \"" + shownName + "\". " +
                           ErrorText(static_cast<DWORD>(status)));
    return RegistryKey(key);
}

std::optional<std::string> RegistryKey::ReadString(const std::string& name, const std::string& shownName) const {
    const std::wstring valueName = Widen(name);
    DWORD type = 0, bytes = 0;
    LSTATUS status = ::RegQueryValueExW(key_, valueName.c_str(), nullptr, &type, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
    auto fail = [&](const std::string& reason) -> std::optional<std::string> {
        throw ZarkentError("Cannot read the registry value \"" + name + "\" of \"" + shownName + "\". " + reason);
    };
    if (status != ERROR_SUCCESS) return fail(ErrorText(static_cast<DWORD>(status)));
    if (type != REG_SZ && type != REG_EXPAND_SZ) return fail("It is not a string");
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    status = ::RegQueryValueExW(key_, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes);
    if (status != ERROR_SUCCESS) return fail(ErrorText(static_cast<DWORD>(status)));
    // A stored string need not end with its terminator; it ends at the first one.
    std::size_t length = bytes / sizeof(wchar_t);
    for (std::size_t i = 0; i < length; ++i)
        if (text[i] == L'\0') length = i;
    return Narrow(std::wstring_view(text.data(), length));
}

void RegistryKey::WriteString(const std::string& name, const std::string& value, const std::string& shownName) const {
    const std::wstring valueName = Widen(name), text = Widen(value);
    const LSTATUS status =
        ::RegSetValueExW(key_, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS)
        throw ZarkentError("Cannot write the registry value \"" + name + "\" of \"" + shownName + "\". " +
                           ErrorText(static_cast<DWORD>(status)));
}

namespace {

class RegistrySettingsStore : public SettingsStore {
public:
    RegistrySettingsStore(HKEY root, std::wstring path, std::string shownName)
        : root_(root), path_(std::move(path)), shownName_(std::move(shownName)) {}

    bool KeyExists() override { return RegistryKey::Open(root_, path_).IsOpen(); }

    void CreateKey() override { RegistryKey::Create(root_, path_, shownName_); }

    std::optional<std::string> Read(const std::string& name) override {
        const RegistryKey key = RegistryKey::Open(root_, path_);
        if (!key.IsOpen()) return std::nullopt;
        return key.ReadString(name, shownName_);
    }

    void Write(const std::string& name, const std::string& value) override {
        RegistryKey::Create(root_, path_, shownName_).WriteString(name, value, shownName_);
    }

private:
    HKEY root_;
    std::wstring path_;
    std::string shownName_;
};

} // namespace

std::unique_ptr<SettingsStore> OpenRegistrySettings(HKEY root, std::wstring path, std::string shownName) {
    return std::make_unique<RegistrySettingsStore>(root, std::move(path), std::move(shownName));
}

} // namespace zarkent::win
