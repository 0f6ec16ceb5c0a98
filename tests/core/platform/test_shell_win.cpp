// The Windows plan executed for real: every registry key and value read back with the registry
// functions, the Send To shortcut loaded back through IShellLinkW, both languages in turn.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "ShellLink_win.h"
#include "TempDir.h"
#include "core/platform/Registry_win.h"
#include "core/platform/ShellWriter.h"
#include "core/shell/ShellPlan.h"

namespace zarkent {
namespace {

using namespace shell;
using Tree = std::map<std::wstring, std::wstring>;

const std::string Program = "C:\\Program Files\\Zarkent\\zarkent.exe";

ShellInput Input(LanguageSet set, const std::string& program = Program) {
    return {program, TextsOf(set), TextsOf(LanguageSet::Turkish), TextsOf(LanguageSet::English), {}};
}

// Every key below `path` (relative to `root`) with its default value, "-" for a key without one;
// other values as "key|name".
void Dump(HKEY root, const std::wstring& path, const std::wstring& shown, Tree& tree) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    wchar_t name[512];
    BYTE data[2048];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 512, dataSize = sizeof data, type = 0;
        if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        const std::wstring value = type == REG_SZ ? std::wstring(reinterpret_cast<wchar_t*>(data)) : L"<not a string>";
        tree[nameLength == 0 ? shown : shown + L"|" + name] = value;
    }
    if (!tree.count(shown)) tree[shown] = L"-";
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 512;
        if (::RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        Dump(key, name, shown.empty() ? name : shown + L"\\" + name, tree);
    }
    ::RegCloseKey(key);
}

// A scratch key standing for HKEY_CLASSES_ROOT, removed at the end.
struct ScratchClasses {
    std::wstring path = L"Software\\ZarkentShellTest-" + std::to_wstring(::GetCurrentProcessId());
    ScratchClasses() { ::RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()); }
    ~ScratchClasses() { ::RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()); }
    std::string Key() const { return win::Narrow(path); }
    Tree Read() const {
        Tree tree;
        Dump(HKEY_CURRENT_USER, path, L"", tree);
        tree.erase(L"");
        return tree;
    }
    void Plant(const std::wstring& key, const std::wstring& value) const {
        const std::wstring full = path + L"\\" + key;
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, full.c_str(), nullptr, REG_SZ, value.c_str(),
                                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
};

std::string OwnProgram() {
    wchar_t path[MAX_PATH * 2];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return win::Narrow(std::wstring(path, length));
}

// Exactly the registry table: the association, the document class with its icon and open verb, and
// the folder verb in the language in force; the old verbs are gone with their subkeys, the user's
// other verbs stay.
TEST(WindowsShellWriter, RegistryHoldsExactlyTheTable) {
    const ScratchClasses classes;
    classes.Plant(L"Folder\\shell\\Verschl\u00FCsseln / Entschl\u00FCsseln Ordner\\command", L"old.exe \"%1\"");
    classes.Plant(L"Folder\\shell\\Encrypt/Decrypt Folder\\command\\deeper", L"x");
    classes.Plant(L"Folder\\shell\\Other Tool\\command", L"other.exe \"%1\"");
    struct Case {
        LanguageSet set;
        const wchar_t *type, *open, *verb;
    };
    const Case cases[] = {
        {LanguageSet::English, L"Zarkent Encrypted Files", L"Decrypt File", L"Encrypt/Decrypt Folder"},
        {LanguageSet::Turkish, L"Zarkent \u015Eifreli Dosyalar\u0131", L"\u015Eifreli Dosya A\u00E7",
         L"Klas\u00F6r\u00FC \u015Eifrele/\u00C7\u00F6z\u00FCmle"},
        {LanguageSet::English, L"Zarkent Encrypted Files", L"Decrypt File", L"Encrypt/Decrypt Folder"},
    };
    const std::wstring program = win::Widen(Program);
    for (const Case& c : cases) {
        const ShellWriteResult result = ApplyWindowsPlan(WindowsAssociationPlan(Input(c.set)), classes.Key());
        EXPECT_TRUE(result.Ok()) << ::testing::PrintToString(result.problems);
        const std::wstring verb = std::wstring(L"Folder\\shell\\") + c.verb;
        const Tree expected = {
            {L".zrk", L"Zarkent.Document"},
            {L"Zarkent.Document", c.type},
            {L"Zarkent.Document\\DefaultIcon", program + L", 1"},
            {L"Zarkent.Document\\shell", L"-"},
            {L"Zarkent.Document\\shell\\open", c.open},
            {L"Zarkent.Document\\shell\\open\\command", L"\"" + program + L"\" \"%1\""},
            {L"Folder", L"-"},
            {L"Folder\\shell", L"-"},
            {L"Folder\\shell\\Other Tool", L"-"},
            {L"Folder\\shell\\Other Tool\\command", L"other.exe \"%1\""},
            {verb, L"-"},
            {verb + L"\\command", L"\"" + program + L"\" \"%1\" "},
        };
        EXPECT_EQ(classes.Read(), expected);
    }
}

