#pragma once

#include <iosfwd>

namespace zarkent::cli {

// Exit codes of zarkent-cli.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;
inline constexpr int ExitWrongPassword = 3;

int Run(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err);

} // namespace zarkent::cli
