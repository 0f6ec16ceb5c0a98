#include <iostream>

#include "cli/Cli.h"
#include "core/platform/Process.h"

int main(int argc, char** argv) {
    zarkent::PrepareStandardStreams();
    zarkent::KeepLargeBuffersForReuse();
    return zarkent::cli::Run(zarkent::CommandLineArguments(argc, argv), std::cin, std::cout, std::cerr);
}
