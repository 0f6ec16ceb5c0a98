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

// Keeps the large buffers of a job (the cipher's blocks, the writer's, the compressor's) in the process's
// heap once freed, for the next file to take, instead of giving them back to the system and faulting
// them in again for every file: a folder of small files spent more than half its time on that.
void KeepLargeBuffersForReuse();

} // namespace zarkent
