#pragma once

// Applies a desktop-integration plan (shell/ShellPlan.h): on Linux to the user's folders, on Windows to
// the user's registry classes and Send To folder.
//
// Files of ours are written whole and atomically (a temporary name in the same folder, flushed, then
// renamed over the old file); files shared with the user (mimeapps.list, Thunar's uca.xml) are edited
// in the same way, keeping every byte that is not ours, and left alone when they cannot be edited
// safely. Nothing is written outside the two base folders and nothing needs root. Problems do not stop
// the rest of the plan: they are collected, one per folder or file, for the caller to show once.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/shell/ShellPlan.h"

namespace zarkent {

struct ShellFolders {
    std::string data;   // $XDG_DATA_HOME, by default ~/.local/share
    std::string config; // $XDG_CONFIG_HOME, by default ~/.config
};

// The current user's folders: the XDG variables when they hold absolute paths (others are ignored,
// as the XDG rules ask), else below $HOME or the home folder of the user's account. Nothing when no
// home folder can be found.
std::optional<ShellFolders> UserShellFolders();

struct ShellWriteOptions {
    // How long to wait for a cache tool (update-mime-database, ...) before leaving it to finish on its
    // own; zero never waits, so the window does not either.
    std::chrono::milliseconds toolWait{0};
};

struct ShellWriteResult {
    // One sentence per problem, naming the folder or file and the reason.
    std::vector<std::string> problems;
    // The tools that were started, each as "tool folder" (for tests).
    std::vector<std::string> toolsRun;
    bool Ok() const { return problems.empty(); }
};

ShellWriteResult ApplyLinuxPlan(const shell::LinuxPlan& plan, const ShellFolders& folders,
                                const ShellWriteOptions& options = {});

// --- Windows (ShellWriter_win.cpp) -------------------------------------------------------------------

// Where the registry part of a Windows plan goes, under HKEY_CURRENT_USER. HKEY_CLASSES_ROOT shows
// HKEY_LOCAL_MACHINE\Software\Classes merged with HKEY_CURRENT_USER\Software\Classes; only the latter
// can be written without administrator rights (a new key written through HKEY_CLASSES_ROOT would go to
// the machine's part and be refused), and the user's entries win over the machine's.
inline constexpr const char* UserClassesKey = "Software\\Classes";

// Executes a Windows plan: its registry paths relative to HKEY_CURRENT_USER\`classesKey`, its files and
// shell links (IShellLinkW, saved through IPersistFile) at their own paths. A problem does not stop the
// rest of the plan; each is reported once, naming the key or file and the reason.
ShellWriteResult ApplyWindowsPlan(const shell::WindowsPlan& plan, const std::string& classesKey = UserClassesKey);

// The user's Send To folder: the shell's known folder, or else HOMEDRIVE + HOMEPATH + "\SendTo" from
// HKEY_CURRENT_USER\Volatile Environment (where older versions looked); nothing when neither is known.
std::optional<std::string> WindowsSendToFolder();

} // namespace zarkent
