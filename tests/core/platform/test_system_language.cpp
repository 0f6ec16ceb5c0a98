// The first start's language from the locale variables: the first one set decides.

#include <gtest/gtest.h>

#include "core/platform/SystemLanguage.h"

namespace zarkent {
namespace {

TEST(SystemLanguage, FirstSetLocaleVariableDecides) {
    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        bool turkish;
    };
    const Case cases[] = {
        {"", "", "tr_TR.UTF-8", true},
        {"", "", "tr", true},
        {"", "", "en_US.UTF-8", false},
        {"", "", "", false}, // nothing set: English
        {"", "", "C.UTF-8", false},
        {"en_GB.UTF-8", "", "tr_TR.UTF-8", false}, // LC_ALL comes first
        {"tr_TR.UTF-8", "en_US.UTF-8", "en_US.UTF-8", true},
        {"", "tr_TR.UTF-8", "en_US.UTF-8", true}, // then LC_MESSAGES
        {"", "de_DE.UTF-8", "tr_TR.UTF-8", false},
        {"", "", "TR_tr", false}, // locale names are case-sensitive
        {"", "", "ptr_XX", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LocalePrefersTurkish(c.lcAll, c.lcMessages, c.lang), c.turkish)
            << c.lcAll << "|" << c.lcMessages << "|" << c.lang;
}

} // namespace
} // namespace zarkent
