#pragma once

#include <iosfwd>
#include <string_view>
#include <vector>

namespace zarkent::cli {

// What --help prints for one command: its usage lines and what it does with each option.
struct CommandHelp {
    std::string_view name;
    std::string_view usage;   // whole lines, each "zarkent-cli NAME ..." (continuations indented)
    std::string_view details; // the description and the options
};

const std::vector<CommandHelp>& Commands();
// The help of `name`, or nothing for an unknown command.
const CommandHelp* HelpOf(std::string_view name);

// "Usage: " and every command's usage lines (the program's usage), or one command's.
void PrintUsage(std::ostream& out, const CommandHelp* command = nullptr);
// The whole help: every usage, then every command's details and the notes that concern them all.
void PrintProgramHelp(std::ostream& out);
// One command's usage and details.
void PrintCommandHelp(std::ostream& out, const CommandHelp& command);

} // namespace zarkent::cli
