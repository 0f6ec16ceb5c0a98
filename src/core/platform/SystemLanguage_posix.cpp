#include <cstdlib>

#include "core/platform/SystemLanguage.h"

namespace zarkent {

bool SystemPrefersTurkish() {
    auto variable = [](const char* name) -> std::string_view {
        const char* value = std::getenv(name);
        return value ? value : "";
    };
    return LocalePrefersTurkish(variable("LC_ALL"), variable("LC_MESSAGES"), variable("LANG"));
}

} // namespace zarkent
