#include <windows.h>

#include "core/platform/SystemLanguage.h"

namespace zarkent {

bool SystemPrefersTurkish() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_TURKISH;
}

} // namespace zarkent
