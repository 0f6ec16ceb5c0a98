// zarkent-cli passwd: changes the password of .zrk files in place, atomically.

#include "cli/Cli.h"

namespace zarkent::cli {

int RunPasswdCommand(const std::vector<std::string>&, Streams io) {
    return UsageError(io.err, "passwd is not available yet");
}

} // namespace zarkent::cli
