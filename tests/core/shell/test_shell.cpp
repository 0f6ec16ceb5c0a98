// Desktop integration: what the Linux and Windows plans hold, and what the writer makes of a Linux
// plan in a temporary home (never the real one): entries in the language in force and no other,
// commands that survive their quoting, the user's shared files kept byte for byte, problems
// reported once per folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "TempDir.h"
#include "core/platform/FileSystem.h"
#include "core/platform/ShellWriter.h"
#include "core/shell/SharedFileEdits.h"
#include "core/shell/ShellPlan.h"

namespace zarkent {
namespace {

using namespace shell;
namespace fs = std::filesystem;

ShellInput Input(LanguageSet set, const std::string& program = "/opt/zarkent/zarkent") {
    return {program, TextsOf(set), TextsOf(LanguageSet::Turkish), TextsOf(LanguageSet::English), {}};
}

using namespace test;

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

bool ToolPresent(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command line; returns its exit code and its output (both streams).
int RunCommand(const std::string& command, std::string* output = nullptr) {
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    std::string text;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        text.append(buffer, n);
    const int status = ::pclose(pipe);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A temporary home: $XDG_DATA_HOME and $XDG_CONFIG_HOME of its own.
struct Home {
    test::TempDir dir;
    ShellFolders folders{dir / "data", dir / "config"};

    ShellWriteResult Apply(const LinuxPlan& plan) { return ApplyLinuxPlan(plan, folders, {std::chrono::seconds(20)}); }
    ShellWriteResult ApplyBoth(const ShellInput& input) {
        ShellWriteResult result = Apply(LinuxAssociationPlan(input));
        const ShellWriteResult sendTo = Apply(LinuxSendToPlan(input));
        result.problems.insert(result.problems.end(), sendTo.problems.begin(), sendTo.problems.end());
        return result;
    }
    std::string Data(const std::string& path) const { return folders.data + "/" + path; }
    std::string Config(const std::string& path) const { return folders.config + "/" + path; }
    std::vector<std::string> Names(const std::string& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Every regular file below the home.
    std::vector<fs::path> Files() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
            if (entry.is_regular_file()) files.push_back(entry.path());
        return files;
    }
};

bool Executable(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & S_IXUSR) != 0;
}

const char* const FolderEntryFiles[] = {"kio/servicemenus/zarkent-folder.desktop",
                                        "nemo/actions/zarkent-folder.nemo_action"};
const char* const SendToFiles[] = {"Thunar/sendto/zarkent-encrypt-file.desktop",
                                   "kio/servicemenus/zarkent-encrypt-file.desktop",
                                   "nemo/actions/zarkent-encrypt-file.nemo_action"};

TEST(LinuxShell, EntriesFollowTheLanguageInForce) {
    for (const LanguageSet set : {LanguageSet::English, LanguageSet::Turkish}) {
        const LanguageSet otherSet = set == LanguageSet::English ? LanguageSet::Turkish : LanguageSet::English;
        SCOPED_TRACE(set == LanguageSet::English ? "English" : "Turkish");
        // The rows themselves, not the plan's idea of them.
        const auto row = [set](int number) { return std::string(SetText(set, number)); };
        const auto otherRow = [otherSet](int number) { return std::string(SetText(otherSet, number)); };
        const ShellTexts texts{row(42), row(54), row(55), row(60)};
        const ShellTexts other{otherRow(42), otherRow(54), otherRow(55), otherRow(60)};
        Home home;
        // A start in the other language first: its entries must go.
        ASSERT_TRUE(home.ApplyBoth(Input(otherSet)).Ok());
        const ShellWriteResult result = home.ApplyBoth(Input(set));
        ASSERT_TRUE(result.Ok()) << result.problems.front();

        for (const char* file : FolderEntryFiles)
            EXPECT_NE(ReadText(home.Data(file)).find("Name=" + texts.folderEntry + "\n"), std::string::npos) << file;
        EXPECT_EQ(home.Names(home.Data("nautilus/scripts")),
                  std::vector<std::string>{NautilusScriptName(texts.folderEntry)});
        EXPECT_TRUE(Executable(home.Data("nautilus/scripts/" + NautilusScriptName(texts.folderEntry))));
        const std::string uca = ReadText(home.Config("Thunar/uca.xml"));
        EXPECT_EQ(Count(uca, "<unique-id>zarkent-folder-entry</unique-id>"), 1u);
        EXPECT_NE(uca.find("<name>" + texts.folderEntry + "</name>"), std::string::npos);

        EXPECT_EQ(home.Names(home.Data("Thunar/sendto")), std::vector<std::string>{"zarkent-encrypt-file.desktop"});
        for (const char* file : SendToFiles) {
            const std::string entry = ReadText(home.Data(file));
            EXPECT_NE(entry.find("Name=" + texts.encryptFile + "\n"), std::string::npos) << file;
            EXPECT_NE(entry.find("%F"), std::string::npos) << file << ": every selected file is passed";
        }
        EXPECT_NE(ReadText(home.Data("applications/zarkent.desktop")).find("Name=" + texts.decryptFile + "\n"),
                  std::string::npos);
        for (const char* menu :
             {"kio/servicemenus/zarkent-folder.desktop", "kio/servicemenus/zarkent-encrypt-file.desktop"})
            EXPECT_TRUE(Executable(home.Data(menu))) << menu;
        const std::string mime = ReadText(home.Data("mime/packages/zarkent.xml"));
        EXPECT_NE(mime.find("<comment>" + texts.documentType + "</comment>"), std::string::npos);
        EXPECT_NE(mime.find("<comment xml:lang=\"tr\">" + std::string(TurkishText(60)) + "</comment>"),
                  std::string::npos);
        EXPECT_NE(mime.find("<comment xml:lang=\"en\">" + std::string(EnglishText(60)) + "</comment>"),
                  std::string::npos);
        EXPECT_NE(ReadText(home.Config("mimeapps.list"))
                      .find("[Default Applications]\n" + std::string(MimeType) + "=zarkent.desktop\n"),
                  std::string::npos);

        // Nothing written holds a menu text of the other language, and no temporary file is left.
        for (const fs::path& file : home.Files()) {
            const std::string content = ReadText(file);
            for (const std::string& text : {other.folderEntry, other.encryptFile, other.decryptFile})
                EXPECT_EQ(content.find(text), std::string::npos) << file << " holds " << text;
            EXPECT_EQ(file.filename().string().find(".zarkent-"), std::string::npos) << file;
        }
    }
}

TEST(LinuxShell, DesktopFilesPassTheValidator) {
    if (!ToolPresent("desktop-file-validate")) GTEST_SKIP() << "desktop-file-validate is not installed";
    Home home;
    // A path that needs every kind of quoting, and Turkish names.
    ASSERT_TRUE(home.ApplyBoth(Input(LanguageSet::Turkish, "/opt/my \"odd\" $dir 100% `x`\\y/zarkent")).Ok());
    int validated = 0;
    for (const fs::path& file : home.Files()) {
        if (file.extension() != ".desktop") continue;
        std::string output;
        EXPECT_EQ(RunCommand("desktop-file-validate " + ShellWord(file), &output), 0) << file << "\n" << output;
        EXPECT_EQ(output.find("error"), std::string::npos) << output;
        ++validated;
    }
    EXPECT_EQ(validated, 4); // the application, two Dolphin menus, Thunar's Send To
}

// --- Commands survive their quoting ----------------------------------------------------------------

TEST(LinuxShell, QuotingFollowsEachReader) {
    const std::string path = " a\"b$c`d\\e%f'g\nh";
    // Desktop Entry: quoted argument with " ` $ \ escaped and % doubled, then the value escapes.
    EXPECT_EQ(ExecArgument(path), "\" a\\\"b\\$c\\`d\\\\e%%f'g\nh\"");
    EXPECT_EQ(KeyFileValue(path), "\\sa\"b$c`d\\\\e%f'g\\nh");
    EXPECT_EQ(ShellWord(path), "' a\"b$c`d\\e%f'\\''g\nh'");
    EXPECT_EQ(XmlText("<a & 'b'>\r"), "&lt;a &amp; 'b'&gt;&#13;");
    EXPECT_EQ(NautilusScriptName("Encrypt/Decrypt Folder"), "Encrypt\u2215Decrypt Folder");
}

std::string KeyFileUnescaped(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char c = value[++i];
        out += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c == 's' ? ' ' : c;
    }
    return out;
}

std::string XmlUnescaped(std::string text) {
    const std::pair<const char*, const char*> entities[] = {{"&lt;", "<"},   {"&gt;", ">"},   {"&quot;", "\""},
                                                            {"&apos;", "'"}, {"&#13;", "\r"}, {"&amp;", "&"}};
    for (const auto& [entity, character] : entities)
        for (std::size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, std::string(entity).size(), character);
    return text;
}

std::string ValueOf(const std::string& entry, const std::string& key) {
    const std::size_t at = entry.find("\n" + key + "=");
    EXPECT_NE(at, std::string::npos) << key;
    const std::size_t begin = at + key.size() + 2;
    return entry.substr(begin, entry.find('\n', begin) - begin);
}

// What Thunar and Nemo do with their command: replace the % codes by shell-quoted paths, "%%" by "%";
// the result is read as a shell line (Thunar: /bin/sh -c; Nemo: GLib's parser, the same for these words).
std::string Substituted(const std::string& command, const std::string& code, const std::vector<std::string>& paths) {
    std::string out;
    for (std::size_t i = 0; i < command.size(); ++i) {
        if (command.compare(i, 2, "%%") == 0) {
            out += '%';
            ++i;
        } else if (command.compare(i, code.size(), code) == 0) {
            for (std::size_t k = 0; k < paths.size(); ++k)
                out += (k ? " " : "") + ShellWord(paths[k]);
            i += code.size() - 1;
        } else {
            out += command[i];
        }
    }
    return out;
}

TEST(LinuxShell, CommandsReachTheProgramWithItsPathIntact) {
    test::TempDir place;
    const std::string record = place / "arguments";
    // Stands in for the program: writes the path it was started as, then each argument, one per line.
    auto makeProgram = [&](const std::string& folder) {
        const std::string program = folder + "/zarkent";
        fs::create_directories(folder);
        WriteText(program, "#!/bin/sh\n{ printf '%s\\n' \"$0\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > " +
                               ShellWord(record) + "\n");
        fs::permissions(program, fs::perms::owner_all);
        return program;
    };
    // The lines the stand-in wrote (waiting up to ten seconds for `count` of them), then forgets them.
    auto recorded = [&](std::size_t count = 1) {
        std::vector<std::string> lines;
        for (int wait = 0; wait < 1000; ++wait) {
            lines.clear();
            std::ifstream in(record);
            for (std::string line; std::getline(in, line);)
                lines.push_back(line);
            if (lines.size() >= count) break;
            ::usleep(10000);
        }
        fs::remove(record);
        return lines;
    };
    const std::string folder = place / "my files";
    const std::string file1 = place / "a b.zrk", file2 = place / "it's.txt";
    using Lines = std::vector<std::string>;

    // Blanks, both quotes, $, a backtick, a backslash and a percent sign.
    const std::string program = makeProgram(place / "bin dir/it's \"q\" $HOME `x` \\ 50%");
    Home home;
    ASSERT_TRUE(home.ApplyBoth(Input(LanguageSet::English, program)).Ok());

    const std::string script = home.Data("nautilus/scripts/" + NautilusScriptName(std::string(EnglishText(42))));
    ASSERT_EQ(RunCommand(ShellWord(script) + " " + ShellWord(folder)), 0);
    EXPECT_EQ(recorded(), (Lines{program, folder}));

    const std::string uca = ReadText(home.Config("Thunar/uca.xml"));
    const std::size_t begin = uca.find("<command>") + 9;
    const std::string thunar = XmlUnescaped(uca.substr(begin, uca.find("</command>") - begin));
    ASSERT_EQ(RunCommand("/bin/sh -c " + ShellWord(Substituted(thunar, "%f", {folder}))), 0);
    EXPECT_EQ(recorded(), (Lines{program, folder}));

    for (const auto& [action, paths] :
         {std::pair<std::string, Lines>{"nemo/actions/zarkent-folder.nemo_action", {folder}},
          {"nemo/actions/zarkent-encrypt-file.nemo_action", {file1, file2}}}) {
        const std::string exec = KeyFileUnescaped(ValueOf(ReadText(home.Data(action)), "Exec"));
        ASSERT_EQ(RunCommand("/bin/sh -c " + ShellWord(Substituted(exec, "%F", paths))), 0) << action;
        Lines expected{program};
        expected.insert(expected.end(), paths.begin(), paths.end());
        EXPECT_EQ(recorded(), expected) << action;
    }

    // The desktop entries through GLib's own launcher. GLib looks the program up before it expands
    // "%%", so the percent sign is left out of this path.
    if (!ToolPresent("gio")) {
        std::printf("gio is not installed: desktop entries not launched\n");
        return;
    }
    const std::string launched = makeProgram(place / "gio dir/it's \"q\" $HOME `x` \\ b");
    ASSERT_TRUE(home.ApplyBoth(Input(LanguageSet::English, launched)).Ok());
    for (const std::string entry : {"applications/zarkent.desktop", "Thunar/sendto/zarkent-encrypt-file.desktop",
                                    "kio/servicemenus/zarkent-encrypt-file.desktop"}) {
        std::string output;
        ASSERT_EQ(
            RunCommand("gio launch " + ShellWord(home.Data(entry)) + " " + ShellWord(file1) + " " + ShellWord(file2),
                       &output),
            0)
            << entry << ": " << output;
        EXPECT_EQ(recorded(3), (Lines{launched, file1, file2})) << entry; // gio does not wait for the program
    }
}

TEST(LinuxShell, MovedProgramRewritesEveryPath) {
    Home home;
    ShellInput before = Input(LanguageSet::Turkish, "/opt/old place/zarkent");
    before.iconPng = "icon bytes";
    ASSERT_TRUE(home.ApplyBoth(before).Ok());
    ShellInput after = Input(LanguageSet::Turkish, "/home/user/new place/zarkent");
    after.iconPng = "icon bytes";
    ASSERT_TRUE(home.ApplyBoth(after).Ok());
    std::size_t mentioning = 0;
    for (const fs::path& file : home.Files()) {
        const std::string content = ReadText(file);
        EXPECT_EQ(content.find("old place"), std::string::npos) << file;
        mentioning += content.find("/home/user/new place/zarkent") != std::string::npos;
    }
    // The application, both Dolphin menus, the script, Thunar's action and launcher, both Nemo actions.
    EXPECT_EQ(mentioning, 8u);
    EXPECT_EQ(ValueOf(ReadText(home.Data("applications/zarkent.desktop")), "TryExec"), "/home/user/new place/zarkent");
    EXPECT_EQ(ReadText(home.Data("icons/hicolor/128x128/apps/zarkent.png")), "icon bytes");
}

// --- Shared files -----------------------------------------------------------------------------------

TEST(SharedFiles, DefaultApplicationChangesOnlyOurLine) {
    const std::string ours = std::string(MimeType) + "=zarkent.desktop";
    struct Case {
        const char* name;
        std::string before, after;
    };
    const Case cases[] = {
        {"no file", "", "[Default Applications]\n" + ours + "\n"},
        {"our line rewritten in place; other groups, comments, spacing and the missing last newline kept",
         "# mine\n[Added Associations]\ntext/plain=gedit.desktop;\n\n[Default Applications]\ntext/html=a.desktop\n"
         "  application/x-zarkent-encrypted = "
         "other.desktop;\n#application/x-zarkent-encrypted=x\nimage/png=eog.desktop",
         "# mine\n[Added Associations]\ntext/plain=gedit.desktop;\n\n[Default Applications]\ntext/html=a.desktop\n" +
             ours + "\n#application/x-zarkent-encrypted=x\nimage/png=eog.desktop"},
        {"group appended", "[Added Associations]\ntext/plain=gedit.desktop;",
         "[Added Associations]\ntext/plain=gedit.desktop;\n[Default Applications]\n" + ours + "\n"},
        {"our type in another group only",
         "[Added Associations]\napplication/x-zarkent-encrypted=o.desktop;\n[Default "
         "Applications]\ntext/html=a.desktop\n",
         "[Added Associations]\napplication/x-zarkent-encrypted=o.desktop;\n[Default Applications]\n" + ours +
             "\ntext/html=a.desktop\n"},
        {"CRLF lines", "[Default Applications]\r\ntext/html=a.desktop\r\n",
         "[Default Applications]\r\n" + ours + "\r\ntext/html=a.desktop\r\n"},
        {"header is the last line", "[Default Applications]", "[Default Applications]\n" + ours},
        {"last line is ours, without newline", "[Default Applications]\napplication/x-zarkent-encrypted=b.desktop",
         "[Default Applications]\n" + ours},
        {"already right", "[Default Applications]\n" + ours + "\n", "[Default Applications]\n" + ours + "\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SetDefaultApplication(c.before, MimeType, "zarkent.desktop"), c.after) << c.name;
}

const std::string NewAction = "<action>\n\t<name>New</name>\n\t<unique-id>ours</unique-id>\n</action>\n";

TEST(SharedFiles, ThunarActionReplacesOnlyOurs) {
    struct Case {
        const char* name;
        std::string before, after;
    };
    const std::string user1 = "<action>\n\t<name>Open Terminal Here</name>\n\t<unique-id>1-1</unique-id>\n"
                              "\t<command>exo-open --working-directory %f --launch TerminalEmulator</command>\n"
                              "\t<patterns>*</patterns>\n\t<directories/>\n</action>\n";
    const std::string user2 = "  <action><name>Zip &amp; send</name><unique-id>2-2</unique-id><!-- <x> --></action>\n";
    const std::string old = "<action>\n\t<name>Old</name>\n\t<unique-id> ours </unique-id>\n</action>\n";
    const Case cases[] = {
        {"no file", "", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n" + NewAction + "</actions>\n"},
        {"only blanks", " \n", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n" + NewAction + "</actions>\n"},
        {"ours between the user's",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- mine -->\n<actions>\n" + user1 + old + user2 +
             "</actions>\n",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- mine -->\n<actions>\n" + user1 + user2 + NewAction +
             "</actions>\n"},
        {"ours twice, no final newline", "<actions>" + old + old + "</actions>",
         "<actions>\n" + NewAction + "</actions>"},
        {"empty root", "<actions/>\n", "<actions>\n" + NewAction + "</actions>\n"},
        {"CDATA and a look-alike id in another action",
         "<actions>\n<action><command><![CDATA[<unique-id>ours</unique-id>]]></command></action>\n</actions>\n",
         "<actions>\n<action><command><![CDATA[<unique-id>ours</unique-id>]]></command></action>\n" + NewAction +
             "</actions>\n"},
    };
    for (const Case& c : cases) {
        const ThunarEdit edit = PutThunarAction(c.before, "ours", NewAction);
        ASSERT_TRUE(edit.text) << c.name << ": " << edit.problem;
        EXPECT_EQ(*edit.text, c.after) << c.name;
        EXPECT_EQ(PutThunarAction(*edit.text, "ours", NewAction).text, edit.text) << c.name << ": again";
    }
}

TEST(SharedFiles, MalformedThunarActionsAreRefused) {
    for (const std::string& text : {
             std::string("garbage"),
             std::string("<action></action>"),
             std::string("<actions>\n<action>\n"),
             std::string("<actions><action></actions>"),
             std::string("<actions></actions><actions></actions>"),
             std::string("<actions attr=\"x>\n</actions>"),
             std::string("<actions>\n<!-- not closed\n</actions>"),
             std::string("<actions><action></name></action></actions>"),
             std::string("<?xml version=\"1.0\"?>\n<!DOCTYPE actions [<!ENTITY x \"y\">]>\n<actions></actions>"),
         }) {
        const ThunarEdit edit = PutThunarAction(text, "ours", NewAction);
        EXPECT_FALSE(edit.text) << text;
        EXPECT_FALSE(edit.problem.empty()) << text;
    }
}

TEST(SharedFiles, WriterKeepsTheUsersBytesAndLeavesBrokenFilesAlone) {
    Home home;
    const std::string list = "# mine\n[Default Applications]\ntext/html=firefox.desktop\n[Added Associations]\n"
                             "text/plain=gedit.desktop;";
    const std::string user = "<?xml version=\"1.0\"?>\n<actions>\n<action><name>Mine</name><unique-id>1-1</unique-id>"
                             "</action>\n</actions>\n";
    WriteText(home.Config("mimeapps.list"), list);
    fs::permissions(home.Config("mimeapps.list"), fs::perms::owner_read | fs::perms::owner_write);
    WriteText(home.Config("Thunar/uca.xml"), user);
    ASSERT_TRUE(home.ApplyBoth(Input(LanguageSet::English)).Ok());
    EXPECT_EQ(ReadText(home.Config("mimeapps.list")),
              "# mine\n[Default Applications]\n" + std::string(MimeType) +
                  "=zarkent.desktop\ntext/html=firefox.desktop\n[Added Associations]\ntext/plain=gedit.desktop;");
    EXPECT_EQ(fs::status(home.Config("mimeapps.list")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    const std::string uca = ReadText(home.Config("Thunar/uca.xml"));
    EXPECT_EQ(uca.substr(0, uca.find("<action>\n")), user.substr(0, user.find("</actions>")));

    // A broken list of actions stays byte for byte and is reported once, naming the file; the rest is written.
    Home broken;
    const std::string bad = "<actions>\n<action><name>Mine</name>\n";
    WriteText(broken.Config("Thunar/uca.xml"), bad);
    const ShellWriteResult result = broken.ApplyBoth(Input(LanguageSet::English));
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_NE(result.problems[0].find("\"" + broken.Config("Thunar/uca.xml") + "\" was left unchanged"),
              std::string::npos)
        << result.problems[0];
    EXPECT_EQ(ReadText(broken.Config("Thunar/uca.xml")), bad);
    EXPECT_TRUE(fs::exists(broken.Data("nemo/actions/zarkent-folder.nemo_action")));
}

// --- Problems ----------------------------------------------------------------------------------------

TEST(LinuxShell, AFolderThatCannotBeWrittenGivesOneMessage) {
    // Files where folders should be: nothing can go into kio/servicemenus (a file from each plan), into
    // Thunar under the config folder, nor into Thunar/sendto.
    Home home;
    WriteText(home.Data("kio"), "in the way");
    WriteText(home.Config("Thunar"), "in the way");
    WriteText(home.Data("Thunar"), "in the way");
    ShellWriteResult association = home.Apply(LinuxAssociationPlan(Input(LanguageSet::English)));
    ShellWriteResult sendTo = home.Apply(LinuxSendToPlan(Input(LanguageSet::English)));
    const std::vector<std::string> expected = {
        "Cannot write in folder \"" + home.Data("kio/servicemenus") + "\". \"" + home.Data("kio") +
            "\" is not a folder.",
        "Cannot write in folder \"" + home.Config("Thunar") + "\". A file of that name is in the way.",
    };
    EXPECT_EQ(association.problems, expected);
    EXPECT_EQ(sendTo.problems, (std::vector<std::string>{"Cannot write in folder \"" + home.Data("Thunar/sendto") +
                                                             "\". \"" + home.Data("Thunar") + "\" is not a folder.",
                                                         expected[0]}));
    // Everything else was written.
    EXPECT_TRUE(fs::exists(home.Data("applications/zarkent.desktop")));
    EXPECT_TRUE(fs::exists(home.Data("nemo/actions/zarkent-encrypt-file.nemo_action")));

    // A data folder that is a file blocks every entry under it: one message for all of them.
    Home blocked;
    WriteText(blocked.folders.data, "in the way");
    association = blocked.Apply(LinuxAssociationPlan(Input(LanguageSet::English)));
    ASSERT_EQ(association.problems.size(), 1u);
    EXPECT_NE(association.problems[0].find("\"" + blocked.folders.data + "\" is not a folder."), std::string::npos)
        << association.problems[0];
    EXPECT_TRUE(fs::exists(blocked.Config("mimeapps.list")));
}

// Every file the writer makes goes through the same steps, and the order is what makes it safe: a
// temporary file is created, flushed, renamed over the name, and then the folder is flushed so that the
// rename itself is on the disk.
TEST(LinuxShell, EveryFileIsFlushedThenRenamedThenItsFolderFlushed) {
    Home home;
    std::vector<std::string> steps;
    std::string temporary;
    SetFileEventHook([&](FileEvent event, const std::string& path) {
        const bool ours = path.find("/.zarkent-") != std::string::npos;
        if (event == FileEvent::Create && ours) {
            temporary = path;
            steps.push_back("create");
        } else if (event == FileEvent::SyncFile) {
            steps.push_back(path == temporary ? "flush" : "flush of another file");
        } else if (event == FileEvent::SyncFolder) {
            const bool renamed = !temporary.empty() && !fs::exists(temporary);
            std::string folder = path;
            while (folder.size() > 1 && folder.back() == '/')
                folder.pop_back();
            const bool itsFolder = !temporary.empty() && fs::path(temporary).parent_path() == folder;
            steps.push_back(std::string("folder flush") + (renamed ? "" : " before the rename") +
                            (itsFolder ? "" : " of another folder"));
            temporary.clear();
        } else {
            steps.push_back("other event");
        }
        return 0;
    });
    const ShellWriteResult result = home.ApplyBoth(Input(LanguageSet::English));
    SetFileEventHook({});
    ASSERT_TRUE(result.Ok());
    // Programs such as update-mime-database add files of their own: count what the writer created.
    const auto files = std::count(steps.begin(), steps.end(), "create");
    std::vector<std::string> expected;
    for (auto i = files; i > 0; --i)
        expected.insert(expected.end(), {"create", "flush", "folder flush"});
    EXPECT_GT(files, 5);
    EXPECT_EQ(steps, expected);
}

// Another program rewrites mimeapps.list while ours is being written: its change is read again and kept
// beside our line, never overwritten by a list made from the older text.
TEST(SharedFiles, AListRewrittenMeanwhileKeepsBothChanges) {
    Home home;
    WriteText(home.Config("mimeapps.list"), "[Default Applications]\ntext/html=a.desktop\n");
    bool rewritten = false;
    SetFileEventHook([&](FileEvent event, const std::string& path) {
        if (event == FileEvent::SyncFile && !rewritten && path.find(home.folders.config + "/.zarkent-") == 0) {
            rewritten = true;
            WriteText(home.Config("other.tmp"), "[Default Applications]\ntext/html=a.desktop\nimage/png=eog.desktop\n");
            fs::rename(home.Config("other.tmp"), home.Config("mimeapps.list"));
        }
        return 0;
    });
    const ShellWriteResult result = home.ApplyBoth(Input(LanguageSet::English));
    SetFileEventHook({});
    ASSERT_TRUE(result.Ok());
    EXPECT_TRUE(rewritten);
    EXPECT_EQ(ReadText(home.Config("mimeapps.list")),
              "[Default Applications]\n" + std::string(MimeType) +
                  "=zarkent.desktop\ntext/html=a.desktop\nimage/png=eog.desktop\n");
    EXPECT_EQ(home.Names(home.folders.config), (std::vector<std::string>{"Thunar", "mimeapps.list"}));
}

TEST(LinuxShell, AFailedFlushKeepsTheOldFile) {
    Home home;
    ASSERT_TRUE(home.ApplyBoth(Input(LanguageSet::English)).Ok());
    const std::string action = home.Data("nemo/actions/zarkent-folder.nemo_action");
    const std::string before = ReadText(action);
    SetFileEventHook([](FileEvent event, const std::string& path) {
        return event == FileEvent::SyncFile && path.find("/nemo/actions/") != std::string::npos ? ENOSPC : 0;
    });
    const ShellWriteResult result = home.ApplyBoth(Input(LanguageSet::Turkish));
    SetFileEventHook({});
    // Each plan has a file there and says so in the same words: the window shows them once.
    const std::string problem =
        "Cannot write in folder \"" + home.Data("nemo/actions") + "\". " + SystemErrorText(ENOSPC);
    EXPECT_EQ(result.problems, (std::vector<std::string>{problem, problem}));
    EXPECT_EQ(ReadText(action), before);
    EXPECT_EQ(home.Names(home.Data("nemo/actions")),
              (std::vector<std::string>{"zarkent-encrypt-file.nemo_action", "zarkent-folder.nemo_action"}));
    EXPECT_NE(ReadText(home.Data(FolderEntryFiles[0])).find(TurkishText(42)), std::string::npos);
}

TEST(LinuxShell, TheUsersNautilusScriptsAreNeverTouched) {
    Home home;
    const std::string scripts = home.Data("nautilus/scripts/");
    const std::string english = scripts + NautilusScriptName(std::string(EnglishText(42)));
    const std::string turkish = scripts + NautilusScriptName(std::string(TurkishText(42)));
    WriteText(english, "#!/bin/sh\necho mine\n");
    WriteText(turkish, "#!/bin/sh\necho also mine\n");
    const ShellWriteResult result = home.ApplyBoth(Input(LanguageSet::English));
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_EQ(result.problems[0], "\"" + english + "\" was left unchanged: it was not written by Zarkent.");
    EXPECT_EQ(ReadText(english), "#!/bin/sh\necho mine\n");
    EXPECT_EQ(ReadText(turkish), "#!/bin/sh\necho also mine\n");
}

TEST(LinuxShell, CacheToolsRunOnTheirFoldersWhenSomethingChanged) {
    Home home;
    test::TempDir bin;
    const std::string log = bin / "log";
    for (const auto& [tool, cache] : {std::pair<std::string, std::string>{"update-mime-database", "mime.cache"},
                                      {"update-desktop-database", "mimeinfo.cache"}}) {
        WriteText(bin / tool, "#!/bin/sh\necho \"${0##*/} $1\" >> " + ShellWord(log) + "\n: > \"$1/" + cache + "\"\n");
        fs::permissions(bin / tool, fs::perms::owner_all);
    }
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", bin.Path().c_str(), 1);
    const std::string ran =
        "update-mime-database " + home.Data("mime") + "\nupdate-desktop-database " + home.Data("applications") + "\n";
    EXPECT_TRUE(home.Apply(LinuxAssociationPlan(Input(LanguageSet::English))).Ok());
    EXPECT_EQ(ReadText(log), ran);
    EXPECT_TRUE(home.Apply(LinuxAssociationPlan(Input(LanguageSet::English))).toolsRun.empty()) << "nothing changed";
    EXPECT_EQ(home.Apply(LinuxAssociationPlan(Input(LanguageSet::Turkish))).toolsRun.size(), 2u);
    EXPECT_EQ(ReadText(log), ran + ran);
    // Without the tools nothing is run and nothing is reported.
    ::setenv("PATH", (bin / "empty").c_str(), 1);
    const ShellWriteResult without = home.Apply(LinuxAssociationPlan(Input(LanguageSet::English)));
    ::setenv("PATH", oldPath.c_str(), 1);
    EXPECT_TRUE(without.Ok());
    EXPECT_TRUE(without.toolsRun.empty());
}

TEST(LinuxShell, UserFoldersFollowTheXdgRules) {
    struct Case {
        const char *data, *config, *home;
        std::optional<ShellFolders> expected;
    };
    const Case cases[] = {
        {"/x/data", "/x/config/", "/home/u", ShellFolders{"/x/data", "/x/config"}},
        {nullptr, nullptr, "/home/u", ShellFolders{"/home/u/.local/share", "/home/u/.config"}},
        {"relative/data", "", "/home/u/", ShellFolders{"/home/u/.local/share", "/home/u/.config"}},
    };
    const char* names[] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "HOME"};
    std::optional<std::string> saved[3];
    for (int i = 0; i < 3; ++i)
        if (const char* value = std::getenv(names[i])) saved[i] = value;
    for (const Case& c : cases) {
        const char* values[] = {c.data, c.config, c.home};
        for (int i = 0; i < 3; ++i)
            values[i] ? ::setenv(names[i], values[i], 1) : ::unsetenv(names[i]);
        const std::optional<ShellFolders> folders = UserShellFolders();
        ASSERT_EQ(folders.has_value(), c.expected.has_value());
        EXPECT_EQ(folders->data, c.expected->data);
        EXPECT_EQ(folders->config, c.expected->config);
    }
    for (int i = 0; i < 3; ++i)
        saved[i] ? ::setenv(names[i], saved[i]->c_str(), 1) : ::unsetenv(names[i]);
}

// --- Removing the entries (zarkent --unregister) ----------------------------------------------------

TEST(SharedFiles, RemovingTheDefaultApplicationTakesOnlyOurLine) {
    struct Case {
        const char* name;
        std::string before, after;
    };
    const std::string ours = std::string(MimeType) + "=zarkent.desktop";
    const Case cases[] = {
        {"ours among the user's, CRLF kept",
         "# mine\r\n[Default Applications]\r\n" + ours + "\r\ntext/html=a.desktop\r\n[Added Associations]\r\n" + ours +
             ";\r\n",
         "# mine\r\n[Default Applications]\r\ntext/html=a.desktop\r\n[Added Associations]\r\n" + ours + ";\r\n"},
        {"with blanks and a final ';', last line without newline",
         "[Default Applications]\ntext/html=a.desktop\n  application/x-zarkent-encrypted = zarkent.desktop;",
         "[Default Applications]\ntext/html=a.desktop\n"},
        {"another application chosen by the user stays",
         "[Default Applications]\napplication/x-zarkent-encrypted=other.desktop\n",
         "[Default Applications]\napplication/x-zarkent-encrypted=other.desktop\n"},
        {"a list naming us and another stays",
         "[Default Applications]\napplication/x-zarkent-encrypted=zarkent.desktop;other.desktop;\n",
         "[Default Applications]\napplication/x-zarkent-encrypted=zarkent.desktop;other.desktop;\n"},
        {"a comment stays", "[Default Applications]\n#" + ours + "\n", "[Default Applications]\n#" + ours + "\n"},
        {"no file", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RemoveDefaultApplication(c.before, MimeType, "zarkent.desktop"), c.after) << c.name;
    // What writing added, removing takes away again, byte for byte.
    const std::string user = "# mine\n[Default Applications]\ntext/html=a.desktop\n[Added Associations]\nx=y;";
    EXPECT_EQ(
        RemoveDefaultApplication(SetDefaultApplication(user, MimeType, "zarkent.desktop"), MimeType, "zarkent.desktop"),
        user);
}

TEST(SharedFiles, RemovingTheThunarActionTakesOnlyOurs) {
    const std::string user1 = "<action>\n\t<name>Open Terminal Here</name>\n\t<unique-id>1-1</unique-id>\n</action>\n";
    const std::string user2 = "  <action><name>Zip</name><unique-id>2-2</unique-id><!-- <x> --></action>\n";
    const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- mine -->\n<actions>\n";
    struct Case {
        const char* name;
        std::string before, after;
    };
    const Case cases[] = {
        {"ours between the user's", head + user1 + NewAction + user2 + "</actions>\n",
         head + user1 + user2 + "</actions>\n"},
        {"ours twice, the first beside the root's tag", "<actions>" + NewAction + NewAction + "</actions>",
         "<actions>\n</actions>"},
        {"only ours", "<actions>\n" + NewAction + "</actions>\n", "<actions>\n</actions>\n"},
        {"none of ours", head + user1 + "</actions>\n", head + user1 + "</actions>\n"},
        {"empty root", "<actions/>\n", "<actions/>\n"},
        {"no file", "", ""},
    };
    for (const Case& c : cases) {
        const ThunarEdit edit = RemoveThunarAction(c.before, "ours");
        ASSERT_TRUE(edit.text) << c.name << ": " << edit.problem;
        EXPECT_EQ(*edit.text, c.after) << c.name;
    }
    // Added, then removed: the user's file as it was.
    const std::string user = head + user1 + user2 + "</actions>\n";
    EXPECT_EQ(RemoveThunarAction(*PutThunarAction(user, "ours", NewAction).text, "ours").text, user);
    const ThunarEdit broken = RemoveThunarAction("<actions><action>" + NewAction + "</actions>", "ours");
    EXPECT_FALSE(broken.text);
    EXPECT_FALSE(broken.problem.empty());
}

TEST(LinuxShell, UnregisterRemovesOursInBothLanguagesAndKeepsTheUsers) {
    Home home;
    const std::string list = "# mine\n[Default Applications]\ntext/html=firefox.desktop\n";
    const std::string uca = "<?xml version=\"1.0\"?>\n<actions>\n<action><name>Mine</name><unique-id>1-1</unique-id>"
                            "</action>\n</actions>\n";
    const std::string scripts = home.Data("nautilus/scripts/");
    const std::map<std::string, std::string> users = {
        {home.Config("mimeapps.list"), list},
        {home.Config("Thunar/uca.xml"), uca},
        {scripts + "my script", "#!/bin/sh\n"},
        {home.Data("nemo/actions/mine.nemo_action"), "[Nemo Action]\nName=Mine\n"},
        {home.Data("kio/servicemenus/mine.desktop"), "[Desktop Entry]\nName=Mine\n"},
        {home.Data("applications/mine.desktop"), "[Desktop Entry]\nName=Mine\n"},
    };
    for (const auto& [path, content] : users)
        WriteText(path, content);
    ShellInput input = Input(LanguageSet::English);
    input.iconPng = "icon bytes";
    ASSERT_TRUE(home.ApplyBoth(input).Ok());
    // A script of ours left under the other language's name (a switch while the folder was not writable).
    fs::copy_file(scripts + NautilusScriptName(std::string(EnglishText(42))),
                  scripts + NautilusScriptName(std::string(TurkishText(42))));

    ShellWriteResult result = home.Apply(LinuxUnregisterPlan(Input(LanguageSet::Turkish)));
    ASSERT_TRUE(result.Ok()) << result.problems.front();
    for (const fs::path& file : home.Files()) {
        const auto user = users.find(file.string());
        if (user != users.end())
            EXPECT_EQ(ReadText(file), user->second) << file;
        else // only the caches the tools rebuilt are left, and they no longer know us
            EXPECT_EQ(ReadText(file).find("zarkent"), std::string::npos) << file;
    }
    for (const auto& [path, content] : users)
        EXPECT_TRUE(fs::exists(path)) << path;

    // A second run changes nothing and starts no tool.
    std::map<std::string, std::string> before;
    for (const fs::path& file : home.Files())
        before[file] = ReadText(file);
    result = home.Apply(LinuxUnregisterPlan(Input(LanguageSet::English)));
    ASSERT_TRUE(result.Ok()) << result.problems.front();
    EXPECT_TRUE(result.toolsRun.empty());
    std::map<std::string, std::string> after;
    for (const fs::path& file : home.Files())
        after[file] = ReadText(file);
    EXPECT_EQ(after, before);

    // In an empty home it creates nothing.
    Home empty;
    ASSERT_TRUE(empty.Apply(LinuxUnregisterPlan(input)).Ok());
    EXPECT_TRUE(fs::is_empty(empty.dir.Path()));
}

TEST(LinuxShell, EntriesTestThatTheProgramIsThere) {
    test::TempDir place;
    const std::string program = place / "gone dir/it's 50%/zarkent"; // never created
    Home home;
    ASSERT_TRUE(home.ApplyBoth(Input(LanguageSet::English, program)).Ok());
    // Desktop entries hide themselves (TryExec); Nemo's actions need the program (Dependencies).
    for (const std::string entry :
         {"applications/zarkent.desktop", "kio/servicemenus/zarkent-folder.desktop",
          "kio/servicemenus/zarkent-encrypt-file.desktop", "Thunar/sendto/zarkent-encrypt-file.desktop"})
        EXPECT_EQ(KeyFileUnescaped(ValueOf(ReadText(home.Data(entry)), "TryExec")), program) << entry;
    for (const std::string action :
         {"nemo/actions/zarkent-folder.nemo_action", "nemo/actions/zarkent-encrypt-file.nemo_action"})
        EXPECT_EQ(KeyFileUnescaped(ValueOf(ReadText(home.Data(action)), "Dependencies")), program + ";") << action;

    // The script and Thunar's action say that the program is gone, naming it, and fail.
    const std::string folder = place / "my files";
    const std::string script = home.Data("nautilus/scripts/" + NautilusScriptName(std::string(EnglishText(42))));
    const std::string uca = ReadText(home.Config("Thunar/uca.xml"));
    const std::size_t begin = uca.find("<command>") + 9;
    const std::string thunar = XmlUnescaped(uca.substr(begin, uca.find("</command>") - begin));
    for (const std::string& command : {"/bin/sh " + ShellWord(script) + " " + ShellWord(folder),
                                       "/bin/sh -c " + ShellWord(Substituted(thunar, "%f", {folder}))}) {
        std::string output;
        // No notification service in the way: the message goes to the error output.
        EXPECT_EQ(RunCommand("PATH=/nonexistent " + command, &output), 127) << command;
        EXPECT_NE(output.find("Zarkent is not installed any more: " + program + " is missing."), std::string::npos)
            << output;
    }
}

// --- Windows -------------------------------------------------------------------------------------------

TEST(WindowsShell, RegistryAndShortcutFollowTheTables) {
    using K = WindowsOperation::Kind;
    const std::string program = "C:\\Program Files\\Zarkent\\zarkent.exe";
    struct Case {
        LanguageSet set;
        const char *type, *open, *verb, *link;
    };
    for (const Case& c : {Case{LanguageSet::Turkish, "Zarkent Şifreli Dosyaları", "Şifreli Dosya Aç",
                               "Klasörü Şifrele/Çözümle", "Dosya Şifrele.lnk"},
                          Case{LanguageSet::English, "Zarkent Encrypted Files", "Decrypt File",
                               "Encrypt/Decrypt Folder", "Encrypt File.lnk"}}) {
        const ShellInput input = Input(c.set, program);
        const std::string verb = std::string("Folder\\shell\\") + c.verb;
        const WindowsPlan expected = {
            {K::CreateKey, ".zrk", "", ""},
            {K::SetDefault, ".zrk", "Zarkent.Document", ""},
            {K::CreateKey, "Zarkent.Document", "", ""},
            {K::SetDefault, "Zarkent.Document", c.type, ""},
            {K::CreateKey, "Zarkent.Document\\DefaultIcon", "", ""},
            {K::SetDefault, "Zarkent.Document\\DefaultIcon", program + ", 1", ""},
            {K::CreateKey, "Zarkent.Document\\shell\\open", "", ""},
            {K::SetDefault, "Zarkent.Document\\shell\\open", c.open, ""},
            {K::CreateKey, "Zarkent.Document\\shell\\open\\command", "", ""},
            {K::SetDefault, "Zarkent.Document\\shell\\open\\command", "\"" + program + "\" \"%1\"", ""},
            {K::CreateKey, "Folder\\shell", "", ""},
            {K::DeleteKeyTree, "Folder\\shell\\Klasörü Şifrele/Çözümle", "", ""},
            {K::DeleteKeyTree, "Folder\\shell\\Cifrar / Descifrar Carpeta", "", ""},
            {K::DeleteKeyTree, "Folder\\shell\\Crypter / décrypter un dossier", "", ""},
            {K::DeleteKeyTree, "Folder\\shell\\Encrypt/Decrypt Folder", "", ""},
            {K::DeleteKeyTree, "Folder\\shell\\Verschlüsseln / Entschlüsseln Ordner", "", ""},
            {K::CreateKey, verb, "", ""},
            {K::CreateKey, verb + "\\command", "", ""},
            {K::SetDefault, verb + "\\command", "\"" + program + "\" \"%1\" ", ""},
        };
        EXPECT_EQ(WindowsAssociationPlan(input), expected);
        const WindowsPlan link = {
            {K::DeleteFile, "C:\\Users\\u\\SendTo\\Encrypt File.lnk", "", ""},
            {K::DeleteFile, "C:\\Users\\u\\SendTo\\Dosya Şifrele.lnk", "", ""},
            {K::SaveLink, std::string("C:\\Users\\u\\SendTo\\") + c.link, program, "C:\\Program Files\\Zarkent\\"},
        };
        EXPECT_EQ(WindowsSendToPlan(input, "C:\\Users\\u\\SendTo"), link);
    }
}

} // namespace
} // namespace zarkent
