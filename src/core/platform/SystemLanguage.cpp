#include "core/platform/SystemLanguage.h"

namespace zarkent {

bool LocalePrefersTurkish(std::string_view lcAll, std::string_view lcMessages, std::string_view lang) {
    for (const std::string_view value : {lcAll, lcMessages, lang})
        if (!value.empty()) return value.substr(0, 2) == "tr";
    return false;
}

} // namespace zarkent
