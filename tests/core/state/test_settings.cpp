// Loading and saving the two per-user settings against an in-memory store.

#include <gtest/gtest.h>

#include <map>

#include "core/base/Error.h"
#include "core/lang/Language.h"
#include "core/platform/SettingsStore.h"
#include "core/state/Settings.h"
#include "core/state/SharedState.h"

namespace zarkent {
namespace {

class MemoryStore : public SettingsStore {
public:
    bool KeyExists() override { return exists; }
    void CreateKey() override { exists = true; }
    std::optional<std::string> Read(const std::string& name) override {
        auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    void Write(const std::string& name, const std::string& value) override {
        if (!exists) throw ZarkentError("no key");
        values[name] = value;
    }

    bool exists = false;
    std::map<std::string, std::string> values;
};

TEST(Settings, FirstStartWritesDefaultsAndAppliesNothing) {
    MemoryStore store;
    SharedState state;
    LanguageTable language;
    int applied = 0;
    EXPECT_TRUE(LoadSettings(store, state, language, [&] { ++applied; }));
    EXPECT_TRUE(store.exists);
    EXPECT_EQ(store.values, (std::map<std::string, std::string>{{"", "1"}, {"ProgramHizAyari", "tpnormal"}}));
    EXPECT_EQ(applied, 0);
    EXPECT_EQ(state.SelectedLanguage.load(), 0);
    EXPECT_EQ(language.ActiveLanguage.load(), 0);
    EXPECT_EQ(state.PriorityIndex.load(), 3);
}

TEST(Settings, StoredValuesAreRead) {
    struct Case {
        const char* language;
        const char* priority;
        bool loaded;
        int selected; // SelectedLanguage and ActiveLanguage afterwards
        int applied;
        int priorityIndex;
    };
    const Case cases[] = {
        {"2", "tphighest", true, 2, 1, 5},
        {"1", "tpidle", true, 1, 1, 0},
        {"2", "tptimecritical", true, 2, 1, 6},
        {"2", "TPHIGHER", true, 2, 1, 3}, // names are case-sensitive: the priority stays
        {"1", "", true, 1, 1, 3},
        {"abc", "tphighest", false, 0, 0, 3}, // not a number: the load stops before
                                              // anything is set
        {"", "tplowest", false, 0, 0, 3},
        {"258", "tplower", true, 2, 1, 2}, // taken as a byte
    };
    for (const Case& c : cases) {
        MemoryStore store;
        store.exists = true;
        store.values = {{"", c.language}, {"ProgramHizAyari", c.priority}};
        SharedState state;
        LanguageTable language;
        int applied = 0;
        EXPECT_EQ(LoadSettings(store, state, language, [&] { ++applied; }), c.loaded) << c.language;
        EXPECT_EQ(state.SelectedLanguage.load(), c.selected) << c.language;
        EXPECT_EQ(language.ActiveLanguage.load(), c.selected) << c.language;
        EXPECT_EQ(applied, c.applied) << c.language;
        EXPECT_EQ(state.PriorityIndex.load(), c.priorityIndex) << c.language << " " << c.priority;
    }
}

// The stored priority is the one in force, so a restart runs jobs as before.
TEST(Settings, SaveWritesLanguageAndPriorityInForce) {
    for (int index = 0; index < 7; ++index) {
        MemoryStore store;
        SharedState state;
        state.SelectedLanguage = 2;
        state.PriorityIndex = static_cast<std::uint8_t>(index);
        EXPECT_TRUE(SaveSettings(store, state));
        EXPECT_EQ(store.values,
                  (std::map<std::string, std::string>{{"", "2"}, {"ProgramHizAyari", PriorityNames[index]}}));
        SharedState next;
        LanguageTable language;
        EXPECT_TRUE(LoadSettings(store, next, language, {}));
        EXPECT_EQ(next.PriorityIndex.load(), index);
    }
}

TEST(Settings, TextToInteger) {
    const std::pair<const char*, int> valid[] = {
        {"0", 0}, {"12", 12}, {"-5", -5}, {"+7", 7}, {"007", 7}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
    };
    for (auto [text, value] : valid)
        EXPECT_EQ(TextToInteger(text), value) << text;
    for (const char* text : {"", "-", "+", " 1", "1 ", "1a", "0x10", "2147483648", "-2147483649", "99999999999"}) {
        try {
            TextToInteger(text);
            ADD_FAILURE() << "no error for '" << text << "'";
        } catch (const ZarkentError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}

} // namespace
} // namespace zarkent
