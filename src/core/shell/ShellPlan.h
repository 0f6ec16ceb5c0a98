#pragma once

// What Zarkent registers with the desktop, as plain data: the file association for .zrk files, the
// folder entry and the Send To entry, each in the language in force and pointing at the program's
// current location. A writer of the platform layer executes a plan; nothing here touches the disk.
//
// Both plans are rebuilt at every start and language switch, so a moved program or a new language
// fixes every entry. Entries whose file name is what the user sees (a Nautilus script, a Windows
// shortcut, a registry verb) are removed under the names of both languages first, so exactly one
// remains.

#include <string>
#include <vector>

#include "core/lang/Language.h"

namespace zarkent::shell {

// The four texts an integration shows, in one language.
struct ShellTexts {
    std::string folderEntry;  // row 42: the folder menu entry
    std::string encryptFile;  // row 54: the Send To entry
    std::string decryptFile;  // row 55: opening an encrypted file
    std::string documentType; // row 60: the name of the .zrk file type
    bool operator==(const ShellTexts&) const = default;
};

ShellTexts TextsOf(LanguageSet set);
// The texts of the table in force (the built-in ones before a language is applied).
ShellTexts TextsInForce(const LanguageTable& table);

struct ShellInput {
    std::string programFile; // full path of the running program
    ShellTexts inForce;
    ShellTexts turkish; // both languages' texts, to find entries written under the other one
    ShellTexts english;
    std::string iconPng; // the program's icon (PNG bytes); empty writes no icon file
};

// The input for `programFile` with the texts of `table`.
ShellInput InputFor(const std::string& programFile, const LanguageTable& table, std::string iconPng = {});

// --- Linux (freedesktop) -------------------------------------------------------------------------

inline constexpr const char* MimeType = "application/x-zarkent-encrypted";
inline constexpr const char* DesktopId = "zarkent.desktop";
// Identifies our action among the user's Thunar custom actions.
inline constexpr const char* ThunarActionId = "zarkent-folder-entry";
// The line that marks a Nautilus script as ours: only such a script is ever replaced or removed.
inline constexpr const char* NautilusMarker = "# zarkent-folder-entry";

// Where a path of a plan lives: $XDG_DATA_HOME or $XDG_CONFIG_HOME.
enum class Base { Data, Config };

struct LinuxOperation {
    enum class Kind {
        WriteFile,          // a file of ours: `content` replaces it whole (with `marker`: only a file holding it)
        RemoveFile,         // a file of ours under an old name (with `marker`: only a file holding it)
        SetDefaultApp,      // mimeapps.list: `key`=`content` in [Default Applications], the rest kept
        PutThunarAction,    // uca.xml: the <action> whose unique-id is `key` becomes `content`, the rest kept
        RemoveDefaultApp,   // mimeapps.list: the default for `key` goes while it is still `content`
        RemoveThunarAction, // uca.xml: every <action> whose unique-id is `key` goes, the rest kept
        RunTool,            // refresh a cache: `key` (a program in PATH) with the folder `path`, when
                            // something in it changed or its cache file `content` is missing
    };
    Kind kind;
    Base base;
    std::string path; // relative to the base
    std::string content;
    std::string key;
    std::string marker;
    bool executable = false;
};
using LinuxPlan = std::vector<LinuxOperation>;

// The .zrk type and its default application, and the folder entry for Dolphin, Nautilus, Thunar and Nemo.
LinuxPlan LinuxAssociationPlan(const ShellInput& input);
// The Send To entry: Thunar's sendto launcher and file actions for Dolphin and Nemo, all selected files at once.
LinuxPlan LinuxSendToPlan(const ShellInput& input);
// Removes what the two plans above wrote, under the names of both languages: our files, our line in
// mimeapps.list (while it still names us) and our Thunar action. The user's own lines, actions and
// Nautilus scripts stay; files that are missing already are no error, so a second run changes nothing.
LinuxPlan LinuxUnregisterPlan(const ShellInput& input);

// The visible name of the Nautilus script for a folder entry text: a file name cannot hold "/", so each
// becomes U+2215 DIVISION SLASH, which looks the same in a menu.
std::string NautilusScriptName(const std::string& folderEntry);

// Quoting, one helper per consumer of a command line.
// A value of a desktop entry or key file: backslash, newline, tab and carriage return escaped, a leading blank as \s.
std::string KeyFileValue(const std::string& text);
// One argument of a desktop entry's Exec, before KeyFileValue: in double quotes, with " ` $ \ escaped and % doubled.
std::string ExecArgument(const std::string& argument);
// One word for /bin/sh (and GLib's shell parser): in single quotes, each ' written as '\''.
std::string ShellWord(const std::string& word);
// Text for XML character data (between tags).
std::string XmlText(const std::string& text);

// --- Windows (for the Windows backend) -----------------------------------------------------------

struct WindowsOperation {
    enum class Kind {
        CreateKey,     // HKEY_CLASSES_ROOT\`path`, created when missing
        SetDefault,    // the default value of `path` := `value`
        DeleteKeyTree, // `path` with all its subkeys, when it exists (and, when `value` is not empty,
                       // only while its default value is `value`: a key another program took over stays)
        DeleteFile,    // the file `path`, when it exists
        SaveLink,      // a shell link at `path` to `value`, working folder `workingFolder`, no arguments
    };
    Kind kind;
    std::string path;
    std::string value;
    std::string workingFolder;
    bool operator==(const WindowsOperation&) const = default;
};
using WindowsPlan = std::vector<WindowsOperation>;

// The folder verb names written by this and earlier versions, removed before the current one is written.
std::vector<std::string> OldFolderVerbs(const ShellInput& input);

// The registry entries of the association and the folder verb, in the order they are written.
WindowsPlan WindowsAssociationPlan(const ShellInput& input);
// The Send To shortcut in `sendToFolder` (both languages' names removed first).
WindowsPlan WindowsSendToPlan(const ShellInput& input, const std::string& sendToFolder);
// Removes what the two plans above wrote, in every language: the association (while it is still ours),
// the document class, the folder verbs and, with a `sendToFolder`, the Send To shortcuts. The user's
// other verbs and the shared "Folder\shell" key stay.
WindowsPlan WindowsUnregisterPlan(const ShellInput& input, const std::string& sendToFolder);

} // namespace zarkent::shell
