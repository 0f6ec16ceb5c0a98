#include "core/state/Settings.h"

#include "core/base/Error.h"
#include "core/cipher/ZarkentLib.h"
#include "core/lang/Language.h"
#include "core/platform/SettingsStore.h"
#include "core/state/SharedState.h"

namespace zarkent {

std::optional<int> PriorityFromName(std::string_view name) {
    for (int i = 0; i < 7; ++i)
        if (name == PriorityNames[i]) return i;
    return std::nullopt;
}

int TextToInteger(const std::string& text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    const std::size_t firstDigit = i;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9' || value > 2147483648LL) break;
        value = value * 10 + (text[i] - '0');
    }
    if (i != text.size() || i == firstDigit || value > 2147483647LL + (negative ? 1 : 0))
        throw ZarkentError("'" + text + "' is not a valid integer value");
    return static_cast<int>(negative ? -value : value);
}

bool LoadSettings(SettingsStore& store, SharedState& state, LanguageTable& language,
                  const std::function<void()>& applyLanguage) {
    try {
        if (store.KeyExists()) {
            // The stored value goes into byte-sized settings, as a byte.
            const auto value = static_cast<std::uint8_t>(TextToInteger(store.Read("").value_or("")));
            state.SelectedLanguage = value;
            language.ActiveLanguage = value;
            if (applyLanguage) applyLanguage();
            if (auto index = PriorityFromName(store.Read(PriorityValueName).value_or("")))
                state.PriorityIndex = static_cast<std::uint8_t>(*index);
        } else {
            store.CreateKey();
            store.Write("", "1");
            store.Write(PriorityValueName, "tpnormal");
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool SaveSettings(SettingsStore& store, const SharedState& state) {
    if (!store.KeyExists()) store.CreateKey();
    store.Write("", NumberToText(state.SelectedLanguage.load()));
    // The priority in force, the one the next job runs at: whatever the user picked, or what ticking
    // "Compress" made of the default.
    const unsigned index = state.PriorityIndex.load();
    store.Write(PriorityValueName, PriorityNames[index < 7 ? index : 3]);
    return true;
}

} // namespace zarkent
