#pragma once

// Loading and saving the two per-user settings: the language (the default value, "1" or "2") and the
// job priority ("ProgramHizAyari", one of seven names).

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zarkent {

class LanguageTable;
class SettingsStore;
struct SharedState;

inline constexpr const char* PriorityValueName = "ProgramHizAyari";
inline constexpr const char* PriorityNames[7] = {"tpidle",   "tplowest",  "tplower",       "tpnormal",
                                                 "tphigher", "tphighest", "tptimecritical"};

// PriorityIndex of a stored name (exact, case-sensitive), or nothing.
std::optional<int> PriorityFromName(std::string_view name);

// Text to integer as the settings need it: optional sign and decimal digits, nothing else. Throws
// ZarkentError("'TEXT' is not a valid integer value").
int TextToInteger(const std::string& text);

// Reads the settings into SelectedLanguage, ActiveLanguage (then `applyLanguage` runs) and PriorityIndex;
// on a first start writes the defaults "1" and "tpnormal" and applies nothing. Any failure ends it
// silently with false; what was done before stays done.
bool LoadSettings(SettingsStore& store, SharedState& state, LanguageTable& language,
                  const std::function<void()>& applyLanguage);

// Writes SelectedLanguage and the name of PriorityIndex. Failures propagate.
bool SaveSettings(SettingsStore& store, const SharedState& state);

} // namespace zarkent
