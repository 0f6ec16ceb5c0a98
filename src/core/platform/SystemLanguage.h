#pragma once

// The language the user's system speaks, for a first start that has no stored choice yet.

#include <string_view>

namespace zarkent {

// Whether the system's messages are in Turkish: on Linux the first of LC_ALL, LC_MESSAGES and LANG that
// is set and not empty starts with "tr"; on Windows the user's display language is Turkish.
bool SystemPrefersTurkish();

// The rule for the three locale variables, each empty when unset.
bool LocalePrefersTurkish(std::string_view lcAll, std::string_view lcMessages, std::string_view lang);

} // namespace zarkent
