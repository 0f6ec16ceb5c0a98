#pragma once

// Applies a desktop-integration plan (shell/ShellPlan.h) to the user's folders on Linux.
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

#include "shell/ShellPlan.h"

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

} // namespace zarkent
