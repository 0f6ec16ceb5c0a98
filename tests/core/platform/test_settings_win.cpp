// The settings in the registry (HKEY_CURRENT_USER\Software\Zarkent), each value read back with the
// registry functions themselves.

#include <gtest/gtest.h>

#include "TempDir.h"
#include "core/lang/Language.h"
#include "core/platform/Registry_win.h"
#include "core/state/Settings.h"
#include "core/state/SharedState.h"

namespace zarkent {
namespace {

// A scratch key under HKEY_CURRENT_USER\Software, removed at the end.
struct ScratchKey {
    std::wstring path = L"Software\\ZarkentTest-" + std::to_wstring(::GetCurrentProcessId());
    ScratchKey() { ::RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()); }
    ~ScratchKey() { ::RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()); }
    std::unique_ptr<SettingsStore> Store() const { return win::OpenRegistrySettings(HKEY_CURRENT_USER, path, "test"); }
};

// A string value as the registry holds it; "<missing>" or "<type N>" otherwise.
std::wstring RawValue(const std::wstring& key, const wchar_t* name) {
    wchar_t text[512];
    DWORD size = sizeof text, type = 0;
    const LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY, &type, text, &size);
    if (status != ERROR_SUCCESS) return L"<missing>";
    if (type != REG_SZ) return L"<type " + std::to_wstring(type) + L">";
    return text;
}

TEST(WindowsSettings, StoreWritesStringValues) {
    const ScratchKey scratch;
    auto store = scratch.Store();
    EXPECT_FALSE(store->KeyExists());
    EXPECT_EQ(store->Read(""), std::nullopt);
    store->CreateKey();
    EXPECT_TRUE(store->KeyExists());
    EXPECT_EQ(store->Read("ProgramHizAyari"), std::nullopt);
    store->Write("", "2");
    store->Write("ProgramHizAyari", "tphigher");
    store->Write("Name", "Türkçe ş");
    EXPECT_EQ(RawValue(scratch.path, nullptr), L"2");
    EXPECT_EQ(RawValue(scratch.path, L"ProgramHizAyari"), L"tphigher");
    EXPECT_EQ(RawValue(scratch.path, L"Name"), L"T\u00FCrk\u00E7e \u015F");
    EXPECT_EQ(store->Read(""), "2");
    EXPECT_EQ(store->Read("Name"), "Türkçe ş");

    // A value of another type is an error (settings loading then stops quietly).
    const DWORD number = 2;
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, scratch.path.c_str(), L"Number", REG_DWORD, &number, sizeof number),
              ERROR_SUCCESS);
    EXPECT_EQ(test::ErrorOf([&] { store->Read("Number"); }),
              "Cannot read the registry value \"Number\" of \"test\". It is not a string");
}

// The first start creates the key with "1" and "tpnormal"; a language switch stores its language
// and the priority in force; the next start reads them.
TEST(WindowsSettings, LoadAndSaveThroughTheRegistry) {
    const ScratchKey scratch;
    auto store = scratch.Store();
    SharedState state;
    LanguageTable language;
    int applied = 0;
    EXPECT_TRUE(LoadSettings(*store, state, language, [&] { ++applied; }));
    EXPECT_EQ(RawValue(scratch.path, nullptr), L"1");
    EXPECT_EQ(RawValue(scratch.path, L"ProgramHizAyari"), L"tpnormal");
    EXPECT_EQ(applied, 0);

    state.SelectedLanguage = 2;
    state.PriorityIndex = 4;
    EXPECT_TRUE(SaveSettings(*store, state));
    EXPECT_EQ(RawValue(scratch.path, nullptr), L"2");
    EXPECT_EQ(RawValue(scratch.path, L"ProgramHizAyari"), L"tphigher");

    SharedState next;
    LanguageTable nextLanguage;
    EXPECT_TRUE(LoadSettings(*store, next, nextLanguage, [&] { ++applied; }));
    EXPECT_EQ(next.SelectedLanguage.load(), 2);
    EXPECT_EQ(next.PriorityIndex.load(), 4);
    EXPECT_EQ(applied, 1);
}

// The program's own store is HKEY_CURRENT_USER\Software\Zarkent (what was there is put back).
TEST(WindowsSettings, UserSettingsLiveUnderSoftwareZarkent) {
    const std::wstring key = L"Software\\Zarkent";
    const bool existed = win::RegistryKey::Open(HKEY_CURRENT_USER, key).IsOpen();
    const std::wstring before = RawValue(key, L"ProgramHizAyari");
    auto store = OpenUserSettings();
    store->Write("ProgramHizAyari", "tplowest");
    EXPECT_EQ(RawValue(key, L"ProgramHizAyari"), L"tplowest");
    EXPECT_TRUE(store->KeyExists());
    if (!existed)
        ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    else if (before == L"<missing>")
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"ProgramHizAyari");
    else
        store->Write("ProgramHizAyari", win::Narrow(before));
}

} // namespace
} // namespace zarkent
