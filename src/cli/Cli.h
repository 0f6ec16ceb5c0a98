#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarkent::cli {

// Exit codes of zarkent-cli.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;
inline constexpr int ExitWrongPassword = 3;

struct Streams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

// The whole program: picks the command named by the first argument and runs it. `args` are the
// arguments after the program's name.
int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

// Reports bad usage ("zarkent-cli: PROBLEM" and the usage lines of the command being run, or of all)
// and returns ExitUsage.
int UsageError(std::ostream& err, const std::string& problem);

// A name or message as it may be printed: control characters shown as \xHH.
std::string Printable(std::string_view text);

// A whole decimal number from `least` to `most`, digits only; nothing for any other text.
std::optional<long long> ParseWhole(const std::string& text, long long least, long long most);

// The value of the numeric option at `args[i]` ("--count 5"), from `least` to `most`; `i` moves past
// it. A missing or bad value is reported as bad usage and gives nothing (the command then exits with
// ExitUsage).
std::optional<long long> WholeOption(const std::vector<std::string>& args, std::size_t& i, long long least,
                                     long long most, std::ostream& err);

// Runs `write` on the output of a command that prints what it generates; a failure of the generator
// or of the output (a closed pipe, a full disk) is reported and gives ExitFailure.
int PrintGenerated(Streams io, const std::string& what, const std::function<void(std::ostream&)>& write);

// Flushes standard output: `status` when all of it was written, else ExitFailure, with a message
// naming `what` unless the reader closed the pipe.
int FinishOutput(Streams io, const std::string& what, int status);

// The commands; `args` are the arguments after the command's name.
int RunFileCommand(bool encrypt, const std::vector<std::string>& args, Streams io);
int RunTestCommand(const std::vector<std::string>& args, Streams io);
int RunPasswdCommand(const std::vector<std::string>& args, Streams io);
int RunWipeCommand(const std::vector<std::string>& args, Streams io);
int RunMd5Command(const std::vector<std::string>& args, Streams io);
int RunPassgenCommand(const std::vector<std::string>& args, Streams io);
int RunRandomCommand(const std::vector<std::string>& args, Streams io);

} // namespace zarkent::cli
