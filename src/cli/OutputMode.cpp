// zarkent-cli encrypt/decrypt -o: one input into one output, through pipes or into a new file.

#include "cli/FileOptions.h"

namespace zarkent::cli {

int RunToOutput(const FileOptions&, const std::string&, Streams io) {
    return UsageError(io.err, "-o is not available yet");
}

} // namespace zarkent::cli
