// zarkent-cli encrypt/decrypt -r: every file of folder trees, each beside itself.

#include "cli/FileOptions.h"

namespace zarkent::cli {

int RunTree(const FileOptions&, const std::string&, Streams io) {
    return UsageError(io.err, "-r is not available yet");
}

} // namespace zarkent::cli