// The user's own classes are what HKEY_CLASSES_ROOT shows: written there, the association is in force
// for this user without administrator rights. A registration that is there already is not touched.
TEST(WindowsShellWriter, UserClassesShowInClassesRoot) {
    if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        GTEST_SKIP() << "Wine 8's HKEY_CLASSES_ROOT does not show the user's classes";
    const std::wstring classes = L"Software\\Classes\\";
    for (const wchar_t* key : {L".zrk", L"Zarkent.Document", L"Folder\\shell\\Encrypt/Decrypt Folder"})
        if (win::RegistryKey::Open(HKEY_CURRENT_USER, classes + key).IsOpen())
            GTEST_SKIP() << "a real registration is present; not touched";
    const ShellWriteResult result = ApplyWindowsPlan(WindowsAssociationPlan(Input(LanguageSet::English)));
    EXPECT_TRUE(result.Ok()) << ::testing::PrintToString(result.problems);
    Tree seen;
    Dump(HKEY_CLASSES_ROOT, L".zrk", L".zrk", seen);
    Dump(HKEY_CLASSES_ROOT, L"Zarkent.Document\\shell\\open\\command", L"command", seen);
    Dump(HKEY_CLASSES_ROOT, L"Folder\\shell\\Encrypt/Decrypt Folder\\command", L"folder", seen);
    for (const wchar_t* key : {L".zrk", L"Zarkent.Document", L"Folder\\shell\\Encrypt/Decrypt Folder"})
        ::RegDeleteTreeW(HKEY_CURRENT_USER, (classes + key).c_str());
    const std::wstring program = win::Widen(Program);
    EXPECT_EQ(seen, (Tree{{L".zrk", L"Zarkent.Document"},
                          {L"command", L"\"" + program + L"\" \"%1\""},
                          {L"folder", L"\"" + program + L"\" \"%1\" "}}));
}

// A classes key that cannot be made (its name is longer than a key name may be) gives one problem,
// not one per registry operation; the plan's other operations still run.
TEST(WindowsShellWriter, ClassesKeyThatCannotBeMadeGivesOneProblem) {
    test::TempDir sendTo;
    WindowsPlan plan = WindowsAssociationPlan(Input(LanguageSet::English));
    const WindowsPlan link = WindowsSendToPlan(Input(LanguageSet::English, OwnProgram()), sendTo.Path().string());
    plan.insert(plan.end(), link.begin(), link.end());
    const std::string classes = "Software\\" + std::string(300, 'k');
    const ShellWriteResult result = ApplyWindowsPlan(plan, classes);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, win::Widen(classes).c_str());
    ASSERT_EQ(result.problems.size(), 1u) << ::testing::PrintToString(result.problems);
    EXPECT_EQ(result.problems[0].rfind("Cannot create the registry key \"HKEY_CURRENT_USER\\" + classes + "\". ", 0),
              0u)
        << result.problems[0];
    EXPECT_EQ(sendTo.Entries(), std::vector<std::string>{"Encrypt File.lnk"});
}

