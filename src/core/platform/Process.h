#pragma once

// The process's command line and standard streams as the program's 8-bit text takes them.

#include <string>
#include <vector>

namespace zarkent {

// The command-line arguments after the program's name: the bytes as given on POSIX; on Windows taken
// from the wide command line and turned into UTF-8, so that every file name arrives whole.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Standard input, output and error carry bytes unchanged (no CR LF translation on Windows), and a
// Windows console shows the program's UTF-8 text.
void PrepareStandardStreams();

} // namespace zarkent
