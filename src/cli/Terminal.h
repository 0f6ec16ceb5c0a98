#pragma once

#include <optional>
#include <string>

namespace zarkent::cli {

bool StdinIsTerminal();
bool StderrIsTerminal();
// Asks on the controlling terminal without echo; nothing when there is no terminal.
std::optional<std::string> AskPassword(const std::string& prompt);

} // namespace zarkent::cli
