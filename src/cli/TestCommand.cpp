// zarkent-cli test: checks .zrk files without writing anything.

#include "cli/Cli.h"

namespace zarkent::cli {

int RunTestCommand(const std::vector<std::string>&, Streams io) {
    return UsageError(io.err, "test is not available yet");
}

} // namespace zarkent::cli