// One shortcut is left, in the language in force, leading to the program with its folder as the
// working folder; the other language's shortcut is removed first.
TEST(WindowsShellWriter, SendToShortcutLoadsBack) {
    test::TempDir sendTo;
    test::WriteBytes(sendTo / "Encrypt File.lnk", {1, 2, 3}); // an old one, in the other language
    test::WriteBytes(sendTo / "Other.lnk", {4});
    const std::string program = OwnProgram();
    const std::string folder = program.substr(0, program.find_last_of('\\') + 1);
    for (const auto& [set, name] :
         {std::pair{LanguageSet::Turkish, "Dosya Şifrele.lnk"}, std::pair{LanguageSet::English, "Encrypt File.lnk"},
          std::pair{LanguageSet::English, "Encrypt File.lnk"}}) {
        const ShellWriteResult result =
            ApplyWindowsPlan(WindowsSendToPlan(Input(set, program), sendTo.Path().string()));
        EXPECT_TRUE(result.Ok()) << ::testing::PrintToString(result.problems);
        EXPECT_EQ(sendTo.Entries(), (std::vector<std::string>{name, "Other.lnk"}));
        const test::LinkInfo link = test::LoadLink(sendTo / name);
        EXPECT_EQ(link.target, win::Widen(program)) << name;
        EXPECT_EQ(link.folder, win::Widen(folder)) << name;
    }
}

// Unregistering after both languages were written leaves nothing of ours: no association, document
// class, folder verb or shortcut in either language, while the user's other verbs and shortcuts stay.
// An association that another program has taken over since is that program's and stays.
TEST(WindowsShellWriter, UnregisterRemovesOnlyOurs) {
    for (const bool takenOver : {false, true}) {
        SCOPED_TRACE(takenOver ? "association taken over" : "association ours");
        const ScratchClasses classes;
        test::TempDir sendTo;
        test::WriteBytes(sendTo / "Other.lnk", {4});
        classes.Plant(L"Folder\\shell\\Other Tool\\command", L"other.exe \"%1\"");
        for (const LanguageSet set : {LanguageSet::Turkish, LanguageSet::English}) {
            WindowsPlan plan = WindowsAssociationPlan(Input(set, OwnProgram()));
            const WindowsPlan link = WindowsSendToPlan(Input(set, OwnProgram()), sendTo.Path().string());
            plan.insert(plan.end(), link.begin(), link.end());
            ASSERT_TRUE(ApplyWindowsPlan(plan, classes.Key()).Ok());
        }
        // The English run removed the Turkish verb and shortcut; put them back as an older version left them.
        classes.Plant(L"Folder\\shell\\Klas\u00F6r\u00FC \u015Eifrele/\u00C7\u00F6z\u00FCmle\\command", L"x");
        test::WriteBytes(sendTo / "Dosya Şifrele.lnk", {1});
        if (takenOver) classes.Plant(L".zrk", L"Other.Archive");

        const ShellWriteResult result =
            ApplyWindowsPlan(WindowsUnregisterPlan(Input(LanguageSet::English), sendTo.Path().string()), classes.Key());
        EXPECT_TRUE(result.Ok()) << ::testing::PrintToString(result.problems);
        Tree expected = {
            {L"Folder", L"-"},
            {L"Folder\\shell", L"-"},
            {L"Folder\\shell\\Other Tool", L"-"},
            {L"Folder\\shell\\Other Tool\\command", L"other.exe \"%1\""},
        };
        if (takenOver) expected[L".zrk"] = L"Other.Archive";
        EXPECT_EQ(classes.Read(), expected);
        EXPECT_EQ(sendTo.Entries(), std::vector<std::string>{"Other.lnk"});

        // A second run finds nothing to remove and says nothing.
        EXPECT_TRUE(
            ApplyWindowsPlan(WindowsUnregisterPlan(Input(LanguageSet::Turkish), sendTo.Path().string()), classes.Key())
                .Ok());
        EXPECT_EQ(classes.Read(), expected);
    }
}

TEST(WindowsShellWriter, SendToFolderIsTheUsersFolder) {
    const auto folder = WindowsSendToFolder();
    ASSERT_TRUE(folder.has_value());
    EXPECT_TRUE(std::filesystem::is_directory(test::PathOf(*folder))) << *folder;
    EXPECT_TRUE(folder->ends_with("\\SendTo")) << *folder;
}

} // namespace
} // namespace zarkent
