#include "core/platform/SettingsStore.h"

#include "core/platform/Registry_win.h"

namespace zarkent {

std::unique_ptr<SettingsStore> OpenUserSettings() {
    return win::OpenRegistrySettings(HKEY_CURRENT_USER, L"Software\\Zarkent", "HKEY_CURRENT_USER\\Software\\Zarkent");
}

} // namespace zarkent
